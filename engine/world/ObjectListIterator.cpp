#include "world/ObjectListIterator.h"

#include "world/ObjectList.h"

namespace nv {

ObjectListIterator::ObjectListIterator(const ObjectList *p_l) : index(0), list(p_l) {}

void ObjectListIterator::first() {
    index = 0;
}

void ObjectListIterator::next() {
    if (list != nullptr && index < list->count) {
        index++;
    }
}

bool ObjectListIterator::isDone() const {
    return list == nullptr || index >= list->count;
}

Object *ObjectListIterator::currentObject() const {
    if (isDone()) {
        return nullptr;
    }
    return list->items[index];
}

void ObjectListIterator::setList(const ObjectList *p_l) {
    list = p_l;
    index = 0;
}

} // namespace nv
