#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <utility>

#include "WorldTestSupport.h"
#include "core/EventStep.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "input/InputManager.h"
#include "network/EventNetwork.h"
#include "network/NetworkManager.h"
#include "world/utility.h"

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
    Bytes &text(const std::string &s) { return u64(s.size()).raw(s.data(), s.size()); }
    /// The animation record: name, index, slowdown count.
    Bytes &animation(const std::string &name, int index, int slowdown) { return text(name).i32(index).i32(slowdown); }
    /// The shape record: type, size, color, alpha.
    Bytes &shape(int type, float size, int color, std::uint8_t a) { return i32(type).f32(size).i32(color).u8(a); }
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
        names.push_back(bytes.substr(at + 8, static_cast<std::size_t>(length)));
        at += 8 + static_cast<std::size_t>(length);
    }
    return names;
}

/// How many objects an event of this type reaches through the manager that owns the type.
inline int reach(const std::string &event_type) {
    nv::Event event;
    event.setType(event_type);
    if (event_type == nv::KEYBOARD_EVENT || event_type == nv::MOUSE_EVENT) {
        return nv::InputManager::getInstance().onEvent(&event);
    }
    if (event_type == nv::STEP_EVENT) {
        return nv::GameManager::getInstance().onEvent(&event);
    }
    if (nv::isNetworkEventType(event_type)) {
        return nv::NetworkManager::getInstance().onEvent(&event);
    }
    return nv::WorldManager::getInstance().onEvent(&event);
}

inline int occurrences(const nv::ObjectList &list, const nv::Object *p_o) {
    int n = 0;
    for (int i = 0; i < list.getCount(); i++) {
        n += list[i] == p_o ? 1 : 0;
    }
    return n;
}

/// Grid cells, (column, row), with how often each holds an object; the outside list is (-1,-1).
using Cells = std::map<std::pair<int, int>, int>;

/// The grid cells that hold p_o.
inline Cells cellsHolding(const nv::Object *p_o) {
    const nv::Grid &grid = nv::WorldManager::getInstance().getSceneGraph().getGrid();
    Cells cells;
    for (int row = -1; row < grid.getNumRows(); row++) {
        for (int col = row == -1 ? -1 : 0; col < (row == -1 ? 0 : grid.getNumCols()); col++) {
            if (const int n = occurrences(grid.cellObjects(col, row), p_o)) {
                cells[{col, row}] = n;
            }
        }
    }
    return cells;
}

/// The cells an object should occupy, worked out from its state and box alone: the model the grid is held to.
inline Cells expectedCells(const nv::Object *p_o) {
    const nv::Grid &grid = nv::WorldManager::getInstance().getSceneGraph().getGrid();
    Cells cells;
    const nv::Box b = nv::worldBox(p_o);
    const auto at = [](float v, int size) { return static_cast<long>(std::floor(v / static_cast<float>(size))); };
    const long c0 = at(b.getCorner().getX(), grid.getCellWidth()), r0 = at(b.getCorner().getY(), grid.getCellHeight());
    const long c1 = at(b.getCorner().getX() + b.getHorizontal(), grid.getCellWidth());
    const long r1 = at(b.getCorner().getY() + b.getVertical(), grid.getCellHeight());
    if (!p_o->isActive() || !p_o->isSolid()) {
        return cells;
    }
    if (c0 < 0 || r0 < 0 || c1 >= grid.getNumCols() || r1 >= grid.getNumRows()) {
        cells[{-1, -1}] = 1;
    }
    for (long r = std::max(r0, 0L); r <= std::min(r1, grid.getNumRows() - 1L); r++) {
        for (long c = std::max(c0, 0L); c <= std::min(c1, grid.getNumCols() - 1L); c++) {
            cells[{static_cast<int>(c), static_cast<int>(r)}] = 1;
        }
    }
    return cells;
}

/// The world's indexes, grid and the managers' interest tables agree with the state of every object in `all`
/// (which must be every object in the world).
inline ::testing::AssertionResult worldConsistent(const std::vector<nv::Object *> &all) {
    const nv::SceneGraph &sg = nv::WorldManager::getInstance().getSceneGraph();
    const nv::ObjectList active = sg.activeObjects();
    const nv::ObjectList solid = sg.solidObjects();
    if (active.getCount() + sg.inactiveObjects().getCount() != static_cast<int>(all.size())) {
        return ::testing::AssertionFailure() << "world holds a stray or misses an object";
    }
    int n_solid = 0;
    std::size_t n_cells = 0;
    std::map<std::string, int> listeners;
    for (nv::Object *p : all) {
        const std::string who = "object " + std::to_string(p->getId()) + " (" + p->getType() + ") ";
        const bool on = p->isActive();
        const bool in_solid = on && p->isSolid();
        n_solid += in_solid ? 1 : 0;
        if (occurrences(active, p) != on || occurrences(sg.inactiveObjects(), p) != !on ||
            occurrences(sg.objectsOfType(p->getType()), p) != on || occurrences(solid, p) != in_solid) {
            return ::testing::AssertionFailure() << who << "wrong in the active, inactive, type or solid lists";
        }
        for (int alt = 0; alt <= nv::MAX_ALTITUDE; alt++) {
            if (occurrences(sg.visibleObjects(alt), p) != (on && p->isVisible() && p->getAltitude() == alt)) {
                return ::testing::AssertionFailure() << who << "wrong in the visible list of altitude " << alt;
            }
        }
        const Cells want_cells = expectedCells(p);
        n_cells += want_cells.size();
        if (cellsHolding(p) != want_cells) {
            return ::testing::AssertionFailure() << who << "at " << p->getPosition().toString() << " box "
                                                 << p->getBox().toString() << " in the wrong grid cells";
        }
        for (const std::string &name : on ? registeredTypes(p) : std::vector<std::string>()) {
            listeners[name]++;
        }
    }
    const nv::Grid &grid = sg.getGrid();
    std::size_t held = static_cast<std::size_t>(grid.cellObjects(-1, -1).getCount());
    for (int row = 0; row < grid.getNumRows(); row++) {
        for (int col = 0; col < grid.getNumCols(); col++) {
            held += static_cast<std::size_t>(grid.cellObjects(col, row).getCount());
        }
    }
    if (solid.getCount() != n_solid || held != n_cells) {
        return ::testing::AssertionFailure() << "solid list or grid holds strays";
    }
    for (const auto &entry : listeners) {
        if (entry.first != nv::UNDEFINED_EVENT && reach(entry.first) != entry.second) {
            return ::testing::AssertionFailure() << "'" << entry.first << "' reaches " << reach(entry.first)
                                                 << " objects, " << entry.second << " registered for it";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace record_test
