#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/GameManager.h"
#include "core/LogManager.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "support/TestSupport.h"
#include "world/Box.h"
#include "world/Object.h"
#include "world/Vector.h"
#include "world/WorldManager.h"

namespace path_test {

using Cells = std::vector<std::pair<int, int>>;

inline std::string logFileName() {
    static const std::string name =
        (std::filesystem::temp_directory_path() / ("nv-path-tests-" + std::to_string(getpid()) + ".log")).string();
    return name;
}

/// Starts the log (once per process) into a private file, flushed line by line.
inline void startLog() {
    nv::LogManager &log_manager = nv::LogManager::getInstance();
    if (!log_manager.isStarted()) {
        setenv("NORVANTIS_LOG", logFileName().c_str(), 1);
        log_manager.startUp();
    }
    log_manager.setFlush(true);
}

inline std::uintmax_t logSize() {
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(logFileName(), ec);
    return ec ? 0 : size;
}

/// The log text written after the mark.
inline std::string logSince(std::uintmax_t mark) {
    std::ifstream in(logFileName(), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(mark));
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

using nv_test::countOf;

inline Cells nodesOf(const nv::Path &path) {
    Cells cells;
    for (const nv::Vector &v : path.getNodes()) {
        cells.emplace_back(static_cast<int>(v.getX()), static_cast<int>(v.getY()));
    }
    return cells;
}

inline Cells closedOf(const nv::PathFind &search) {
    Cells cells;
    for (const nv::PathFind::Cell &c : search.getClosedList()) {
        cells.emplace_back(c.x, c.y);
    }
    return cells;
}

/// A random map: true marks a blocked cell; the given cells are always kept free.
inline std::vector<std::uint8_t> randomMap(std::mt19937 &rng, int cols, int rows, double density,
                                           const Cells &keep_free = {}) {
    std::bernoulli_distribution blocked(density);
    std::vector<std::uint8_t> map(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    for (auto &cell : map) {
        cell = blocked(rng) ? 1 : 0;
    }
    for (const auto &c : keep_free) {
        map[static_cast<std::size_t>(c.second) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c.first)] =
            0;
    }
    return map;
}

/// A default-sized object standing on the cell.
inline nv::Object *objectAt(int x, int y, nv::Solidness solidness = nv::HARD) {
    auto *p_o = new nv::Object;
    p_o->setSolidness(solidness);
    p_o->setPosition(nv::Vector(static_cast<float>(x), static_cast<float>(y)));
    return p_o;
}

/// Resets the world, the path manager and the log mark around each test; the world is cols x rows cells.
class PathWorldTest : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(80, 24); }

    void TearDown() override {
        nv_test::stopIfStarted(nv::WorldManager::getInstance());
        // Every search in these tests belongs to an object, so none may outlive the world's objects.
        EXPECT_EQ(nv::PathManager::getInstance().getNumSearches(), 0);
        nv_test::stopIfStarted(nv::PathManager::getInstance());
        nv::GameManager::getInstance().setFrameTime(nv::FRAME_TIME_DEFAULT);
    }

    void resetWorld(int cols, int rows) {
        startLog();
        nv::PathFind::holdWorldStill(false);
        nv::WorldManager &world = nv::WorldManager::getInstance();
        nv_test::stopIfStarted(world);
        ASSERT_EQ(world.startUp(), 0);
        ASSERT_EQ(world.setBoundary(nv::Box(nv::Vector(0, 0), static_cast<float>(cols), static_cast<float>(rows))), 0);
        world.setView(world.getBoundary());
        // A start with no frame time brings the least cycle time back to its first-use 0.
        nv::PathManager &paths = nv::PathManager::getInstance();
        nv_test::stopIfStarted(paths);
        nv::GameManager::getInstance().setFrameTime(0);
        paths.startUp();
        paths.shutDown();
        nv::GameManager::getInstance().setFrameTime(nv::FRAME_TIME_DEFAULT);
        ASSERT_EQ(paths.getMaxCycleTime(), 0);
        ASSERT_EQ(paths.getNumSearches(), 0);
        log_mark = logSize();
    }

    /// A default-sized object standing on the cell.
    static nv::Object *objectAt(int x, int y, nv::Solidness solidness = nv::HARD) {
        return path_test::objectAt(x, y, solidness);
    }

    /// A spectral walker, so it never blocks or is blocked by the searches of others.
    static nv::Object *walkerAt(int x, int y) { return objectAt(x, y, nv::SPECTRAL); }

    /// Hard objects on every blocked cell of the map.
    static void buildWalls(const std::vector<std::uint8_t> &map, int cols) {
        for (std::size_t i = 0; i < map.size(); i++) {
            if (map[i] != 0) {
                objectAt(static_cast<int>(i % static_cast<std::size_t>(cols)),
                         static_cast<int>(i / static_cast<std::size_t>(cols)));
            }
        }
    }

    std::string newLog() const { return logSince(log_mark); }

    std::uintmax_t log_mark = 0;
};

} // namespace path_test
