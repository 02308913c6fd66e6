#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "PathTestSupport.h"
#include "path/EventPath.h"

namespace {

using nv::Vector;
using Nodes = std::vector<Vector>;

nv::Path pathOf(Nodes nodes, int index = 0) {
    nv::Path path;
    path.setNodes(std::move(nodes));
    path.setIndex(index);
    return path;
}

TEST(Path, WalksItsNodesNeverPastTheEndAndWritesByteExactRecords) {
    nv::Path path = pathOf({Vector(1, 1), Vector(2, 2)});
    EXPECT_EQ(path.toString(), "(1,1)|(2,2)|");
    EXPECT_EQ(path.advance().currentNode(), Vector(2, 2));
    EXPECT_EQ(path.advance().advance().getIndex(), 2);
    EXPECT_EQ(pathOf({Vector(7, 7)}, -3).currentNode(), Vector(0, 0));
    const struct {
        Nodes nodes;
        std::string bytes;
    } cases[] = {{{}, std::string(8, '\0')},
                 {{Vector(1, 2), Vector(3, -6)},
                  std::string("\x02\0\0\0\0\0\0\0\0\0\x80\x3f\0\0\0\x40\0\0\x40\x40\0\0\xc0\xc0", 24)}};
    for (const auto &c : cases) {
        std::stringstream ss;
        ASSERT_EQ(pathOf(c.nodes, 1).serialize(&ss), 0);
        EXPECT_EQ(ss.str(), c.bytes);
        nv::Path received = pathOf({Vector(9, 9), Vector(8, 8)}, 2);
        ASSERT_EQ(received.deserialize(&ss), 0);
        EXPECT_EQ(received, pathOf(c.nodes, 2)) << "nodes read, index kept";
    }
}

// A walker that records its path reports; on_report runs after the base handler unless that is skipped.
struct Recorder : nv::Object {
    explicit Recorder(float x, float y, bool to_base = true) : pass_to_base(to_base) {
        setSolidness(nv::SPECTRAL);
        setPosition(Vector(x, y));
    }
    int eventHandler(const nv::Event *p_e) override {
        if (p_e->getType() != nv::PATH_EVENT) {
            return Object::eventHandler(p_e);
        }
        reports.push_back(*dynamic_cast<const nv::EventPath *>(p_e));
        int used = pass_to_base ? Object::eventHandler(p_e) : 1;
        return on_report ? (on_report(), used) : used;
    }
    bool pass_to_base;
    std::vector<nv::EventPath> reports;
    std::function<void()> on_report;
};

// A search whose every look at a cell takes ms milliseconds, to spend a budget on purpose.
struct SlowSearch : nv::PathFind {
    SlowSearch(nv::Object *p_o, int init_ms) : PathFind(p_o, 1, 1, 300, 300), ms(init_ms) {
        p_o->setPathSearch(std::unique_ptr<SlowSearch>(this));
        nv::PathManager::getInstance().addPath(this);
    }
    bool isBlocked(int x, int y) const override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return PathFind::isBlocked(x, y);
    }
    int ms;
};

using PathManagerTest = PathWorldTest;

TEST_F(PathManagerTest, EachFailureReturnsItsResultAndLogsItsLine) {
    auto *walker = new Recorder(2, 2);
    std::stringstream cut(std::string("\x02\0\0\0\0\0\0\0\0\0\x80\x3f\0\0\0\x40\0\0", 18));
    std::stringstream huge(std::string(8, '\xff') + std::string(8, '\0'));
    nv::Path read;
    const struct {
        std::function<int()> act;
        int result;
        const char *line;
    } cases[] = {
        {[&] { return read.deserialize(&cut) + 10 * read.getNumNodes(); }, 9,
         "Path::deserialize(): Error! Stream eof."},
        {[&] { return read.deserialize(&huge) + 10 * read.getNumNodes(); }, 9,
         "Path::deserialize(): Error! Stream eof."},
        {[&] { return nv::PathFind(walker, -4, 30, 2, 2).cycleOnce(); }, 0,
         "PathFind::cycleOnce(): Error! start (-4,30) outside the node graph."},
        {[&] { return paths.startUp() + paths.startUp(); }, -1,
         "PathManager::startup(): Warning! PathManager already started."},
        {[&] { return paths.requestPath(nullptr, Vector(3, 3)); }, -1, "PathManager::requestPath(): Error! no object."},
        {[&] { return paths.requestPath(walker, static_cast<nv::Object *>(nullptr)); }, -1,
         "PathManager::requestPath(): Error! no target."},
        {[&] { return paths.requestPath(walker, Vector(std::nanf(""), 3)); }, -1,
         "PathManager::requestPath(): Error! position (2,2) or goal (nan,3) not a cell."},
        {[&] { return paths.requestPath(walker, Vector(3e30f, 3)); }, -1, "goal (3e+30,3) not a cell."},
        {[&] { return walker->setPosition(Vector(-5, 40)), paths.requestPath(walker, Vector(3, 3)); }, -1,
         "PathManager::requestPath(): Error! start (-5,40) outside the world."},
        {[&] { return resetWorld(0, 0), nv::PathFind(nullptr, 0, 0, 3, 3).cycleOnce(); }, 0,
         "PathFind::cycleOnce(): node graph not allocated.  Cannot find path."},
    };
    for (const auto &c : cases) {
        const std::size_t mark = nv_test::fileText(logName()).size();
        EXPECT_EQ(c.act(), c.result) << c.line;
        EXPECT_NE(nv_test::fileText(logName()).find(c.line, mark), std::string::npos) << c.line;
    }
    EXPECT_EQ(read.deserialize(nullptr) + read.serialize(nullptr) + paths.addPath(nullptr) + paths.removePath(nullptr),
              -4);
}

