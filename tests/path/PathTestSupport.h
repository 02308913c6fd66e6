#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/GameManager.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "support/TestSupport.h"
#include "world/Object.h"
#include "world/WorldManager.h"

/// A default-sized object of the given solidness standing at (x, y).
inline nv::Object *objectAt(float x, float y, nv::Solidness solidness = nv::HARD) {
    auto *p_o = new nv::Object;
    p_o->setSolidness(solidness);
    p_o->setPosition(nv::Vector(x, y));
    return p_o;
}

/// Resets the world (80 x 24 unless resized), the path manager, the frame time and the still hold; the log goes
/// to one temporary file for the whole program, removed when it ends.
class PathWorldTest : public ::testing::Test {
protected:
    struct LogFile {
        std::string name = nv_test::makeTempFile("nv-path-log");
        LogFile() { nv_test::restartLogInto(name); }
        ~LogFile() { nv_test::stopIfStarted(nv::LogManager::getInstance()), std::remove(name.c_str()); }
    };
    static const std::string &logName() {
        static LogFile file;
        return file.name;
    }
    void SetUp() override { resetWorld(80, 24); }
    void TearDown() override {
        nv_test::stopIfStarted(nv::WorldManager::getInstance());
        // Every search here belongs to an object, so none may outlive the world's objects.
        EXPECT_EQ(nv::PathManager::getInstance().getNumSearches(), 0);
    }
    void resetWorld(int cols, int rows) {
        nv::PathFind::holdWorldStill(false);
        nv_test::stopIfStarted(nv::WorldManager::getInstance());
        ASSERT_EQ(nv::WorldManager::getInstance().startUp(), 0);
        nv::WorldManager::getInstance().setBoundary(nv::Box(nv::Vector(0, 0), float(cols), float(rows)));
        // A start with no frame time brings the least cycle time back to 0.
        nv_test::stopIfStarted(paths);
        nv::GameManager::getInstance().setFrameTime(0);
        paths.startUp();
        paths.shutDown();
        nv::GameManager::getInstance().setFrameTime(nv::FRAME_TIME_DEFAULT);
        log_mark = nv_test::fileText(logName()).size();
    }
    std::string newLog() const { return nv_test::fileText(logName()).substr(log_mark); }

    nv::PathManager &paths = nv::PathManager::getInstance();
    std::size_t log_mark = 0;
};
