#include "world/ObjectList.h"

#include <cstdlib>
#include <stdexcept>

#include "core/LogManager.h"

namespace nv {

ObjectList::ObjectList() : count(0), max_count(0), items(nullptr) {
    items = static_cast<Object **>(std::malloc(sizeof(Object *)));
    if (items != nullptr) {
        max_count = 1;
    }
}

ObjectList::ObjectList(const ObjectList &other) : count(0), max_count(0), items(nullptr) {
    copyFrom(other);
}

ObjectList &ObjectList::operator=(const ObjectList &rhs) {
    if (this == &rhs) {
        return *this;
    }
    std::free(items);
    items = nullptr;
    count = 0;
    max_count = 0;
    copyFrom(rhs);
    return *this;
}

void ObjectList::copyFrom(const ObjectList &other) {
    if (other.max_count > 0) {
        items = static_cast<Object **>(std::malloc(sizeof(Object *) * static_cast<size_t>(other.max_count)));
    }
    if (items != nullptr) {
        max_count = other.max_count;
        count = other.count;
        for (int i = 0; i < count; i++) {
            items[i] = other.items[i];
        }
    }
}

ObjectList::~ObjectList() {
    std::free(items);
}

int ObjectList::insert(Object *p_o) {
    if (p_o == nullptr) {
        return -1;
    }
    if (count == max_count) {
        // A list that could get no room at all stays unable to take anything.
        if (max_count == 0 || max_count > (1 << 29)) {
            return -1;
        }
        const int new_max = max_count * 2;
        auto *p_new = static_cast<Object **>(std::realloc(items, sizeof(Object *) * static_cast<size_t>(new_max)));
        if (p_new == nullptr) {
            return -1;
        }
        items = p_new;
        max_count = new_max;
    }
    items[count++] = p_o;
    return 0;
}

int ObjectList::remove(Object *p_o) {
    for (int i = 0; i < count; i++) {
        if (items[i] == p_o) {
            for (int j = i; j < count - 1; j++) {
                items[j] = items[j + 1];
            }
            count--;
            return 0;
        }
    }
    return -1;
}

void ObjectList::clear() {
    count = 0;
}

bool ObjectList::contains(const Object *p_o) const {
    for (int i = 0; i < count; i++) {
        if (items[i] == p_o) {
            return true;
        }
    }
    return false;
}

Object *ObjectList::operator[](int index) const {
    if (index < 0 || index >= count) {
        LogManager::getInstance().writeLog("ObjectList::operator[](): Error! Index %d out of range [0, %d]", index,
                                           count - 1);
        throw std::out_of_range("ObjectList::operator[](): Invalid index!");
    }
    return items[index];
}

ObjectList ObjectList::operator+(ObjectList list) const {
    ObjectList sum(*this);
    for (int i = 0; i < list.count; i++) {
        sum.insert(list.items[i]);
    }
    return sum;
}

} // namespace nv
