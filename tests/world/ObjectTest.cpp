#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "core/GameManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "world/Object.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

class ObjectTest : public world_test::WorldTest {
protected:
    static nv::Path pathThrough(std::initializer_list<Vector> nodes) {
        nv::Path path;
        path.setNodes(std::vector<Vector>(nodes));
        return path;
    }
};

TEST_F(ObjectTest, IdsCountUpFromOneObjectToTheNext) {
    auto *first = new Probe();
    auto *second = new Probe();
    EXPECT_GE(first->getId(), 1);
    EXPECT_EQ(second->getId(), first->getId() + 1);
}

TEST_F(ObjectTest, NewObjectHasTheDefaults) {
    auto *p = new nv::Object();
    EXPECT_EQ(p->getType(), "(Undefined)");
    EXPECT_TRUE(p->isActive());
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->getBox(), Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(p->getPosition(), Vector(1, 1));
    EXPECT_EQ(p->getDirection(), Vector(0, 0));
    EXPECT_EQ(p->getSpeed(), 0.0f);
    EXPECT_EQ(p->getAcceleration(), Vector(0, 0));
    EXPECT_EQ(p->getAltitude(), 2);
    EXPECT_EQ(p->getSolidness(), nv::HARD);
    EXPECT_EQ(p->getAnimation().getSprite(), nullptr);
    EXPECT_FALSE(p->getNoSoft());
    EXPECT_FALSE(p->getAvoidCollisions());
    EXPECT_FALSE(p->getFollowPath());
    EXPECT_EQ(p->getShape().getType(), nv::UNDEFINED_SHAPE);
    EXPECT_EQ(p->getPathSearch(), nullptr);
    EXPECT_EQ(p->getEventCount(), 0);
    EXPECT_TRUE(p->isModified());
    EXPECT_EQ(p->getModified(), 0x3ffffu);
    EXPECT_TRUE(world().getAllObjects().contains(p));
}

TEST_F(ObjectTest, SettersMarkTheirAttributeBits) {
    auto *p = new Probe();
    struct Case {
        const char *name;
        std::function<void()> change;
        unsigned int bits;
    };
    const std::vector<Case> cases = {
        {"type", [p] { p->setType("thing"); }, nv::TYPE},
        {"position", [p] { p->setPosition(Vector(3, 4)); }, nv::POSITION},
        {"solidness", [p] { p->setSolidness(nv::SOFT); }, nv::SOLIDNESS},
        {"avoid", [p] { p->setAvoidCollisions(true); }, nv::AVOID_COLLISIONS},
        {"altitude", [p] { p->setAltitude(3); }, nv::ALTITUDE},
        {"velocity", [p] { p->setVelocity(Vector(1, 0)); }, nv::SPEED | nv::DIRECTION},
        {"acceleration", [p] { p->setAcceleration(Vector(0, 1)); }, nv::ACCELERATION},
        {"active", [p] { p->setActive(false); }, nv::ACTIVE},
        {"visible", [p] { p->setVisible(false); }, nv::VISIBLE},
        {"box", [p] { p->setBox(Box(Vector(0, 0), 2, 2)); }, nv::BOX},
        {"shape", [p] { p->setShape(nv::Shape()); }, nv::SHAPE},
        {"path", [p] { p->setPath(nv::Path()); }, nv::PATH},
        {"follow", [p] { p->setFollowPath(false); }, nv::FOLLOW_PATH},
        {"events", [p] { p->registerInterest("something"); }, nv::EVENTS},
        {"no_soft", [p] { p->setNoSoft(true); }, nv::NO_SOFT},
    };
    for (const Case &c : cases) {
        p->setModified(0);
        c.change();
        EXPECT_EQ(p->getModified(), c.bits) << c.name;
    }
    p->setModified(0);
    EXPECT_FALSE(p->isModified());
    EXPECT_EQ(p->setPosition(p->getPosition()), 0);
    EXPECT_EQ(p->setAltitude(p->getAltitude()), 0);
    EXPECT_EQ(p->setBox(p->getBox()), 0);
    EXPECT_EQ(p->getModified(), 0u) << "unchanged values mark nothing";
}

