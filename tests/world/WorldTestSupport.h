#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Config.h"
#include "core/GameManager.h"
#include "path/EventPath.h"
#include "support/TestSupport.h"
#include "world/EventCollision.h"
#include "world/EventOut.h"
#include "world/Object.h"
#include "world/WorldManager.h"

namespace world_test {

/// An object that counts what reaches its handler, keeps its collisions and can run hooks.
class Probe : public nv::Object {
public:
    Probe() { live.insert(this); }
    Probe(float x, float y, nv::Solidness s = nv::HARD) : Probe() {
        setPosition(nv::Vector(x, y));
        setSolidness(s);
    }
    ~Probe() override {
        live.erase(this);
        destroyed.push_back(getId());
        if (on_destroy) {
            on_destroy();
        }
    }
    int eventHandler(const nv::Event *p_e) override {
        counts[p_e->getType()]++;
        if (const auto *p_c = dynamic_cast<const nv::EventCollision *>(p_e)) {
            collisions.push_back(*p_c);
        }
        if (on_event) {
            on_event(p_e);
        }
        return p_e->getType() == nv::PATH_EVENT ? nv::Object::eventHandler(p_e) : 1;
    }
    int draw() override {
        drawn.push_back(getId());
        return 0;
    }
    int count(const std::string &event_type) { return counts[event_type]; }

    std::map<std::string, int> counts;
    std::vector<nv::EventCollision> collisions;
    std::function<void(const nv::Event *)> on_event;
    std::function<void()> on_destroy;
    /// Every probe not yet destroyed.
    static inline std::set<Probe *> live;
    /// Ids of destroyed and of drawn probes, in that order.
    static inline std::vector<int> destroyed, drawn;
};

/// Sends the log into a private file, removed afterwards, so tests can read what was written.
class LogCapture {
public:
    LogCapture() : path(nv_test::makeTempFile("nv-world-log")) {
        nv_test::restartLogInto(path);
        unsetenv("NORVANTIS_LOG");
    }
    ~LogCapture() {
        nv_test::stopIfStarted(nv::LogManager::getInstance());
        nv::LogManager::getInstance().setFlush(false);
        std::remove(path.c_str());
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;
    /// Everything written so far.
    std::string text() const { return nv_test::fileText(path); }
    /// How many times needle occurs in what was written after the last mark().
    int count(const std::string &needle) const { return nv_test::countOf(text().substr(mark_at), needle); }
    /// Each line occurs exactly `times` times after the last mark().
    ::testing::AssertionResult has(const std::vector<std::string> &lines, int times = 1) const {
        for (const std::string &line : lines) {
            if (count(line) != times) {
                return ::testing::AssertionFailure() << "'" << line << "' logged " << count(line) << " times";
            }
        }
        return ::testing::AssertionSuccess();
    }
    /// Makes count() look only at what is written from now on.
    void mark() { mark_at = text().size(); }

private:
    std::string path;
    std::string::size_type mark_at = 0;
};

/// Restarts the world on a fresh boundary and view, with the default configuration.
inline void resetWorld(float width = 80.0f, float height = 24.0f) {
    nv::GameManager::getInstance().setGameOver(false);
    nv::Config::getInstance().reset();
    nv::WorldManager &world = nv::WorldManager::getInstance();
    nv_test::stopIfStarted(world);
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), width, height));
    world.setView(nv::Box(nv::Vector(0, 0), width, height));
    Probe::destroyed.clear();
    Probe::drawn.clear();
}

/// The world's fixture: a fresh 80 x 24 world and a captured log for every test, everything stopped afterwards.
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
