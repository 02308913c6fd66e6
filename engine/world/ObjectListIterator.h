#pragma once

namespace nv {

class Object;
class ObjectList;

class ObjectListIterator {
public:
    /// Walks p_l from its first item.
    explicit ObjectListIterator(const ObjectList *p_l);

    /// Back to the first item.
    void first();
    /// One item on, never past the end.
    void next();
    /// True once the index reaches the list's current count.
    bool isDone() const;
    /// The current item, or null at or past the end.
    Object *currentObject() const;
    /// Walks another list from its first item.
    void setList(const ObjectList *p_l);

private:
    int index;
    const ObjectList *list;
};

} // namespace nv
