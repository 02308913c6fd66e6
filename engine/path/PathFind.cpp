#include "path/PathFind.h"

#include <algorithm>
#include <cmath>

#include "core/LogManager.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace nv {

namespace {

const std::uint8_t CELL_UNSEEN = 0;
const std::uint8_t CELL_OPEN = 1;
const std::uint8_t CELL_CLOSED = 2;

// Blocked state of a 3 x 3 neighbourhood, asked of the world at most once per cell and step.
const std::int8_t BLOCK_UNKNOWN = -1;

const std::size_t MAX_SEARCH_CELLS = std::size_t(1) << 22;

int wholeCells(float extent) {
    if (!(extent > 0.0f)) {
        return 0;
    }
    // Far beyond any table we could allocate; also keeps the float-to-int conversion defined.
    if (extent >= 65536.0f) {
        return 65536;
    }
    return static_cast<int>(extent);
}

} // namespace

bool PathFind::world_still = false;
std::uint64_t PathFind::world_epoch = 0;

void PathFind::holdWorldStill(bool still) {
    world_still = still;
    // A new period every time: answers from an earlier one may be stale.
    world_epoch++;
}

PathFind::PathFind(Object *p_object, int start_x, int start_y, int goal_x, int goal_y, Object *p_target)
    : object(p_object), target(p_target), start{start_x, start_y}, goal{goal_x, goal_y}, num_cols(0), num_rows(0),
      open_count(0), next_seq(0), found(false) {
    Box boundary = WorldManager::getInstance().getBoundary();
    num_cols = wholeCells(boundary.getHorizontal());
    num_rows = wholeCells(boundary.getVertical());
    std::size_t cells = static_cast<std::size_t>(num_cols) * static_cast<std::size_t>(num_rows);
    // A world this large cannot be searched cell by cell; the search then reports that it has no node table.
    if (cells > MAX_SEARCH_CELLS) {
        cells = 0;
    }
    if (cells > 0) {
        nodes.assign(cells, Node{0.0f, 0.0f, start});
        state.assign(cells, CELL_UNSEEN);
        open_seq.assign(cells, 0);
        blocked_epoch.assign(cells, 0);
        blocked_value.assign(cells, 0);
    }
    // The target may be destroyed before the search ends; its box at the goal is all the search needs.
    if (target != nullptr) {
        target_box = worldBox(target, Vector(static_cast<float>(goal.x), static_cast<float>(goal.y)));
    }
}

PathFind::~PathFind() = default;

bool PathFind::lowerPriority(const OpenEntry &a, const OpenEntry &b) {
    if (a.f != b.f) {
        return a.f > b.f;
    }
    return a.seq < b.seq;
}

bool PathFind::blockedNow(int x, int y) {
    if (!world_still || x < 0 || y < 0 || x >= num_cols || y >= num_rows) {
        return isBlocked(x, y);
    }
    std::size_t i = static_cast<std::size_t>(indexOf(x, y));
    if (blocked_epoch[i] != world_epoch) {
        blocked_value[i] = isBlocked(x, y) ? 1 : 0;
        blocked_epoch[i] = world_epoch;
    }
    return blocked_value[i] != 0;
}

PathFind::Cell PathFind::popBest() {
    for (;;) {
        OpenEntry best = open_list.front();
        std::pop_heap(open_list.begin(), open_list.end(), lowerPriority);
        open_list.pop_back();
        // Entries left behind by a cheaper update, or for cells closed since, are skipped.
        if (state[static_cast<std::size_t>(best.index)] == CELL_OPEN &&
            nodes[static_cast<std::size_t>(best.index)].f == best.f) {
            open_count--;
            return Cell{best.index % num_cols, best.index / num_cols};
        }
    }
}

int PathFind::cycleOnce() {
    if (nodes.empty()) {
        LogManager::getInstance().writeLog("PathFind::cycleOnce(): node graph not allocated.  Cannot find path.");
        return PATH_NONE;
    }

    Cell current = open_count > 0 ? popBest() : start;
    if (current.x < 0 || current.y < 0 || current.x >= num_cols || current.y >= num_rows) {
        LogManager::getInstance().writeLog("PathFind::cycleOnce(): Error! start (%d,%d) outside the node graph.",
                                           current.x, current.y);
        return PATH_NONE;
    }
    closed_list.push_back(current);
    state[static_cast<std::size_t>(indexOf(current.x, current.y))] = CELL_CLOSED;

    if (current == goal) {
        found = true;
    }
    if (target != nullptr && object != nullptr &&
        boxesOverlap(worldBox(object, Vector(static_cast<float>(current.x), static_cast<float>(current.y))),
                     target_box)) {
        found = true;
        goal = current;
    }
    if (found) {
        return PATH_FOUND;
    }

    // The boundary may have shrunk since the table was made; it never reaches beyond the table.
    Box boundary = WorldManager::getInstance().getBoundary();
    int cols = std::min(num_cols, wholeCells(boundary.getHorizontal()));
    int rows = std::min(num_rows, wholeCells(boundary.getVertical()));
    examineNeighbours(current, cols, rows);

    return open_count > 0 ? PATH_SEARCHING : PATH_NONE;
}

