#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"
#include "display/ViewObject.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "world/ObjectArena.h"
#include "world/ObjectListIterator.h"
#include "world/utility.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;

namespace {

class World : public world_test::WorldTest {};

nv::Path pathThrough(std::vector<Vector> nodes) {
    nv::Path path;
    path.setNodes(nodes);
    return path;
}

TEST_F(World, SettersMarkTheirBitsAndRefuseBadValuesWithTheirMessage) {
    auto *p = new Probe();
    // clang-format off
    const std::vector<std::pair<std::function<int()>, unsigned int>> cases = {
        {[p] { p->setType("thing"); return 0; }, nv::TYPE}, {[p] { return p->setPosition(Vector(3, 4)); }, nv::POSITION},
        {[p] { return p->setSolidness(nv::SOFT); }, nv::SOLIDNESS}, {[p] { p->setAvoidCollisions(true); return 0; }, nv::AVOID_COLLISIONS},
        {[p] { return p->setAltitude(4); }, nv::ALTITUDE}, {[p] { p->setVelocity(Vector(1, 0)); return 0; }, nv::SPEED | nv::DIRECTION},
        {[p] { p->setAcceleration(Vector(0, 1)); return 0; }, nv::ACCELERATION}, {[p] { return p->setActive(false); }, nv::ACTIVE},
        {[p] { return p->setVisible(false); }, nv::VISIBLE}, {[p] { return p->setBox(Box(Vector(), 2, 2)); }, nv::BOX},
        {[p] { p->setShape(nv::Shape()); return 0; }, nv::SHAPE}, {[p] { p->setPath(nv::Path()); return 0; }, nv::PATH},
        {[p] { p->setFollowPath(false); return 0; }, nv::FOLLOW_PATH}, {[p] { return p->registerInterest("x"); }, nv::EVENTS},
        {[p] { p->setNoSoft(true); return 0; }, nv::NO_SOFT}, {[p] { return p->setActive(false); }, 0},
        {[p] { return p->setPosition(p->getPosition()) + p->setAltitude(4) + p->setBox(p->getBox()) + p->setSolidness(nv::SOFT); }, 0},
        {[p] { return p->setAltitude(5) + p->setAltitude(-1); }, 0}, {[p] { return p->setSolidness(nv::Solidness(3)); }, 0},
    };
    // clang-format on
    for (std::size_t i = 0; i < cases.size(); i++) {
        p->setModified(0);
        EXPECT_EQ(cases[i].first(), i < cases.size() - 2 ? 0 : i == cases.size() - 2 ? -2 : -1) << i;
        EXPECT_EQ(p->getModified(), cases[i].second) << i;
    }
    EXPECT_TRUE(log->has({"Object::setAltitude(): Altitude 5 not in range [0,4].  Ignored.",
                          "Object::setAltitude(): Altitude -1 not in range [0,4].  Ignored.",
                          "Object::setSolidness(): Solidness 3 not one of HARD, SOFT or SPECTRAL."}));
}

TEST_F(World, InterestsGoToTheOwningManagerUpToOneHundredAndLeaveWithTheObject) {
    auto *p = new Probe();
    const std::string owned[] = {nv::STEP_EVENT, nv::KEYBOARD_EVENT, nv::MOUSE_EVENT, nv::NETWORK_EVENT, "escape"};
    for (const std::string &type : owned) {
        ASSERT_EQ(p->registerInterest(type) + p->registerInterest(type), 0);
        EXPECT_EQ(record_test::reach(type), 1) << type;
    }
    EXPECT_EQ(p->registerInterest(nv::COLLISION_EVENT), -1);
    EXPECT_EQ(p->registerInterest("nv-keybaord") + p->unregisterInterest("nv-keybaord"), 0);
    EXPECT_TRUE(log->has({"Warning! 'nv-keybaord' is not an engine event type; no engine manager raises it."}));
    for (int i = 5; i < nv::MAX_OBJ_EVENTS; i++) {
        ASSERT_EQ(p->registerInterest("type-" + std::to_string(i)), 0);
    }
    EXPECT_EQ(p->registerInterest("one-more") + p->unregisterInterest("never"), -2);
    ASSERT_EQ(p->unregisterInterest("type-50") + p->registerInterest("one-more"), 0);
    EXPECT_EQ(record_test::reach("type-50") + record_test::reach("one-more"), 1);
    EXPECT_TRUE(log->has({"Object::registerInterest(): maximum (100) reached, cannot register for event 'one-more'",
                          "Object::unregisterInterest(): event 'never' not previously registered"}));
    world().markForDelete(p);
    world().update();
    for (const std::string &type : owned) {
        EXPECT_EQ(record_test::reach(type), 0) << type;
    }
    // clang-format off
    const std::pair<std::string, const char *> refused[] = {{nv::STEP_EVENT, "WorldManager does not handle nv-step"},
        {nv::KEYBOARD_EVENT, "does not handle nv-keyboard"}, {nv::MOUSE_EVENT, "does not handle nv-mouse"}, {nv::OUT_EVENT, "Event nv-out handled automatically."},
        {nv::COLLISION_EVENT, "Event nv-collision handled automatically."}, {nv::PATH_EVENT, nullptr}, {"nv-view", nullptr}, {"guard", nullptr}};
    // clang-format on
    for (const auto &[type, message] : refused) {
        log->mark();
        EXPECT_EQ(world().isValid(type), message == nullptr) << type;
        EXPECT_EQ(log->count(message != nullptr ? message : "isValid"), message != nullptr ? 1 : 0) << type;
    }
}

TEST_F(World, PathIsWalkedNodeByNodeSnappingWithinThreeQuartersOfTheSpeed) {
    auto *p = new Probe(1, 1, nv::SPECTRAL);
    p->setSpeed(1);
    p->setPath(pathThrough({Vector(5, 1), Vector(9, 1)}));
    p->setFollowPath(true);
    std::vector<float> xs;
    for (int step = 0; step < 10; step++) {
        world().update();
        xs.push_back(p->getPosition().getX());
    }
    EXPECT_EQ(xs, (std::vector<float>{2, 3, 4, 5, 6, 7, 8, 9, 9, 9}));
    EXPECT_TRUE(p->getDirection() == Vector(0, 0) && !p->getFollowPath());
    p->setSpeed(2);
    p->setPath(pathThrough({Vector(10.4f, 1), Vector(10.4f, 9)}));
    p->setFollowPath(true);
    p->followPathStep();
    EXPECT_EQ(p->getPosition(), Vector(10.4f, 1)) << "1.4 away is within 1.5";
    EXPECT_EQ(p->getDirection(), Vector(0, 1));
}

TEST_F(World, PathEventsEndTheSearchAndAFoundPathIsFollowed) {
    for (const int result : {nv::PATH_FOUND, nv::PATH_NONE}) {
        auto *p = new Probe(1, 1);
        auto search = std::make_unique<nv::PathFind>(p, 1, 1, 5, 1);
        nv::PathFind *p_search = search.get();
        ASSERT_EQ(nv::PathManager::getInstance().addPath(p_search), 0);
        p->setPathSearch(std::move(search));
        nv::EventPath event(result, pathThrough({Vector(3, 1), Vector(5, 1)}));
        EXPECT_EQ(p->eventHandler(&event), 1);
        EXPECT_EQ(p->getFollowPath(), result == nv::PATH_FOUND);
        EXPECT_EQ(p->getDirection(), result == nv::PATH_FOUND ? Vector(1, 0) : Vector());
        EXPECT_TRUE(p->getPathSearch() == nullptr && !nv::PathManager::getInstance().holds(p_search)) << result;
    }
    nv::Event fake;
    fake.setType(nv::PATH_EVENT);
    EXPECT_EQ((new nv::Object)->eventHandler(&fake), 0);
    EXPECT_EQ(log->count("Object::eventHandler(): Error! Dynamic cast to EventPath failed."), 1);
}

TEST_F(World, StartAndStopResetTheWorldAndObjectsBuiltWhileStoppedStayOutside) {
    EXPECT_EQ(world().startUp(), -1);
    auto *a = new Probe(), *b = new Probe();
    b->setActive(false);
    const std::vector<int> ids = {a->getId(), b->getId()};
    world().shutDown();
    EXPECT_EQ(Probe::destroyed, ids);
    EXPECT_FALSE(graph().getGrid().isStarted());
    auto outsider = std::make_unique<Probe>();
    EXPECT_TRUE(log->has(
        {"WorldManager::startup(): Warning! WorldManager already started.",
         "WorldManager::shutDown(): Successfully stopped.",
         "WorldManager::insertObject(): Warning! Not adding Object " + std::to_string(outsider->getId()),
         "                              because WorldManager not started.", "Object::Object(): Error! Unable to add"}));
    world().setBoundary(Box(Vector(0, 0), 40, 40));
    ASSERT_EQ(world().startUp(), 0);
    EXPECT_EQ(log->count("WorldManager::startUp(): successfully started."), 1);
    EXPECT_TRUE(world().getBoundary() == Box() && world().getView() == Box() && world().getViewSlack() == Vector());
    world_test::resetWorld();
    outsider->setActive(false);
    outsider->setActive(true);
    outsider->setBox(Box(Vector(0, 0), 3, 3));
    EXPECT_TRUE(world().getAllObjects(true).isEmpty());
    EXPECT_EQ(world().setViewFollowing(outsider.get()), -1);
    EXPECT_TRUE(world().getCollisions(outsider.get(), outsider->getPosition()).isEmpty());
}

TEST_F(World, SolidnessRulesDecideEventsAndMoves) {
    using nv::HARD, nv::SOFT, nv::SPECTRAL;
    // Mover, its no-soft flag, obstacle, whether both get collision events, whether the mover moves.
    // clang-format off
    const std::tuple<nv::Solidness, bool, nv::Solidness, bool, bool> rows[] = {
        {HARD, false, HARD, true, false}, {HARD, false, SOFT, true, true}, {HARD, true, HARD, true, false}, {HARD, true, SOFT, true, false},
        {SOFT, false, HARD, true, true}, {SOFT, false, SOFT, true, true}, {SOFT, true, HARD, true, true}, {SOFT, true, SOFT, true, false},
        {SPECTRAL, false, HARD, false, true}, {SPECTRAL, true, SOFT, false, true}, {HARD, false, SPECTRAL, false, true}};
    // clang-format on
    for (const auto &[mover_solidness, no_soft, obstacle_solidness, events, moves] : rows) {
        SCOPED_TRACE(std::to_string(mover_solidness) + std::to_string(no_soft) + std::to_string(obstacle_solidness));
        world_test::resetWorld();
        auto *mover = new Probe(10, 10, mover_solidness), *obstacle = new Probe(12, 10, obstacle_solidness);
        mover->setNoSoft(no_soft);
        EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), moves ? 0 : -1);
        EXPECT_EQ(mover->getPosition(), moves ? Vector(12, 10) : Vector(10, 10));
        EXPECT_EQ(mover->count(nv::COLLISION_EVENT) + obstacle->count(nv::COLLISION_EVENT), events ? 2 : 0);
        for (Probe *p : {mover, obstacle}) {
            for (const nv::EventCollision &c : p->collisions) {
                EXPECT_TRUE(c.getObject1() == mover && c.getObject2() == obstacle && c.getPosition() == Vector(12, 10));
            }
        }
    }
    auto *sleeper = new Probe(40, 10);
    sleeper->setActive(false);
    EXPECT_EQ(world().moveObject(new Probe(39, 10), Vector(40, 10)), 0);
    EXPECT_EQ(sleeper->count(nv::COLLISION_EVENT), 0);
}

