#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "PathTestSupport.h"
#include "path/PathFind.h"

namespace {

using path_test::Cells;

class PathFindTest : public path_test::PathWorldTest {
protected:
    // Cycles until the search stops saying it is still searching; returns its last result.
    static int runToEnd(nv::PathFind &search, int *p_steps = nullptr) {
        int steps = 0;
        int result = nv::PATH_SEARCHING;
        while (result == nv::PATH_SEARCHING && steps < 1000000) {
            result = search.cycleOnce();
            steps++;
        }
        if (p_steps != nullptr) {
            *p_steps = steps;
        }
        return result;
    }
};

TEST_F(PathFindTest, StartEqualToGoalIsFoundInTheFirstStep) {
    nv::Object *walker = walkerAt(5, 5);
    nv::PathFind search(walker, 5, 5, 5, 5);
    EXPECT_FALSE(search.isFound());
    EXPECT_TRUE(search.getPath().isDone());
    EXPECT_EQ(search.cycleOnce(), nv::PATH_FOUND);
    EXPECT_EQ(path_test::nodesOf(search.getPath()), (Cells{{5, 5}}));
    EXPECT_EQ(search.getPath().getIndex(), 0);
    EXPECT_EQ(search.getObject(), walker);
}

TEST_F(PathFindTest, OpenGroundGivesTheStraightLineBothEndsIncluded) {
    nv::PathFind search(walkerAt(2, 2), 2, 2, 6, 2);
    int steps = 0;
    EXPECT_EQ(runToEnd(search, &steps), nv::PATH_FOUND);
    EXPECT_EQ(path_test::nodesOf(search.getPath()), (Cells{{2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}}));
    EXPECT_EQ(steps, 5);
}

TEST_F(PathFindTest, WalledOffGoalEndsWithNoPathAfterClosingEveryReachableCell) {
    resetWorld(20, 10);
    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            if (dx != 0 || dy != 0) {
                objectAt(15 + dx, 5 + dy);
            }
        }
    }
    nv::PathFind search(walkerAt(2, 2), 2, 2, 15, 5);
    int steps = 0;
    EXPECT_EQ(runToEnd(search, &steps), nv::PATH_NONE);
    std::set<std::pair<int, int>> closed;
    for (const auto &c : path_test::closedOf(search)) {
        EXPECT_TRUE(closed.insert(c).second) << "closed twice: " << c.first << "," << c.second;
    }
    // Everything but the eight walls and the goal they enclose.
    EXPECT_EQ(closed.size(), 20u * 10u - 9u);
    EXPECT_EQ(steps, 191);
    EXPECT_EQ(search.getNumOpen(), 0);
    EXPECT_FALSE(search.isFound());
    EXPECT_TRUE(search.getPath().isDone());
}

TEST_F(PathFindTest, NoSqueezingDiagonallyBetweenTwoBlockedCells) {
    resetWorld(8, 8);
    // A diagonal line of walls from edge to edge can only be crossed by squeezing between its cells.
    for (int x = 0; x <= 6; x++) {
        objectAt(x, 6 - x);
    }
    nv::PathFind search(walkerAt(0, 0), 0, 0, 7, 7);
    EXPECT_EQ(runToEnd(search), nv::PATH_NONE);
    for (const auto &c : path_test::closedOf(search)) {
        EXPECT_LT(c.first + c.second, 6) << "crossed to " << c.first << "," << c.second;
    }
}

TEST_F(PathFindTest, DiagonalStepPastOneBlockedCellIsTaken) {
    objectAt(3, 2);
    nv::PathFind search(walkerAt(2, 2), 2, 2, 3, 3);
    ASSERT_EQ(runToEnd(search), nv::PATH_FOUND);
    EXPECT_EQ(path_test::nodesOf(search.getPath()), (Cells{{2, 2}, {3, 3}}));
}

TEST_F(PathFindTest, GoalInsideAnObstacleStaysReachable) {
    objectAt(6, 2);
    nv::PathFind search(walkerAt(2, 2), 2, 2, 6, 2);
    ASSERT_EQ(runToEnd(search), nv::PATH_FOUND);
    EXPECT_EQ(path_test::nodesOf(search.getPath()).back(), std::make_pair(6, 2));
}

TEST_F(PathFindTest, OnlyTheObstacleHoldingTheGoalIsOpened) {
    nv::Object *big = objectAt(10, 5);
    big->setBox(nv::Box(nv::Vector(-2.5f, -0.5f), 4.99f, 0.99f));
    nv::Object *other = objectAt(10, 7);
    other->setBox(nv::Box(nv::Vector(-2.5f, -0.5f), 4.99f, 0.99f));
    nv::PathFind search(walkerAt(10, 2), 10, 2, 10, 5);
    EXPECT_FALSE(search.isBlocked(9, 5));
    EXPECT_FALSE(search.isBlocked(11, 5));
    EXPECT_TRUE(search.isBlocked(10, 7));
    EXPECT_FALSE(search.isBlocked(10, 3));
}