TEST_F(PathManagerTest, TheBudgetIsCountedInStepsAsTheLargerOfTheLeastTimeAndTheTimeGiven) {
    paths.cycle(50);
    EXPECT_EQ(newLog(), "") << "nothing to do, nothing logged";
    auto *walker = new Recorder(1, 1);
    auto *slow = new SlowSearch(walker, 2);
    paths.cycle(0);
    EXPECT_EQ(slow->getClosedList().size(), 0u) << "no least time and no time given";
    paths.cycle(5);
    EXPECT_TRUE(paths.getCycleExceeded()) << "one step of 16 ms overruns 5 ms";
    EXPECT_EQ(slow->getClosedList().size(), 1u);
    auto before = std::chrono::steady_clock::now();
    paths.cycle(40);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(40));
    nv::GameManager::getInstance().setFrameTime(330);
    ASSERT_EQ(paths.startUp(), 0);
    EXPECT_EQ(paths.getMaxCycleTime(), 33);
    const std::size_t steps = slow->getClosedList().size();
    paths.cycle(-20);
    EXPECT_GT(slow->getClosedList().size(), steps);
    ASSERT_EQ(paths.requestPath(walker, Vector(9, 1)), 0);
    paths.cycle(5000);
    EXPECT_EQ(walker->reports.size(), 1u);
    EXPECT_FALSE(paths.getCycleExceeded());
}

TEST_F(PathManagerTest, EndedSearchesReportOnceAndTheOthersTakeTurns) {
    auto *keeper = new Recorder(3, 3, false), *b = new Recorder(1, 12), *c = new Recorder(1, 22);
    ASSERT_EQ(paths.requestPath(keeper, Vector(3, 3)), 0);
    auto *sb = new SlowSearch(b, 1), *sc = new SlowSearch(c, 1);
    paths.cycle(120);
    EXPECT_EQ(keeper->reports.size(), 1u) << "a handler that keeps its search hears of it once";
    EXPECT_TRUE(keeper->getPathSearch() != nullptr && !paths.holds(keeper->getPathSearch()));
    // b moved into the place of the ended search during the first pass, so c was cycled first.
    const std::size_t steps_b = sb->getClosedList().size(), steps_c = sc->getClosedList().size();
    EXPECT_TRUE(steps_c >= 2 && (steps_c == steps_b || steps_c == steps_b + 1)) << steps_b << " " << steps_c;
}

TEST_F(PathManagerTest, RequestsTakeTheNearestCellsReplaceTheSearchAndSeeTheWorldChangedByReportsAndDeletion) {
    auto *asker = new Recorder(2.4f, 3.6f);
    ASSERT_EQ(paths.requestPath(asker, Vector(7.5f, 1.49f)), 0);
    nv::PathFind *first = asker->getPathSearch();
    EXPECT_EQ(first->getStart(), (nv::PathFind::Cell{2, 4}));
    EXPECT_EQ(first->getGoal(), (nv::PathFind::Cell{8, 1}));
    nv::PathFind stranger(asker, 2, 2, 3, 3);
    EXPECT_EQ(paths.addPath(first) + paths.removePath(&stranger), -2);
    ASSERT_EQ(paths.requestPath(asker, Vector(2, 8)), 0);
    EXPECT_TRUE(paths.getNumSearches() == 1 && paths.holds(asker->getPathSearch()));
    // Asks again from its report while it has fewer than three: each new search survives the old one.
    asker->on_report = [asker] {
        if (asker->reports.size() < 3) {
            nv::PathManager::getInstance().requestPath(asker, Vector(10, 2 + float(asker->reports.size())));
        }
    };
    // A corridor along rows 11 and 12 shut at x = 30 by a door of two hard objects; the opener's report opens it.
    for (int x = 0; x < 80; x++) {
        objectAt(float(x), 10), objectAt(float(x), 13);
    }
    nv::Object *door[] = {objectAt(30, 11), objectAt(30, 12)};
    auto *walker = new Recorder(29, 12), *opener = new Recorder(5, 5), *doomed = new Recorder(1, 1);
    nv::Object *target = objectAt(60, 12, nv::SOFT);
    opener->on_report = [&door, walker] {
        door[0]->setSolidness(nv::SPECTRAL), door[1]->setSolidness(nv::SPECTRAL);
        EXPECT_EQ(walker->getPathSearch()->isBlocked(30, 12), walker->getPathSearch()->isBlockedNow(30, 12));
    };
    ASSERT_EQ(paths.requestPath(walker, target) + paths.requestPath(doomed, Vector(70, 20)), 0);
    ASSERT_EQ(paths.requestPath(opener, Vector(5, 5)), 0);
    nv::WorldManager::getInstance().markForDelete(target);
    nv::WorldManager::getInstance().markForDelete(doomed);
    nv::WorldManager::getInstance().update();
    for (int i = 0; i < 100 && paths.getNumSearches() > 0; i++) {
        paths.cycle(100);
    }
    ASSERT_EQ(walker->reports.size() + opener->reports.size(), 2u);
    EXPECT_EQ(walker->reports.at(0).getPath().getNodes().back(), Vector(60, 12));
    EXPECT_TRUE(opener->reports.at(0).getPath() == pathOf({Vector(5, 5)}) && opener->getPathSearch() == nullptr);
    ASSERT_EQ(asker->reports.size(), 3u);
    EXPECT_TRUE(asker->getFollowPath() && asker->getPath() == asker->reports[2].getPath());
    EXPECT_EQ(asker->reports[0].getPath().getNodes().back(), Vector(2, 8));
    EXPECT_EQ(asker->reports[2].getPath().getNodes().back(), Vector(10, 4));
}

} // namespace
