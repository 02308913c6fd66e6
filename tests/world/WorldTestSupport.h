#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/Config.h"
#include "core/Event.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "support/TestSupport.h"
#include "world/EventCollision.h"
#include "world/Object.h"
#include "world/WorldManager.h"

namespace world_test {

/// An object that records what reaches its handler and can run a hook on each event.
class Probe : public nv::Object {
public:
    Probe() { live().insert(this); }
    Probe(float x, float y) : Probe() { setPosition(nv::Vector(x, y)); }
    ~Probe() override {
        live().erase(this);
        destroyed().push_back(getId());
        if (on_destroy) {
            on_destroy();
        }
    }

    int eventHandler(const nv::Event *p_e) override {
        const std::string event_type = p_e->getType();
        counts[event_type]++;
        if (const auto *p_c = dynamic_cast<const nv::EventCollision *>(p_e)) {
            collisions.push_back(*p_c);
        }
        if (on_event) {
            on_event(p_e);
        }
        if (event_type == "nv-collision" || event_type == "nv-out") {
            return 1;
        }
        return nv::Object::eventHandler(p_e);
    }

    int draw() override {
        drawn().push_back(getId());
        return 0;
    }

    int count(const std::string &event_type) const {
        auto it = counts.find(event_type);
        return it == counts.end() ? 0 : it->second;
    }

    std::map<std::string, int> counts;
    std::vector<nv::EventCollision> collisions;
    std::function<void(const nv::Event *)> on_event;
    std::function<void()> on_destroy;

    /// Every probe not yet destroyed.
    static std::set<Probe *> &live() {
        static std::set<Probe *> all;
        return all;
    }
    /// Ids of destroyed probes, in destruction order.
    static std::vector<int> &destroyed() {
        static std::vector<int> ids;
        return ids;
    }
    /// Ids of drawn probes, in drawing order.
    static std::vector<int> &drawn() {
        static std::vector<int> ids;
        return ids;
    }
};

/// Sends the log into a private file so tests can read what was written.
class LogCapture {
public:
    LogCapture() : path(nv_test::makeTempFile("nv-world-log")) {
        nv_test::restartLogInto(path);
        unsetenv("NORVANTIS_LOG");
    }
    ~LogCapture() {
        nv::LogManager &log = nv::LogManager::getInstance();
        nv_test::stopIfStarted(log);
        log.setFlush(false);
        std::remove(path.c_str());
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    /// Everything written so far.
    std::string text() const { return nv_test::fileText(path); }
    /// How many times needle occurs in what was written after the last mark().
    int count(const std::string &needle) const {
        const std::string all = text();
        return nv_test::countOf(all.substr(mark_at < all.size() ? mark_at : all.size()), needle);
    }
    /// Makes count() look only at what is written from now on.
    void mark() { mark_at = text().size(); }

private:
    std::string path;
    std::string::size_type mark_at = 0;
};

/// Restarts the world on a fresh 80 x 24 boundary and view, with the default configuration.
inline void resetWorld(float width = 80.0f, float height = 24.0f) {
    nv::GameManager::getInstance().setGameOver(false);
    nv::Config::getInstance().reset();
    nv::WorldManager &world = nv::WorldManager::getInstance();
    nv_test::stopIfStarted(world);
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), width, height));
    world.setView(nv::Box(nv::Vector(0, 0), width, height));
    Probe::destroyed().clear();
    Probe::drawn().clear();
}

/// Base fixture: a fresh world and a captured log for every test, everything stopped afterwards.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = std::make_unique<LogCapture>();
        resetWorld();
        log->mark();
    }
    void TearDown() override {
        nv::WorldManager::getInstance().shutDown();
        nv::GameManager::getInstance().setGameOver(false);
        log.reset();
    }

    nv::WorldManager &world() { return nv::WorldManager::getInstance(); }
    nv::SceneGraph &graph() { return nv::WorldManager::getInstance().getSceneGraph(); }

    std::unique_ptr<LogCapture> log;
};

} // namespace world_test
