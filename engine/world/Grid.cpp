#include "world/Grid.h"

#include <climits>
#include <cmath>
#include <new>

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
int Grid::cellIndex(float coordinate, int size) {
    const double q = std::floor(static_cast<double>(coordinate) / static_cast<double>(size));
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

Grid::Grid()
    : cells(), allocated_rows(0), out_of_grid(), m_num_cols(0), m_num_rows(0), cell_width(DEFAULT_CELL_WIDTH),
      cell_height(DEFAULT_CELL_HEIGHT) {
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
    LogManager::getInstance().writeLog(5, "Grid::startUp(): m_num_cols %d, m_num_rows %d", m_num_cols, m_num_rows);

    cells.reset(new (std::nothrow) std::unique_ptr<Cell[]>[static_cast<size_t>(m_num_rows)]);
    if (cells == nullptr) {
        LogManager::getInstance().writeLog("Grid::startUp(): Error! Unable to allocate %d grid rows.", m_num_rows);
        m_num_cols = 0;
        m_num_rows = 0;
        return -1;
    }
    allocated_rows = 0;
    for (int row = 0; row < m_num_rows; row++) {
        cells[row].reset(new (std::nothrow) Cell[static_cast<size_t>(m_num_cols)]);
        if (cells[row] == nullptr) {
            LogManager::getInstance().writeLog("Grid::startUp(): Error! Unable to allocate columns.");
            return -1;
        }
        allocated_rows++;
    }
    out_of_grid.clear();
    return 0;
}

void Grid::shutDown() {
    cells.reset();
    allocated_rows = 0;
    out_of_grid.clear();
}

Grid::CellRange Grid::cellsOf(const Object *p_o, Vector where) const {
    const Box box = worldBox(p_o, where);
    const Vector corner = box.getCorner();
    CellRange range{};
    range.first_col = cellIndex(corner.getX(), cell_width);
    range.first_row = cellIndex(corner.getY(), cell_height);
    range.last_col = cellIndex(corner.getX() + box.getHorizontal(), cell_width);
    range.last_row = cellIndex(corner.getY() + box.getVertical(), cell_height);
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
    // Rows that failed to allocate are never part of a range.
    if (range.last_row >= allocated_rows) {
        range.last_row = allocated_rows - 1;
    }
    return range;
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
    const CellRange range = cellsOf(p_o, p_o->getPosition());
    const Edges edges = edgesAt(p_o, p_o->getPosition());
    int result = 0;
    if (range.outside && add(out_of_grid, p_o, edges) != 0) {
        result = -1;
    }
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            if (add(cells[row][col], p_o, edges) != 0) {
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
            if (drop(cells[row][col], p_o) != 0) {
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
    const CellRange new_range = cellsOf(p_o, new_position);
    const Edges edges = edgesAt(p_o, new_position);
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
                refresh(cells[row][col], p_o, edges);
            } else {
                drop(cells[row][col], p_o);
            }
        }
    }
    if (new_range.outside && !old_range.outside) {
        add(out_of_grid, p_o, edges);
    }
    for (int row = new_range.first_row; row <= new_range.last_row; row++) {
        for (int col = new_range.first_col; col <= new_range.last_col; col++) {
            if (!old_range.holds(col, row)) {
                add(cells[row][col], p_o, edges);
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

int Grid::add(Cell &cell, Object *p_o, const Edges &edges) {
    try {
        cell.push_back({p_o, edges});
    } catch (const std::bad_alloc &) {
        return -1;
    }
    return 0;
}

int Grid::drop(Cell &cell, const Object *p_o) {
    for (auto it = cell.begin(); it != cell.end(); ++it) {
        if (it->p_o == p_o) {
            cell.erase(it);
            return 0;
        }
    }
    return -1;
}

void Grid::refresh(Cell &cell, const Object *p_o, const Edges &edges) {
    for (Entry &entry : cell) {
        if (entry.p_o == p_o) {
            entry.edges = edges;
            return;
        }
    }
}

ObjectList Grid::listOf(const Cell &cell) {
    ObjectList list;
    for (const Entry &entry : cell) {
        list.insert(entry.p_o);
    }
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
    const CellRange range = cellsOf(p_o, where);
    const Edges box = edgesAt(p_o, where);
    const int first_new = result.getCount();
    // Whether a candidate overlaps does not depend on the cell it was found in, so testing overlap
    // first and removing duplicates among the few hits gives the first-occurrence order of the
    // candidates without building (and searching) the full candidate list.
    const auto gather = [&](const Cell &cell) {
        for (const Entry &entry : cell) {
            Object *p_c = entry.p_o;
            if (p_c == p_o || !edgesOverlap(entry.edges, box)) {
                continue;
            }
            bool seen = false;
            for (int j = first_new; j < result.getCount() && !seen; j++) {
                seen = result[j] == p_c;
            }
            if (!seen) {
                result.insert(p_c);
            }
        }
    };
    if (range.outside) {
        gather(out_of_grid);
    }
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            gather(cells[row][col]);
        }
    }
    return 0;
}

void Grid::prefetch(const Object *p_o, Vector where, bool entries) const {
    if (cells == nullptr) {
        return;
    }
    const CellRange range = cellsOf(p_o, where);
    for (int row = range.first_row; row <= range.last_row; row++) {
        for (int col = range.first_col; col <= range.last_col; col++) {
            const Cell &cell = cells[row][col];
            __builtin_prefetch(entries ? static_cast<const void *>(cell.data()) : static_cast<const void *>(&cell));
        }
    }
}

ObjectList Grid::getCollisions(const Object *p_o, Vector where) const {
    ObjectList result;
    collectCollisions(p_o, where, result);
    return result;
}

ObjectList Grid::cellObjects(int col, int row) const {
    if (col == -1 && row == -1) {
        return listOf(out_of_grid);
    }
    if (cells == nullptr || col < 0 || row < 0 || col >= m_num_cols || row >= allocated_rows) {
        return ObjectList();
    }
    return listOf(cells[row][col]);
}

} // namespace nv