void PathFind::examineNeighbours(Cell current, int cols, int rows) {
    std::int8_t blocked[3][3];
    for (auto &row : blocked) {
        for (std::int8_t &cell : row) {
            cell = BLOCK_UNKNOWN;
        }
    }
    auto blockedAt = [&](int dx, int dy) {
        std::int8_t &b = blocked[dy + 1][dx + 1];
        if (b == BLOCK_UNKNOWN) {
            b = blockedNow(current.x + dx, current.y + dy) ? 1 : 0;
        }
        return b == 1;
    };

    static const float diagonal_step = static_cast<float>(std::sqrt(2.0));
    const float current_g = nodes[static_cast<std::size_t>(indexOf(current.x, current.y))].g;

    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            if (dx == 0 && dy == 0) {
                continue;
            }
            int nx = current.x + dx;
            int ny = current.y + dy;
            if (nx < 0 || ny < 0 || nx >= cols || ny >= rows) {
                continue;
            }
            std::size_t n = static_cast<std::size_t>(indexOf(nx, ny));
            if (state[n] == CELL_CLOSED) {
                continue;
            }
            if (blockedAt(dx, dy)) {
                continue;
            }
            bool diagonal = dx != 0 && dy != 0;
            if (diagonal && blockedAt(dx, 0) && blockedAt(0, dy)) {
                continue;
            }

            float g = current_g + (diagonal ? diagonal_step : 1.0f);
            Node &node = nodes[n];
            if (state[n] == CELL_OPEN && g > node.g) {
                continue;
            }
            double hx = static_cast<double>(nx) - static_cast<double>(goal.x);
            double hy = static_cast<double>(ny) - static_cast<double>(goal.y);
            float f = g + static_cast<float>(std::sqrt(hx * hx + hy * hy));
            node.parent = current;
            node.g = g;
            if (state[n] != CELL_OPEN) {
                state[n] = CELL_OPEN;
                open_seq[n] = next_seq++;
                open_count++;
                open_list.push_back(OpenEntry{f, open_seq[n], static_cast<int>(n)});
                std::push_heap(open_list.begin(), open_list.end(), lowerPriority);
            } else if (f != node.f) {
                open_list.push_back(OpenEntry{f, open_seq[n], static_cast<int>(n)});
                std::push_heap(open_list.begin(), open_list.end(), lowerPriority);
            }
            node.f = f;
        }
    }
}

Path PathFind::getPath() const {
    Path path;
    if (!found) {
        return path;
    }
    std::vector<Vector> cells;
    Cell at = goal;
    // A chain longer than the table could only be a broken one; stop rather than loop forever.
    std::size_t limit = nodes.size();
    while (at != start && cells.size() < limit) {
        cells.push_back(Vector(static_cast<float>(at.x), static_cast<float>(at.y)));
        at = nodes[static_cast<std::size_t>(indexOf(at.x, at.y))].parent;
    }
    cells.push_back(Vector(static_cast<float>(start.x), static_cast<float>(start.y)));
    std::reverse(cells.begin(), cells.end());
    path.setNodes(std::move(cells));
    return path;
}

Object *PathFind::getObject() const {
    return object;
}

Object *PathFind::getTarget() const {
    return target;
}

PathFind::Cell PathFind::getStart() const {
    return start;
}

PathFind::Cell PathFind::getGoal() const {
    return goal;
}

bool PathFind::isFound() const {
    return found;
}

int PathFind::getNumOpen() const {
    return open_count;
}

const std::vector<PathFind::Cell> &PathFind::getClosedList() const {
    return closed_list;
}

bool PathFind::isBlocked(int x, int y) const {
    // The world manager's collision query, minus the two lists it would allocate per call.
    Vector where(static_cast<float>(x), static_cast<float>(y));
    colliding.clear();
    WorldManager::getInstance().getSceneGraph().collectCollisions(object, where, colliding);
    ObjectListIterator it(&colliding);
    for (it.first(); !it.isDone(); it.next()) {
        const Object *p_o = it.currentObject();
        if (p_o->getSolidness() == HARD) {
            Vector goal_point(static_cast<float>(goal.x), static_cast<float>(goal.y));
            return !boxContainsPoint(worldBox(p_o), goal_point);
        }
    }
    return false;
}

} // namespace nv
