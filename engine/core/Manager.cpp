#include "core/Manager.h"

#include <utility>

#include "core/Event.h"
#include "core/LogManager.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"

namespace nv {

namespace {

// Keeps the nesting depth right even when a handler throws.
class DepthGuard {
public:
    explicit DepthGuard(std::size_t &depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    std::size_t &m_depth;
};

} // namespace

// Creating the log manager first makes it outlive this manager, so destructors that log at exit stay safe.
Manager::Manager() : Manager(CoreManager{}) {
    LogManager::getInstance();
}

Manager::Manager(CoreManager)
    : type("Manager"), is_started(false), event_count(0), obj_list(std::make_unique<ObjectList[]>(MAX_EVENTS)),
      dispatch_depth(0) {}

Manager::~Manager() = default;

std::string Manager::getType() const {
    return type;
}

void Manager::setType(std::string new_type) {
    type = std::move(new_type);
}

bool Manager::isStarted() const {
    return is_started;
}

bool Manager::isValid(std::string) const {
    return false;
}

int Manager::startUp() {
    if (is_started) {
        LogManager::getInstance().writeLog(1, "Manager::startUp(): Warning! %s already started.", type.c_str());
    }
    is_started = true;
    return 0;
}

void Manager::shutDown() {
    if (!is_started) {
        LogManager::getInstance().writeLog(1, "Manager::shutDown(): Warning! %s not started.", type.c_str());
    }
    is_started = false;
}

int Manager::onEvent(const Event *p_event) const {
    if (p_event == nullptr) {
        return 0;
    }
    const std::string &event_type = p_event->typeName();
    if (event_type == UNDEFINED_EVENT) {
        LogManager::getInstance().writeLog(1, "Manager(%s)::onEvent(): Warning! Event type %s is undefined.",
                                           type.c_str(), event_type.c_str());
        return 0;
    }
    if (!isValid(event_type)) {
        LogManager::getInstance().writeLog(1, "Manager(%s)::onEvent(): Error! Event type %s not valid.", type.c_str(),
                                           event_type.c_str());
        return 0;
    }

    // Each type has one row. Handlers may remove it and make it anew at the end of the table, so the scan stops at
    // the first match: going on could deliver the same event to the same objects a second time.
    int row = 0;
    while (row < event_count && event_name[row] != event_type) {
        row++;
    }
    if (row == event_count) {
        return 0;
    }

    // A handler may raise another event through this manager, so each nesting level has its own snapshot.
    const std::size_t level = dispatch_depth;
    if (dispatch_scratch.size() <= level) {
        dispatch_scratch.resize(level + 1);
    }
    DepthGuard guard(dispatch_depth);
    // Deliver from a snapshot so handlers may register or unregister while the event is delivered. Nested
    // deliveries may grow the scratch table, so the snapshot is reached by index, never held by reference.
    dispatch_scratch[level].clear();
    for (ObjectListIterator li(&obj_list[row]); !li.isDone(); li.next()) {
        dispatch_scratch[level].push_back(li.currentObject());
    }
    int count = 0;
    const std::size_t num = dispatch_scratch[level].size();
    for (std::size_t i = 0; i < num; i++) {
        Object *p_o = dispatch_scratch[level][i];
        if (p_o->isActive()) {
            p_o->eventHandler(p_event);
            count++;
        }
    }
    return count;
}

int Manager::registerInterest(Object *p_o, std::string event_type) {
    if (!isValid(event_type)) {
        LogManager::getInstance().writeLog("Manager(%s)::registerInterest(): Event '%s' not valid for this Manager",
                                           type.c_str(), event_type.c_str());
        return -1;
    }
    for (int row = 0; row < event_count; row++) {
        if (event_name[row] != event_type) {
            continue;
        }
        if (obj_list[row].contains(p_o)) {
            LogManager::getInstance().writeLog(1,
                                               "Manager::registerInterest(): Warning! Not adding id %d (%s) twice "
                                               "for event %s.",
                                               p_o->getId(), p_o->getType().c_str(), event_type.c_str());
            return 0;
        }
        return obj_list[row].insert(p_o);
    }
    if (event_count >= MAX_EVENTS) {
        return -1;
    }
    obj_list[event_count].clear();
    if (obj_list[event_count].insert(p_o) != 0) {
        return -1;
    }
    event_name[event_count] = std::move(event_type);
    event_count++;
    return 0;
}

int Manager::unregisterInterest(Object *p_o, std::string event_type) {
    for (int row = 0; row < event_count; row++) {
        if (event_name[row] != event_type) {
            continue;
        }
        if (obj_list[row].remove(p_o) != 0) {
            return -1;
        }
        if (obj_list[row].isEmpty()) {
            for (int later = row; later < event_count - 1; later++) {
                event_name[later] = event_name[later + 1];
                obj_list[later] = obj_list[later + 1];
            }
            event_count--;
            event_name[event_count].clear();
            obj_list[event_count].clear();
        }
        return 0;
    }
    return -1;
}

} // namespace nv