TEST_F(World, EveryObstacleGetsItsPairOfEventsEvenWhenHandlersMoveOthers) {
    auto *mover = new Probe(10, 10), *hard = new Probe(11.6f, 10), *soft = new Probe(12.4f, 10, nv::SOFT);
    auto *bystander = new Probe(30, 10), *fourth = new Probe(40, 10);
    hard->on_event = [&](const nv::Event *) { world().moveObject(bystander, Vector(40, 10)); };
    EXPECT_EQ(world().moveObject(mover, Vector(12, 10)), -1);
    EXPECT_EQ(mover->count(nv::COLLISION_EVENT) * 10 + hard->count(nv::COLLISION_EVENT) +
                  soft->count(nv::COLLISION_EVENT) + fourth->count(nv::COLLISION_EVENT),
              23);
    EXPECT_EQ(mover->getPosition(), Vector(10, 10));
}

TEST_F(World, OutEventOnLeavingTheBoundaryOnly) {
    auto *p = new Probe(78, 10, nv::SPECTRAL);
    // clang-format off
    const std::pair<Vector, int> moves[] = {{Vector(80, 10), 0}, {Vector(85, 10), 1}, {Vector(90, 10), 1},
        {Vector(-50, 10), 1}, {Vector(40, 10), 1}, {Vector(40, 30), 2}};
    // clang-format on
    for (const auto &[where, outs] : moves) {
        EXPECT_EQ(world().moveObject(p, where), 0);
        EXPECT_EQ(p->count(nv::OUT_EVENT), outs) << where.toString();
    }
}

