#include "world/Grid.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "core/Config.h"
#include "core/LogManager.h"
#include "world/Box.h"
#include "world/Object.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace nv {

namespace {

const int DEFAULT_CELL_WIDTH = 20;
const int DEFAULT_CELL_HEIGHT = 8;
// Cell tables this large go in huge pages where the system has them.
const std::size_t HUGE_PAGE_BYTES = 2u << 20;
const std::size_t HUGE_TABLE_BYTES = 2 * HUGE_PAGE_BYTES;
// Beyond this many cells a boundary is treated as unallocatable rather than exhausting memory.
const double MAX_CELLS = 64.0 * 1024.0 * 1024.0;

void readCellSizes(int &width, int &height) {
    width = Config::getInstance().getGridWidth();
    height = Config::getInstance().getGridHeight();
    if (width <= 0 || height <= 0) {
        LogManager::getInstance().writeLog("Grid: Warning! grid cell size %d x %d not positive, using %d x %d.", width,
                                           height, DEFAULT_CELL_WIDTH, DEFAULT_CELL_HEIGHT);
        width = DEFAULT_CELL_WIDTH;
        height = DEFAULT_CELL_HEIGHT;
    }
}

} // namespace

// Non-finite or huge coordinates (from corrupt input) map far outside the grid.
int Grid::farCellIndex(double exact) {
    const double q = std::floor(exact);
    if (std::isnan(q) || q < -1.0) {
        return -1;
    }
    if (q > static_cast<double>(INT_MAX / 2)) {
        return INT_MAX / 2;
    }
    return static_cast<int>(q);
}

bool Grid::CellRange::holds(int col, int row) const {
    return col >= first_col && col <= last_col && row >= first_row && row <= last_row;
}

void Grid::CellBlockDeleter::operator()(void *p_block) const {
#if defined(__linux__)
    if (mapped) {
        munmap(p_block, bytes);
        return;
    }
#endif
    std::free(p_block);
}

// Zeroed memory is a table of empty cells, and a large one is only touched where objects go. A step visits cells in
// no order, so in a large table nearly every visit would also miss the page-table cache: on Linux such a table asks
// for huge pages.
std::unique_ptr<void, Grid::CellBlockDeleter> Grid::allocateCells(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= HUGE_TABLE_BYTES) {
        // Whole huge pages, and room to align the first.
        const std::size_t huge_bytes = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
        const std::size_t mapped_bytes = huge_bytes + HUGE_PAGE_BYTES;
        void *p_map = mmap(nullptr, mapped_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p_map == MAP_FAILED) {
            return std::unique_ptr<void, CellBlockDeleter>(nullptr, CellBlockDeleter{0, false});
        }
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p_map);
        void *p_aligned = reinterpret_cast<void *>((at + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES);
        madvise(p_aligned, huge_bytes, MADV_HUGEPAGE);
        return std::unique_ptr<void, CellBlockDeleter>(p_map, CellBlockDeleter{mapped_bytes, true});
    }
#endif
    return std::unique_ptr<void, CellBlockDeleter>(std::calloc(bytes, 1), CellBlockDeleter{bytes, false});
}

Grid::Grid()
    : cell_block(), cells(nullptr), out_of_grid(), spilled(), m_num_cols(0), m_num_rows(0),
      cell_width(DEFAULT_CELL_WIDTH), cell_height(DEFAULT_CELL_HEIGHT), col_scale(0.0f), row_scale(0.0f) {
    readCellSizes(cell_width, cell_height);
}

Grid::~Grid() {
    shutDown();
}