TEST_F(PathFindTest, SoftAndSpectralObjectsNeverBlock) {
    for (int y = 0; y < 24; y++) {
        objectAt(5, y, y % 2 == 0 ? nv::SOFT : nv::SPECTRAL);
    }
    nv::PathFind search(walkerAt(2, 2), 2, 2, 8, 2);
    ASSERT_EQ(runToEnd(search), nv::PATH_FOUND);
    EXPECT_EQ(path_test::nodesOf(search.getPath()).size(), 7u);
}

TEST_F(PathFindTest, BlockingDependsOnTheWalkersBox) {
    objectAt(5, 4);
    nv::Object *wide = walkerAt(5, 1);
    wide->setBox(nv::Box(nv::Vector(-1.5f, -0.5f), 2.99f, 0.99f));
    nv::PathFind search(wide, 5, 1, 5, 9);
    EXPECT_TRUE(search.isBlocked(4, 4));
    EXPECT_TRUE(search.isBlocked(6, 4));
    EXPECT_FALSE(search.isBlocked(7, 4));
}

TEST_F(PathFindTest, TouchingTheTargetEndsTheSearchThere) {
    nv::Object *target = objectAt(10, 2);
    target->setBox(nv::Box(nv::Vector(-1, -1), 2, 2));
    nv::PathFind search(walkerAt(2, 2), 2, 2, 10, 2, target);
    ASSERT_EQ(runToEnd(search), nv::PATH_FOUND);
    EXPECT_EQ(search.getGoal().x, 9);
    EXPECT_EQ(search.getGoal().y, 2);
    EXPECT_EQ(path_test::nodesOf(search.getPath()).back(), std::make_pair(9, 2));
    EXPECT_EQ(search.getTarget(), target);
}

TEST_F(PathFindTest, ZeroSizedWorldHasNoNodeTable) {
    resetWorld(0, 0);
    nv::PathFind search(walkerAt(0, 0), 0, 0, 3, 3);
    EXPECT_EQ(search.cycleOnce(), nv::PATH_NONE);
    EXPECT_NE(newLog().find("PathFind::cycleOnce(): node graph not allocated.  Cannot find path."), std::string::npos);
}

TEST_F(PathFindTest, StartOutsideTheWorldEndsWithoutAPath) {
    nv::PathFind search(walkerAt(2, 2), -4, 30, 2, 2);
    EXPECT_EQ(search.cycleOnce(), nv::PATH_NONE);
    EXPECT_TRUE(search.getPath().isDone());
    EXPECT_NE(newLog().find("PathFind::cycleOnce(): Error! start (-4,30) outside the node graph."), std::string::npos);
}

TEST_F(PathFindTest, GoalOutsideTheWorldIsNeverReached) {
    resetWorld(10, 6);
    nv::PathFind search(walkerAt(2, 2), 2, 2, 2000000000, -2000000000);
    EXPECT_EQ(runToEnd(search), nv::PATH_NONE);
    EXPECT_EQ(path_test::closedOf(search).size(), 60u);
}

TEST_F(PathFindTest, WorldGrowingDuringTheSearchStaysInsideTheTable) {
    resetWorld(12, 8);
    nv::Object *walker = walkerAt(1, 1);
    nv::PathFind search(walker, 1, 1, 40, 30);
    for (int i = 0; i < 10; i++) {
        ASSERT_EQ(search.cycleOnce(), nv::PATH_SEARCHING);
    }
    ASSERT_EQ(nv::WorldManager::getInstance().setBoundary(nv::Box(nv::Vector(0, 0), 60, 40)), 0);
    EXPECT_EQ(runToEnd(search), nv::PATH_NONE);
    for (const auto &c : path_test::closedOf(search)) {
        EXPECT_LT(c.first, 12);
        EXPECT_LT(c.second, 8);
    }
}

TEST_F(PathFindTest, WorldShrinkingDuringTheSearchLimitsTheNeighbours) {
    resetWorld(30, 20);
    nv::PathFind search(walkerAt(1, 1), 1, 1, 29, 19);
    ASSERT_EQ(search.cycleOnce(), nv::PATH_SEARCHING);
    ASSERT_EQ(nv::WorldManager::getInstance().setBoundary(nv::Box(nv::Vector(0, 0), 5, 5)), 0);
    EXPECT_EQ(runToEnd(search), nv::PATH_NONE);
    for (const auto &c : path_test::closedOf(search)) {
        EXPECT_LT(c.first, 5);
        EXPECT_LT(c.second, 5);
    }
}

} // namespace
