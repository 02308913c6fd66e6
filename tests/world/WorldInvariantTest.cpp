#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/utility.h"

using nv::Box;
using nv::Object;
using nv::Vector;
using world_test::Probe;

namespace {

using Cell = std::pair<int, int>;
const char *const TYPES[] = {"(Undefined)", "a", "b", "c"};

int occurrences(const nv::ObjectList &list, const Object *p) {
    int n = 0;
    for (int i = 0; i < list.getCount(); i++) {
        n += list[i] == p ? 1 : 0;
    }
    return n;
}

/// The cells an object should occupy, worked out from its box alone.
std::set<Cell> expectedCells(const Object *p, int cols, int rows, int cell_w, int cell_h) {
    const Box b = nv::worldBox(p);
    long first_col = static_cast<long>(std::floor(b.getCorner().getX() / cell_w));
    long first_row = static_cast<long>(std::floor(b.getCorner().getY() / cell_h));
    long last_col = static_cast<long>(std::floor((b.getCorner().getX() + b.getHorizontal()) / cell_w));
    long last_row = static_cast<long>(std::floor((b.getCorner().getY() + b.getVertical()) / cell_h));
    bool outside = false;
    if (first_col < 0) {
        first_col = 0;
        outside = true;
    }
    if (first_row < 0) {
        first_row = 0;
        outside = true;
    }
    if (last_col >= cols) {
        last_col = cols - 1;
        outside = true;
    }
    if (last_row >= rows) {
        last_row = rows - 1;
        outside = true;
    }
    std::set<Cell> cells;
    if (outside) {
        cells.insert({-1, -1});
    }
    for (long r = first_row; r <= last_row; r++) {
        for (long c = first_col; c <= last_col; c++) {
            cells.insert({static_cast<int>(c), static_cast<int>(r)});
        }
    }
    return cells;
}

class WorldInvariantTest : public world_test::WorldTest {
protected:
    /// Each object is in exactly the lists and grid cells its state calls for, and the lists hold nothing else.
    ::testing::AssertionResult invariantsHold() {
        const nv::SceneGraph &sg = graph();
        const nv::Grid &grid = sg.getGrid();
        const Box boundary = world().getBoundary();
        const int cols = static_cast<int>(std::ceil(boundary.getHorizontal() / grid.getCellWidth()));
        const int rows = static_cast<int>(std::ceil(boundary.getVertical() / grid.getCellHeight()));
        if (grid.getNumCols() != cols || grid.getNumRows() != rows) {
            return ::testing::AssertionFailure() << "grid is " << grid.getNumCols() << "x" << grid.getNumRows();
        }
        const nv::ObjectList active = sg.activeObjects();
        const nv::ObjectList inactive = sg.inactiveObjects();
        const nv::ObjectList solid = sg.solidObjects();
        std::vector<nv::ObjectList> visible;
        for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
            visible.push_back(sg.visibleObjects(alt));
        }
        std::map<std::string, nv::ObjectList> by_type;
        for (const char *t : TYPES) {
            by_type[t] = sg.objectsOfType(t);
        }
        std::map<const Object *, std::map<Cell, int>> in_cells;
        int grid_entries = 0;
        for (int row = -1; row < rows; row++) {
            for (int col = -1; col < cols; col++) {
                if ((row == -1) != (col == -1)) {
                    continue;
                }
                const nv::ObjectList cell = grid.cellObjects(col, row);
                grid_entries += cell.getCount();
                for (int i = 0; i < cell.getCount(); i++) {
                    in_cells[cell[i]][{col, row}]++;
                }
            }
        }

