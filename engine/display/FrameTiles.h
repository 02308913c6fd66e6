#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nv {

/// A grid of square pixel tiles, each with a fingerprint of what was drawn over it in one frame, so the next
/// frame can tell which tiles show something different and redraw only those.
class FrameTiles {
public:
    /// A box of changed tiles, as pixels [left, right) x [top, bottom): a run along a tile row, grown down over
    /// the runs of the same width right under it.
    struct Run {
        int left;
        int top;
        int right;
        int bottom;
    };

    /// Covers width x height pixels with tiles of size pixels; every tile counts as changed until a frame is kept.
    void reset(int width, int height, int size);
    /// Starts fingerprinting a new frame.
    void begin();
    /// Mixes an item, given by its pixel box and its own well-mixed fingerprint, into every tile the box touches.
    void add(float left, float top, float right, float bottom, std::uint64_t fingerprint);
    /// Compares the frame with the kept one, groups the changed tiles into runs; the number of changed tiles.
    std::size_t compare();
    /// Makes the frame fingerprinted since begin() the one the next frame is compared with.
    void keep();
    /// Forgets the kept frame, so that every tile of the next frame counts as changed.
    void forget();

    /// Number of tiles.
    std::size_t count() const { return current.size(); }
    /// The changed runs found by the last compare().
    const std::vector<Run> &runs() const { return run_list; }
    /// Index of the changed run tile (col, row) belongs to, or -1 when it did not change or lies outside.
    int runAt(int col, int row) const;
    /// Tile column (clamped to the grid) of a pixel x.
    int colOf(float x) const;
    /// Tile row (clamped to the grid) of a pixel y.
    int rowOf(float y) const;

private:
    int cols = 0;
    int rows = 0;
    int size = 1;
    int width = 0;
    int height = 0;
    std::vector<std::uint64_t> current;
    std::vector<std::uint64_t> kept;
    std::vector<int> run_of;
    std::vector<Run> run_list;
    // Runs whose box ends at the row being grouped, and those that will end at the next, by left edge.
    std::vector<int> open;
    std::vector<int> next_open;
};

/// A 64-bit fingerprint step: mixes value into seed so that order and every bit matter.
std::uint64_t mixFingerprint(std::uint64_t seed, std::uint64_t value);

} // namespace nv
