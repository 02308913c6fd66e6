#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nv {

/// The characters one step draws, in call order, kept so they can be rendered at once and read back as text.
class CellBatch {
public:
    /// One drawn character: its view position in spaces, glyph origin in pixels, color and rotation.
    struct Cell {
        float x;
        float y;
        float pixel_x;
        float pixel_y;
        float angle;
        char ch;
        unsigned char r;
        unsigned char g;
        unsigned char b;
    };

    /// Drops every cell, keeping the memory for the next step.
    void clear() { cells.clear(); }
    /// Makes room for n cells up front.
    void reserve(std::size_t n) { cells.reserve(n); }
    /// Appends a cell, written in place, and returns it; allocates only when the batch outgrows every earlier step.
    const Cell &add(float x, float y, float pixel_x, float pixel_y, float angle, char ch, unsigned char r,
                    unsigned char g, unsigned char b) {
        Cell &cell = cells.emplace_back();
        cell.x = x;
        cell.y = y;
        cell.pixel_x = pixel_x;
        cell.pixel_y = pixel_y;
        cell.angle = angle;
        cell.ch = ch;
        cell.r = r;
        cell.g = g;
        cell.b = b;
        return cell;
    }
    /// Number of cells drawn.
    std::size_t size() const { return cells.size(); }
    /// Whether nothing was drawn.
    bool empty() const { return cells.empty(); }
    /// Cell i in drawing order.
    const Cell &at(std::size_t i) const { return cells.at(i); }
    /// The cells in drawing order, size() of them.
    const Cell *data() const { return cells.data(); }
    /// Whether other holds the same cells in the same order, byte for byte.
    bool sameAs(const CellBatch &other) const;
    /// Exchanges contents (and memory) with another batch.
    void swap(CellBatch &other) { cells.swap(other.cells); }

    /// The cell drawn last whose position rounds to (col, row), or null.
    const Cell *cellAt(int col, int row) const;
    /// cols x rows of text: at each cell the character drawn there last, a blank where nothing was drawn.
    std::vector<std::string> toRows(int cols, int rows) const;
    /// Like toRows but with one letter per color: k r g y b m c w for the named colors, '?' for others, '.' for none.
    std::vector<std::string> toColorRows(int cols, int rows) const;

private:
    std::vector<Cell> cells;
};

} // namespace nv