TEST_F(ObjectTest, AltitudeOutsideRangeIsRefused) {
    auto *p = new Probe();
    EXPECT_EQ(p->setAltitude(5), -1);
    EXPECT_EQ(log->count("Object::setAltitude(): Altitude 5 not in range [0,4].  Ignored."), 1);
    EXPECT_EQ(p->setAltitude(-1), -1);
    EXPECT_EQ(log->count("Object::setAltitude(): Altitude -1 not in range [0,4].  Ignored."), 1);
    EXPECT_EQ(p->getAltitude(), 2);
    EXPECT_EQ(p->setAltitude(4), 0);
    EXPECT_EQ(p->getAltitude(), 4);
    EXPECT_TRUE(graph().visibleObjects(4).contains(p));
}

TEST_F(ObjectTest, UnknownSolidnessIsRefused) {
    auto *p = new Probe();
    EXPECT_EQ(p->setSolidness(static_cast<nv::Solidness>(3)), -1);
    EXPECT_EQ(p->setSolidness(static_cast<nv::Solidness>(-1)), -1);
    EXPECT_EQ(log->count("Object::setSolidness(): Solidness 3 not one of HARD, SOFT or SPECTRAL."), 1);
    EXPECT_EQ(log->count("Object::setSolidness(): Solidness -1 not one of HARD, SOFT or SPECTRAL."), 1);
    EXPECT_EQ(p->getSolidness(), nv::HARD);
    p->setModified(0);
    EXPECT_EQ(p->setSolidness(nv::HARD), 0);
    EXPECT_EQ(p->getModified(), 0u);
    EXPECT_EQ(nv::solidnessToString(nv::SPECTRAL), "spectral");
    EXPECT_EQ(nv::solidnessToString(static_cast<nv::Solidness>(7)), "undefined");
}

TEST_F(ObjectTest, VelocitySplitsIntoSpeedAndDirection) {
    auto *p = new Probe();
    p->setVelocity(Vector(0, -2));
    EXPECT_FLOAT_EQ(p->getSpeed(), 2.0f);
    EXPECT_EQ(p->getDirection(), Vector(0, -1));
    EXPECT_EQ(p->getVelocity(), Vector(0, -2));
    EXPECT_EQ(p->predictPosition(), Vector(1, -1));

    p->setDirection(Vector(3, 4));
    EXPECT_FLOAT_EQ(p->getDirection().getMagnitude(), 1.0f);
    p->setDirection(Vector(0, 0));
    EXPECT_EQ(p->getDirection(), Vector(0, 0));

    p->setVelocity(Vector(1, 0));
    p->setAcceleration(Vector(0, 1));
    p->applyAcceleration();
    EXPECT_FLOAT_EQ(p->getVelocity().getX(), 1.0f);
    EXPECT_FLOAT_EQ(p->getVelocity().getY(), 1.0f);
    EXPECT_FLOAT_EQ(p->getSpeed(), std::sqrt(2.0f));
}

