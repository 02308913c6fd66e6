#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PathTestSupport.h"
#include "core/GameManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "world/utility.h"

namespace {

using path_test::Cells;

// A walker that remembers every path report it receives.
class Recorder : public nv::Object {
public:
    explicit Recorder(bool pass_to_base = true) : to_base(pass_to_base) { setSolidness(nv::SPECTRAL); }

    int eventHandler(const nv::Event *p_e) override {
        if (p_e->getType() == nv::PATH_EVENT) {
            const auto *p_path_event = dynamic_cast<const nv::EventPath *>(p_e);
            results.push_back(p_path_event->getResult());
            paths.push_back(p_path_event->getPath());
            if (!to_base) {
                return 1;
            }
        }
        return Object::eventHandler(p_e);
    }

    std::vector<int> results;
    std::vector<nv::Path> paths;

private:
    bool to_base;
};

// A search whose every look at a cell takes a while, to spend the budget on purpose.
class SlowSearch : public nv::PathFind {
public:
    SlowSearch(nv::Object *p_o, int sx, int sy, int gx, int gy) : PathFind(p_o, sx, sy, gx, gy) {}
    bool isBlocked(int x, int y) const override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return PathFind::isBlocked(x, y);
    }
};

class PathManagerTest : public path_test::PathWorldTest {
protected:
    static nv::PathManager &paths() { return nv::PathManager::getInstance(); }

    static Recorder *recorderAt(int x, int y, bool pass_to_base = true) {
        auto *p_r = new Recorder(pass_to_base);
        p_r->setPosition(nv::Vector(static_cast<float>(x), static_cast<float>(y)));
        return p_r;
    }

    // Hands the object a search of the given kind and queues it, as a request would.
    template <class Search> static Search *give(nv::Object *p_o, int gx, int gy) {
        nv::Vector at = p_o->getPosition();
        auto p_search = std::make_unique<Search>(p_o, static_cast<int>(at.getX()), static_cast<int>(at.getY()), gx, gy);
        Search *p_raw = p_search.get();
        p_o->setPathSearch(std::move(p_search));
        paths().addPath(p_raw);
        return p_raw;
    }

    // Cycles until nothing is pending (or a bound of cycles is hit).
    static void cycleUntilIdle(int time = 10) {
        for (int i = 0; i < 1000 && paths().getNumSearches() > 0; i++) {
            paths().cycle(time);
        }
    }

    static std::size_t closedCount(const nv::Object *p_o) { return p_o->getPathSearch()->getClosedList().size(); }
};

TEST_F(PathManagerTest, StartUpTakesATenthOfTheFrameTime) {
    nv::GameManager::getInstance().setFrameTime(33);
    EXPECT_EQ(paths().startUp(), 0);
    EXPECT_TRUE(paths().isStarted());
    EXPECT_EQ(paths().getMaxCycleTime(), 3);
    EXPECT_EQ(paths().getType(), "PathManager");
}

TEST_F(PathManagerTest, SecondStartUpWarnsAndFails) {
    ASSERT_EQ(paths().startUp(), 0);
    EXPECT_EQ(paths().startUp(), -1);
    EXPECT_NE(newLog().find("PathManager::startup(): Warning! PathManager already started."), std::string::npos);
}

TEST_F(PathManagerTest, ShutDownLeavesThePendingSearches) {
    ASSERT_EQ(paths().startUp(), 0);
    Recorder *walker = recorderAt(2, 2);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(70, 20)), 0);
    paths().shutDown();
    EXPECT_FALSE(paths().isStarted());
    EXPECT_EQ(paths().getNumSearches(), 1);
    EXPECT_TRUE(paths().holds(walker->getPathSearch()));
}

TEST_F(PathManagerTest, CycleWithNoSearchesReturnsAtOnceAndLogsNothing) {
    auto before = std::chrono::steady_clock::now();
    paths().cycle(50);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(20));
    EXPECT_FALSE(paths().getCycleExceeded());
    EXPECT_EQ(newLog(), "");
}

TEST_F(PathManagerTest, SearchFoundInItsFirstStepIsReportedOnceAndRemoved) {
    Recorder *walker = recorderAt(4, 4);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(4, 4)), 0);
    ASSERT_NE(walker->getPathSearch(), nullptr);
    paths().cycle(10);
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(path_test::nodesOf(walker->paths[0]), (Cells{{4, 4}}));
    EXPECT_EQ(paths().getNumSearches(), 0);
    EXPECT_EQ(walker->getPathSearch(), nullptr);
    paths().cycle(10);
    EXPECT_EQ(walker->results.size(), 1u);
}

