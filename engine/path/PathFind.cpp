#include "path/PathFind.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <typeinfo>

#include "core/LogManager.h"
#include "world/Grid.h"
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
// Grids with more cells than this are asked cell by cell rather than given a table of their own.
const std::size_t MAX_TABLE_GRID_CELLS = std::size_t(1) << 20;
// Below this size float sums of whole cells and box edges are off by far less than a cell.
const float TABLE_COORDINATE_LIMIT = 1.0e6f;
// Periods stay below this so that a period and an answer fit a 32-bit word.
const std::uint32_t PERIOD_LIMIT = std::uint32_t(1) << 28;
// A table byte is the period's tag * 8, a complete mark (4) and what the stamps found so far (1 and 2).
const unsigned TAG_LIMIT = 32;
const unsigned COMPLETE = 4;
const std::uint8_t STAMP_BLOCKED = 1;
const std::uint8_t STAMP_HOLDS_GOAL = 2;

bool modest(float value) {
    return std::fabs(value) < TABLE_COORDINATE_LIMIT;
}

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
    syncPeriod();
    if (blocked_memo.empty()) {
        blocked_memo.assign(nodes.size(), 0);
    }
    std::uint32_t &memo = blocked_memo[static_cast<std::size_t>(indexOf(x, y))];
    if ((memo >> 1) != period) {
        memo = (period << 1) | (isBlocked(x, y) ? 1u : 0u);
    }
    return (memo & 1u) != 0;
}

bool PathFind::usesWorldRule() const {
    // Known only once the object is fully made; a search with its own rule is asked through isBlocked.
    if (rule == RULE_UNKNOWN) {
        rule = typeid(*this) == typeid(PathFind) ? RULE_WORLD : RULE_OWN;
    }
    return rule == RULE_WORLD;
}

void PathFind::nextPeriod() const {
    seen_world_epoch = world_epoch;
    if (++period >= PERIOD_LIMIT) {
        period = 1;
        std::fill(blocked_memo.begin(), blocked_memo.end(), 0);
    }
    if (++tag >= TAG_LIMIT) {
        // A new lap of tags: no byte may still carry one from the last lap.
        tag = 1;
        table_tag = 0;
        outside_tag = 0;
        std::fill(world_cells.begin(), world_cells.end(), 0);
        std::fill(grid_cell_tags.begin(), grid_cell_tags.end(), 0);
        std::fill(tile_tags.begin(), tile_tags.end(), 0);
    }
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
    if (world_still && usesWorldRule() && worldTable() != nullptr) {
        examineNeighbours<false>(current, cols, rows, [this](int x, int y) { return tableBlocked(x, y); });
    } else {
        examineNeighbours<true>(current, cols, rows,
                                [this](int x, int y) { return world_still ? blockedNow(x, y) : isBlocked(x, y); });
    }

    return open_count > 0 ? PATH_SEARCHING : PATH_NONE;
}