TEST_F(World, NormalNamesTheTouchedSideAndAvoidingSlidesAlongWalls) {
    auto *obstacle = new Probe(10, 10);
    // clang-format off
    const Vector cases[][3] = {{Vector(8, 10), Vector(1.5f, 0), Vector(-1, 0)}, {Vector(12, 10), Vector(-1.5f, 0), Vector(1, 0)},
        {Vector(10, 8), Vector(0, 1.5f), Vector(0, -1)}, {Vector(10, 12), Vector(0, -1.5f), Vector(0, 1)},
        {Vector(8, 8), Vector(1.5f, 1.5f), Vector(-1, -1)}, {Vector(40, 10), Vector(), Vector()}};
    // clang-format on
    for (const auto &c : cases) {
        auto *mover = new Probe(c[0].getX(), c[0].getY(), nv::SPECTRAL);
        mover->setVelocity(c[1]);
        EXPECT_EQ(nv::getNormal(mover, obstacle), c[2]) << c[0].toString();
    }
    world_test::resetWorld();
    for (int x = 3; x <= 12; x++) {
        new Probe(static_cast<float>(x), 6);
    }
    auto *mover = new Probe(6, 5);
    mover->setVelocity(Vector(0.5f, 1));
    mover->setAvoidCollisions(true);
    const Vector direction = mover->getDirection();
    EXPECT_EQ(world().moveObject(mover, Vector(6.5f, 6)), 0);
    EXPECT_EQ(mover->getPosition(), Vector(6.0f + std::sqrt(1.25f), 5));
    EXPECT_EQ(mover->getDirection(), direction) << "only this step's destination changes";
    auto *block = new Probe(8.5f, 5);
    EXPECT_EQ(world().moveObject(mover, mover->getPosition() + Vector(0.5f, 1)), -1);
    EXPECT_EQ(mover->count(nv::COLLISION_EVENT) + block->count(nv::COLLISION_EVENT), 0);
}