TEST_F(PathManagerTest, NoPathIsReportedWithResultZeroAndAnEmptyPath) {
    resetWorld(12, 8);
    for (int y = 0; y < 8; y++) {
        objectAt(6, y);
    }
    Recorder *walker = recorderAt(2, 2);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(10, 4)), 0);
    cycleUntilIdle();
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_NONE});
    EXPECT_TRUE(walker->paths[0].isDone());
    EXPECT_EQ(walker->paths[0].getNumNodes(), 0);
    EXPECT_FALSE(walker->getFollowPath());
    EXPECT_EQ(walker->getPathSearch(), nullptr);
}

TEST_F(PathManagerTest, SeveralSearchesAdvanceInTurn) {
    Recorder *a = recorderAt(1, 1);
    Recorder *b = recorderAt(1, 12);
    Recorder *c = recorderAt(1, 22);
    for (Recorder *r : {a, b, c}) {
        // Out of the world: the searches never end within a few milliseconds.
        give<SlowSearch>(r, 300, 300);
    }
    paths().cycle(200);
    std::size_t ca = closedCount(a);
    std::size_t cb = closedCount(b);
    std::size_t cc = closedCount(c);
    EXPECT_GE(ca, 2u);
    // Round robin: a search is never more than one step ahead of those after it, nor behind them.
    EXPECT_GE(ca, cb);
    EXPECT_GE(cb, cc);
    EXPECT_LE(ca, cc + 1);
    EXPECT_EQ(paths().getNumSearches(), 3);
}

TEST_F(PathManagerTest, EndedSearchLetsTheOthersGoOnAndItsSuccessorWaitsForTheNextPass) {
    Recorder *quick = recorderAt(5, 5);
    Recorder *b = recorderAt(1, 12);
    Recorder *c = recorderAt(1, 22);
    give<nv::PathFind>(quick, 5, 5);
    give<SlowSearch>(b, 300, 300);
    give<SlowSearch>(c, 300, 300);
    paths().cycle(200);
    EXPECT_EQ(quick->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(paths().getNumSearches(), 2);
    EXPECT_FALSE(paths().holds(quick->getPathSearch()));
    // b moved into the finished search's place during the first pass, so c was cycled first.
    std::size_t cb = closedCount(b);
    std::size_t cc = closedCount(c);
    EXPECT_GE(cc, cb);
    EXPECT_LE(cc, cb + 1);
    EXPECT_GE(cc, 2u);
}

TEST_F(PathManagerTest, EndedSearchReportsOnceEvenWhenTheHandlerKeepsIt) {
    Recorder *keeper = recorderAt(3, 3, false);
    ASSERT_EQ(paths().requestPath(keeper, nv::Vector(6, 3)), 0);
    for (int i = 0; i < 20; i++) {
        paths().cycle(5);
    }
    EXPECT_EQ(keeper->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(paths().getNumSearches(), 0);
    // Still the object's own, freed with it.
    EXPECT_NE(keeper->getPathSearch(), nullptr);
}

TEST_F(PathManagerTest, SlowStepSpendsTheBudgetAndIsAnOverrun) {
    Recorder *walker = recorderAt(1, 1);
    give<SlowSearch>(walker, 300, 300);
    paths().cycle(1);
    EXPECT_TRUE(paths().getCycleExceeded());
    EXPECT_EQ(closedCount(walker), 1u);
}

TEST_F(PathManagerTest, CycleStaysNearItsBudget) {
    Recorder *walker = recorderAt(1, 1);
    give<SlowSearch>(walker, 300, 300);
    auto before = std::chrono::steady_clock::now();
    paths().cycle(40);
    auto spent = std::chrono::steady_clock::now() - before;
    // One step may run past the budget; the whole search would take seconds.
    EXPECT_GE(spent, std::chrono::milliseconds(40));
    EXPECT_LT(spent, std::chrono::milliseconds(250));
    EXPECT_GT(closedCount(walker), 1u);
}

TEST_F(PathManagerTest, QuickSearchesWithinTheBudgetAreNoOverrun) {
    Recorder *walker = recorderAt(2, 2);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(9, 2)), 0);
    paths().cycle(50);
    EXPECT_EQ(walker->results.size(), 1u);
    EXPECT_FALSE(paths().getCycleExceeded());
}

TEST_F(PathManagerTest, BudgetIsNeverBelowTheLeastCycleTime) {
    Recorder *walker = recorderAt(1, 1);
    give<SlowSearch>(walker, 300, 300);
    paths().cycle(0);
    EXPECT_EQ(closedCount(walker), 0u) << "not started: no least time, and no time given";

    nv::GameManager::getInstance().setFrameTime(330);
    ASSERT_EQ(paths().startUp(), 0);
    ASSERT_EQ(paths().getMaxCycleTime(), 33);
    paths().cycle(-20);
    EXPECT_GT(closedCount(walker), 0u);
}

