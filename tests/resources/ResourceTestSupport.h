#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "core/LogManager.h"
#include "resources/ResourceManager.h"
#include "support/TestSupport.h"

namespace nv_test {

/// A directory of this process's own for files the tests write.
inline const std::string &scratchDir() {
    static const std::string dir = [] {
        const std::string made = makeTempDir("nv-resources");
        return made.empty() ? std::string("/tmp") : made;
    }();
    return dir;
}

/// Writes contents to name inside the scratch directory and returns the full path.
inline std::string writeFile(const std::string &name, const std::string &contents) {
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    return path;
}

/// Sends the log to a fresh file in the scratch directory, flushing every line so tests can read it back.
class LogCapture {
public:
    void restart() {
        path = scratchDir() + "/test.log";
        restartLogInto(path);
    }
    /// Everything written to the log since the last restart.
    std::string text() const { return fileText(path); }
    bool contains(const std::string &needle) const { return text().find(needle) != std::string::npos; }

private:
    std::string path;
};

/// A started resource manager with empty tables and a captured log for every test.
class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        log.restart();
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        stopIfStarted(rm);
        ASSERT_EQ(rm.startUp(), 0);
    }
    void TearDown() override { stopIfStarted(nv::ResourceManager::getInstance()); }

    nv::ResourceManager &rm() { return nv::ResourceManager::getInstance(); }

    LogCapture log;
};

} // namespace nv_test
