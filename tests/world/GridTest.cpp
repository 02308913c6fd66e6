#include <cmath>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/Grid.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

namespace {

using Cell = std::pair<int, int>;

} // namespace

class GridTest : public world_test::WorldTest {
protected:
    const nv::Grid &grid() { return graph().getGrid(); }

    /// Every cell (and (-1, -1) for out of grid) whose list holds p.
    std::set<Cell> cellsHolding(const nv::Object *p) {
        std::set<Cell> found;
        if (grid().cellObjects(-1, -1).contains(p)) {
            found.insert({-1, -1});
        }
        for (int row = 0; row < grid().getNumRows(); row++) {
            for (int col = 0; col < grid().getNumCols(); col++) {
                if (grid().cellObjects(col, row).contains(p)) {
                    found.insert({col, row});
                }
            }
        }
        return found;
    }
};

TEST_F(GridTest, DefaultCellsCutAnEightyByTwentyFourWorldIntoFourByThree) {
    EXPECT_EQ(grid().getCellWidth(), 20);
    EXPECT_EQ(grid().getCellHeight(), 8);
    EXPECT_EQ(grid().getNumCols(), 4);
    EXPECT_EQ(grid().getNumRows(), 3);
    world().setBoundary(Box(Vector(0, 0), 81, 17));
    EXPECT_EQ(grid().getNumCols(), 5);
    EXPECT_EQ(grid().getNumRows(), 3);
}

TEST_F(GridTest, BoxAcrossAColumnBorderCoversBothCells) {
    auto *p = new Probe(19.6f, 3);
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{0, 0}, {1, 0}}));
}

TEST_F(GridTest, FarEdgeExactlyOnABorderAlsoCoversTheNextCell) {
    auto *p = new Probe(10, 3);
    p->setBox(Box(Vector(0, 0), 10, 5)); // spans x 10..20, y 3..8
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST_F(GridTest, ObjectsReachingOutsideAreAlsoOutOfGrid) {
    auto *edge = new Probe(0, 5);
    EXPECT_EQ(cellsHolding(edge), (std::set<Cell>{{-1, -1}, {0, 0}}));
    auto *left = new Probe(-3, 5);
    EXPECT_EQ(cellsHolding(left), (std::set<Cell>{{-1, -1}}));
    auto *right = new Probe(95, 5);
    EXPECT_EQ(cellsHolding(right), (std::set<Cell>{{-1, -1}}));
    auto *below = new Probe(30, 23.8f);
    EXPECT_EQ(cellsHolding(below), (std::set<Cell>{{-1, -1}, {1, 2}}));
}

TEST_F(GridTest, MovingUpdatesOnlyTheCellsThatDiffer) {
    auto *p = new Probe(5, 5);
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{0, 0}}));
    p->setPosition(Vector(19.8f, 7.8f));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    p->setPosition(Vector(79.9f, 7.8f));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{-1, -1}, {3, 0}, {3, 1}}));
    p->setPosition(Vector(200, 200));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{-1, -1}}));
    p->setPosition(Vector(50, 12));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{2, 1}}));
}

TEST_F(GridTest, OnlyActiveSolidObjectsAreInTheGrid) {
    auto *p = new Probe(5, 5);
    p->setSolidness(nv::SPECTRAL);
    EXPECT_TRUE(cellsHolding(p).empty());
    p->setSolidness(nv::SOFT);
    EXPECT_EQ(cellsHolding(p).size(), 1u);
    p->setActive(false);
    EXPECT_TRUE(cellsHolding(p).empty());
    p->setPosition(Vector(50, 12));
    p->setActive(true);
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{2, 1}}));
}

TEST_F(GridTest, NeighboursTouchingAcrossACellBorderFindEachOther) {
    auto *a = new Probe(19.5f, 4);
    a->setBox(Box(Vector(-0.5f, -0.5f), 1, 0.99f)); // far edge exactly on x = 20
    auto *b = new Probe(20.5f, 4);
    ASSERT_EQ(cellsHolding(a), (std::set<Cell>{{0, 0}, {1, 0}}));
    ASSERT_EQ(cellsHolding(b), (std::set<Cell>{{1, 0}}));
    EXPECT_TRUE(world().getCollisions(a, a->getPosition()).contains(b));
    EXPECT_TRUE(world().getCollisions(b, b->getPosition()).contains(a));
    b->setPosition(Vector(20.51f, 4));
    EXPECT_FALSE(world().getCollisions(a, a->getPosition()).contains(b));
}

