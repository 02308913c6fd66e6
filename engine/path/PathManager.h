#pragma once

#include <vector>

#include "core/Manager.h"
#include "world/Vector.h"

namespace nv {

class Object;
class PathFind;

/// Runs the pending path searches within the time each step leaves.
class PathManager : public Manager {
public:
    /// Returns the one path manager.
    static PathManager &getInstance();
    PathManager(const PathManager &) = delete;
    PathManager &operator=(const PathManager &) = delete;
    ~PathManager() override;

    /// Takes a tenth of the frame time as the least cycle budget and marks itself started; 0, or -1 if already
    /// started.
    int startUp() override;
    /// Marks itself stopped; pending searches stay.
    void shutDown() override;

    /// Advances the pending searches in turn for at most the larger of the budget and time (milliseconds),
    /// reporting each one that ends to its object.
    void cycle(int time);
    /// Withdraws every occurrence of the search, keeping the others' order; 0, or -1 for null or not held.
    int removePath(PathFind *p_search);
    /// Appends the search at the end of the pending ones; 0, or -1 for null or already held.
    int addPath(PathFind *p_search);
    /// Starts a search for the object to the cell nearest goal, replacing its pending one; 0 or -1.
    int requestPath(Object *p_o, Vector goal);
    /// Starts a search for the object until it touches p_target, replacing its pending one; 0 or -1.
    int requestPath(Object *p_o, Object *p_target);

    /// Number of pending searches.
    int getNumSearches() const;
    /// True when the search is pending here.
    bool holds(const PathFind *p_search) const;
    /// The least time cycle() may always use, in milliseconds.
    int getMaxCycleTime() const;
    /// True when the last cycle() ran past its budget.
    bool getCycleExceeded() const;

private:
    PathManager();
    int request(Object *p_o, Vector goal, Object *p_target);
    void report(PathFind *p_search, int result);
    static bool toCell(Vector where, int *p_x, int *p_y);

    std::vector<PathFind *> searches;
    int max_cycle_time;
    int cursor;
    // The overrun line is written at a level the log never reaches; this keeps the fact observable.
    bool cycle_exceeded;
};

} // namespace nv