TEST_F(ObjectTest, RegistrationStopsAtOneHundredTypes) {
    auto *p = new Probe();
    for (int i = 0; i < nv::MAX_OBJ_EVENTS; i++) {
        ASSERT_EQ(p->registerInterest("type-" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(p->registerInterest("one-more"), -1);
    EXPECT_EQ(log->count("Object::registerInterest(): maximum (100) reached, cannot register for event 'one-more'"), 1);
    ASSERT_EQ(p->unregisterInterest("type-50"), 0);
    EXPECT_EQ(p->getEventCount(), 99);
    EXPECT_EQ(p->registerInterest("one-more"), 0);

    nv::Event custom;
    custom.setType("type-50");
    EXPECT_EQ(world().onEvent(&custom), 0);
    custom.setType("type-51");
    EXPECT_EQ(world().onEvent(&custom), 1);
}

TEST_F(ObjectTest, UnregisteringAnUnknownTypeFails) {
    auto *p = new Probe();
    EXPECT_EQ(p->unregisterInterest("never"), -1);
    EXPECT_EQ(log->count("Object::unregisterInterest(): event 'never' not previously registered"), 1);
}

TEST_F(ObjectTest, RegisteringTwiceIsRecordedOnce) {
    auto *p = new Probe();
    ASSERT_EQ(p->registerInterest("ping"), 0);
    ASSERT_EQ(p->registerInterest("ping"), 0);
    EXPECT_EQ(p->getEventCount(), 1);
    ASSERT_EQ(p->unregisterInterest("ping"), 0);
    EXPECT_EQ(p->getEventCount(), 0);
    nv::Event ping;
    ping.setType("ping");
    EXPECT_EQ(world().onEvent(&ping), 0);
}

TEST_F(ObjectTest, RegistrationGoesToTheManagerThatRaisesTheType) {
    auto *p = new Probe();
    ASSERT_EQ(p->registerInterest("nv-step"), 0);
    ASSERT_EQ(p->registerInterest("nv-keyboard"), 0);
    ASSERT_EQ(p->registerInterest("nv-mouse"), 0);
    ASSERT_EQ(p->registerInterest("nv-network"), 0);
    ASSERT_EQ(p->registerInterest("escape"), 0);

    nv::Event e;
    e.setType("nv-step");
    EXPECT_EQ(nv::GameManager::getInstance().onEvent(&e), 1);
    e.setType("nv-keyboard");
    EXPECT_EQ(nv::InputManager::getInstance().onEvent(&e), 1);
    e.setType("nv-mouse");
    EXPECT_EQ(nv::InputManager::getInstance().onEvent(&e), 1);
    e.setType("nv-network");
    EXPECT_EQ(nv::NetworkManager::getInstance().onEvent(&e), 1);
    e.setType("escape");
    EXPECT_EQ(world().onEvent(&e), 1);
    EXPECT_EQ(p->count("nv-step"), 1);
    EXPECT_EQ(p->count("nv-keyboard"), 1);
    EXPECT_EQ(p->count("escape"), 1);

    // Destruction withdraws every registration, so nobody is reached afterwards.
    world().markForDelete(p);
    world().update();
    e.setType("nv-step");
    EXPECT_EQ(nv::GameManager::getInstance().onEvent(&e), 0);
    e.setType("nv-keyboard");
    EXPECT_EQ(nv::InputManager::getInstance().onEvent(&e), 0);
    e.setType("nv-network");
    EXPECT_EQ(nv::NetworkManager::getInstance().onEvent(&e), 0);
    e.setType("escape");
    EXPECT_EQ(world().onEvent(&e), 0);
}

TEST_F(ObjectTest, CollisionAndOutEventsCannotBeRegisteredFor) {
    auto *p = new Probe();
    EXPECT_EQ(p->registerInterest("nv-collision"), -1);
    EXPECT_EQ(log->count("WorldManager::isValid(): Event nv-collision handled automatically."), 1);
    EXPECT_EQ(p->registerInterest("nv-out"), -1);
    EXPECT_EQ(p->getEventCount(), 0);
}

TEST_F(ObjectTest, FollowsPathNodeByNodeAndStopsAtTheEnd) {
    auto *p = new Probe(1, 1);
    p->setSolidness(nv::SPECTRAL);
    p->setSpeed(1);
    p->setPath(pathThrough({Vector(5, 1), Vector(9, 1)}));
    p->setFollowPath(true);
    EXPECT_EQ(p->getDirection(), Vector(1, 0));

    std::vector<float> xs;
    for (int step = 0; step < 10; step++) {
        world().update();
        xs.push_back(p->getPosition().getX());
    }
    EXPECT_EQ(xs, (std::vector<float>{2, 3, 4, 5, 6, 7, 8, 9, 9, 9}));
    EXPECT_EQ(p->getDirection(), Vector(0, 0));
    EXPECT_FALSE(p->getFollowPath());
    EXPECT_TRUE(p->getPath().isDone());
}

TEST_F(ObjectTest, SnapsOntoANodeWithinThreeQuartersOfItsSpeed) {
    auto *p = new Probe(1, 1);
    p->setSolidness(nv::SPECTRAL);
    p->setSpeed(2);
    p->setPath(pathThrough({Vector(2.4f, 1), Vector(2.4f, 9)}));
    p->setFollowPath(true);
    p->followPathStep();
    EXPECT_EQ(p->getPosition(), Vector(2.4f, 1)) << "1.4 away is within 1.5";
    EXPECT_EQ(p->getDirection(), Vector(0, 1));
    EXPECT_EQ(p->getPath().getIndex(), 1);
}

TEST_F(ObjectTest, FoundPathEventStartsFollowingAndEndsTheSearch) {
    auto *p = new Probe(1, 1);
    auto search = std::make_unique<nv::PathFind>(p, 1, 1, 5, 1);
    nv::PathFind *p_search = search.get();
    ASSERT_EQ(nv::PathManager::getInstance().addPath(p_search), 0);
    p->setPathSearch(std::move(search));

    nv::EventPath found(nv::PATH_FOUND, pathThrough({Vector(3, 1), Vector(5, 1)}));
    EXPECT_EQ(p->eventHandler(&found), 1);
    EXPECT_TRUE(p->getFollowPath());
    EXPECT_EQ(p->getDirection(), Vector(1, 0));
    EXPECT_EQ(p->getPath().getNumNodes(), 2);
    EXPECT_EQ(p->getPathSearch(), nullptr);
    EXPECT_FALSE(nv::PathManager::getInstance().holds(p_search));
}

TEST_F(ObjectTest, FailedPathEventOnlyEndsTheSearch) {
    auto *p = new Probe(1, 1);
    auto search = std::make_unique<nv::PathFind>(p, 1, 1, 5, 1);
    nv::PathFind *p_search = search.get();
    nv::PathManager::getInstance().addPath(p_search);
    p->setPathSearch(std::move(search));
    nv::EventPath none(nv::PATH_NONE, nv::Path());
    EXPECT_EQ(p->eventHandler(&none), 1);
    EXPECT_FALSE(p->getFollowPath());
    EXPECT_FALSE(nv::PathManager::getInstance().holds(p_search));
}

TEST_F(ObjectTest, DestroyingAnObjectWithdrawsItsSearch) {
    auto *p = new Probe(1, 1);
    auto search = std::make_unique<nv::PathFind>(p, 1, 1, 5, 1);
    nv::PathFind *p_search = search.get();
    nv::PathManager::getInstance().addPath(p_search);
    p->setPathSearch(std::move(search));
    world().markForDelete(p);
    world().update();
    EXPECT_FALSE(nv::PathManager::getInstance().holds(p_search));
}

TEST_F(ObjectTest, PathTypedEventOfAnotherClassIsRejected) {
    auto *p = new nv::Object();
    nv::Event fake;
    fake.setType("nv-path");
    EXPECT_EQ(p->eventHandler(&fake), 0);
    EXPECT_EQ(log->count("Object::eventHandler(): Error! Dynamic cast to EventPath failed."), 1);
    fake.setType("anything");
    EXPECT_EQ(p->eventHandler(&fake), 0);
}

TEST_F(ObjectTest, ObjectBuiltWhileTheWorldIsStoppedStaysOutsideEveryList) {
    world().shutDown();
    log->mark();
    auto outsider = std::make_unique<Probe>();
    EXPECT_EQ(
        log->count("WorldManager::insertObject(): Warning! Not adding Object " + std::to_string(outsider->getId())), 1);
    EXPECT_EQ(log->count("                              because WorldManager not started."), 1);
    EXPECT_EQ(log->count("Object::Object(): Error! Unable to add"), 1);
    world().startUp();
    world().setBoundary(Box(Vector(0, 0), 80, 24));
    // Setters must not smuggle it into the world's lists, where it would dangle once its owner deletes it.
    outsider->setActive(false);
    outsider->setActive(true);
    outsider->setVisible(false);
    outsider->setVisible(true);
    outsider->setBox(Box(Vector(0, 0), 3, 3));
    EXPECT_FALSE(world().getAllObjects(true).contains(outsider.get()));
    EXPECT_EQ(world().setViewFollowing(outsider.get()), -1);
    EXPECT_TRUE(world().getCollisions(outsider.get(), outsider->getPosition()).isEmpty());
}