        int n_active = 0;
        int n_inactive = 0;
        int n_solid = 0;
        int n_grid = 0;
        std::vector<int> n_visible(nv::MAX_ALTITUDE + 1, 0);
        std::map<std::string, int> n_type;
        for (Probe *p : Probe::live()) {
            std::ostringstream who;
            who << "object " << p->getId() << " (" << (p->isActive() ? "active" : "inactive") << ", "
                << (p->isVisible() ? "visible" : "invisible") << ", alt " << p->getAltitude() << ", "
                << nv::solidnessToString(p->getSolidness()) << ", type " << p->getType() << ", at "
                << p->getPosition().toString() << ", box " << p->getBox().toString() << ")";
            const bool on = p->isActive();
            if (occurrences(active, p) != (on ? 1 : 0) || occurrences(inactive, p) != (on ? 0 : 1)) {
                return ::testing::AssertionFailure() << who.str() << " in active/inactive lists wrongly";
            }
            for (const char *t : TYPES) {
                const int want = on && p->getType() == t ? 1 : 0;
                if (occurrences(by_type[t], p) != want) {
                    return ::testing::AssertionFailure() << who.str() << " wrong in type list " << t;
                }
            }
            const bool in_solid = on && p->isSolid();
            if (occurrences(solid, p) != (in_solid ? 1 : 0)) {
                return ::testing::AssertionFailure() << who.str() << " wrong in solid list";
            }
            for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
                const int want = on && p->isVisible() && p->getAltitude() == alt ? 1 : 0;
                if (occurrences(visible[static_cast<size_t>(alt)], p) != want) {
                    return ::testing::AssertionFailure() << who.str() << " wrong in visible list " << alt;
                }
            }
            std::map<Cell, int> want_cells;
            if (in_solid) {
                for (const Cell &c : expectedCells(p, cols, rows, grid.getCellWidth(), grid.getCellHeight())) {
                    want_cells[c] = 1;
                }
            }
            if (in_cells[p] != want_cells) {
                std::ostringstream got;
                for (const auto &entry : in_cells[p]) {
                    got << "(" << entry.first.first << "," << entry.first.second << ")x" << entry.second << " ";
                }
                return ::testing::AssertionFailure()
                       << who.str() << " in cells " << got.str() << "expected " << want_cells.size() << " cells";
            }
            n_active += on ? 1 : 0;
            n_inactive += on ? 0 : 1;
            n_solid += in_solid ? 1 : 0;
            n_grid += static_cast<int>(want_cells.size());
            if (on && p->isVisible()) {
                n_visible[static_cast<size_t>(p->getAltitude())]++;
            }
            if (on) {
                n_type[p->getType()]++;
            }
        }
        if (active.getCount() != n_active || inactive.getCount() != n_inactive || solid.getCount() != n_solid ||
            grid_entries != n_grid) {
            return ::testing::AssertionFailure()
                   << "lists hold strays: active " << active.getCount() << "/" << n_active << ", inactive "
                   << inactive.getCount() << "/" << n_inactive << ", solid " << solid.getCount() << "/" << n_solid
                   << ", grid " << grid_entries << "/" << n_grid;
        }
        for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
            if (visible[static_cast<size_t>(alt)].getCount() != n_visible[static_cast<size_t>(alt)]) {
                return ::testing::AssertionFailure() << "visible list " << alt << " holds strays";
            }
        }
        for (const char *t : TYPES) {
            if (by_type[t].getCount() != n_type[t]) {
                return ::testing::AssertionFailure() << "type list " << t << " holds strays";
            }
        }
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(WorldInvariantTest, RandomOperationsKeepEveryIndexExact) {
    std::mt19937 rng(20240607u);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto anyProbe = [&]() -> Probe * {
        if (Probe::live().empty()) {
            return nullptr;
        }
        auto it = Probe::live().begin();
        std::advance(it, pick(static_cast<int>(Probe::live().size())));
        return *it;
    };
    const Box boundaries[] = {Box(Vector(0, 0), 80, 24), Box(Vector(0, 0), 100, 40), Box(Vector(0, 0), 41, 17), Box()};

    const int operations = 4000;
    for (int step = 0; step < operations; step++) {
        const int op = pick(14);
        Probe *p = anyProbe();
        std::string what;
        if (op == 0 || p == nullptr) {
            what = "create";
            if (Probe::live().size() < 60) {
                auto *created = new Probe(uniform(-10, 100), uniform(-10, 45));
                created->setSolidness(static_cast<nv::Solidness>(pick(3)));
            }
        } else if (op == 1) {
            what = "mark";
            world().markForDelete(p);
        } else if (op == 2) {
            what = "update";
            world().update();
        } else if (op == 3) {
            what = "move";
            world().moveObject(p, Vector(uniform(-10, 100), uniform(-10, 45)));
        } else if (op == 4) {
            what = "position";
            p->setPosition(Vector(uniform(-10, 100), uniform(-10, 45)));
        } else if (op == 5) {
            what = "active";
            p->setActive(!p->isActive());
        } else if (op == 6) {
            what = "visible";
            p->setVisible(!p->isVisible());
        } else if (op == 7) {
            what = "altitude";
            p->setAltitude(pick(7) - 1);
        } else if (op == 8) {
            what = "solidness";
            p->setSolidness(static_cast<nv::Solidness>(pick(4)));
        } else if (op == 9) {
            what = "type";
            p->setType(TYPES[pick(4)]);
        } else if (op == 10) {
            what = "box";
            p->setBox(Box(Vector(uniform(-3, 0), uniform(-3, 0)), uniform(0, 25), uniform(0, 9)));
        } else if (op == 11) {
            what = "velocity";
            p->setVelocity(Vector(uniform(-3, 3), uniform(-3, 3)));
        } else if (op == 12) {
            what = "boundary";
            if (pick(10) == 0) {
                world().setBoundary(boundaries[pick(4)]);
            }
        } else {
            what = "view";
            world().setViewFollowing(pick(2) == 0 ? p : nullptr);
        }
        ASSERT_TRUE(invariantsHold()) << "after operation " << step << " (" << what << ")";
    }
    world().update();
    EXPECT_TRUE(invariantsHold());
}

TEST_F(WorldInvariantTest, MovesAcrossCellBordersKeepTheGridExact) {
    auto *p = new Probe(0, 0);
    p->setBox(Box(Vector(0, 0), 20, 8));
    for (float x = -21; x <= 101; x += 0.5f) {
        for (float y = -9; y <= 33; y += 4) {
            world().moveObject(p, Vector(x, y));
            ASSERT_TRUE(invariantsHold()) << "at " << x << "," << y;
        }
    }
}
