#pragma once

#include <cstddef>

namespace nv {

/// The memory game objects live in: blocks of a few sizes cut from large chunks (huge pages where the system has
/// them), so the objects a world step walks share few pages. Freed blocks are reused for objects of the same size.
class ObjectArena {
public:
    /// A block of at least size bytes, aligned for any object; throws std::bad_alloc when out of memory.
    static void *allocate(std::size_t size);
    /// Returns a block that allocate gave for the same size.
    static void release(void *p_block, std::size_t size);
};

} // namespace nv