TEST_F(PathManagerTest, RemovePathRefusesNullAndStrangers) {
    EXPECT_EQ(paths().removePath(nullptr), -1);
    Recorder *walker = recorderAt(2, 2);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(30, 2)), 0);
    nv::PathFind *p_search = walker->getPathSearch();
    nv::PathFind stranger(walker, 2, 2, 3, 3);
    EXPECT_EQ(paths().removePath(&stranger), -1);
    EXPECT_EQ(paths().getNumSearches(), 1);
    EXPECT_EQ(paths().removePath(p_search), 0);
    EXPECT_EQ(paths().removePath(p_search), -1);
    EXPECT_EQ(paths().getNumSearches(), 0);
}

TEST_F(PathManagerTest, AddPathRefusesNullAndDuplicates) {
    Recorder *walker = recorderAt(2, 2);
    EXPECT_EQ(paths().addPath(nullptr), -1);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(30, 2)), 0);
    EXPECT_EQ(paths().addPath(walker->getPathSearch()), -1);
    EXPECT_EQ(paths().getNumSearches(), 1);
}

TEST_F(PathManagerTest, RequestTurnsPositionsIntoTheNearestCells) {
    Recorder *walker = recorderAt(0, 0);
    walker->setPosition(nv::Vector(2.4f, 3.6f));
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(7.5f, 1.49f)), 0);
    nv::PathFind *p_search = walker->getPathSearch();
    ASSERT_NE(p_search, nullptr);
    EXPECT_EQ(p_search->getStart(), (nv::PathFind::Cell{2, 4}));
    EXPECT_EQ(p_search->getGoal(), (nv::PathFind::Cell{8, 1}));
    EXPECT_EQ(p_search->getObject(), walker);
    EXPECT_EQ(p_search->getTarget(), nullptr);
    EXPECT_TRUE(paths().holds(p_search));
}

TEST_F(PathManagerTest, RequestRefusesWhatCannotBeSearched) {
    Recorder *walker = recorderAt(2, 2);
    EXPECT_EQ(paths().requestPath(nullptr, nv::Vector(3, 3)), -1);
    EXPECT_EQ(paths().requestPath(walker, static_cast<nv::Object *>(nullptr)), -1);
    EXPECT_EQ(paths().requestPath(walker, nv::Vector(std::nanf(""), 3)), -1);
    EXPECT_EQ(paths().requestPath(walker, nv::Vector(std::numeric_limits<float>::infinity(), 3)), -1);
    EXPECT_EQ(paths().requestPath(walker, nv::Vector(3e30f, 3)), -1);
    walker->setPosition(nv::Vector(-5, 40));
    EXPECT_EQ(paths().requestPath(walker, nv::Vector(3, 3)), -1);
    EXPECT_EQ(paths().getNumSearches(), 0);
    EXPECT_EQ(walker->getPathSearch(), nullptr);
    EXPECT_NE(newLog().find("PathManager::requestPath(): Error! start (-5,40) outside the world."), std::string::npos);
}

TEST_F(PathManagerTest, SecondRequestReplacesTheFirstCleanly) {
    Recorder *walker = recorderAt(2, 2);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(70, 2)), 0);
    paths().cycle(0);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(2, 9)), 0);
    EXPECT_EQ(paths().getNumSearches(), 1);
    EXPECT_TRUE(paths().holds(walker->getPathSearch()));
    cycleUntilIdle();
    ASSERT_EQ(walker->results.size(), 1u);
    EXPECT_EQ(path_test::nodesOf(walker->paths[0]).back(), std::make_pair(2, 9));
}

TEST_F(PathManagerTest, RequestFromTheReportHandlerIsKept) {
    // Asks again, after the base handler, whenever a report comes in: the new search must survive the old one.
    class Persistent : public Recorder {
    public:
        int eventHandler(const nv::Event *p_e) override {
            int used = Recorder::eventHandler(p_e);
            if (p_e->getType() == nv::PATH_EVENT && results.size() < 3) {
                nv::PathManager::getInstance().requestPath(this,
                                                           nv::Vector(10, 2 + static_cast<float>(results.size())));
            }
            return used;
        }
    };
    auto *walker = new Persistent;
    walker->setPosition(nv::Vector(2, 2));
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(10, 2)), 0);
    cycleUntilIdle();
    ASSERT_EQ(walker->results.size(), 3u);
    EXPECT_EQ(path_test::nodesOf(walker->paths[2]).back(), std::make_pair(10, 4));
    EXPECT_EQ(paths().getNumSearches(), 0);
}

