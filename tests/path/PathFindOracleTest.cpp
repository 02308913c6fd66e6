#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "LiteralPathSearch.h"
#include "PathTestSupport.h"
#include "path/PathFind.h"

namespace {

using path_test::Cells;

// A search over a plain bitmap, so many large maps can be compared quickly; the goal cell is never
// blocked, as with a goal inside an obstacle.
class MapSearch : public nv::PathFind {
public:
    MapSearch(const std::vector<std::uint8_t> &init_map, int init_cols, int sx, int sy, int gx, int gy)
        : PathFind(nullptr, sx, sy, gx, gy), map(init_map), cols(init_cols), goal_x(gx), goal_y(gy) {}

    bool isBlocked(int x, int y) const override { return blockedIn(map, cols, goal_x, goal_y, x, y); }

    static bool blockedIn(const std::vector<std::uint8_t> &m, int c, int gx, int gy, int x, int y) {
        if (x == gx && y == gy) {
            return false;
        }
        return m[static_cast<std::size_t>(y) * static_cast<std::size_t>(c) + static_cast<std::size_t>(x)] != 0;
    }

private:
    const std::vector<std::uint8_t> &map;
    int cols;
    int goal_x;
    int goal_y;
};

// Runs both searches in lock step and expects the same result at every step, the same cells closed in the
// same order and the same path.
void expectSameSearch(nv::PathFind &fast, LiteralPathSearch &oracle) {
    int step = 0;
    for (;;) {
        int expected = oracle.cycleOnce();
        int actual = fast.cycleOnce();
        ASSERT_EQ(actual, expected) << "at step " << step;
        if (actual != nv::PATH_SEARCHING) {
            break;
        }
        step++;
    }
    EXPECT_EQ(path_test::closedOf(fast), oracle.closedCells());
    EXPECT_EQ(path_test::nodesOf(fast.getPath()), path_test::nodesOf(oracle.getPath()));
}

class PathFindOracle : public path_test::PathWorldTest {
protected:
    void compareOnMap(std::mt19937 &rng, int cols, int rows, double density, bool corners) {
        std::uniform_int_distribution<int> col(0, cols - 1);
        std::uniform_int_distribution<int> row(0, rows - 1);
        int sx = corners ? 0 : col(rng);
        int sy = corners ? 0 : row(rng);
        int gx = corners ? cols - 1 : col(rng);
        int gy = corners ? rows - 1 : row(rng);
        auto map = path_test::randomMap(rng, cols, rows, density, {{sx, sy}});
        resetWorld(cols, rows);
        MapSearch fast(map, cols, sx, sy, gx, gy);
        LiteralPathSearch oracle(cols, rows, sx, sy, gx, gy, [&map, cols, gx, gy](int x, int y) {
            return MapSearch::blockedIn(map, cols, gx, gy, x, y);
        });
        SCOPED_TRACE(::testing::Message() << cols << "x" << rows << " density " << density << " from (" << sx << ","
                                          << sy << ") to (" << gx << "," << gy << ")");
        expectSameSearch(fast, oracle);
    }
};

TEST_F(PathFindOracle, SmallRandomMapsAgreeNodeForNode) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> size(1, 48);
    std::uniform_real_distribution<double> density(0.10, 0.30);
    for (int i = 0; i < 300; i++) {
        compareOnMap(rng, size(rng), size(rng), density(rng), false);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(PathFindOracle, ScreenSizedMapsAgreeNodeForNode) {
    std::mt19937 rng(80024);
    for (double density : {0.10, 0.20, 0.30}) {
        for (int i = 0; i < 12; i++) {
            compareOnMap(rng, 80, 24, density, i % 3 == 0);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST_F(PathFindOracle, LargeMapsAgreeNodeForNode) {
    std::mt19937 rng(256256);
    for (double density : {0.10, 0.20, 0.30}) {
        compareOnMap(rng, 256, 256, density, true);
        if (HasFatalFailure()) {
            return;
        }
    }
    compareOnMap(rng, 256, 64, 0.25, false);
}

// Obstacles are real world objects here, so the blocked-cell rule itself is compared too.
class PathFindWorldOracle : public path_test::PathWorldTest {
protected:
    void compareInWorld(std::mt19937 &rng, int cols, int rows, double density, bool with_target) {
        resetWorld(cols, rows);
        std::uniform_int_distribution<int> col(0, cols - 1);
        std::uniform_int_distribution<int> row(0, rows - 1);
        int sx = col(rng);
        int sy = row(rng);
        int gx = col(rng);
        int gy = row(rng);
        // The goal cell is left as the map says: often it lies inside an obstacle.
        auto map = path_test::randomMap(rng, cols, rows, density, {{sx, sy}});
        buildWalls(map, cols);
        nv::Object *walker = walkerAt(sx, sy);
        nv::Object *target = nullptr;
        if (with_target) {
            target = objectAt(gx, gy, nv::SOFT);
            target->setBox(nv::Box(nv::Vector(-1.5f, -1.0f), 3.0f, 2.0f));
        }
        nv::PathFind fast(walker, sx, sy, gx, gy, target);
        LiteralPathSearch oracle(cols, rows, sx, sy, gx, gy, literalWorldBlocked(walker, gx, gy),
                                 with_target ? literalTouchesTarget(walker, target, gx, gy)
                                             : LiteralPathSearch::CellTest());
        SCOPED_TRACE(::testing::Message()
                     << cols << "x" << rows << " density " << density << " from (" << sx << "," << sy << ") to (" << gx
                     << "," << gy << ")" << (with_target ? " with target" : ""));
        expectSameSearch(fast, oracle);
    }
};

TEST_F(PathFindWorldOracle, RandomWorldsAgreeNodeForNode) {
    std::mt19937 rng(424242);
    std::uniform_int_distribution<int> size(2, 40);
    std::uniform_real_distribution<double> density(0.10, 0.30);
    for (int i = 0; i < 40; i++) {
        compareInWorld(rng, size(rng), size(rng), density(rng), false);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(PathFindWorldOracle, RandomWorldsWithTargetsAgreeNodeForNode) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> size(2, 40);
    std::uniform_real_distribution<double> density(0.10, 0.30);
    for (int i = 0; i < 40; i++) {
        compareInWorld(rng, size(rng), size(rng), density(rng), true);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(PathFindWorldOracle, WorldsHeldStillAgreeNodeForNode) {
    // As inside the path manager's cycle: what was learnt about cells is reused.
    std::mt19937 rng(31337);
    std::uniform_int_distribution<int> size(2, 60);
    std::uniform_real_distribution<double> density(0.10, 0.30);
    for (int i = 0; i < 30; i++) {
        nv::PathFind::holdWorldStill(true);
        compareInWorld(rng, size(rng), size(rng), density(rng), i % 2 == 0);
        nv::PathFind::holdWorldStill(false);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(PathFindWorldOracle, ScreenSizedWorldsAgreeNodeForNode) {
    std::mt19937 rng(8024);
    for (double density : {0.10, 0.20, 0.30}) {
        compareInWorld(rng, 80, 24, density, false);
        compareInWorld(rng, 80, 24, density, true);
        if (HasFatalFailure()) {
            return;
        }
    }
}

} // namespace
