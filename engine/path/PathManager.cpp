#include "path/PathManager.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Clock.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "world/WorldManager.h"

namespace nv {

PathManager::PathManager() : max_cycle_time(0), cursor(0) {
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
    (void)time;
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
    (void)p_o;
    (void)goal;
    return -1;
}

int PathManager::requestPath(Object *p_o, Object *p_target) {
    (void)p_o;
    (void)p_target;
    return -1;
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

} // namespace nv
