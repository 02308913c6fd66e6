#pragma once

#include <cstdint>
#include <vector>

#include "path/Path.h"
#include "world/Box.h"
#include "world/ObjectList.h"

namespace nv {

class Object;

/// cycleOnce() results: finished without a path, still searching, finished with a path.
const int PATH_NONE = 0;
const int PATH_SEARCHING = 1;
const int PATH_FOUND = 2;

class PathFind {
public:
    /// A whole-number world position: cell (x, y) is the world position (x, y).
    struct Cell {
        int x;
        int y;
        /// Same column and row.
        bool operator==(const Cell &other) const { return x == other.x && y == other.y; }
        /// Another column or row.
        bool operator!=(const Cell &other) const { return !(*this == other); }
    };

    /// Search state of one cell.
    struct Node {
        float g;
        float f;
        Cell parent;
    };

    /// A search for p_object from the start cell to the goal cell over the current world boundary; with
    /// p_target, reaching any cell where the object touches the target (placed at the goal) also ends it.
    PathFind(Object *p_object, int start_x, int start_y, int goal_x, int goal_y, Object *p_target = nullptr);
    virtual ~PathFind();
    PathFind(const PathFind &) = delete;
    PathFind &operator=(const PathFind &) = delete;

    /// One step of the search: PATH_NONE (0), PATH_SEARCHING (1) or PATH_FOUND (2).
    int cycleOnce();
    /// The cells from start to goal (both included) when found, else an empty path; index 0.
    Path getPath() const;
    /// The object that will walk the path.
    Object *getObject() const;
    /// The object to reach as given to the search (null for none); it may have been destroyed since.
    Object *getTarget() const;
    /// The start cell.
    Cell getStart() const;
    /// The goal cell (the cell where the target was touched, once found through it).
    Cell getGoal() const;
    /// True once the goal was reached.
    bool isFound() const;
    /// Number of cells waiting to be examined.
    int getNumOpen() const;
    /// The cells examined so far, in the order they were examined.
    const std::vector<Cell> &getClosedList() const;

    /// True when the object may not stand on the cell: a hard object is there whose box does not hold the goal.
    /// While the world is held still the answer comes from a table filled from the collision grid, equal to a
    /// fresh collision query.
    virtual bool isBlocked(int x, int y) const;
    /// The blocked-cell rule asked of the world's collision query for this one cell, never from a table.
    bool isBlockedNow(int x, int y) const;

    /// While held still (and until held again), searches may reuse what they learnt about blocked cells; the path
    /// manager holds the world still only while nothing but searches runs.
    static void holdWorldStill(bool still);

private:
    // One heap entry; seq is the cell's place in the open order, so the later of equal f wins.
    struct OpenEntry {
        float f;
        std::uint32_t seq;
        int index;
    };
    static bool lowerPriority(const OpenEntry &a, const OpenEntry &b);

    int indexOf(int x, int y) const { return y * num_cols + x; }
    Cell popBest();
    bool blockedNow(int x, int y);
    // Remember keeps each blocked answer for the corner tests; a table answer costs less to read again than to keep.
    template <bool Remember, typename Blocked>
    void examineNeighbours(Cell current, int cols, int rows, Blocked blocked_at);

    Object *object;
    Object *target;
    Box target_box;
    Cell start;
    Cell goal;
    int num_cols;
    int num_rows;
    std::vector<Node> nodes;
    std::vector<std::uint8_t> state;
    std::vector<std::uint32_t> open_seq;
    std::vector<OpenEntry> open_list;
    std::vector<Cell> closed_list;
    int open_count;
    std::uint32_t next_seq;
    bool found;
    // Reused by every collision query, so asking about a cell allocates nothing once they have grown.
    mutable ObjectList colliding;
    // Blocked answers as period * 2 + answer, made on first use: only searches with their own rule need them.
    mutable std::vector<std::uint32_t> blocked_memo;

    // The world's answers for a held-still period, one byte per search cell. A tile of search cells is completed
    // at its first question: each collision-grid cell its queries would read is read once in the period, every
    // hard object stamped on all the search cells whose query would see it.
    struct Reach {
        float low;
        float high;
        int first_cell;
        int last_cell;
        bool outside;
    };
    const std::uint8_t *worldTable() const;
    bool tableBlocked(int x, int y) const {
        const unsigned v = unsigned(world_cells[static_cast<std::size_t>(indexOf(x, y))]) - complete_base;
        return v < 2 ? v != 0 : completeTile(x, y);
    }
    bool prepareWorldTable() const;
    bool completeTile(int x, int y) const;
    void stampGridCell(int col, int row, bool outside_list) const;
    void stampObject(const Object *p_o, int col, int row, bool outside_list) const;
    static bool hitRange(const std::vector<Reach> &reach, float low, float high, int cell, bool any_cell, int &first,
                         int &last);
    void syncPeriod() const {
        if (seen_world_epoch != world_epoch) {
            nextPeriod();
        }
    }
    void nextPeriod() const;
    bool usesWorldRule() const;
    enum Rule : std::uint8_t { RULE_UNKNOWN, RULE_WORLD, RULE_OWN };
    mutable Rule rule = RULE_UNKNOWN;
    // This search's own count of the still periods it has seen, small enough to share a word with an answer.
    mutable std::uint64_t seen_world_epoch = 0;
    mutable std::uint32_t period = 0;
    // The period's mark in the tables' bytes; it cycles through few values, so the tables are cleared on each lap.
    mutable std::uint8_t tag = 0;
    mutable std::uint8_t table_tag = 0;
    mutable bool table_usable = false;
    // A complete answer is complete_base plus 1 when blocked.
    mutable unsigned complete_base = 0;
    mutable int tile_width = 1;
    mutable int tile_height = 1;
    mutable int tile_cols = 0;
    mutable std::uint8_t outside_tag = 0;
    mutable std::vector<Reach> reach_x;
    mutable std::vector<Reach> reach_y;
    mutable std::vector<std::uint8_t> world_cells;
    mutable std::vector<std::uint8_t> grid_cell_tags;
    mutable std::vector<std::uint8_t> tile_tags;

    static bool world_still;
    static std::uint64_t world_epoch;
};

} // namespace nv
