#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

namespace {

class WorldInvariant : public world_test::WorldTest {
protected:
    /// Every object is in exactly the lists and grid cells its state calls for, and the grid fits the boundary.
    ::testing::AssertionResult holds() {
        ::testing::AssertionResult lists =
            record_test::worldConsistent(std::vector<nv::Object *>(Probe::live.begin(), Probe::live.end()));
        const nv::Grid &grid = graph().getGrid();
        const Box boundary = world().getBoundary();
        if (lists &&
            (grid.getNumCols() != static_cast<int>(std::ceil(boundary.getHorizontal() / grid.getCellWidth())) ||
             grid.getNumRows() != static_cast<int>(std::ceil(boundary.getVertical() / grid.getCellHeight())))) {
            return ::testing::AssertionFailure() << "grid is " << grid.getNumCols() << "x" << grid.getNumRows();
        }
        return lists;
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
        [&](Probe *) { if (Probe::live.size() < 60) (new Probe(uniform(-10, 100), uniform(-10, 45)))->setSolidness(nv::Solidness(pick(3))); },
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
        if (!Probe::live.empty()) {
            p = *std::next(Probe::live.begin(), pick(static_cast<int>(Probe::live.size())));
        }
        operations[p == nullptr ? 0 : static_cast<std::size_t>(op)](p);
        ASSERT_TRUE(holds()) << "after operation " << step << " (" << op << ")";
    }
    world().update();
    EXPECT_TRUE(holds());
    EXPECT_EQ(log->count("failed"), 0) << "no index update fails";
}

TEST_F(WorldInvariant, CrowdedCellsKeepTheirOrder) {
    std::vector<Probe *> crowd;
    for (int i = 0; i < 20; i++) {
        crowd.push_back(new Probe(5 + 0.1f * static_cast<float>(i), 4, nv::SOFT));
    }
    for (int gone : {3, 12, 0, 19}) {
        crowd[static_cast<std::size_t>(gone)]->setSolidness(nv::SPECTRAL);
    }
    crowd.push_back(new Probe(6, 4, nv::SOFT));
    auto *asker = new Probe(6, 4, nv::SPECTRAL);
    asker->setBox(Box(Vector(-5, -3), 10, 6));
    const nv::ObjectList hits = world().getCollisions(asker, asker->getPosition());
    std::vector<nv::Object *> found(hits.data(), hits.data() + hits.getCount()), want;
    std::copy_if(crowd.begin(), crowd.end(), std::back_inserter(want), [](Probe *p) { return p->isSolid(); });
    EXPECT_EQ(found, want);
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
