#include <cmath>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/utility.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

class CollisionTest : public world_test::WorldTest {};

namespace {

struct RuleRow {
    nv::Solidness mover;
    bool no_soft;
    nv::Solidness obstacle;
    bool events;
    bool moves;
};

const char *name(nv::Solidness s) {
    return s == nv::HARD ? "HARD" : s == nv::SOFT ? "SOFT" : "SPECTRAL";
}

} // namespace

TEST_F(CollisionTest, SolidnessRulesTableRowByRow) {
    const RuleRow rows[] = {
        {nv::HARD, false, nv::HARD, true, false},     {nv::HARD, false, nv::SOFT, true, true},
        {nv::HARD, true, nv::HARD, true, false},      {nv::HARD, true, nv::SOFT, true, false},
        {nv::SOFT, false, nv::HARD, true, true},      {nv::SOFT, false, nv::SOFT, true, true},
        {nv::SOFT, true, nv::HARD, true, true},       {nv::SOFT, true, nv::SOFT, true, false},
        {nv::SPECTRAL, false, nv::HARD, false, true}, {nv::SPECTRAL, false, nv::SOFT, false, true},
        {nv::SPECTRAL, true, nv::SOFT, false, true},
    };
    for (const RuleRow &row : rows) {
        SCOPED_TRACE(std::string(name(row.mover)) + (row.no_soft ? "+no_soft" : "") + " onto " + name(row.obstacle));
        world_test::resetWorld();
        auto *mover = new Probe(10, 10);
        mover->setSolidness(row.mover);
        mover->setNoSoft(row.no_soft);
        auto *obstacle = new Probe(12, 10);
        obstacle->setSolidness(row.obstacle);

        const int result = world().moveObject(mover, Vector(12, 10));
        EXPECT_EQ(result, row.moves ? 0 : -1);
        EXPECT_EQ(mover->getPosition(), row.moves ? Vector(12, 10) : Vector(10, 10));
        const int expected = row.events ? 1 : 0;
        EXPECT_EQ(mover->count("nv-collision"), expected);
        EXPECT_EQ(obstacle->count("nv-collision"), expected);
        if (row.events) {
            ASSERT_EQ(mover->collisions.size(), 1u);
            EXPECT_EQ(mover->collisions[0].getObject1(), mover);
            EXPECT_EQ(mover->collisions[0].getObject2(), obstacle);
            EXPECT_EQ(mover->collisions[0].getPosition(), Vector(12, 10));
            EXPECT_EQ(obstacle->collisions[0].getObject1(), mover);
        }
    }
}

TEST_F(CollisionTest, SpectralObstaclesAndInactiveObjectsNeverCollide) {
    auto *mover = new Probe(10, 10);
    auto *ghost = new Probe(11, 10);
    ghost->setSolidness(nv::SPECTRAL);
    auto *sleeper = new Probe(12, 10);
    sleeper->setActive(false);
    EXPECT_EQ(world().moveObject(mover, Vector(11, 10)), 0);
    EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), 0);
    EXPECT_EQ(mover->count("nv-collision"), 0);
    EXPECT_EQ(ghost->count("nv-collision"), 0);
    EXPECT_EQ(sleeper->count("nv-collision"), 0);
}

TEST_F(CollisionTest, EveryHardObstacleGetsItsPairOfEventsAndTheMoveIsRefused) {
    auto *mover = new Probe(10, 10);
    auto *left = new Probe(11.6f, 10);
    auto *right = new Probe(12.4f, 10);
    EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), -1);
    EXPECT_EQ(mover->count("nv-collision"), 2);
    EXPECT_EQ(left->count("nv-collision"), 1);
    EXPECT_EQ(right->count("nv-collision"), 1);
    EXPECT_EQ(mover->getPosition(), Vector(10, 10));
}

TEST_F(CollisionTest, SoftObstacleAfterAHardOneStillGetsItsEvent) {
    auto *mover = new Probe(10, 10);
    auto *hard = new Probe(11.6f, 10);
    auto *soft = new Probe(12.4f, 10);
    soft->setSolidness(nv::SOFT);
    EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), -1);
    EXPECT_EQ(hard->count("nv-collision"), 1);
    EXPECT_EQ(soft->count("nv-collision"), 1);
}

