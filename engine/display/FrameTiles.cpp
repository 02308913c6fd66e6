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
    open.reserve(static_cast<std::size_t>(cols));
    next_open.reserve(static_cast<std::size_t>(cols));
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
    const auto same = [this](std::size_t i) { return current[i] == kept[i] && kept[i] != UNKNOWN_TILE; };
    run_list.clear();
    open.clear();
    std::size_t changed = 0;
    for (int r = 0; r < rows; r++) {
        const std::size_t base = static_cast<std::size_t>(r) * static_cast<std::size_t>(cols);
        const int top = r * size;
        const int bottom = std::min(height, (r + 1) * size);
        next_open.clear();
        std::size_t above = 0;
        for (int c = 0; c < cols;) {
            const std::size_t i = base + static_cast<std::size_t>(c);
            if (same(i)) {
                run_of[i] = -1;
                c++;
                continue;
            }
            const int first = c;
            int end = c + 1;
            while (end < cols && !same(base + static_cast<std::size_t>(end)))
                end++;
            const int left = c * size;
            const int right = std::min(width, end * size);
            // A run exactly under one of the row above grows that box down instead of starting its own.
            while (above < open.size() && run_list[static_cast<std::size_t>(open[above])].left < left)
                above++;
            int id = -1;
            if (above < open.size()) {
                Run &box = run_list[static_cast<std::size_t>(open[above])];
                if (box.left == left && box.right == right) {
                    box.bottom = bottom;
                    id = open[above];
                }
            }
            if (id < 0) {
                run_list.push_back(Run{left, top, right, bottom});
                id = static_cast<int>(run_list.size()) - 1;
            }
            next_open.push_back(id);
            for (; c < end; c++)
                run_of[base + static_cast<std::size_t>(c)] = id;
            changed += static_cast<std::size_t>(end - first);
        }
        open.swap(next_open);
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
