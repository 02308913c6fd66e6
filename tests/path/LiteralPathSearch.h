#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "path/Path.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/Vector.h"
#include "world/WorldManager.h"
#include "world/utility.h"

// The search read word for word: the open list is scanned for its best cell and the closed list for
// membership. Quadratic, kept only as the reference the engine's search must agree with node for node.
class LiteralPathSearch {
public:
    using CellTest = std::function<bool(int, int)>;

    LiteralPathSearch(int cols, int rows, int start_x, int start_y, int goal_x, int goal_y, CellTest blocked,
                      CellTest touches_target = nullptr)
        : num_cols(cols), num_rows(rows), start{start_x, start_y}, goal{goal_x, goal_y}, is_blocked(std::move(blocked)),
          touches(std::move(touches_target)), found(false) {
        if (cols > 0 && rows > 0) {
            nodes.assign(static_cast<std::size_t>(rows),
                         std::vector<Node>(static_cast<std::size_t>(cols), Node{0.0f, 0.0f, start}));
        }
    }

    int cycleOnce() {
        if (nodes.empty()) {
            return 0;
        }
        Cell current = start;
        if (!open_list.empty()) {
            std::size_t best = open_list.size() - 1;
            for (std::size_t i = open_list.size(); i-- > 0;) {
                if (node(open_list[i]).f < node(open_list[best]).f) {
                    best = i;
                }
            }
            current = open_list[best];
            open_list.erase(std::find(open_list.begin(), open_list.end(), current));
        }
        closed_list.push_back(current);
        if (current == goal) {
            found = true;
        }
        if (touches && touches(current.x, current.y)) {
            found = true;
            goal = current;
        }
        if (found) {
            return 2;
        }
        for (int dy = -1; dy <= 1; dy++) {
            for (int dx = -1; dx <= 1; dx++) {
                if (dx == 0 && dy == 0) {
                    continue;
                }
                Cell n{current.x + dx, current.y + dy};
                if (n.x < 0 || n.y < 0 || n.x >= num_cols || n.y >= num_rows) {
                    continue;
                }
                if (std::find(closed_list.begin(), closed_list.end(), n) != closed_list.end()) {
                    continue;
                }
                if (is_blocked(n.x, n.y)) {
                    continue;
                }
                if (dx != 0 && dy != 0 && is_blocked(current.x + dx, current.y) &&
                    is_blocked(current.x, current.y + dy)) {
                    continue;
                }
                float g = node(current).g + static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
                bool in_open = std::find(open_list.begin(), open_list.end(), n) != open_list.end();
                if (in_open && g > node(n).g) {
                    continue;
                }
                double hx = n.x - goal.x;
                double hy = n.y - goal.y;
                node(n).parent = current;
                node(n).g = g;
                node(n).f = g + static_cast<float>(std::sqrt(hx * hx + hy * hy));
                if (!in_open) {
                    open_list.push_back(n);
                }
            }
        }
        return open_list.empty() ? 0 : 1;
    }

    // Cycles until the search ends; returns its final result.
    int run() {
        int result = 1;
        while (result == 1) {
            result = cycleOnce();
        }
        return result;
    }

    nv::Path getPath() const {
        nv::Path path;
        if (!found) {
            return path;
        }
        std::vector<nv::Vector> cells;
        for (Cell at = goal; !(at == start); at = node(at).parent) {
            cells.push_back(nv::Vector(static_cast<float>(at.x), static_cast<float>(at.y)));
        }
        cells.push_back(nv::Vector(static_cast<float>(start.x), static_cast<float>(start.y)));
        std::reverse(cells.begin(), cells.end());
        path.setNodes(cells);
        return path;
    }

    std::size_t closedCount() const { return closed_list.size(); }

    std::vector<std::pair<int, int>> closedCells() const {
        std::vector<std::pair<int, int>> cells;
        cells.reserve(closed_list.size());
        for (const Cell &c : closed_list) {
            cells.emplace_back(c.x, c.y);
        }
        return cells;
    }

private:
    struct Cell {
        int x;
        int y;
        bool operator==(const Cell &other) const { return x == other.x && y == other.y; }
    };
    struct Node {
        float g;
        float f;
        Cell parent;
    };

    Node &node(Cell c) { return nodes[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)]; }
    const Node &node(Cell c) const { return nodes[static_cast<std::size_t>(c.y)][static_cast<std::size_t>(c.x)]; }

    int num_cols;
    int num_rows;
    Cell start;
    Cell goal;
    CellTest is_blocked;
    CellTest touches;
    std::vector<std::vector<Node>> nodes;
    std::vector<Cell> open_list;
    std::vector<Cell> closed_list;
    bool found;
};

// The blocked-cell rule asked of the world directly, for the object searching toward (goal_x, goal_y).
inline LiteralPathSearch::CellTest literalWorldBlocked(const nv::Object *p_o, int goal_x, int goal_y) {
    return [p_o, goal_x, goal_y](int x, int y) {
        nv::ObjectList list = nv::WorldManager::getInstance().getCollisions(
            p_o, nv::Vector(static_cast<float>(x), static_cast<float>(y)));
        nv::ObjectListIterator it(&list);
        for (it.first(); !it.isDone(); it.next()) {
            if (it.currentObject()->getSolidness() == nv::HARD) {
                nv::Vector goal_point(static_cast<float>(goal_x), static_cast<float>(goal_y));
                return !nv::boxContainsPoint(nv::worldBox(it.currentObject()), goal_point);
            }
        }
        return false;
    };
}

// Whether the object standing at a cell touches the target standing at the goal.
inline LiteralPathSearch::CellTest literalTouchesTarget(const nv::Object *p_o, const nv::Object *p_target, int goal_x,
                                                        int goal_y) {
    nv::Box target_box = nv::worldBox(p_target, nv::Vector(static_cast<float>(goal_x), static_cast<float>(goal_y)));
    return [p_o, target_box](int x, int y) {
        return nv::boxesOverlap(nv::worldBox(p_o, nv::Vector(static_cast<float>(x), static_cast<float>(y))),
                                target_box);
    };
}