TEST_F(PathManagerTest, ObjectDestroyedWhileItsSearchIsPendingLeavesNothing) {
    resetWorld(40, 20);
    for (int y = 0; y < 20; y++) {
        objectAt(20, y);
    }
    Recorder *walker = recorderAt(2, 2);
    Recorder *other = recorderAt(2, 10);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(30, 10)), 0);
    ASSERT_EQ(paths().requestPath(other, nv::Vector(10, 10)), 0);
    paths().cycle(0);
    nv::WorldManager::getInstance().markForDelete(walker);
    nv::WorldManager::getInstance().update();
    EXPECT_EQ(paths().getNumSearches(), 1);
    cycleUntilIdle();
    EXPECT_EQ(other->results, std::vector<int>{nv::PATH_FOUND});
}

TEST_F(PathManagerTest, TargetDestroyedWhileTheSearchIsPendingIsStillReached) {
    Recorder *walker = recorderAt(2, 2);
    nv::Object *target = objectAt(20, 2);
    ASSERT_EQ(paths().requestPath(walker, target), 0);
    EXPECT_EQ(walker->getPathSearch()->getTarget(), target);
    nv::WorldManager::getInstance().markForDelete(target);
    nv::WorldManager::getInstance().update();
    cycleUntilIdle();
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(path_test::nodesOf(walker->paths[0]).back(), std::make_pair(20, 2));
}

// Clears a wall the moment its report comes in.
class WallMover : public Recorder {
public:
    std::vector<nv::Object *> wall;
    int eventHandler(const nv::Event *p_e) override {
        if (p_e->getType() == nv::PATH_EVENT) {
            for (nv::Object *p_o : wall) {
                p_o->setSolidness(nv::SPECTRAL);
            }
        }
        return Recorder::eventHandler(p_e);
    }
};

// A corridor two cells high along rows 11 and 12, shut at x = 30 by a door of two hard objects.
std::vector<nv::Object *> corridorWithDoor() {
    for (int x = 0; x < 80; x++) {
        path_test::objectAt(x, 10);
        path_test::objectAt(x, 13);
    }
    return {path_test::objectAt(30, 11), path_test::objectAt(30, 12)};
}

TEST_F(PathManagerTest, WorldChangedByAReportIsSeenBySearchesStillRunning) {
    auto *mover = new WallMover;
    mover->setPosition(nv::Vector(5, 5));
    mover->wall = corridorWithDoor();
    Recorder *walker = recorderAt(29, 12);
    // The walker finds the door shut in its first step; then the mover's report opens it, and the walker's
    // second step looks at the door again.
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(60, 12)), 0);
    ASSERT_EQ(paths().requestPath(mover, nv::Vector(5, 5)), 0);
    paths().cycle(1000);
    ASSERT_EQ(mover->results, std::vector<int>{nv::PATH_FOUND});
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(path_test::nodesOf(walker->paths[0]).back(), std::make_pair(60, 12));
}

TEST_F(PathManagerTest, WorldChangedBetweenCyclesIsSeen) {
    std::vector<nv::Object *> door = corridorWithDoor();
    Recorder *walker = recorderAt(29, 12);
    give<SlowSearch>(walker, 60, 12);
    paths().cycle(1);
    ASSERT_EQ(closedCount(walker), 1u);
    for (nv::Object *p_o : door) {
        p_o->setSolidness(nv::SOFT);
    }
    cycleUntilIdle(1000);
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_FOUND});
    EXPECT_EQ(path_test::nodesOf(walker->paths[0]).back(), std::make_pair(60, 12));
}

TEST_F(PathManagerTest, FoundPathIsWalkedNodeByNode) {
    for (int y = 0; y < 5; y++) {
        objectAt(6, y);
    }
    Recorder *walker = recorderAt(2, 2);
    walker->setSpeed(1.0f);
    ASSERT_EQ(paths().requestPath(walker, nv::Vector(10, 2)), 0);
    cycleUntilIdle();
    ASSERT_EQ(walker->results, std::vector<int>{nv::PATH_FOUND});
    ASSERT_TRUE(walker->getFollowPath());
    EXPECT_EQ(walker->getPath(), walker->paths[0]);

    std::vector<nv::Vector> nodes = walker->paths[0].getNodes();
    std::size_t next = 1;
    for (int step = 0; step < 100 && walker->getFollowPath(); step++) {
        nv::WorldManager::getInstance().update();
        nv::Vector at = walker->getPosition();
        if (next < nodes.size() && at == nodes[next]) {
            next++;
        } else {
            EXPECT_TRUE(next < nodes.size() && nv::distanceBetween(at, nodes[next]) < 1.5f)
                << "strayed to " << at.toString();
        }
    }
    EXPECT_EQ(next, nodes.size());
    EXPECT_EQ(walker->getPosition(), nv::Vector(10, 2));
    EXPECT_FALSE(walker->getFollowPath());
    EXPECT_EQ(walker->getDirection(), nv::Vector(0, 0));
}

} // namespace
