#include <random>

#include "LiteralPathSearch.h"
#include "PathTestSupport.h"

namespace {

// Obstacles of assorted boxes on a tenth to three tenths of the cells, some sticking out of the world, some soft;
// returns the walker, whose own box varies too.
nv::Object *buildWorld(std::mt19937 &rng, int cols, int rows) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float density = 0.1f + 0.2f * unit(rng);
    for (int i = 0; i < (cols + 2) * (rows + 2); i++) {
        if (unit(rng) < density) {
            nv::Object *p_o =
                objectAt(float(i % (cols + 2) - 1), float(i / (cols + 2) - 1), unit(rng) < 0.1f ? nv::SOFT : nv::HARD);
            p_o->setBox(unit(rng) < 0.8f ? p_o->getBox()
                                         : nv::Box(nv::Vector(-unit(rng), -unit(rng)), 3 * unit(rng), 2 * unit(rng)));
        }
    }
    nv::Object *walker = objectAt(0, 0, unit(rng) < 0.5f ? nv::SPECTRAL : nv::SOFT);
    walker->setBox(unit(rng) < 0.7f ? walker->getBox() : nv::Box(nv::Vector(-1.5f, -0.5f), 2 + unit(rng), 1));
    return walker;
}

using PathFindOracle = PathWorldTest;

// Both searches in lock step: the same result at every step, the same cells closed in the same order, the same path.
TEST_F(PathFindOracle, WorldSearchesAgreeStepForStepHeldStillOrNot) {
    // A size of 0 is drawn from 2 to 40; a target (soft, 3 x 2) ends the search where it is touched.
    const struct {
        unsigned seed;
        int cols, rows, count;
        bool target, still;
    } cases[] = {{424242, 0, 0, 60, false, false}, {777, 0, 0, 60, true, false},  {31337, 0, 0, 60, false, true},
                 {31338, 0, 0, 60, true, true},    {8024, 80, 24, 8, true, true}, {256, 256, 256, 2, false, true}};
    for (const auto &c : cases) {
        std::mt19937 rng(c.seed);
        for (int i = 0; i < c.count; i++) {
            std::uniform_int_distribution<int> size(2, 40);
            const int cols = c.cols > 0 ? c.cols : size(rng), rows = c.rows > 0 ? c.rows : size(rng);
            const int sx = int(rng() % unsigned(cols)), sy = int(rng() % unsigned(rows));
            const int gx = int(rng() % unsigned(cols)), gy = int(rng() % unsigned(rows));
            resetWorld(cols, rows);
            nv::Object *walker = buildWorld(rng, cols, rows);
            nv::Object *target = c.target ? objectAt(float(gx), float(gy), nv::SOFT) : nullptr;
            LiteralPathSearch::CellTest touches;
            if (target != nullptr) {
                target->setBox(nv::Box(nv::Vector(-1.5f, -1.0f), 3.0f, 2.0f));
                touches = [walker, at = nv::worldBox(target, nv::Vector(float(gx), float(gy)))](int x, int y) {
                    return nv::boxesOverlap(nv::worldBox(walker, nv::Vector(float(x), float(y))), at);
                };
            }
            nv::PathFind::holdWorldStill(c.still);
            nv::PathFind fast(walker, sx, sy, gx, gy, target);
            LiteralPathSearch oracle(cols, rows, sx, sy, gx, gy, literalWorldBlocked(walker, gx, gy), touches);
            for (int step = 0, expected = 1; expected == 1; step++) {
                expected = oracle.cycleOnce();
                ASSERT_EQ(fast.cycleOnce(), expected) << c.seed << " world " << i << " step " << step;
            }
            EXPECT_TRUE(fast.getClosedList() == oracle.closedCells());
            ASSERT_EQ(fast.getPath(), oracle.getPath()) << c.seed << " world " << i;
        }
    }
}

TEST_F(PathFindOracle, HeldStillAnswersEqualFreshQueriesAcrossEveryKindOfChange) {
    std::mt19937 rng(2026);
    for (int world = 0; world < 12; world++) {
        resetWorld(45, 30);
        nv::Object *walker = buildWorld(rng, 45, 30);
        // The goal lies inside an obstacle that overlaps others: the first hard object of a query decides.
        nv::Object *p_o = objectAt(10, 10);
        nv::PathFind search(walker, 1, 1, 10, 10);
        const std::function<void()> changes[] = {
            [&] { p_o->setPosition(nv::Vector(20.5f, 7)); },
            [&] { p_o = objectAt(3, 3); },
            [&] { delete p_o; },
            [&] { p_o = objectAt(4, 5); },
            [&] { p_o->setSolidness(nv::SOFT); },
            [&] { p_o->setSolidness(nv::HARD); },
            [&] { p_o->setBox(nv::Box(nv::Vector(-2, -1), 4.5f, 3)); },
            [&] { walker->setBox(nv::Box(nv::Vector(-0.5f, -1.5f), 1, 3)); },
            [&] { p_o->setPosition(nv::Vector(44.5f, 29.5f)); },
            [&] { p_o->setBox(nv::Box(nv::Vector(1, 1), -3, -2)); },
            [&] { walker->setBox(nv::Box(nv::Vector(-30, -0.5f), 31, 1)), p_o->setPosition(nv::Vector(-25, 7)); },
            [] {}};
        for (const auto &change : changes) {
            change();
            nv::PathFind::holdWorldStill(true);
            for (int cell = 0; cell < 45 * 30; cell++) {
                ASSERT_EQ(search.isBlocked(cell % 45, cell / 45), search.isBlockedNow(cell % 45, cell / 45)) << cell;
            }
            nv::PathFind::holdWorldStill(false);
        }
    }
}

// A search's tables tell periods apart by marks that come round again: an answer left unread while they do must
// not pass for a new one.
TEST_F(PathFindOracle, AnswersLeftUnreadOverManyPeriodsAreNeverTakenForNewOnes) {
    nv::Object *walker = objectAt(0, 0, nv::SPECTRAL);
    for (int idle = 1; idle <= 64; idle++) {
        nv::PathFind search(walker, 1, 1, 70, 20);
        nv::Object *p_o = nullptr;
        for (int period = 0; period <= idle + 1; period++) {
            nv::PathFind::holdWorldStill(true);
            // Asked about only at the first and last period, in between only about a cell in another tile.
            if (period == 0 || period == idle + 1) {
                ASSERT_EQ(search.isBlocked(5, 5), p_o != nullptr) << idle;
            }
            EXPECT_FALSE(search.isBlocked(79, 23));
            nv::PathFind::holdWorldStill(false);
            p_o = p_o != nullptr ? p_o : objectAt(5, 5);
        }
        delete p_o;
    }
}

} // namespace
