#include "display/FrameTiles.h"

#include <algorithm>
#include <cmath>

namespace nv {

namespace {

// What an untouched tile holds, and a kept value no real fingerprint is meant to produce.
const std::uint64_t EMPTY_TILE = 0x9e3779b97f4a7c15ull;
const std::uint64_t UNKNOWN_TILE = 0;
const std::uint64_t TILE_MULTIPLIER = 0xff51afd7ed558ccdull;

} // namespace

std::uint64_t mixFingerprint(std::uint64_t seed, std::uint64_t value) {
    std::uint64_t z = seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2));
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

void FrameTiles::reset(int new_width, int new_height, int new_size) {
    size = std::max(1, new_size);
    width = std::max(0, new_width);
    height = std::max(0, new_height);
    cols = (width + size - 1) / size;
    rows = (height + size - 1) / size;
    const std::size_t n = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
    current.assign(n, EMPTY_TILE);
    kept.assign(n, UNKNOWN_TILE);
    run_of.assign(n, -1);
    run_list.clear();
    run_list.reserve(n);
}

void FrameTiles::begin() {
    std::fill(current.begin(), current.end(), EMPTY_TILE);
}

int FrameTiles::colOf(float x) const {
    const float c = std::floor(x / static_cast<float>(size));
    return static_cast<int>(std::max(0.0f, std::min(c, static_cast<float>(cols - 1))));
}

int FrameTiles::rowOf(float y) const {
    const float r = std::floor(y / static_cast<float>(size));
    return static_cast<int>(std::max(0.0f, std::min(r, static_cast<float>(rows - 1))));
}

void FrameTiles::add(float left, float top, float right, float bottom, std::uint64_t fingerprint) {
    // Boxes wholly outside leave no pixel behind; NaN fails every comparison and is dropped here too.
    if (!(right > 0 && bottom > 0 && left < static_cast<float>(width) && top < static_cast<float>(height)))
        return;
    const int c0 = colOf(left);
    const int c1 = colOf(right);
    const int r0 = rowOf(top);
    const int r1 = rowOf(bottom);
    // One multiply and add per tile: the item's own fingerprint is already mixed, and an odd multiplier keeps
    // both the order of items and every bit of each.
    for (int r = r0; r <= r1; r++) {
        std::uint64_t *row = current.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(cols);
        for (int c = c0; c <= c1; c++)
            row[c] = row[c] * TILE_MULTIPLIER + fingerprint;
    }
}

std::size_t FrameTiles::compare() {
    run_list.clear();
    std::size_t changed = 0;
    for (int r = 0; r < rows; r++) {
        const std::size_t base = static_cast<std::size_t>(r) * static_cast<std::size_t>(cols);
        for (int c = 0; c < cols; c++) {
            const std::size_t i = base + static_cast<std::size_t>(c);
            if (current[i] == kept[i] && kept[i] != UNKNOWN_TILE) {
                run_of[i] = -1;
                continue;
            }
            changed++;
            if (c == 0 || run_of[i - 1] < 0)
                run_list.push_back(Run{c * size, r * size, c * size, std::min(height, (r + 1) * size)});
            run_list.back().right = std::min(width, (c + 1) * size);
            run_of[i] = static_cast<int>(run_list.size()) - 1;
        }
    }
    return changed;
}

void FrameTiles::keep() {
    kept.swap(current);
}

void FrameTiles::forget() {
    std::fill(kept.begin(), kept.end(), UNKNOWN_TILE);
}

int FrameTiles::runAt(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols || row >= rows)
        return -1;
    return run_of[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(col)];
}

} // namespace nv
