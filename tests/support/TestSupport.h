#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "core/LogManager.h"
#include "core/Manager.h"

namespace nv_test {

/// Shuts the manager down if it is started, so a test can start it afresh.
inline void stopIfStarted(nv::Manager &manager) {
    if (manager.isStarted()) {
        manager.shutDown();
    }
}

/// Makes a fresh directory /tmp/<prefix>-XXXXXX; returns its path, or an empty string if that failed.
inline std::string makeTempDir(const std::string &prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    const char *made = mkdtemp(&pattern[0]);
    return made != nullptr ? std::string(made) : std::string();
}

/// Makes a fresh empty file /tmp/<prefix>-XXXXXX and returns its path (the pattern itself if that failed).
inline std::string makeTempFile(const std::string &prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd >= 0) {
        close(fd);
    }
    return pattern;
}

/// The whole content of a file, or an empty string if it cannot be read.
inline std::string fileText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// How many times needle occurs in text, overlapping occurrences included.
inline int countOf(const std::string &text, const std::string &needle) {
    int count = 0;
    for (std::string::size_type at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        count++;
    }
    return count;
}

/// Restarts the log into path (left in NORVANTIS_LOG), flushing every line so tests can read it back at once.
inline void restartLogInto(const std::string &path) {
    setenv("NORVANTIS_LOG", path.c_str(), 1);
    nv::LogManager &log_manager = nv::LogManager::getInstance();
    stopIfStarted(log_manager);
    log_manager.startUp();
    log_manager.setFlush(true);
}

} // namespace nv_test
