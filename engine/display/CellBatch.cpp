#include "display/CellBatch.h"

#include <cmath>
#include <cstring>

namespace nv {

namespace {

int toCell(float v) {
    return static_cast<int>(std::floor(v + 0.5f));
}

char colorLetter(const CellBatch::Cell &cell) {
    struct Named {
        unsigned char r, g, b;
        char letter;
    };
    static const Named NAMED[] = {{0, 0, 0, 'k'},   {255, 0, 0, 'r'},   {0, 255, 0, 'g'},   {255, 255, 0, 'y'},
                                  {0, 0, 255, 'b'}, {255, 0, 255, 'm'}, {0, 255, 255, 'c'}, {255, 255, 255, 'w'}};
    for (const Named &n : NAMED)
        if (n.r == cell.r && n.g == cell.g && n.b == cell.b)
            return n.letter;
    return '?';
}

} // namespace

namespace {

template <typename F>
std::vector<std::string> paint(const std::vector<CellBatch::Cell> &cells, int cols, int rows, char empty, F pick) {
    if (cols < 0)
        cols = 0;
    if (rows < 0)
        rows = 0;
    std::vector<std::string> out(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), empty));
    for (const CellBatch::Cell &cell : cells) {
        const int col = toCell(cell.x);
        const int row = toCell(cell.y);
        if (col < 0 || col >= cols || row < 0 || row >= rows)
            continue;
        out[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = pick(cell);
    }
    return out;
}

} // namespace

// Byte equality is equality of every field only while a cell has no padding between or after its fields.
static_assert(sizeof(CellBatch::Cell) == 5 * sizeof(float) + 4, "a cell has no padding");

bool CellBatch::sameAs(const CellBatch &other) const {
    return cells.size() == other.cells.size() &&
           (cells.empty() || std::memcmp(cells.data(), other.cells.data(), cells.size() * sizeof(Cell)) == 0);
}

const CellBatch::Cell *CellBatch::cellAt(int col, int row) const {
    for (std::size_t i = cells.size(); i > 0; i--) {
        const Cell &cell = cells[i - 1];
        if (toCell(cell.x) == col && toCell(cell.y) == row)
            return &cell;
    }
    return nullptr;
}

std::vector<std::string> CellBatch::toRows(int cols, int rows) const {
    return paint(cells, cols, rows, ' ', [](const Cell &cell) { return cell.ch; });
}

std::vector<std::string> CellBatch::toColorRows(int cols, int rows) const {
    return paint(cells, cols, rows, '.', [](const Cell &cell) { return colorLetter(cell); });
}

} // namespace nv
