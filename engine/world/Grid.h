#pragma once

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

    /// Asks the processor to fetch the cells p_o would cover at where; with entries, also what they hold.
    void prefetch(const Object *p_o, Vector where, bool entries) const;

    /// A copy of the list of cell (col, row), or of out_of_grid for (-1, -1); empty for any other cell.
    ObjectList cellObjects(int col, int row) const;
    /// Number of columns.
    int getNumCols() const { return m_num_cols; }
    /// Number of rows.
    int getNumRows() const { return m_num_rows; }
    /// Cell width in characters.
    int getCellWidth() const { return cell_width; }
    /// Cell height in characters.
    int getCellHeight() const { return cell_height; }
    /// The cell index of a coordinate along one axis with cells of the given size; -1 or less is before the grid.
    static int cellIndex(float coordinate, int size);

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
    // Entries in insertion order; removal keeps the order, and the storage only grows.
    using Cell = std::vector<Entry>;

    CellRange cellsOf(const Object *p_o, Vector where) const;
    static Edges edgesAt(const Object *p_o, Vector where);
    static int add(Cell &cell, Object *p_o, const Edges &edges);
    static int drop(Cell &cell, const Object *p_o);
    static void refresh(Cell &cell, const Object *p_o, const Edges &edges);
    static ObjectList listOf(const Cell &cell);

    std::unique_ptr<std::unique_ptr<Cell[]>[]> cells;
    int allocated_rows;
    Cell out_of_grid;
    int m_num_cols;
    int m_num_rows;
    int cell_width;
    int cell_height;
};

} // namespace nv
