#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "path/PathFind.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"
#include "world/utility.h"

// The search read word for word: the open list is scanned for its best cell and the closed list for
// membership. Quadratic, kept only as the reference the engine's search must agree with step for step.
class LiteralPathSearch {
public:
    using CellTest = std::function<bool(int, int)>;
    using Cell = nv::PathFind::Cell;

    LiteralPathSearch(int c, int r, int sx, int sy, int gx, int gy, CellTest is_blocked, CellTest touches = {})
        : cols(c), rows(r), start{sx, sy}, goal{gx, gy}, blocked(std::move(is_blocked)), touches_target(touches),
          nodes(c > 0 && r > 0 ? static_cast<std::size_t>(c * r) : 0, Node{0.0f, 0.0f, start}) {}

    int cycleOnce() {
        if (nodes.empty()) {
            return 0;
        }
        Cell current = start;
        if (!open.empty()) {
            std::size_t best = open.size() - 1;
            for (std::size_t i = open.size(); i-- > 0;) {
                best = node(open[i]).f < node(open[best]).f ? i : best;
            }
            current = open[best];
            open.erase(open.begin() + static_cast<long>(best));
        }
        closed.push_back(current);
        found = found || current == goal;
        if (touches_target && touches_target(current.x, current.y)) {
            found = true;
            goal = current;
        }
        for (int d = 0; d < 9 && !found; d++) {
            const int dx = d % 3 - 1, dy = d / 3 - 1;
            const Cell n{current.x + dx, current.y + dy};
            if (d == 4 || n.x < 0 || n.y < 0 || n.x >= cols || n.y >= rows || has(closed, n) || blocked(n.x, n.y) ||
                (dx != 0 && dy != 0 && blocked(n.x, current.y) && blocked(current.x, n.y))) {
                continue;
            }
            const float g = node(current).g + static_cast<float>(std::sqrt(dx * dx + dy * dy));
            const double hx = n.x - goal.x, hy = n.y - goal.y;
            if (!has(open, n)) {
                open.push_back(n);
            } else if (g > node(n).g) {
                continue;
            }
            node(n) = Node{g, g + static_cast<float>(std::sqrt(hx * hx + hy * hy)), current};
        }
        return found ? 2 : open.empty() ? 0 : 1;
    }

    nv::Path getPath() const {
        std::vector<nv::Vector> cells;
        for (Cell at = goal, next = start; found && (cells.empty() || next != start); at = node(at).parent) {
            cells.insert(cells.begin(), nv::Vector(float(at.x), float(at.y)));
            next = at;
        }
        nv::Path path;
        path.setNodes(cells);
        return path;
    }

    const std::vector<Cell> &closedCells() const { return closed; }

private:
    struct Node {
        float g, f;
        Cell parent;
    };
    static bool has(const std::vector<Cell> &list, Cell c) {
        return std::find(list.begin(), list.end(), c) != list.end();
    }
    Node &node(Cell c) { return nodes[static_cast<std::size_t>(c.y * cols + c.x)]; }
    const Node &node(Cell c) const { return nodes[static_cast<std::size_t>(c.y * cols + c.x)]; }

    int cols, rows;
    Cell start, goal;
    CellTest blocked, touches_target;
    std::vector<Node> nodes;
    std::vector<Cell> open, closed;
    bool found = false;
};

// The blocked-cell rule asked of the world's collision query, for the object searching toward the goal.
inline LiteralPathSearch::CellTest literalWorldBlocked(const nv::Object *p_o, int gx, int gy) {
    return [p_o, gx, gy](int x, int y) {
        nv::ObjectList list = nv::WorldManager::getInstance().getCollisions(
            p_o, nv::Vector(static_cast<float>(x), static_cast<float>(y)));
        for (nv::ObjectListIterator it(&list); !it.isDone(); it.next()) {
            if (it.currentObject()->getSolidness() == nv::HARD) {
                return !nv::boxContainsPoint(nv::worldBox(it.currentObject()), nv::Vector(float(gx), float(gy)));
            }
        }
        return false;
    };
}