int Grid::startUp() {
    if (cells != nullptr) {
        LogManager::getInstance().writeLog("Grid::startUp(): Warning! Grid allocated. Not proceeding.");
        return -1;
    }
    // The configuration may have been loaded after this grid was built.
    readCellSizes(cell_width, cell_height);

    const Box boundary = WorldManager::getInstance().getBoundary();
    double cols = std::ceil(static_cast<double>(boundary.getHorizontal()) / cell_width);
    double rows = std::ceil(static_cast<double>(boundary.getVertical()) / cell_height);
    if (!(cols > 0.0) || !(rows > 0.0)) {
        cols = 0.0;
        rows = 0.0;
    }
    if (cols * rows > MAX_CELLS) {
        m_num_cols = 0;
        m_num_rows = rows > static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
        LogManager::getInstance().writeLog("Grid::startUp(): Error! Unable to allocate %d grid rows.", m_num_rows);
        m_num_rows = 0;
        return -1;
    }
    m_num_cols = static_cast<int>(cols);
    m_num_rows = static_cast<int>(rows);
    col_scale = 1.0f / static_cast<float>(cell_width);
    row_scale = 1.0f / static_cast<float>(cell_height);
    LogManager::getInstance().writeLog(5, "Grid::startUp(): m_num_cols %d, m_num_rows %d", m_num_cols, m_num_rows);

    const size_t n_cells = static_cast<size_t>(m_num_cols) * static_cast<size_t>(m_num_rows);
    cell_block = allocateCells(n_cells * sizeof(Cell) + alignof(Cell));
    if (cell_block == nullptr) {
        LogManager::getInstance().writeLog("Grid::startUp(): Error! Unable to allocate %d grid rows.", m_num_rows);
        m_num_cols = 0;
        m_num_rows = 0;
        return -1;
    }
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(cell_block.get());
    const std::uintptr_t align = cell_block.get_deleter().mapped ? HUGE_PAGE_BYTES : alignof(Cell);
    cells = reinterpret_cast<Cell *>((at + align - 1) / align * align);
    freeSpills();
    return 0;
}

void Grid::shutDown() {
    freeSpills();
    cells = nullptr;
    cell_block.reset();
}

Grid::CellRange Grid::rangeOf(const Edges &edges) const {
    CellRange range{};
    range.first_col = cellIndex(edges.left, cell_width);
    range.first_row = cellIndex(edges.top, cell_height);
    range.last_col = cellIndex(edges.right, cell_width);
    range.last_row = cellIndex(edges.bottom, cell_height);
    range.outside = false;
    if (range.first_row < 0) {
        range.first_row = 0;
        range.outside = true;
    }
    if (range.first_col < 0) {
        range.first_col = 0;
        range.outside = true;
    }
    if (range.last_row >= m_num_rows) {
        range.last_row = m_num_rows - 1;
        range.outside = true;
    }
    if (range.last_col >= m_num_cols) {
        range.last_col = m_num_cols - 1;
        range.outside = true;
    }
    return range;
}

Grid::CellRange Grid::cellsOf(const Object *p_o, Vector where) const {
    return rangeOf(edgesAt(p_o, where));
}

int Grid::insertObject(Object *p_o) {
    if (cells == nullptr) {
        LogManager::getInstance().writeLog("Grid::insertObject(): Error! grid is NULL");
        return -1;
    }
    if (p_o == nullptr) {
        LogManager::getInstance().writeLog("Grid::insertObject(): Error! Object is NULL");
        return -1;
    }
    const Edges edges = edgesAt(p_o, p_o->getPosition());
    const CellRange range = rangeOf(edges);
    int result = 0;
    if (range.outside && add(out_of_grid, p_o, edges) != 0) {
        result = -1;
    }
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            if (add(cellAt(col, row), p_o, edges) != 0) {
                result = -1;
            }
        }
    }
    return result;
}

int Grid::removeObject(Object *p_o) {
    if (cells == nullptr) {
        LogManager::getInstance().writeLog("Grid::removeObject(): Error! grid is NULL");
        return -1;
    }
    if (p_o == nullptr) {
        LogManager::getInstance().writeLog("Grid::removeObject(): Error! Object is NULL");
        return -1;
    }
    if (!p_o->isSolid() || !p_o->isActive()) {
        return 0;
    }
    const CellRange range = cellsOf(p_o, p_o->getPosition());
    int result = 0;
    if (range.outside && drop(out_of_grid, p_o) != 0) {
        result = -1;
    }
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            if (drop(cellAt(col, row), p_o) != 0) {
                result = -1;
            }
        }
    }
    return result;
}