TEST_F(World, UpdateMovesThenDeletesTheMarkedOnceInMarkingOrder) {
    auto *a = new Probe(5, 5), *b = new Probe(10, 10), *c = new Probe(20, 5), *d = new Probe(30, 5);
    d->setActive(false);
    EXPECT_EQ(world().getAllObjects(true)[3], d) << "inactive objects come after the active ones";
    for (Probe *p : {a, c, d}) {
        p->setVelocity(Vector(1, 0));
    }
    c->setAcceleration(Vector(0, 1));
    new Probe(21, 5);
    Probe *child = nullptr, *late = nullptr;
    const auto spawn = [](Probe *&into, float x) {
        into = new Probe(x, 5);
        into->setVelocity(Vector(0, 1));
    };
    a->on_event = [&](const nv::Event *) { spawn(child, 50); };
    c->on_event = [&](const nv::Event *) { spawn(late, 70); };
    Vector last;
    a->on_destroy = [&] {
        last = a->getPosition();
        world().markForDelete(b);
        world().markForDelete(c);
    };
    a->registerInterest("spawn");
    EXPECT_EQ(world().markForDelete(a) + world().markForDelete(c) + world().markForDelete(a), 0);
    EXPECT_EQ(world().markForDelete(nullptr), -1);
    EXPECT_EQ(log->count("WorldManager::markForDelete(): Error! unable to add Object"), 1);
    record_test::reach("spawn");
    const std::vector<int> expected = {a->getId(), c->getId(), b->getId()};
    world().update();
    EXPECT_EQ(Probe::destroyed, expected);
    EXPECT_EQ(last, Vector(6, 5)) << "a marked object still moves in its last step";
    EXPECT_EQ(child->getPosition(), Vector(50, 6)) << "made before the step, it moves in it";
    EXPECT_EQ(d->getPosition(), Vector(30, 5));
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->getPosition(), Vector(70, 5)) << "made during the step, it waits for the next";
    auto *e = new Probe(60, 5, nv::SPECTRAL);
    e->setAcceleration(Vector(1, 0));
    world().update();
    EXPECT_EQ(e->getPosition(), Vector(60, 5)) << "acceleration comes after the move";
    world().update();
    EXPECT_EQ(e->getPosition() + late->getPosition(), Vector(131, 12));
}

