#include <algorithm>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "display/ViewObject.h"
#include "world/utility.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

class WorldManagerTest : public world_test::WorldTest {};

TEST_F(WorldManagerTest, StartingTwiceWarnsAndStartResetsTheView) {
    EXPECT_EQ(world().startUp(), -1);
    EXPECT_EQ(log->count("WorldManager::startup(): Warning! WorldManager already started."), 1);
    world().shutDown();
    EXPECT_EQ(log->count("WorldManager::shutDown(): Successfully stopped."), 1);
    ASSERT_EQ(world().startUp(), 0);
    EXPECT_EQ(log->count("WorldManager::startUp(): successfully started."), 1);
    EXPECT_EQ(world().getBoundary(), Box());
    EXPECT_EQ(world().getView(), Box());
    EXPECT_EQ(world().getViewSlack(), Vector());
    EXPECT_EQ(world().getViewFollowing(), nullptr);
}

TEST_F(WorldManagerTest, BoundarySetBeforeStartDoesNotStopTheStart) {
    world().shutDown();
    world().setBoundary(Box(Vector(0, 0), 40, 40));
    EXPECT_EQ(world().startUp(), 0);
}

TEST_F(WorldManagerTest, ShutDownDeletesActiveAndInactiveObjects) {
    auto *a = new Probe();
    auto *b = new Probe();
    b->setActive(false);
    const int a_id = a->getId();
    const int b_id = b->getId();
    world().shutDown();
    EXPECT_EQ(Probe::destroyed(), (std::vector<int>{a_id, b_id}));
    EXPECT_TRUE(Probe::live().empty());
    EXPECT_TRUE(world().getAllObjects(true).isEmpty());
}

TEST_F(WorldManagerTest, MarkedObjectsAreDeletedOnceInMarkingOrderAtTheEndOfTheStep) {
    auto *a = new Probe();
    auto *b = new Probe();
    auto *c = new Probe();
    EXPECT_EQ(world().markForDelete(c), 0);
    EXPECT_EQ(world().markForDelete(a), 0);
    EXPECT_EQ(world().markForDelete(c), 0);
    EXPECT_TRUE(Probe::destroyed().empty()) << "nothing is deleted before the step ends";
    const int a_id = a->getId();
    const int c_id = c->getId();
    world().update();
    EXPECT_EQ(Probe::destroyed(), (std::vector<int>{c_id, a_id}));
    EXPECT_EQ(world().getAllObjects().getCount(), 1);
    EXPECT_TRUE(world().getAllObjects().contains(b));
    world().update();
    EXPECT_EQ(Probe::destroyed().size(), 2u);
}

TEST_F(WorldManagerTest, MarkedObjectStillMovesInItsLastStep) {
    auto *p = new Probe(5, 5);
    p->setVelocity(Vector(1, 0));
    Vector last;
    p->on_destroy = [&last, p] { last = p->getPosition(); };
    world().markForDelete(p);
    world().update();
    EXPECT_EQ(last, Vector(6, 5));
}

TEST_F(WorldManagerTest, ObjectMarkedByADestructorIsDeletedInTheSameStepExactlyOnce) {
    auto *a = new Probe();
    auto *b = new Probe();
    auto *c = new Probe();
    a->on_destroy = [this, b, c] {
        world().markForDelete(b);
        world().markForDelete(c);
    };
    world().markForDelete(a);
    world().markForDelete(c);
    const std::vector<int> expected{a->getId(), c->getId(), b->getId()};
    world().update();
    EXPECT_EQ(Probe::destroyed(), expected);
    EXPECT_TRUE(world().getAllObjects(true).isEmpty());
}

TEST_F(WorldManagerTest, ObjectsCreatedDuringAStepFirstMoveInTheNext) {
    auto *spawner = new Probe(10, 10);
    auto *wall = new Probe(11, 10);
    (void)wall;
    spawner->setVelocity(Vector(1, 0));
    Probe *child = nullptr;
    spawner->on_event = [&child](const nv::Event *) {
        if (child == nullptr) {
            child = new Probe(30, 5);
            child->setVelocity(Vector(0, 1));
        }
    };
    world().update();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->getPosition(), Vector(30, 5));
    world().update();
    EXPECT_EQ(child->getPosition(), Vector(30, 6));
}

