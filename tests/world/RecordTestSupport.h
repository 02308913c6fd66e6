#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/Event.h"
#include "core/GameManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "world/Object.h"
#include "world/SceneGraph.h"
#include "world/WorldManager.h"

namespace record_test {

/// Builds the bytes a record should hold, field by field, independently of the code under test.
class Bytes {
public:
    Bytes &u32(std::uint32_t v) { return raw(&v, sizeof(v)); }
    Bytes &i32(std::int32_t v) { return raw(&v, sizeof(v)); }
    Bytes &u64(std::uint64_t v) { return raw(&v, sizeof(v)); }
    Bytes &f32(float v) { return raw(&v, sizeof(v)); }
    Bytes &u8(std::uint8_t v) { return raw(&v, sizeof(v)); }
    Bytes &vec(float x, float y) { return f32(x).f32(y); }
    Bytes &box(float x, float y, float h, float v) { return vec(x, y).f32(h).f32(v); }
    Bytes &text(const std::string &s) {
        u64(s.size());
        data += s;
        return *this;
    }
    /// The animation record: name, index, slowdown count.
    Bytes &animation(const std::string &name, int index, int slowdown) { return text(name).i32(index).i32(slowdown); }
    /// The shape record: type, size, color, alpha.
    Bytes &shape(int type, float size, int color, std::uint8_t alpha) {
        return i32(type).f32(size).i32(color).u8(alpha);
    }

    std::string data;

private:
    Bytes &raw(const void *p, std::size_t n) {
        data.append(static_cast<const char *>(p), n);
        return *this;
    }
};

/// A two-way stream holding exactly these bytes.
inline std::stringstream streamOf(const std::string &bytes) {
    std::stringstream ss(std::ios::in | std::ios::out | std::ios::binary);
    ss.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return ss;
}

/// The event types the object is registered for, as its own EVENTS record tells them.
inline std::vector<std::string> registeredTypes(nv::Object *p_o) {
    const unsigned int saved = p_o->getModified();
    std::stringstream ss;
    p_o->serialize(&ss, nv::EVENTS);
    p_o->setModified(saved);
    const std::string bytes = ss.str();
    std::vector<std::string> names;
    std::size_t at = 8;
    for (int i = 0; i < p_o->getEventCount(); i++) {
        std::uint64_t length = 0;
        std::memcpy(&length, bytes.data() + at, sizeof(length));
        at += sizeof(length);
        names.push_back(bytes.substr(at, static_cast<std::size_t>(length)));
        at += static_cast<std::size_t>(length);
    }
    return names;
}

/// The manager that keeps interests of this event type.
inline nv::Manager &ownerOf(const std::string &event_type) {
    if (event_type == "nv-keyboard" || event_type == "nv-mouse") {
        return nv::InputManager::getInstance();
    }
    if (event_type == "nv-step") {
        return nv::GameManager::getInstance();
    }
    static const std::set<std::string> network_types = {
        "nv-network",         "nv-keyboard-network",  "nv-mouse-network",  "nv-network-accept",
        "nv-network-connect", "nv-network-close",     "nv-network-create", "nv-custom-network",
        "nv-network-delete",  "nv-network-game-over", "nv-network-sync"};
    if (network_types.count(event_type) != 0) {
        return nv::NetworkManager::getInstance();
    }
    return nv::WorldManager::getInstance();
}

/// How many objects an event of this type reaches through its manager.
inline int reach(const std::string &event_type) {
    nv::Event event;
    event.setType(event_type);
    return ownerOf(event_type).onEvent(&event);
}

using Cell = std::pair<int, int>;

/// Grid cells (including the outside list, as (-1,-1)) that hold p_o, with their multiplicity.
inline std::map<Cell, int> cellsHolding(const nv::Object *p_o) {
    const nv::Grid &grid = nv::WorldManager::getInstance().getSceneGraph().getGrid();
    std::map<Cell, int> cells;
    for (int row = -1; row < grid.getNumRows(); row++) {
        for (int col = -1; col < grid.getNumCols(); col++) {
            if ((row == -1) != (col == -1)) {
                continue;
            }
            const nv::ObjectList list = grid.cellObjects(col, row);
            for (int i = 0; i < list.getCount(); i++) {
                if (list[i] == p_o) {
                    cells[{col, row}]++;
                }
            }
        }
    }
    return cells;
}

inline int occurrences(const nv::ObjectList &list, const nv::Object *p_o) {
    int n = 0;
    for (int i = 0; i < list.getCount(); i++) {
        n += list[i] == p_o ? 1 : 0;
    }
    return n;
}

/// The world's indexes and the managers' interest tables agree with the state of every object in `all`
/// (which must be every object in the world).
inline ::testing::AssertionResult worldConsistent(const std::vector<nv::Object *> &all) {
    const nv::SceneGraph &sg = nv::WorldManager::getInstance().getSceneGraph();
    const nv::ObjectList active = sg.activeObjects();
    const nv::ObjectList inactive = sg.inactiveObjects();
    const nv::ObjectList solid = sg.solidObjects();
    if (active.getCount() + inactive.getCount() != static_cast<int>(all.size())) {
        return ::testing::AssertionFailure()
               << "world holds " << active.getCount() + inactive.getCount() << " objects, expected " << all.size();
    }
    int n_solid = 0;
    std::map<std::string, int> listeners;
    for (nv::Object *p : all) {
        const std::string who = "object " + std::to_string(p->getId()) + " (type '" + p->getType() + "')";
        const bool on = p->isActive();
        if (occurrences(active, p) != (on ? 1 : 0) || occurrences(inactive, p) != (on ? 0 : 1)) {
            return ::testing::AssertionFailure() << who << " wrong in the active/inactive lists";
        }
        if (occurrences(sg.objectsOfType(p->getType()), p) != (on ? 1 : 0)) {
            return ::testing::AssertionFailure() << who << " wrong in its type list";
        }
        const bool in_solid = on && p->isSolid();
        n_solid += in_solid ? 1 : 0;
        if (occurrences(solid, p) != (in_solid ? 1 : 0)) {
            return ::testing::AssertionFailure() << who << " wrong in the solid list";
        }
        for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
            const int want = on && p->isVisible() && p->getAltitude() == alt ? 1 : 0;
            if (occurrences(sg.visibleObjects(alt), p) != want) {
                return ::testing::AssertionFailure() << who << " wrong in the visible list of altitude " << alt;
            }
        }
        std::map<Cell, int> want_cells;
        if (in_solid) {
            // A newcomer with the same place and extent shows which cells a fresh insertion would give.
            auto *twin = new nv::Object;
            twin->setSolidness(p->getSolidness());
            twin->setBox(p->getBox());
            twin->setPosition(p->getPosition());
            want_cells = cellsHolding(twin);
            delete twin;
        }
        if (cellsHolding(p) != want_cells) {
            return ::testing::AssertionFailure() << who << " at " << p->getPosition().toString() << " box "
                                                 << p->getBox().toString() << " in the wrong grid cells";
        }
        if (on) {
            for (const std::string &name : registeredTypes(p)) {
                listeners[name]++;
            }
        }
    }
    if (solid.getCount() != n_solid) {
        return ::testing::AssertionFailure() << "solid list holds strays";
    }
    for (const auto &entry : listeners) {
        if (entry.first == nv::UNDEFINED_EVENT) {
            continue;
        }
        const int reached = reach(entry.first);
        if (reached != entry.second) {
            return ::testing::AssertionFailure() << "'" << entry.first << "' reaches " << reached << " objects, "
                                                 << entry.second << " registered for it";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace record_test
