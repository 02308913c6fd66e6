#include "path/PathManager.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Clock.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "world/Object.h"
#include "world/WorldManager.h"

namespace nv {

namespace {

// At most this many steps run between two readings of the clock.
const long long MAX_UNREAD_STEPS = 256;

} // namespace

PathManager::PathManager() : max_cycle_time(0), cursor(0), cycle_exceeded(false) {
    setType("PathManager");
}

PathManager::~PathManager() = default;

PathManager &PathManager::getInstance() {
    static PathManager instance;
    return instance;
}

int PathManager::startUp() {
    if (isStarted()) {
        LogManager::getInstance().writeLog("%s::startup(): Warning! %s already started.", getType().c_str(),
                                           getType().c_str());
        return -1;
    }
    max_cycle_time = GameManager::getInstance().getFrameTime() / 10;
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "PathManager::startUp(): successfully started.");
    return 0;
}

void PathManager::shutDown() {
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "PathManager::shutDown(): successfully stopped.");
}

void PathManager::cycle(int time) {
    cycle_exceeded = false;
    if (searches.empty()) {
        return;
    }
    const int budget = std::max(max_cycle_time, time);
    Clock clock;
    auto elapsed = [&clock]() { return clock.split() / 1000; };
    // Reading the clock costs about as much as a step of a search over open ground, so while the steps so far
    // say that the next ones take under a quarter of the time left, those run without a reading.
    long long steps = 0;
    long long unread_steps = 0;
    auto timeUp = [&](bool pass_start) {
        if (unread_steps > 0) {
            return false;
        }
        const long long us = clock.split();
        const long long ms = us / 1000;
        if (pass_start ? ms >= budget : ms > budget) {
            return true;
        }
        if (steps > 0) {
            const long long left_us = (static_cast<long long>(budget) + 1) * 1000 - us;
            unread_steps = std::min(MAX_UNREAD_STEPS, left_us * steps / (4 * std::max(us, 1LL)));
        }
        return false;
    };

    // Only searches run from here on, and none of them moves anything, until a report goes out.
    PathFind::holdWorldStill(true);
    bool out_of_time = false;
    while (!searches.empty() && !out_of_time) {
        if (timeUp(true)) {
            break;
        }
        for (cursor = 0; cursor < static_cast<int>(searches.size()); cursor++) {
            PathFind *p_search = searches[static_cast<std::size_t>(cursor)];
            int result = p_search->cycleOnce();
            steps++;
            unread_steps--;
            if (result == PATH_NONE || result == PATH_FOUND) {
                report(p_search, result);
                // A handler may take any time.
                unread_steps = 0;
            }
            if (timeUp(false)) {
                out_of_time = true;
                break;
            }
        }
    }
    PathFind::holdWorldStill(false);
    if (elapsed() > budget) {
        cycle_exceeded = true;
        LogManager::getInstance().writeLog(5, "PathManager::cycle(): cycle time %d exceeded.", budget);
    }
}

void PathManager::report(PathFind *p_search, int result) {
    EventPath event(result, result == PATH_FOUND ? p_search->getPath() : Path());
    Object *p_o = p_search->getObject();
    // Withdrawn before the handler runs: a finished search must never report twice, and once the handler has
    // run the search may be deleted, its memory even reused by a new request.
    removePath(p_search);
    if (p_o != nullptr) {
        PathFind::holdWorldStill(false);
        p_o->eventHandler(&event);
        PathFind::holdWorldStill(true);
    }
}

int PathManager::removePath(PathFind *p_search) {
    if (p_search == nullptr) {
        return -1;
    }
    auto first = std::remove(searches.begin(), searches.end(), p_search);
    if (first == searches.end()) {
        return -1;
    }
    searches.erase(first, searches.end());
    return 0;
}

int PathManager::addPath(PathFind *p_search) {
    if (p_search == nullptr || holds(p_search)) {
        return -1;
    }
    searches.push_back(p_search);
    return 0;
}

int PathManager::requestPath(Object *p_o, Vector goal) {
    return request(p_o, goal, nullptr);
}

int PathManager::requestPath(Object *p_o, Object *p_target) {
    if (p_target == nullptr) {
        LogManager::getInstance().writeLog("PathManager::requestPath(): Error! no target.");
        return -1;
    }
    return request(p_o, p_target->getPosition(), p_target);
}

int PathManager::request(Object *p_o, Vector goal, Object *p_target) {
    if (p_o == nullptr) {
        LogManager::getInstance().writeLog("PathManager::requestPath(): Error! no object.");
        return -1;
    }
    int start_x = 0;
    int start_y = 0;
    int goal_x = 0;
    int goal_y = 0;
    if (!toCell(p_o->getPosition(), &start_x, &start_y) || !toCell(goal, &goal_x, &goal_y)) {
        LogManager::getInstance().writeLog("PathManager::requestPath(): Error! position %s or goal %s not a cell.",
                                           p_o->getPosition().toString().c_str(), goal.toString().c_str());
        return -1;
    }
    Box boundary = WorldManager::getInstance().getBoundary();
    if (start_x < 0 || start_y < 0 || static_cast<float>(start_x) >= boundary.getHorizontal() ||
        static_cast<float>(start_y) >= boundary.getVertical()) {
        LogManager::getInstance().writeLog("PathManager::requestPath(): Error! start (%d,%d) outside the world.",
                                           start_x, start_y);
        return -1;
    }
    if (p_o->getPathSearch() != nullptr) {
        removePath(p_o->getPathSearch());
    }
    auto p_search = std::make_unique<PathFind>(p_o, start_x, start_y, goal_x, goal_y, p_target);
    PathFind *p_raw = p_search.get();
    p_o->setPathSearch(std::move(p_search));
    return addPath(p_raw);
}

bool PathManager::toCell(Vector where, int *p_x, int *p_y) {
    // Cells are centred on whole positions, so the nearest one is the one the object mostly covers.
    const float limit = 1.0e9f;
    float x = std::floor(where.getX() + 0.5f);
    float y = std::floor(where.getY() + 0.5f);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > limit || std::fabs(y) > limit) {
        return false;
    }
    *p_x = static_cast<int>(x);
    *p_y = static_cast<int>(y);
    return true;
}

int PathManager::getNumSearches() const {
    return static_cast<int>(searches.size());
}

bool PathManager::holds(const PathFind *p_search) const {
    return std::find(searches.begin(), searches.end(), p_search) != searches.end();
}

int PathManager::getMaxCycleTime() const {
    return max_cycle_time;
}

bool PathManager::getCycleExceeded() const {
    return cycle_exceeded;
}

} // namespace nv
