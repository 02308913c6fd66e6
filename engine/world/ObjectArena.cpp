#include "world/ObjectArena.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define NV_ARENA_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NV_ARENA_CHECKED 1
#endif
#endif

namespace nv {

namespace {

const std::size_t GRAIN = 16;
// Larger objects are rare and go to the general heap.
const std::size_t MAX_POOLED = 1024;
const std::size_t CHUNK_BYTES = 2u << 20;
// The sanitizer's own heap checks each object's bounds and lifetime, so checked builds use it.
#if defined(NV_ARENA_CHECKED)
const bool POOLED = false;
#else
const bool POOLED = true;
#endif

// Plain data, so it needs no construction and outlives every object deleted at exit.
struct ArenaState {
    void *free_heads[MAX_POOLED / GRAIN + 1];
    char *bump;
    char *bump_end;
};
ArenaState arena;

// A chunk aligned to its size, so that it can be one huge page; chunks live as long as the program.
char *newChunk() {
#if defined(__linux__)
    void *p_map = mmap(nullptr, 2 * CHUNK_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p_map == MAP_FAILED) {
        return nullptr;
    }
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p_map);
    char *p_chunk = reinterpret_cast<char *>((at + CHUNK_BYTES - 1) / CHUNK_BYTES * CHUNK_BYTES);
    madvise(p_chunk, CHUNK_BYTES, MADV_HUGEPAGE);
    return p_chunk;
#else
    return static_cast<char *>(std::malloc(CHUNK_BYTES));
#endif
}

} // namespace

void *ObjectArena::allocate(std::size_t size) {
    if (!POOLED || size == 0 || size > MAX_POOLED) {
        return ::operator new(size);
    }
    const std::size_t grains = (size + GRAIN - 1) / GRAIN;
    if (void *p_block = arena.free_heads[grains]) {
        arena.free_heads[grains] = *static_cast<void **>(p_block);
        return p_block;
    }
    const std::size_t bytes = grains * GRAIN;
    if (arena.bump == nullptr || static_cast<std::size_t>(arena.bump_end - arena.bump) < bytes) {
        char *p_chunk = newChunk();
        if (p_chunk == nullptr) {
            throw std::bad_alloc();
        }
        arena.bump = p_chunk;
        arena.bump_end = p_chunk + CHUNK_BYTES;
    }
    void *p_block = arena.bump;
    arena.bump += bytes;
    return p_block;
}

void ObjectArena::release(void *p_block, std::size_t size) {
    if (p_block == nullptr) {
        return;
    }
    if (!POOLED || size == 0 || size > MAX_POOLED) {
        ::operator delete(p_block);
        return;
    }
    const std::size_t grains = (size + GRAIN - 1) / GRAIN;
    *static_cast<void **>(p_block) = arena.free_heads[grains];
    arena.free_heads[grains] = p_block;
}

} // namespace nv