TEST_F(WorldManagerTest, AllObjectsListsActiveThenInactive) {
    auto *a = new Probe();
    auto *b = new Probe();
    auto *c = new Probe();
    b->setActive(false);
    const nv::ObjectList active = world().getAllObjects();
    EXPECT_EQ(active.getCount(), 2);
    const nv::ObjectList all = world().getAllObjects(true);
    ASSERT_EQ(all.getCount(), 3);
    EXPECT_EQ(all[0], a);
    EXPECT_EQ(all[1], c);
    EXPECT_EQ(all[2], b);
}

TEST_F(WorldManagerTest, InactiveObjectsDoNotMove) {
    auto *p = new Probe(5, 5);
    p->setVelocity(Vector(1, 0));
    p->setActive(false);
    world().update();
    EXPECT_EQ(p->getPosition(), Vector(5, 5));
}

TEST_F(WorldManagerTest, AccelerationIsAppliedAfterTheMove) {
    auto *p = new Probe(5, 5);
    p->setSolidness(nv::SPECTRAL);
    p->setAcceleration(Vector(1, 0));
    world().update();
    EXPECT_EQ(p->getPosition(), Vector(5, 5));
    EXPECT_EQ(p->getVelocity(), Vector(1, 0));
    world().update();
    EXPECT_EQ(p->getPosition(), Vector(6, 5));
}

TEST_F(WorldManagerTest, ValidityOfEventTypes) {
    EXPECT_FALSE(world().isValid("nv-step"));
    EXPECT_EQ(log->count("WorldManager::isValid(): WorldManager does not handle nv-step"), 1);
    EXPECT_FALSE(world().isValid("nv-keyboard"));
    EXPECT_FALSE(world().isValid("nv-mouse"));
    EXPECT_FALSE(world().isValid("nv-out"));
    EXPECT_EQ(log->count("WorldManager::isValid(): Event nv-out handled automatically."), 1);
    EXPECT_TRUE(world().isValid("nv-path"));
    EXPECT_TRUE(world().isValid("nv-view"));
    EXPECT_TRUE(world().isValid("guard"));
}

TEST_F(WorldManagerTest, DrawsVisibleObjectsInTheViewAltitudeByAltitude) {
    auto *top = new Probe(5, 5);
    top->setAltitude(4);
    auto *bottom = new Probe(6, 5);
    bottom->setAltitude(0);
    auto *middle_a = new Probe(7, 5);
    auto *middle_b = new Probe(8, 5);
    auto *hidden = new Probe(9, 5);
    hidden->setVisible(false);
    auto *away = new Probe(200, 5);
    auto *edge = new Probe(80.4f, 24.4f);
    world().draw();
    EXPECT_EQ(Probe::drawn(),
              (std::vector<int>{bottom->getId(), middle_a->getId(), middle_b->getId(), edge->getId(), top->getId()}));
    (void)away;
}

namespace {

class HudProbe : public nv::ViewObject {
public:
    int draw() override {
        draws++;
        return 0;
    }
    int draws = 0;
};

} // namespace

TEST_F(WorldManagerTest, ViewObjectsAreDrawnWhereverTheyAre) {
    auto *hud = new HudProbe();
    hud->setPosition(Vector(500, 500));
    ASSERT_FALSE(nv::boxesOverlap(nv::worldBox(hud), world().getView()));
    auto *away = new Probe(500, 500);
    world().draw();
    EXPECT_EQ(hud->draws, 1);
    EXPECT_TRUE(Probe::drawn().empty()) << "an ordinary object off view is not drawn";
    (void)away;
}

TEST_F(WorldManagerTest, ViewPositionIsClampedToTheBoundary) {
    for (const Vector &where : {Vector(0, 0), Vector(40, 12), Vector(79, 23), Vector(-10, 100)}) {
        world().setViewPosition(where);
        EXPECT_EQ(world().getView().getCorner(), Vector(0, 0)) << where.toString();
    }
    world().setBoundary(Box(Vector(0, 0), 200, 50));
    world().setViewPosition(Vector(100, 25));
    EXPECT_EQ(world().getView().getCorner(), Vector(60, 13));
    world().setViewPosition(Vector(190, 49));
    EXPECT_EQ(world().getView().getCorner(), Vector(120, 26));
    world().setViewPosition(Vector(3, 3));
    EXPECT_EQ(world().getView().getCorner(), Vector(0, 0));
}