class HudProbe : public nv::ViewObject {
public:
    int draw() override { return ++draws; }
    int draws = 0;
};

TEST_F(World, DrawsVisibleObjectsInTheViewAltitudeByAltitude) {
    std::vector<Probe *> p;
    for (float x : {5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 200.0f, 80.4f}) {
        p.push_back(new Probe(x, x == 80.4f ? 24.4f : 5));
    }
    p[0]->setAltitude(4);
    p[1]->setAltitude(0);
    p[4]->setVisible(false);
    auto *hud = new HudProbe();
    hud->setPosition(Vector(500, 500));
    world().draw();
    EXPECT_EQ(Probe::drawn,
              (std::vector<int>{p[1]->getId(), p[2]->getId(), p[3]->getId(), p[6]->getId(), p[0]->getId()}));
    EXPECT_EQ(hud->draws, 1) << "view objects are drawn wherever they are";
}

TEST_F(World, ViewIsClampedToTheBoundaryAndFollowsPastTheSlack) {
    world().setBoundary(Box(Vector(0, 0), 200, 50));
    // clang-format off
    const Vector clamp[][2] = {{Vector(100, 25), Vector(60, 13)}, {Vector(190, 49), Vector(120, 26)}, {Vector(3, 3), Vector(0, 0)}, {Vector(-10, 100), Vector(0, 26)}};
    // clang-format on
    for (const auto &c : clamp) {
        world().setViewPosition(c[0]);
        EXPECT_EQ(world().getView().getCorner(), c[1]);
    }
    auto *p = new Probe(100, 25, nv::SPECTRAL);
    ASSERT_EQ(world().setViewFollowing(p), 0);
    EXPECT_EQ(world().getView().getCorner(), Vector(60, 13));
    world().moveObject(p, Vector(101, 27));
    EXPECT_EQ(world().getView().getCorner(), Vector(61, 15)) << "no slack keeps it centred";
    world().setViewSlack(Vector(1.0f / 3.0f, 1.0f / 3.0f));
    world().setViewPosition(Vector(40, 12));
    for (float x = 40; x < 53; x += 0.5f) {
        world().moveObject(p, Vector(x, 12));
        EXPECT_EQ(world().getView().getCorner(), Vector(0, 0)) << "x = " << x;
    }
    // Each move starts from the view the one before left; the slack zone is 80/3 wide and 8 high around the centre.
    // clang-format off
    const Vector follow[][2] = {{Vector(54, 30), Vector(54 - (40 + 80.0f / 6), 14)}, {Vector(54, 15), Vector(54 - (40 + 80.0f / 6), 7)},
        {Vector(260, 15), Vector(120, 7)}, {Vector(170, 15), Vector(120, 7)}, {Vector(140, 15), Vector(140 - 80.0f / 3, 7)}};
    // clang-format on
    for (const auto &f : follow) {
        world().moveObject(p, f[0]);
        EXPECT_NEAR(world().getView().getCorner().getX(), f[1].getX(), 1e-4) << f[0].toString();
        EXPECT_NEAR(world().getView().getCorner().getY(), f[1].getY(), 1e-4) << f[0].toString();
    }
    EXPECT_EQ(world().setViewFollowing(reinterpret_cast<nv::Object *>(&log)), -1);
    EXPECT_EQ(world().getViewFollowing(), p);
    world().markForDelete(p);
    world().update();
    EXPECT_EQ(world().getViewFollowing(), nullptr);
    world().setViewSlack(Vector(1.5f, 0));
    EXPECT_EQ(log->count("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]"), 1);
    EXPECT_EQ(world().getViewSlack(), Vector(1.5f, 0));
    world().setViewSlack(Vector(1, 0));
    EXPECT_EQ(log->count("view slack units out of range"), 1);
}

