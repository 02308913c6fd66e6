#include <cmath>
#include <random>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"
#include "world/utility.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

namespace {

using Cells = std::map<std::pair<int, int>, int>;

/// The cells an object should occupy, worked out from its box alone: the model the grid is held to.
Cells expectedCells(const nv::Object *p, int cols, int rows, int cell_w, int cell_h) {
    const Box b = nv::worldBox(p);
    const auto at = [](float v, int size) { return static_cast<long>(std::floor(v / size)); };
    long c0 = at(b.getCorner().getX(), cell_w), r0 = at(b.getCorner().getY(), cell_h);
    long c1 = at(b.getCorner().getX() + b.getHorizontal(), cell_w),
         r1 = at(b.getCorner().getY() + b.getVertical(), cell_h);
    const bool outside = c0 < 0 || r0 < 0 || c1 >= cols || r1 >= rows;
    Cells cells;
    if (outside) {
        cells[{-1, -1}] = 1;
    }
    for (long r = std::max(r0, 0L); r <= std::min(r1, rows - 1L); r++) {
        for (long c = std::max(c0, 0L); c <= std::min(c1, cols - 1L); c++) {
            cells[{static_cast<int>(c), static_cast<int>(r)}] = 1;
        }
    }
    return cells;
}

class WorldInvariant : public world_test::WorldTest {
protected:
    /// Every object is in exactly the lists and grid cells its state calls for, and nothing else is.
    ::testing::AssertionResult holds() {
        std::vector<nv::Object *> all(Probe::live().begin(), Probe::live().end());
        ::testing::AssertionResult lists = record_test::worldConsistent(all);
        if (!lists) {
            return lists;
        }
        const nv::Grid &grid = graph().getGrid();
        const Box boundary = world().getBoundary();
        const int cols = static_cast<int>(std::ceil(boundary.getHorizontal() / grid.getCellWidth()));
        const int rows = static_cast<int>(std::ceil(boundary.getVertical() / grid.getCellHeight()));
        if (grid.getNumCols() != cols || grid.getNumRows() != rows) {
            return ::testing::AssertionFailure() << "grid is " << grid.getNumCols() << "x" << grid.getNumRows();
        }
        std::size_t wanted = 0;
        for (Probe *p : Probe::live()) {
            Cells want;
            if (p->isActive() && p->isSolid()) {
                want = expectedCells(p, cols, rows, grid.getCellWidth(), grid.getCellHeight());
            }
            wanted += want.size();
            if (record_test::cellsHolding(p) != want) {
                return ::testing::AssertionFailure() << "object " << p->getId() << " at " << p->getPosition().toString()
                                                     << " box " << p->getBox().toString() << " in the wrong cells";
            }
        }
        std::size_t held = static_cast<std::size_t>(grid.cellObjects(-1, -1).getCount());
        for (int row = 0; row < rows; row++) {
            for (int col = 0; col < cols; col++) {
                held += static_cast<std::size_t>(grid.cellObjects(col, row).getCount());
            }
        }
        return held == wanted ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "grid holds strays";
    }
};

TEST_F(WorldInvariant, RandomOperationsKeepEveryIndexExact) {
    std::mt19937 rng(20240607u);
    const auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char *const types[] = {"(Undefined)", "a", "b", "c"};
    const Box boundaries[] = {Box(Vector(0, 0), 80, 24), Box(Vector(0, 0), 100, 40), Box(Vector(0, 0), 41, 17), Box()};
    // clang-format off
    const std::vector<std::function<void(Probe *)>> operations = {
        [&](Probe *) { if (Probe::live().size() < 60) (new Probe(uniform(-10, 100), uniform(-10, 45)))->setSolidness(nv::Solidness(pick(3))); },
        [&](Probe *p) { world().markForDelete(p); },
        [&](Probe *) { world().update(); },
        [&](Probe *p) { world().moveObject(p, Vector(uniform(-10, 100), uniform(-10, 45))); },
        [&](Probe *p) { p->setPosition(Vector(uniform(-10, 100), uniform(-10, 45))); },
        [&](Probe *p) { p->setActive(!p->isActive()); },
        [&](Probe *p) { p->setVisible(!p->isVisible()); },
        [&](Probe *p) { p->setAltitude(pick(7) - 1); },
        [&](Probe *p) { p->setSolidness(nv::Solidness(pick(4))); },
        [&](Probe *p) { p->setType(types[pick(4)]); },
        [&](Probe *p) { p->setBox(Box(Vector(uniform(-3, 0), uniform(-3, 0)), uniform(0, 25), uniform(0, 9))); },
        [&](Probe *p) { p->setVelocity(Vector(uniform(-3, 3), uniform(-3, 3))); },
        [&](Probe *) { if (pick(10) == 0) world().setBoundary(boundaries[pick(4)]); },
        [&](Probe *p) { world().setViewFollowing(pick(2) == 0 ? p : nullptr); },
        [&](Probe *p) { p->registerInterest(types[pick(4)]); },
        [&](Probe *p) { p->unregisterInterest(types[pick(4)]); },
    };
    // clang-format on
    for (int step = 0; step < 4000; step++) {
        int op = pick(static_cast<int>(operations.size()));
        Probe *p = nullptr;
        if (!Probe::live().empty()) {
            p = *std::next(Probe::live().begin(), pick(static_cast<int>(Probe::live().size())));
        }
        operations[p == nullptr ? 0 : static_cast<std::size_t>(op)](p);
        ASSERT_TRUE(holds()) << "after operation " << step << " (" << op << ")";
    }
    world().update();
    EXPECT_TRUE(holds());
}

TEST_F(WorldInvariant, MovesAcrossCellBordersKeepTheGridExact) {
    auto *p = new Probe(0, 0);
    p->setBox(Box(Vector(0, 0), 20, 8));
    for (float x = -21; x <= 101; x += 0.5f) {
        for (float y = -9; y <= 33; y += 4) {
            world().moveObject(p, Vector(x, y));
            ASSERT_TRUE(holds()) << "at " << x << "," << y;
        }
    }
    EXPECT_EQ(log->count("Error!"), 0);
}

} // namespace