template <bool Remember, typename Blocked>
void PathFind::examineNeighbours(Cell current, int cols, int rows, Blocked blocked_at) {
    std::int8_t blocked[3][3];
    for (auto &row : blocked) {
        for (std::int8_t &cell : row) {
            cell = BLOCK_UNKNOWN;
        }
    }
    auto blockedAt = [&](int dx, int dy) {
        if (!Remember) {
            return blocked_at(current.x + dx, current.y + dy);
        }
        std::int8_t &b = blocked[dy + 1][dx + 1];
        if (b == BLOCK_UNKNOWN) {
            b = blocked_at(current.x + dx, current.y + dy) ? 1 : 0;
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
    if (world_still && object != nullptr && x >= 0 && y >= 0 && x < num_cols && y < num_rows &&
        worldTable() != nullptr) {
        return tableBlocked(x, y);
    }
    return isBlockedNow(x, y);
}

bool PathFind::isBlockedNow(int x, int y) const {
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

const std::uint8_t *PathFind::worldTable() const {
    syncPeriod();
    if (table_tag != tag) {
        table_tag = tag;
        table_usable = prepareWorldTable();
        complete_base = (unsigned(tag) << 3) | COMPLETE;
    }
    return table_usable ? world_cells.data() : nullptr;
}

bool PathFind::prepareWorldTable() const {
    const Grid &grid = WorldManager::getInstance().getSceneGraph().getGrid();
    const std::size_t grid_cells =
        static_cast<std::size_t>(grid.getNumCols()) * static_cast<std::size_t>(grid.getNumRows());
    if (!grid.isStarted() || grid_cells > MAX_TABLE_GRID_CELLS || nodes.empty() || object == nullptr) {
        return false;
    }
    // Only a walker of modest, well-formed size gets a table; any other is asked cell by cell.
    const Box box = object->getBox();
    const float corner_x = box.getCorner().getX();
    const float corner_y = box.getCorner().getY();
    if (!modest(corner_x) || !modest(corner_y) || !(box.getHorizontal() >= 0.0f) || !(box.getVertical() >= 0.0f) ||
        !modest(box.getHorizontal()) || !modest(box.getVertical())) {
        return false;
    }
    // Tags left from an earlier period never equal this one's, so resized tables need no clearing.
    grid_cell_tags.resize(grid_cells, 0);
    if (world_cells.empty()) {
        world_cells.assign(nodes.size(), 0);
    }
    // A tile is a grid cell's worth of search cells: completing one reads few grid cells beyond its own.
    tile_width = std::max(1, std::min(grid.getCellWidth(), num_cols));
    tile_height = std::max(1, std::min(grid.getCellHeight(), num_rows));
    tile_cols = (num_cols + tile_width - 1) / tile_width;
    const int tile_rows = (num_rows + tile_height - 1) / tile_height;
    tile_tags.resize(static_cast<std::size_t>(tile_cols) * static_cast<std::size_t>(tile_rows), 0);
    auto reachOf = [](float corner, float extent, int whole, int size, int num_cells) {
        // The walker's edges and grid cells at this search cell, computed as worldBox and the grid do.
        Reach reach{};
        reach.low = corner + static_cast<float>(whole);
        reach.high = reach.low + extent;
        reach.first_cell = Grid::cellIndex(reach.low, size);
        reach.last_cell = Grid::cellIndex(reach.high, size);
        reach.outside = reach.first_cell < 0 || reach.last_cell >= num_cells;
        reach.first_cell = std::max(reach.first_cell, 0);
        reach.last_cell = std::min(reach.last_cell, num_cells - 1);
        return reach;
    };
    reach_x.resize(static_cast<std::size_t>(num_cols));
    reach_y.resize(static_cast<std::size_t>(num_rows));
    for (int x = 0; x < num_cols; x++) {
        reach_x[static_cast<std::size_t>(x)] =
            reachOf(corner_x, box.getHorizontal(), x, grid.getCellWidth(), grid.getNumCols());
    }
    for (int y = 0; y < num_rows; y++) {
        reach_y[static_cast<std::size_t>(y)] =
            reachOf(corner_y, box.getVertical(), y, grid.getCellHeight(), grid.getNumRows());
    }
    return true;
}

bool PathFind::completeTile(int x, int y) const {
    const int x0 = x / tile_width * tile_width;
    const int y0 = y / tile_height * tile_height;
    const int x1 = std::min(num_cols, x0 + tile_width) - 1;
    const int y1 = std::min(num_rows, y0 + tile_height) - 1;
    std::uint8_t &tile_tag = tile_tags[static_cast<std::size_t>(y / tile_height * tile_cols + x / tile_width)];
    if (tile_tag != tag) {
        // Walker edges only grow along a row of search cells, so the tile's corners bound the grid cells it reads.
        const Reach &left = reach_x[static_cast<std::size_t>(x0)];
        const Reach &right = reach_x[static_cast<std::size_t>(x1)];
        const Reach &top = reach_y[static_cast<std::size_t>(y0)];
        const Reach &bottom = reach_y[static_cast<std::size_t>(y1)];
        const int grid_cols = WorldManager::getInstance().getSceneGraph().getGrid().getNumCols();
        for (int row = top.first_cell; row <= bottom.last_cell; row++) {
            for (int col = left.first_cell; col <= right.last_cell; col++) {
                if (grid_cell_tags[static_cast<std::size_t>(row * grid_cols + col)] != tag) {
                    stampGridCell(col, row, false);
                }
            }
        }
        if ((left.outside || right.outside || top.outside || bottom.outside) && outside_tag != tag) {
            stampGridCell(-1, -1, true);
        }
        const unsigned tag_bits = unsigned(tag) << 3;
        const unsigned base = complete_base;
        for (int cy = y0; cy <= y1; cy++) {
            std::uint8_t *row = &world_cells[static_cast<std::size_t>(indexOf(x0, cy))];
            const int width = x1 - x0 + 1;
            unsigned holds_goal = 0;
            for (int i = 0; i < width; i++) {
                holds_goal |= (row[i] & ~7u) == tag_bits ? row[i] & STAMP_HOLDS_GOAL : 0u;
            }
            if (holds_goal == 0) {
                for (int i = 0; i < width; i++) {
                    row[i] = static_cast<std::uint8_t>(base | ((row[i] & ~7u) == tag_bits ? row[i] & 1u : 0u));
                }
                continue;
            }
            for (int i = 0; i < width; i++) {
                const unsigned stamps = (row[i] & ~7u) == tag_bits ? row[i] & 3u : 0u;
                // The first hard object of the query decides whether one holding the goal blocks: ask it.
                const bool blocked = (stamps & STAMP_HOLDS_GOAL) != 0 ? isBlockedNow(x0 + i, cy) : stamps != 0;
                row[i] = static_cast<std::uint8_t>(base | (blocked ? 1u : 0u));
            }
        }
        tile_tag = tag;
    }
    return world_cells[static_cast<std::size_t>(indexOf(x, y))] == complete_base + 1;
}

void PathFind::stampGridCell(int col, int row, bool outside_list) const {
    const Grid &grid = WorldManager::getInstance().getSceneGraph().getGrid();
    // Reading the objects is what this costs: ask for them all first so their fetches overlap.
    grid.forEachObjectIn(col, row, [](const Object *p_o) {
        const char *p_bytes = reinterpret_cast<const char *>(p_o);
        __builtin_prefetch(p_bytes);
        __builtin_prefetch(p_bytes + 64);
    });
    grid.forEachObjectIn(col, row, [&](const Object *p_o) { stampObject(p_o, col, row, outside_list); });
    if (outside_list) {
        outside_tag = tag;
    } else {
        grid_cell_tags[static_cast<std::size_t>(row * grid.getNumCols() + col)] = tag;
    }
}

void PathFind::stampObject(const Object *p_o, int col, int row, bool outside_list) const {
    if (p_o == object || p_o->getSolidness() != HARD) {
        return;
    }
    const Box box = p_o->getBox();
    const float left = box.getCorner().getX() + p_o->getPosition().getX();
    const float top = box.getCorner().getY() + p_o->getPosition().getY();
    const float right = left + box.getHorizontal();
    const float bottom = top + box.getVertical();
    int x0 = 0;
    int x1 = 0;
    int y0 = 0;
    int y1 = 0;
    if (!hitRange(reach_x, left, right, col, outside_list, x0, x1) ||
        !hitRange(reach_y, top, bottom, row, outside_list, y0, y1)) {
        return;
    }
    const float gx = static_cast<float>(goal.x);
    const float gy = static_cast<float>(goal.y);
    const bool holds_goal = left <= gx && gx <= right && top <= gy && gy <= bottom;
    const unsigned stamp = holds_goal ? STAMP_HOLDS_GOAL : STAMP_BLOCKED;
    const unsigned fresh = unsigned(tag) << 3;
    for (int y = y0; y <= y1; y++) {
        const bool row_outside = reach_y[static_cast<std::size_t>(y)].outside;
        for (int x = x0; x <= x1; x++) {
            // The list of objects outside the grid is read only by queries that reach outside it.
            if (outside_list && !row_outside && !reach_x[static_cast<std::size_t>(x)].outside) {
                continue;
            }
            std::uint8_t &cell = world_cells[static_cast<std::size_t>(indexOf(x, y))];
            cell = static_cast<std::uint8_t>(((cell >> 3) == tag ? cell : fresh) | stamp);
        }
    }
}

bool PathFind::hitRange(const std::vector<Reach> &reach, float low, float high, int cell, bool any_cell, int &first,
                        int &last) {
    // The search cells whose walker span meets [low, high] under the query's inclusive rule (only low counts
    // when high is below it): walker spans never move back along a row, so those cells form one run.
    const Reach *r = reach.data();
    const int n = static_cast<int>(reach.size());
    if (n == 0 || std::isnan(low)) {
        return false;
    }
    const float key = low <= high ? high : low;
    // Walker spans step by one cell, so these guesses are right but for rounding; the walks settle that.
    const float cells = static_cast<float>(n);
    int a = static_cast<int>(std::max(0.0f, std::min(cells, low - r[0].high + 1.0f)));
    while (a > 0 && r[a - 1].high >= low) {
        a--;
    }
    while (a < n && r[a].high < low) {
        a++;
    }
    int b = static_cast<int>(std::max(-1.0f, std::min(cells - 1.0f, key - r[0].low)));
    while (b + 1 < n && r[b + 1].low <= key) {
        b++;
    }
    while (b >= 0 && r[b].low > key) {
        b--;
    }
    // Only the cells whose queries read this grid cell; they form a run too.
    if (!any_cell) {
        while (a <= b && r[a].last_cell < cell) {
            a++;
        }
        while (b >= a && r[b].first_cell > cell) {
            b--;
        }
    }
    first = a;
    last = b;
    return a <= b;
}

} // namespace nv