TEST_F(World, SceneGraphFailuresAreLoudBeforeGameOverAndQuietAfter) {
    auto *p = new Probe();
    p->setType("ghost");
    auto *sleeper = new Probe();
    sleeper->setActive(false);
    EXPECT_TRUE(graph().visibleObjects(5).isEmpty());
    EXPECT_EQ(graph().updateAltitude(p, 7), -1);
    ASSERT_EQ(graph().removeObject(sleeper), 0);
    EXPECT_EQ(graph().removeObject(sleeper), -1);
    EXPECT_TRUE(
        log->has({"SceneGraph::visibleObjects(): Warning! altitude 5 not in [0,4].",
                  "SceneGraph::updateAltitude(): New altitude 7 not in [0,4]!  No update.",
                  "SceneGraph::removeObject(): Error removing Object (id " + std::to_string(sleeper->getId())}));
    ASSERT_EQ(graph().insertObject(sleeper), 0);
    // Take the object out of its visible list behind its back, so the next removals fail.
    ASSERT_EQ(graph().updateVisible(p, false), 0);
    for (const bool game_over : {false, true}) {
        nv::GameManager::getInstance().setGameOver(game_over);
        log->mark();
        EXPECT_EQ(graph().updateVisible(p, false) + p->setAltitude(3), game_over ? 0 : -2);
        EXPECT_EQ(graph().updateType(sleeper, "x"), -1);
        EXPECT_TRUE(log->has({"SceneGraph::updateVisible(): unable to remove visible object (ghost)",
                              "SceneGraph::updateAltitude(): remove from old altitude (2) failed!",
                              "\tObject: type ghost, id " + std::to_string(p->getId()),
                              "SceneGraph::updateType(): Error! Unable to remove Object (" +
                                  std::to_string(sleeper->getId()) + ") type (Undefined)"},
                             game_over ? 0 : 1));
    }
    EXPECT_TRUE(graph().visibleObjects(3).contains(p));
    ASSERT_EQ(p->setAltitude(3), 0);
    ASSERT_EQ(graph().updateVisible(p, false), 0);
    nv::GameManager::getInstance().setGameOver(false);
}

