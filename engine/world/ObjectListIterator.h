#pragma once

#include "world/ObjectList.h"

namespace nv {

class Object;

/// Walks an object list from its first item to its end.
class ObjectListIterator {
public:
    /// Walks p_l from its first item.
    explicit ObjectListIterator(const ObjectList *p_l) : index(0), list(p_l) {}

    /// Back to the first item.
    void first() { index = 0; }
    /// One item on, never past the end.
    void next() {
        if (list != nullptr && index < list->count) {
            index++;
        }
    }
    /// True once the index reaches the list's current count.
    bool isDone() const { return list == nullptr || index >= list->count; }
    /// The current item, or null at or past the end.
    Object *currentObject() const { return isDone() ? nullptr : list->items[index]; }
    /// Walks another list from its first item.
    void setList(const ObjectList *p_l);

private:
    // Kept inline: every event dispatch and world pass walks its lists through an iterator.
    int index;
    const ObjectList *list;
};

} // namespace nv
