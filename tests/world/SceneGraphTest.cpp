#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/SceneGraph.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

class SceneGraphTest : public world_test::WorldTest {
protected:
    bool inGrid(const nv::Object *p) {
        const nv::Grid &grid = graph().getGrid();
        for (int row = -1; row < grid.getNumRows(); row++) {
            for (int col = -1; col < grid.getNumCols(); col++) {
                if ((row == -1) != (col == -1)) {
                    continue;
                }
                if (grid.cellObjects(col, row).contains(p)) {
                    return true;
                }
            }
        }
        return false;
    }
    bool inVisible(const nv::Object *p) {
        for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
            if (graph().visibleObjects(alt).contains(p)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(SceneGraphTest, NewObjectIsInAllFiveIndexesAndDeactivationLeavesOnlyInactive) {
    auto *p = new Probe(5, 5);
    p->setType("crate");
    EXPECT_TRUE(graph().activeObjects().contains(p));
    EXPECT_TRUE(graph().objectsOfType("crate").contains(p));
    EXPECT_TRUE(graph().solidObjects().contains(p));
    EXPECT_TRUE(inGrid(p));
    EXPECT_TRUE(graph().visibleObjects(2).contains(p));
    EXPECT_FALSE(graph().inactiveObjects().contains(p));

    ASSERT_EQ(p->setActive(false), 0);
    EXPECT_FALSE(graph().activeObjects().contains(p));
    EXPECT_FALSE(graph().objectsOfType("crate").contains(p));
    EXPECT_FALSE(graph().solidObjects().contains(p));
    EXPECT_FALSE(inGrid(p));
    EXPECT_FALSE(inVisible(p));
    EXPECT_TRUE(graph().inactiveObjects().contains(p));

    ASSERT_EQ(p->setActive(true), 0);
    EXPECT_TRUE(graph().activeObjects().contains(p));
    EXPECT_TRUE(graph().objectsOfType("crate").contains(p));
    EXPECT_TRUE(graph().solidObjects().contains(p));
    EXPECT_TRUE(inGrid(p));
    EXPECT_TRUE(graph().visibleObjects(2).contains(p));
    EXPECT_FALSE(graph().inactiveObjects().contains(p));
}

TEST_F(SceneGraphTest, SolidnessChangesMoveTheObjectInAndOutOfTheSolidIndexes) {
    auto *p = new Probe(5, 5);
    ASSERT_EQ(p->setSolidness(nv::SOFT), 0);
    EXPECT_TRUE(graph().solidObjects().contains(p));
    EXPECT_TRUE(inGrid(p));
    ASSERT_EQ(p->setSolidness(nv::HARD), 0);
    ASSERT_EQ(p->setSolidness(nv::SPECTRAL), 0);
    EXPECT_FALSE(graph().solidObjects().contains(p));
    EXPECT_FALSE(inGrid(p));
    ASSERT_EQ(p->setSolidness(nv::SOFT), 0);
    EXPECT_TRUE(graph().solidObjects().contains(p));
    EXPECT_TRUE(inGrid(p));
    EXPECT_EQ(graph().solidObjects().getCount(), 1);
}

TEST_F(SceneGraphTest, InvisibleObjectChangesAltitudeWithoutJoiningAList) {
    auto *p = new Probe(5, 5);
    ASSERT_EQ(p->setVisible(false), 0);
    EXPECT_FALSE(inVisible(p));
    ASSERT_EQ(p->setAltitude(0), 0);
    EXPECT_FALSE(inVisible(p));
    ASSERT_EQ(p->setVisible(true), 0);
    EXPECT_TRUE(graph().visibleObjects(0).contains(p));
    EXPECT_FALSE(graph().visibleObjects(2).contains(p));
}

TEST_F(SceneGraphTest, InactiveObjectChangesAreStoredAndAppliedOnReactivation) {
    auto *p = new Probe(5, 5);
    p->setActive(false);
    EXPECT_EQ(p->setAltitude(4), 0);
    EXPECT_EQ(p->setSolidness(nv::SPECTRAL), 0);
    p->setType("late");
    EXPECT_EQ(p->setVisible(false), 0);
    EXPECT_EQ(p->setVisible(true), 0);
    EXPECT_EQ(graph().inactiveObjects().getCount(), 1);
    EXPECT_FALSE(inVisible(p));
    p->setActive(true);
    EXPECT_TRUE(graph().visibleObjects(4).contains(p));
    EXPECT_TRUE(graph().objectsOfType("late").contains(p));
    EXPECT_TRUE(graph().objectsOfType("(Undefined)").isEmpty());
    EXPECT_FALSE(graph().solidObjects().contains(p));
}

TEST_F(SceneGraphTest, TypeChangeMovesBetweenTypeLists) {
    auto *p = new Probe();
    auto *q = new Probe();
    p->setType("guard");
    EXPECT_TRUE(graph().objectsOfType("guard").contains(p));
    EXPECT_EQ(world().objectsOfType("(Undefined)").getCount(), 1);
    EXPECT_TRUE(world().objectsOfType("(Undefined)").contains(q));
    p->setType("player");
    EXPECT_TRUE(world().objectsOfType("guard").isEmpty());
    EXPECT_TRUE(world().objectsOfType("player").contains(p));
}

TEST_F(SceneGraphTest, VisibleObjectsOutsideTheAltitudeRangeWarns) {
    new Probe();
    EXPECT_TRUE(graph().visibleObjects(5).isEmpty());
    EXPECT_EQ(log->count("SceneGraph::visibleObjects(): Warning! altitude 5 not in [0,4]."), 1);
    EXPECT_TRUE(graph().visibleObjects(-1).isEmpty());
}

TEST_F(SceneGraphTest, RemovingAnObjectThatIsNotThereIsReported) {
    auto *p = new Probe();
    ASSERT_EQ(graph().removeObject(p), 0);
    EXPECT_EQ(graph().removeObject(p), -1);
    EXPECT_EQ(log->count("SceneGraph::removeObject(): Error removing Object (id " + std::to_string(p->getId()) +
                         ")! Pointer is "),
              1);
    ASSERT_EQ(graph().insertObject(p), 0);
}

TEST_F(SceneGraphTest, FailedRemovalsAreLoudBeforeGameOverAndQuietAfter) {
    auto *p = new Probe();
    p->setType("ghost");
    auto *sleeper = new Probe();
    sleeper->setActive(false);
    // Take the object out of its visible list behind its back, so the next removals fail.
    ASSERT_EQ(graph().updateVisible(p, false), 0);

    EXPECT_EQ(graph().updateVisible(p, false), -1);
    EXPECT_EQ(log->count("SceneGraph::updateVisible(): unable to remove visible object (ghost)"), 1);
    EXPECT_EQ(graph().updateAltitude(p, 3), -1);
    EXPECT_EQ(log->count("SceneGraph::updateAltitude(): remove from old altitude (2) failed!"), 1);
    EXPECT_EQ(log->count("\tObject: type ghost, id " + std::to_string(p->getId())), 1);
    EXPECT_FALSE(graph().visibleObjects(3).contains(p));
    EXPECT_EQ(graph().updateType(sleeper, "x"), -1);
    EXPECT_EQ(log->count("SceneGraph::updateType(): Error! Unable to remove Object (" +
                         std::to_string(sleeper->getId()) + ") type (Undefined)"),
              1);

    nv::GameManager::getInstance().setGameOver(true);
    log->mark();
    EXPECT_EQ(graph().updateVisible(p, false), 0) << "a failed removal counts as done after game over";
    EXPECT_EQ(graph().updateAltitude(p, 3), 0);
    EXPECT_TRUE(graph().visibleObjects(3).contains(p));
    EXPECT_EQ(graph().updateType(sleeper, "x"), -1) << "other results stay as they are";
    EXPECT_EQ(log->count("SceneGraph::"), 0);

    // Bring the lists back in line with the object's flags: altitude 3, visible, listed once.
    ASSERT_EQ(p->setAltitude(3), 0);
    ASSERT_EQ(graph().updateVisible(p, false), 0);
    EXPECT_EQ(graph().visibleObjects(3).getCount(), 1);
    nv::GameManager::getInstance().setGameOver(false);
}

TEST_F(SceneGraphTest, AltitudeUpdateRejectsOutOfRangeValues) {
    auto *p = new Probe();
    EXPECT_EQ(graph().updateAltitude(p, 7), -1);
    EXPECT_EQ(log->count("SceneGraph::updateAltitude(): New altitude 7 not in [0,4]!  No update."), 1);
}

TEST_F(SceneGraphTest, BoundaryChangeReentersObjectsIntoTheNewGridAndTypeMap) {
    auto *wall = new Probe(100, 10);
    wall->setType("wall");
    auto *mover = new Probe(98, 10);
    world().setBoundary(Box(Vector(0, 0), 200, 24));
    EXPECT_TRUE(inGrid(wall));
    EXPECT_TRUE(graph().objectsOfType("wall").contains(wall));
    EXPECT_TRUE(world().getCollisions(mover, Vector(99.5f, 10)).contains(wall));
    EXPECT_EQ(world().moveObject(mover, Vector(99.5f, 10)), -1);
    EXPECT_EQ(wall->count("nv-collision"), 1);
    // Once re-entered, moves keep the grid exact: no stale cells from the old extent.
    wall->setPosition(Vector(150, 10));
    EXPECT_TRUE(world().getCollisions(mover, Vector(99.5f, 10)).isEmpty());
    EXPECT_TRUE(world().getCollisions(mover, Vector(150, 10)).contains(wall));
}