TEST_F(WorldManagerTest, FollowedObjectMovesTheViewOnlyPastTheSlack) {
    world().setBoundary(Box(Vector(0, 0), 200, 24));
    world().setViewSlack(Vector(1.0f / 3.0f, 1.0f / 3.0f));
    auto *p = new Probe(40, 12);
    p->setSolidness(nv::SPECTRAL);
    ASSERT_EQ(world().setViewFollowing(p), 0);
    EXPECT_EQ(world().getView().getCorner(), Vector(0, 0));

    float x = 40;
    while (x < 53) {
        x += 0.5f;
        world().moveObject(p, Vector(x, 12));
        EXPECT_EQ(world().getView().getCorner().getX(), 0.0f) << "x = " << x;
    }
    world().moveObject(p, Vector(54, 12));
    EXPECT_NEAR(world().getView().getCorner().getX(), 54.0f - (40.0f + 80.0f / 6.0f), 1e-4);
    float max_corner = 0;
    for (x = 54; x <= 260; x += 1) {
        world().moveObject(p, Vector(x, 12));
        max_corner = std::max(max_corner, world().getView().getCorner().getX());
    }
    EXPECT_EQ(max_corner, 120.0f);
    EXPECT_EQ(world().getView().getCorner().getX(), 120.0f);
    // Coming back, the view waits until the object passes the left edge of the slack region.
    world().moveObject(p, Vector(170, 12));
    EXPECT_EQ(world().getView().getCorner().getX(), 120.0f);
    world().moveObject(p, Vector(140, 12));
    EXPECT_NEAR(world().getView().getCorner().getX(), 140.0f - 80.0f / 3.0f, 1e-4);
}

TEST_F(WorldManagerTest, ZeroSlackKeepsTheFollowedObjectCentred) {
    world().setBoundary(Box(Vector(0, 0), 200, 100));
    auto *p = new Probe(100, 50);
    world().setViewFollowing(p);
    EXPECT_EQ(world().getView().getCorner(), Vector(60, 38));
    world().moveObject(p, Vector(101, 52));
    EXPECT_EQ(world().getView().getCorner(), Vector(61, 40));
}

TEST_F(WorldManagerTest, FollowingNeedsAnObjectInTheWorld) {
    auto *p = new Probe(10, 10);
    ASSERT_EQ(world().setViewFollowing(p), 0);
    nv::Object *stranger = reinterpret_cast<nv::Object *>(&log);
    EXPECT_EQ(world().setViewFollowing(stranger), -1);
    EXPECT_EQ(world().getViewFollowing(), p);
    auto *sleeper = new Probe();
    sleeper->setActive(false);
    EXPECT_EQ(world().setViewFollowing(sleeper), 0);
    EXPECT_EQ(world().setViewFollowing(nullptr), 0);
    EXPECT_EQ(world().getViewFollowing(), nullptr);
}

TEST_F(WorldManagerTest, DeletedObjectIsNoLongerFollowed) {
    auto *p = new Probe(10, 10);
    world().setViewFollowing(p);
    world().markForDelete(p);
    world().update();
    EXPECT_EQ(world().getViewFollowing(), nullptr);
}

TEST_F(WorldManagerTest, SlackOutsideTheUnitRangeIsWarnedAboutAndStored) {
    world().setViewSlack(Vector(1.5f, 0));
    EXPECT_EQ(log->count("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]"), 1);
    EXPECT_EQ(world().getViewSlack(), Vector(1.5f, 0));
    world().setViewSlack(Vector(1, 0));
    EXPECT_EQ(log->count("view slack units out of range"), 1);
}

TEST_F(WorldManagerTest, SameBoundaryDoesNothing) {
    log->mark();
    EXPECT_EQ(world().setBoundary(Box(Vector(0, 0), 80, 24)), 0);
    EXPECT_EQ(log->count("Scenegraph configuration: GRID"), 0);
    EXPECT_EQ(world().setBoundary(Box(Vector(0, 0), 81, 24)), 0);
    EXPECT_EQ(log->count("Scenegraph configuration: GRID"), 1);
}

TEST_F(WorldManagerTest, MarkingNullFails) {
    EXPECT_EQ(world().markForDelete(nullptr), -1);
    EXPECT_EQ(log->count("WorldManager::markForDelete(): Error! unable to add Object"), 1);
}