int Grid::updatePosition(Object *p_o, Vector new_position) {
    if (cells == nullptr) {
        LogManager::getInstance().writeLog("Grid::updatePosition(): Error! grid is NULL");
        return -1;
    }
    if (p_o == nullptr) {
        LogManager::getInstance().writeLog("Grid::updatePosition(): Error! Object is NULL");
        return -1;
    }
    const CellRange old_range = cellsOf(p_o, p_o->getPosition());
    const Edges edges = edgesAt(p_o, new_position);
    const CellRange new_range = rangeOf(edges);
    if (old_range.outside) {
        if (new_range.outside) {
            refresh(out_of_grid, p_o, edges);
        } else {
            drop(out_of_grid, p_o);
        }
    }
    // Cells kept only get the new edges; the others lose or gain the object.
    for (int row = old_range.first_row; row <= old_range.last_row; row++) {
        for (int col = old_range.first_col; col <= old_range.last_col; col++) {
            if (new_range.holds(col, row)) {
                refresh(cellAt(col, row), p_o, edges);
            } else {
                drop(cellAt(col, row), p_o);
            }
        }
    }
    if (new_range.outside && !old_range.outside) {
        add(out_of_grid, p_o, edges);
    }
    for (int row = new_range.first_row; row <= new_range.last_row; row++) {
        for (int col = new_range.first_col; col <= new_range.last_col; col++) {
            if (!old_range.holds(col, row)) {
                add(cellAt(col, row), p_o, edges);
            }
        }
    }
    return 0;
}

Grid::Edges Grid::edgesAt(const Object *p_o, Vector where) {
    const Box box = p_o->getBox();
    const float left = box.getCorner().getX() + where.getX();
    const float top = box.getCorner().getY() + where.getY();
    return {left, left + box.getHorizontal(), top, top + box.getVertical()};
}

Grid::Entry &Grid::entryAt(Cell &cell, int index) {
    return index < INLINE_ENTRIES ? cell.entries[index] : cell.spill[index - INLINE_ENTRIES];
}

int Grid::add(Cell &cell, Object *p_o, const Edges &edges) {
    if (cell.count < INLINE_ENTRIES) {
        cell.entries[cell.count++] = {p_o, edges};
        return 0;
    }
    const int spilt = cell.count - INLINE_ENTRIES;
    if (spilt == cell.spill_capacity) {
        // Room in the list of spilled cells first, so that a block once taken is always recorded.
        if (cell.spill == nullptr && spilled.size() == spilled.capacity()) {
            try {
                spilled.reserve(2 * spilled.size() + 16);
            } catch (const std::bad_alloc &) {
                return -1;
            }
        }
        const int capacity = cell.spill_capacity == 0 ? INLINE_ENTRIES + 1 : cell.spill_capacity * 2;
        void *p_block = std::realloc(cell.spill, sizeof(Entry) * static_cast<size_t>(capacity));
        if (p_block == nullptr) {
            return -1;
        }
        if (cell.spill == nullptr) {
            spilled.push_back(&cell);
        }
        cell.spill = static_cast<Entry *>(p_block);
        cell.spill_capacity = capacity;
    }
    cell.spill[spilt] = {p_o, edges};
    cell.count++;
    return 0;
}

void Grid::freeSpills() {
    for (Cell *p_cell : spilled) {
        std::free(p_cell->spill);
        p_cell->spill = nullptr;
        p_cell->spill_capacity = 0;
    }
    spilled.clear();
    out_of_grid = Cell();
}

int Grid::drop(Cell &cell, const Object *p_o) {
    int at = 0;
    while (at < cell.count && entryAt(cell, at).p_o != p_o) {
        at++;
    }
    if (at == cell.count) {
        return -1;
    }
    for (int i = at; i + 1 < cell.count; i++) {
        entryAt(cell, i) = entryAt(cell, i + 1);
    }
    cell.count--;
    return 0;
}

void Grid::refresh(Cell &cell, const Object *p_o, const Edges &edges) {
    for (int i = 0; i < cell.count; i++) {
        Entry &entry = entryAt(cell, i);
        if (entry.p_o == p_o) {
            entry.edges = edges;
            return;
        }
    }
}

ObjectList Grid::listOf(const Cell &cell) const {
    ObjectList list;
    forEachEntry(cell, [&list](const Entry &entry) { list.insert(entry.p_o); });
    return list;
}

