#pragma once

namespace nv {

class Object;
class ObjectListIterator;

/// A growable list of object pointers that owns none of the objects.
class ObjectList {
public:
    /// An empty list with room for one pointer (room 0 if the allocation failed).
    ObjectList();
    /// A copy with the source's room and contents (empty, room 0, if the allocation failed).
    ObjectList(const ObjectList &other);
    /// Replaces the contents with a copy of rhs; self-assignment does nothing.
    ObjectList &operator=(const ObjectList &rhs);
    /// Frees the block, never the objects.
    ~ObjectList();

    /// Appends p_o, doubling the room when full; -1 for null or when growth fails.
    int insert(Object *p_o);
    /// Removes the first occurrence of p_o keeping the order; -1 when absent.
    int remove(Object *p_o);
    /// Empties the list, keeping its room.
    void clear();
    /// Number of pointers held.
    int getCount() const { return count; }
    /// Number of pointers the block has room for.
    int getMaxCount() const { return max_count; }
    /// True when nothing is held.
    bool isEmpty() const { return count == 0; }
    /// The held pointers in order, valid until the list next changes.
    Object *const *data() const { return items; }
    /// True when p_o is held at least once.
    bool contains(const Object *p_o) const;

    /// The pointer at index; logs and throws std::out_of_range for a bad index.
    Object *operator[](int index) const;
    /// This list followed by every object of list, duplicates kept.
    ObjectList operator+(ObjectList list) const;

private:
    friend class ObjectListIterator;

    // Copies other's objects and capacity into this list, which must hold no storage.
    void copyFrom(const ObjectList &other);

    int count;
    int max_count;
    Object **items;
};

} // namespace nv