TEST_F(CollisionTest, HandlerMovingAnotherObjectDuringDeliveryIsSafe) {
    auto *mover = new Probe(10, 10);
    auto *first = new Probe(11.6f, 10);
    auto *second = new Probe(12.4f, 10);
    auto *third = new Probe(30, 10);
    // The first obstacle pushes a bystander into a fourth object, a move nested inside this one.
    first->on_event = [&](const nv::Event *) { world().moveObject(third, Vector(40, 10)); };
    auto *fourth = new Probe(40, 10);
    EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), -1);
    EXPECT_EQ(second->count("nv-collision"), 1);
    EXPECT_EQ(fourth->count("nv-collision"), 1);
    EXPECT_EQ(mover->count("nv-collision"), 2);
}

TEST_F(CollisionTest, OutEventOnceOnLeavingAndAgainAfterReturning) {
    auto *p = new Probe(78, 10);
    p->setSolidness(nv::SPECTRAL);
    EXPECT_EQ(world().moveObject(p, Vector(80, 10)), 0);
    EXPECT_EQ(p->count("nv-out"), 0) << "a box still touching the boundary is inside";
    EXPECT_EQ(world().moveObject(p, Vector(85, 10)), 0);
    EXPECT_EQ(p->count("nv-out"), 1);
    world().moveObject(p, Vector(90, 10));
    world().moveObject(p, Vector(-50, 10));
    EXPECT_EQ(p->count("nv-out"), 1) << "already outside";
    world().moveObject(p, Vector(40, 10));
    EXPECT_EQ(p->count("nv-out"), 1);
    world().moveObject(p, Vector(40, 30));
    EXPECT_EQ(p->count("nv-out"), 2);
}

TEST_F(CollisionTest, OutEventReachesObjectsMovedByTheWorldUpdate) {
    auto *p = new Probe(79, 10);
    p->setVelocity(Vector(1, 0));
    world().update();
    world().update();
    EXPECT_EQ(p->count("nv-out"), 1);
    for (int i = 0; i < 5; i++) {
        world().update();
    }
    EXPECT_EQ(p->count("nv-out"), 1);
}

TEST_F(CollisionTest, NormalNamesTheSideThatWasTouched) {
    auto *obstacle = new Probe(10, 10);
    struct Case {
        Vector from;
        Vector velocity;
        Vector normal;
    };
    const Case cases[] = {
        {Vector(8, 10), Vector(1.5f, 0), Vector(-1, 0)},    {Vector(12, 10), Vector(-1.5f, 0), Vector(1, 0)},
        {Vector(10, 8), Vector(0, 1.5f), Vector(0, -1)},    {Vector(10, 12), Vector(0, -1.5f), Vector(0, 1)},
        {Vector(8, 8), Vector(1.5f, 1.5f), Vector(-1, -1)},
    };
    for (const Case &c : cases) {
        auto *mover = new Probe(c.from.getX(), c.from.getY());
        mover->setSolidness(nv::SPECTRAL);
        mover->setVelocity(c.velocity);
        EXPECT_EQ(nv::getNormal(mover, obstacle), c.normal) << c.from.toString();
        world().markForDelete(mover);
    }
    auto *far = new Probe(40, 10);
    EXPECT_EQ(nv::getNormal(far, obstacle), Vector(0, 0));
}

TEST_F(CollisionTest, AvoidingHardObjectsSlidesAlongAWallBelow) {
    for (int x = 3; x <= 12; x++) {
        new Probe(static_cast<float>(x), 6);
    }
    auto *mover = new Probe(6, 5);
    mover->setVelocity(Vector(0.5f, 1));
    mover->setAvoidCollisions(true);
    const Vector direction = mover->getDirection();
    EXPECT_EQ(world().moveObject(mover, Vector(6.5f, 6)), 0);
    EXPECT_FLOAT_EQ(mover->getPosition().getY(), 5.0f);
    EXPECT_FLOAT_EQ(mover->getPosition().getX(), 6.0f + std::sqrt(1.25f));
    EXPECT_EQ(mover->getDirection(), direction) << "only this step's destination changes";
    EXPECT_EQ(mover->count("nv-collision"), 0);
}

TEST_F(CollisionTest, AvoidingFailsWhenTheSlidePositionIsAlsoBlocked) {
    for (int x = 3; x <= 12; x++) {
        new Probe(static_cast<float>(x), 6);
    }
    auto *block = new Probe(7.5f, 5);
    auto *mover = new Probe(6, 5);
    mover->setVelocity(Vector(0.5f, 1));
    mover->setAvoidCollisions(true);
    EXPECT_EQ(world().moveObject(mover, Vector(6.5f, 6)), -1);
    EXPECT_EQ(mover->getPosition(), Vector(6, 5));
    EXPECT_EQ(mover->count("nv-collision"), 0);
    EXPECT_EQ(block->count("nv-collision"), 0);
}