TEST_F(World, BoundaryChangeRebuildsTheGridWithTheObjectsInIt) {
    EXPECT_EQ(world().setBoundary(Box(Vector(0, 0), 80, 24)), 0);
    EXPECT_EQ(log->count("Scenegraph configuration: GRID"), 0) << "the same boundary does nothing";
    nv::Config::getInstance().loadConfig("grid_width:10,grid_height:4,");
    world().setBoundary(Box(Vector(0, 0), 100, 40));
    EXPECT_EQ(graph().getGrid().getNumCols() * 100 + graph().getGrid().getNumRows(), 1010);
    nv::Config::getInstance().loadConfig("grid_width:0,grid_height:-3,");
    world().setBoundary(Box(Vector(0, 0), 80, 24));
    EXPECT_EQ(graph().getGrid().getCellWidth() * 100 + graph().getGrid().getCellHeight(), 2008);
    world().setBoundary(Box(Vector(0, 0), 1e30f, 1e30f));
    EXPECT_EQ(graph().getGrid().getNumCols() + graph().getGrid().getNumRows(), 0) << "refused whole, not half kept";
    world().setBoundary(Box());
    EXPECT_EQ(record_test::cellsHolding(new Probe(5, 5)), (record_test::Cells{{{-1, -1}, 1}}));
}

TEST_F(World, CollisionQueriesFindTouchingNeighboursOnceAndNeverTheAsker) {
    auto *a = new Probe(19.5f, 4);
    a->setBox(Box(Vector(-0.5f, -0.5f), 1, 0.99f)); // far edge exactly on the cell border x = 20
    auto *b = new Probe(20.5f, 4);
    EXPECT_TRUE(world().getCollisions(a, a->getPosition()).contains(b));
    EXPECT_TRUE(world().getCollisions(b, b->getPosition()).contains(a));
    b->setPosition(Vector(20.51f, 4));
    EXPECT_FALSE(world().getCollisions(a, a->getPosition()).contains(b));
    auto *big = new Probe(20, 8);
    big->setBox(Box(Vector(-5, -5), 10, 10));
    new Probe(20, 8, nv::SPECTRAL);
    const nv::ObjectList hits = world().getCollisions(a, Vector(19.8f, 7.8f));
    EXPECT_EQ(hits.getCount(), 1);
    EXPECT_EQ(hits[0], big);
    auto *c = new Probe(-10, -10), *d = new Probe(-10.5f, -10);
    EXPECT_TRUE(world().getCollisions(c, c->getPosition()).contains(d)) << "outside the grid";
    EXPECT_TRUE(world().getCollisions(d, Vector(-10.3f, -10)).contains(c));
    c->setPosition(Vector(-20, -10));
    EXPECT_TRUE(world().getCollisions(d, d->getPosition()).isEmpty()) << "moves outside the grid are seen too";
    EXPECT_TRUE(world().getCollisions(d, Vector(-20.5f, -10)).contains(c));
}

TEST_F(World, GridFailuresAreReported) {
    nv::Grid grid;
    auto *p = new Probe();
    EXPECT_EQ(grid.insertObject(p) + grid.removeObject(p) + grid.updatePosition(p, Vector(3, 3)), -3);
    EXPECT_TRUE(grid.getCollisions(p, Vector(3, 3)).isEmpty());
    ASSERT_EQ(grid.startUp(), 0);
    EXPECT_EQ(grid.startUp() + grid.insertObject(nullptr), -2);
    EXPECT_TRUE(grid.getCollisions(nullptr, Vector(3, 3)).isEmpty());
    EXPECT_TRUE(grid.cellObjects(-2, 0).isEmpty() && grid.cellObjects(99, 0).isEmpty());
    EXPECT_TRUE(
        log->has({"Grid::insertObject(): Error! grid is NULL", "Grid::removeObject(): Error! grid is NULL",
                  "Grid::updatePosition(): Error! grid is NULL", "Grid::getCollisions(): Error! grid is NULL",
                  "Grid::startUp(): Warning! Grid allocated. Not proceeding.",
                  "Grid::insertObject(): Error! Object is NULL", "Grid::getCollisions(): Error! Object is NULL"}));
    grid.shutDown();
    grid.shutDown();
    EXPECT_FALSE(grid.isStarted());
    p->setPosition(Vector(std::nanf(""), 3));
    p->setPosition(Vector(1e30f, -1e30f));
    EXPECT_EQ(record_test::cellsHolding(p), (record_test::Cells{{{-1, -1}, 1}}));
}