TEST_F(GridTest, CollisionsNeverIncludeTheAskerAndListEachObjectOnce) {
    auto *asker = new Probe(19.8f, 7.8f);
    auto *big = new Probe(20, 8);
    big->setBox(Box(Vector(-5, -5), 10, 10));
    const nv::ObjectList hits = world().getCollisions(asker, asker->getPosition());
    EXPECT_EQ(hits.getCount(), 1);
    EXPECT_EQ(hits[0], big);
    auto *ghost = new Probe(20, 8);
    ghost->setSolidness(nv::SPECTRAL);
    EXPECT_EQ(world().getCollisions(asker, asker->getPosition()).getCount(), 1);
    EXPECT_FALSE(world().getCollisions(asker, asker->getPosition()).contains(ghost));
}

TEST_F(GridTest, ObjectsOutsideTheGridStillCollide) {
    auto *a = new Probe(-10, -10);
    auto *b = new Probe(-10.5f, -10);
    EXPECT_TRUE(world().getCollisions(a, a->getPosition()).contains(b));
    EXPECT_TRUE(world().getCollisions(b, Vector(-10.3f, -10)).contains(a));
}

TEST_F(GridTest, StartingTwiceWarnsAndFails) {
    nv::Grid fresh;
    EXPECT_FALSE(fresh.isStarted());
    ASSERT_EQ(fresh.startUp(), 0);
    EXPECT_EQ(fresh.startUp(), -1);
    EXPECT_EQ(log->count("Grid::startUp(): Warning! Grid allocated. Not proceeding."), 1);
    fresh.shutDown();
    fresh.shutDown();
    EXPECT_FALSE(fresh.isStarted());
}

TEST_F(GridTest, StoppedGridAndNullObjectsAreRefused) {
    nv::Grid stopped;
    auto *p = new Probe();
    EXPECT_EQ(stopped.insertObject(p), -1);
    EXPECT_EQ(log->count("Grid::insertObject(): Error! grid is NULL"), 1);
    EXPECT_EQ(stopped.removeObject(p), -1);
    EXPECT_EQ(log->count("Grid::removeObject(): Error! grid is NULL"), 1);
    EXPECT_EQ(stopped.updatePosition(p, Vector(3, 3)), -1);
    EXPECT_EQ(log->count("Grid::updatePosition(): Error! grid is NULL"), 1);
    EXPECT_TRUE(stopped.getCollisions(p, Vector(3, 3)).isEmpty());
    EXPECT_EQ(log->count("Grid::getCollisions(): Error! grid is NULL"), 1);

    ASSERT_EQ(stopped.startUp(), 0);
    EXPECT_EQ(stopped.insertObject(nullptr), -1);
    EXPECT_EQ(log->count("Grid::insertObject(): Error! Object is NULL"), 1);
    EXPECT_TRUE(stopped.getCollisions(nullptr, Vector(3, 3)).isEmpty());
    EXPECT_EQ(log->count("Grid::getCollisions(): Error! Object is NULL"), 1);
}

TEST_F(GridTest, ZeroBoundaryPutsEverythingOutOfGrid) {
    world().setBoundary(Box());
    EXPECT_EQ(grid().getNumCols(), 0);
    EXPECT_EQ(grid().getNumRows(), 0);
    auto *a = new Probe(5, 5);
    auto *b = new Probe(5.5f, 5);
    EXPECT_EQ(cellsHolding(a), (std::set<Cell>{{-1, -1}}));
    EXPECT_TRUE(world().getCollisions(a, a->getPosition()).contains(b));
}

TEST_F(GridTest, ConfiguredCellSizesAreUsedAndNonsenseFallsBack) {
    nv::Config::getInstance().loadConfig("grid_width:10,grid_height:4,");
    world().setBoundary(Box(Vector(0, 0), 100, 40));
    EXPECT_EQ(grid().getNumCols(), 10);
    EXPECT_EQ(grid().getNumRows(), 10);

    nv::Config::getInstance().loadConfig("grid_width:0,grid_height:-3,");
    world().setBoundary(Box(Vector(0, 0), 80, 24));
    EXPECT_EQ(grid().getCellWidth(), 20);
    EXPECT_EQ(grid().getCellHeight(), 8);
    auto *p = new Probe(30, 10);
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{1, 1}}));
}

TEST_F(GridTest, CorruptPositionsDoNotBreakTheGrid) {
    auto *p = new Probe(5, 5);
    p->setPosition(Vector(std::nanf(""), 3));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{-1, -1}}));
    p->setPosition(Vector(1e30f, -1e30f));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{-1, -1}}));
    p->setPosition(Vector(5, 5));
    EXPECT_EQ(cellsHolding(p), (std::set<Cell>{{0, 0}}));
    world().setBoundary(Box(Vector(0, 0), 1e30f, 1e30f));
    EXPECT_FALSE(grid().isStarted() && grid().getNumCols() * grid().getNumRows() > 100000000);
}
