#pragma once

#include <climits>
#include <cstddef>
#include <memory>
#include <vector>

#include "world/ObjectList.h"
#include "world/Vector.h"

namespace nv {

class Object;

class Grid {
public:
    /// Not started; cell sizes from the configuration.
    Grid();
    ~Grid();
    Grid(const Grid &) = delete;
    Grid &operator=(const Grid &) = delete;

    /// Allocates the cells over the world boundary; -1 when already allocated or out of memory.
    int startUp();
    /// Frees the cells and empties the out-of-grid list; safe when not started.
    void shutDown();
    /// True while the cells are allocated.
    bool isStarted() const { return cells != nullptr; }

    /// Adds p_o to every cell its world box covers; 0 or -1.
    int insertObject(Object *p_o);
    /// Removes a solid, active p_o from every cell its world box covers; 0 or -1.
    int removeObject(Object *p_o);
    /// Moves p_o from the cells at its position to those at new_position, touching only cells that differ.
    int updatePosition(Object *p_o, Vector new_position);
    /// The solid objects other than p_o whose boxes overlap p_o's box at where.
    ObjectList getCollisions(const Object *p_o, Vector where) const;
    /// Appends getCollisions' answer to result without allocating beyond result's growth; -1 when not started.
    int collectCollisions(const Object *p_o, Vector where, ObjectList &result) const;

    /// Asks the processor to fetch the cells p_o would cover at where, inline entries included.
    void prefetch(const Object *p_o, Vector where) const;
    /// Asks the processor to fetch the head of each object that p_o would overlap at where.
    void prefetchCollisions(const Object *p_o, Vector where) const;

    /// A copy of the list of cell (col, row), or of out_of_grid for (-1, -1); empty for any other cell.
    ObjectList cellObjects(int col, int row) const;
    /// Calls visit(p_o) for each object cellObjects(col, row) would list, in the same order, without copying; visit
    /// must not change the grid.
    template <typename F> void forEachObjectIn(int col, int row, F &&visit) const {
        if (const Cell *p_cell = cellFor(col, row)) {
            forEachEntry(*p_cell, [&visit](const Entry &entry) { visit(entry.p_o); });
        }
    }
    /// Number of columns.
    int getNumCols() const { return m_num_cols; }
    /// Number of rows.
    int getNumRows() const { return m_num_rows; }
    /// Cell width in characters.
    int getCellWidth() const { return cell_width; }
    /// Cell height in characters.
    int getCellHeight() const { return cell_height; }
    /// The cell index of a coordinate along one axis with cells of the given size; -1 or less is before the grid.
    static int cellIndex(float coordinate, int size) {
        const double exact = static_cast<double>(coordinate) / static_cast<double>(size);
        // The usual case, without the library floor; NaN fails the test and takes the careful way.
        if (exact > -1.0 && exact < static_cast<double>(INT_MAX / 2)) {
            const int whole = static_cast<int>(exact);
            return static_cast<double>(whole) > exact ? whole - 1 : whole;
        }
        return farCellIndex(exact);
    }

private:
    // The cells an object covers: a rectangle of cells, plus out_of_grid when the box was clamped.
    struct CellRange {
        int first_col;
        int last_col;
        int first_row;
        int last_row;
        bool outside;
        bool holds(int col, int row) const;
    };
    // An object's world box as edges, kept beside its pointer so a query never reads the neighbours themselves:
    // in a large world each of them would be a cache miss.
    struct Edges {
        float left, right, top, bottom;
    };
    struct Entry {
        Object *p_o;
        Edges edges;
    };
    static const int INLINE_ENTRIES = 7;
    // The cells are one array of three-line blocks, each holding its first entries beside its count, so a query of a
    // typical cell reads adjacent lines and follows no pointer. A crowded cell keeps the rest of its entries, in
    // order, in a heap block of its own. Zero bytes are an empty cell.
    struct alignas(64) Cell {
        int count;
        int spill_capacity;
        Entry *spill;
        Entry entries[INLINE_ENTRIES];
    };
    static_assert(sizeof(Cell) == 192, "a cell is three cache lines");
    // Frees the cell table the way it was taken.
    struct CellBlockDeleter {
        std::size_t bytes;
        bool mapped;
        void operator()(void *p_block) const;
    };

    static int farCellIndex(double exact);
    static std::unique_ptr<void, CellBlockDeleter> allocateCells(std::size_t bytes);
    CellRange rangeOf(const Edges &edges) const;
    CellRange guessRange(const Edges &edges) const;
    CellRange cellsOf(const Object *p_o, Vector where) const;
    static Edges edgesAt(const Object *p_o, Vector where);
    Cell &cellAt(int col, int row) const { return cells[static_cast<size_t>(row) * m_num_cols + col]; }
    static Entry &entryAt(Cell &cell, int index);
    template <typename F> void forEachEntry(const Cell &cell, F &&visit) const {
        const int inline_count = cell.count < INLINE_ENTRIES ? cell.count : INLINE_ENTRIES;
        for (int i = 0; i < inline_count; i++) {
            visit(cell.entries[i]);
        }
        for (int i = 0; i < cell.count - INLINE_ENTRIES; i++) {
            visit(cell.spill[i]);
        }
    }
    int add(Cell &cell, Object *p_o, const Edges &edges);
    int drop(Cell &cell, const Object *p_o);
    void freeSpills();
    void refresh(Cell &cell, const Object *p_o, const Edges &edges);
    ObjectList listOf(const Cell &cell) const;
    // Cell (col, row), out_of_grid for (-1, -1), or null for any other cell or before start-up.
    const Cell *cellFor(int col, int row) const;

    std::unique_ptr<void, CellBlockDeleter> cell_block;
    // The first cell, aligned inside cell_block; null while not started.
    Cell *cells;
    Cell out_of_grid;
    // The cells that own a spill block.
    std::vector<Cell *> spilled;
    int m_num_cols;
    int m_num_rows;
    int cell_width;
    int cell_height;
    float col_scale;
    float row_scale;
};

} // namespace nv