TEST(Geometry, BoxesOverlapWhenTheyTouch) {
    const Box b(Vector(0, 0), 2, 2);
    // clang-format off
    const std::pair<Box, bool> overlaps[] = {{Box(Vector(2, 2), 1, 1), true}, {Box(Vector(2.5f, 0), 1, 1), false},
        {Box(Vector(0.5f, 0.5f), 0.1f, 0.1f), true}, {Box(Vector(1, 5), 1, 1), false}, {Box(Vector(1, 1), 0, 0), true},
        {Box(Vector(-1, -1), 1, 1), true}, {Box(Vector(-1.01f, 0), 1, 1), false}, {Box(Vector(2.01f, 0), 0, 0), false}};
    // clang-format on
    for (const auto &[other, want] : overlaps) {
        EXPECT_EQ(nv::boxesOverlap(b, other), want) << other.toString();
        EXPECT_EQ(nv::boxesOverlap(other, b), want) << other.toString();
        EXPECT_EQ(nv::boxContainsPoint(b, other.getCorner()), nv::inRange(other.getCorner().getX(), 0, 2) &&
                                                                  nv::inRange(other.getCorner().getY(), 0, 2) &&
                                                                  !nv::inRange(1, 2, 1));
    }
}

TEST_F(World, ObjectListsGrowByDoublingAndKeepTheirOrder) {
    nv::Object *a = new Probe(), *b = new Probe(), *c = new Probe();
    nv::ObjectList list;
    for (nv::Object *p : {a, b, c, a, b}) {
        ASSERT_EQ(list.insert(p), 0);
    }
    EXPECT_EQ(list.insert(nullptr) + list.remove(a), -1);
    nv::ObjectList copy(list);
    copy.remove(b);
    copy = copy;
    const nv::ObjectList sum = copy + list;
    ASSERT_EQ(sum.getCount(), 7);
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(sum[i], (std::vector<nv::Object *>{c, a, b, b, c, a, b}[i])) << i;
    list.clear();
    EXPECT_EQ(list.remove(a), -1);
    EXPECT_THROW(copy[3], std::out_of_range);
    EXPECT_THROW(list[-1], std::out_of_range);
    EXPECT_EQ(log->count("ObjectList::operator[](): Error! Index 3 out of range [0, 2]"), 1);
    nv::ObjectListIterator it(&list);
    EXPECT_EQ(it.currentObject(), nullptr);
    it.setList(&copy);
    copy.remove(c);
    it.next();
    EXPECT_EQ(it.currentObject(), b) << "removing the current item skips the one moving into its place";
    it.next();
    it.next();
    copy.insert(c);
    EXPECT_EQ(it.currentObject(), c) << "the count is read at every call";
    it.first();
    EXPECT_EQ(it.currentObject(), a);
}

TEST(ObjectArena, LiveBlocksNeverShareBytesAndFreedOnesComeBack) {
    for (std::size_t size : {1u, 16u, 17u, 264u, 1024u, 1025u, 5000u}) {
        std::vector<unsigned char *> blocks;
        for (int round = 0; round < 2; round++) {
            for (int i = 0; i < 40; i++) {
                blocks.push_back(static_cast<unsigned char *>(nv::ObjectArena::allocate(size)));
                std::fill(blocks.back(), blocks.back() + size, static_cast<unsigned char>(i));
            }
            for (int i = 0; i < 40; i++) {
                ASSERT_EQ(*blocks[static_cast<std::size_t>(i)], i) << size << " bytes: block " << i << " overwritten";
                ASSERT_EQ(blocks[static_cast<std::size_t>(i)][size - 1], i) << size;
            }
            for (unsigned char *p : blocks) {
                nv::ObjectArena::release(p, size);
            }
            blocks.clear();
        }
    }
}

} // namespace