namespace {

// Same inclusive rule as boxesOverlap.
template <typename E> bool edgesOverlap(const E &a, const E &b) {
    const bool x_overlap = (b.left <= a.left && a.left <= b.right) || (a.left <= b.left && b.left <= a.right);
    const bool y_overlap = (b.top <= a.top && a.top <= b.bottom) || (a.top <= b.top && b.top <= a.bottom);
    return x_overlap && y_overlap;
}

} // namespace

int Grid::collectCollisions(const Object *p_o, Vector where, ObjectList &result) const {
    if (cells == nullptr) {
        LogManager::getInstance().writeLog("Grid::getCollisions(): Error! grid is NULL");
        return -1;
    }
    if (p_o == nullptr) {
        LogManager::getInstance().writeLog("Grid::getCollisions(): Error! Object is NULL");
        return -1;
    }
    const Edges box = edgesAt(p_o, where);
    const CellRange range = rangeOf(box);
    const int first_new = result.getCount();
    // Whether a candidate overlaps does not depend on the cell it was found in, so testing overlap
    // first and removing duplicates among the few hits gives the first-occurrence order of the
    // candidates without building (and searching) the full candidate list.
    const auto gather = [&](const Entry &entry) {
        Object *p_c = entry.p_o;
        if (p_c == p_o || !edgesOverlap(entry.edges, box)) {
            return;
        }
        bool seen = false;
        for (int j = first_new; j < result.getCount() && !seen; j++) {
            seen = result[j] == p_c;
        }
        if (!seen) {
            result.insert(p_c);
        }
    };
    if (range.outside) {
        forEachEntry(out_of_grid, gather);
    }
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            forEachEntry(cellAt(col, row), gather);
        }
    }
    return 0;
}

Grid::CellRange Grid::guessRange(const Edges &edges) const {
    // Scales instead of the exact division, for fetching ahead only: near a border it may be one cell off.
    const auto index = [](float coordinate, float scale, int n) {
        const float at = coordinate * scale;
        if (!(at >= 0.0f)) {
            return 0;
        }
        return at >= static_cast<float>(n - 1) ? n - 1 : static_cast<int>(at);
    };
    CellRange range{};
    range.first_col = index(edges.left, col_scale, m_num_cols);
    range.last_col = index(edges.right, col_scale, m_num_cols);
    range.first_row = index(edges.top, row_scale, m_num_rows);
    range.last_row = index(edges.bottom, row_scale, m_num_rows);
    range.outside = false;
    if (m_num_cols == 0 || m_num_rows == 0) {
        range.last_col = -1;
        range.last_row = -1;
    }
    return range;
}

void Grid::prefetch(const Object *p_o, Vector where) const {
    if (cells == nullptr) {
        return;
    }
    const CellRange range = guessRange(edgesAt(p_o, where));
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            const char *p_cell = reinterpret_cast<const char *>(&cellAt(col, row));
            __builtin_prefetch(p_cell);
            __builtin_prefetch(p_cell + 64);
            __builtin_prefetch(p_cell + 128);
        }
    }
}

void Grid::prefetchCollisions(const Object *p_o, Vector where) const {
    if (cells == nullptr) {
        return;
    }
    const Edges box = edgesAt(p_o, where);
    const CellRange range = guessRange(box);
    const auto fetch = [&](const Entry &entry) {
        if (entry.p_o != p_o && edgesOverlap(entry.edges, box)) {
            __builtin_prefetch(entry.p_o);
            __builtin_prefetch(reinterpret_cast<const char *>(entry.p_o) + 63);
        }
    };
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            forEachEntry(cellAt(col, row), fetch);
        }
    }
}

ObjectList Grid::getCollisions(const Object *p_o, Vector where) const {
    ObjectList result;
    collectCollisions(p_o, where, result);
    return result;
}

const Grid::Cell *Grid::cellFor(int col, int row) const {
    if (col == -1 && row == -1) {
        return &out_of_grid;
    }
    if (cells == nullptr || col < 0 || row < 0 || col >= m_num_cols || row >= m_num_rows) {
        return nullptr;
    }
    return &cellAt(col, row);
}

ObjectList Grid::cellObjects(int col, int row) const {
    const Cell *p_cell = cellFor(col, row);
    return p_cell == nullptr ? ObjectList() : listOf(*p_cell);
}

} // namespace nv
