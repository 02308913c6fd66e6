#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/LogManager.h"
#include "core/Manager.h"

namespace nv_test {

/// Shuts the manager down if it is started, so a test can start it afresh.
inline void stopIfStarted(nv::Manager &manager) {
    if (manager.isStarted()) {
        manager.shutDown();
    }
}

/// Every temporary path this process made; removed, with all inside, when the process ends normally. A forked
/// child (death tests) leaves its parent's paths alone.
class TempRegistry {
public:
    static TempRegistry &get() {
        static TempRegistry registry;
        return registry;
    }
    void add(const std::string &path) { paths.push_back(path); }
    ~TempRegistry() {
        if (getpid() != owner) {
            return;
        }
        for (const std::string &path : paths) {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    }

private:
    TempRegistry() : owner(getpid()) {}
    pid_t owner;
    std::vector<std::string> paths;
};

/// Makes a fresh directory /tmp/<prefix>-XXXXXX, removed at exit; returns its path, or "" if that failed.
inline std::string makeTempDir(const std::string &prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        return std::string();
    }
    TempRegistry::get().add(pattern);
    return pattern;
}

/// Makes a fresh empty file /tmp/<prefix>-XXXXXX, removed at exit, and returns its path.
inline std::string makeTempFile(const std::string &prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd >= 0) {
        close(fd);
        TempRegistry::get().add(pattern);
    }
    return pattern;
}

/// A fresh temporary directory removed with everything in it when the object goes (or at exit at the latest).
class TempDir {
public:
    explicit TempDir(const std::string &prefix = "nv-test") : path(makeTempDir(prefix)) {}
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    /// The path of name inside the directory.
    std::string file(const std::string &name) const { return path + "/" + name; }
    /// Writes content to name inside the directory and returns its path.
    std::string write(const std::string &name, const std::string &content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
    std::string path;
};

/// Sets (or, with nullopt, unsets) an environment variable and puts the old value back when it goes.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::optional<std::string> &value) : m_name(name) {
        if (const char *old = std::getenv(name)) {
            m_old = std::string(old);
        }
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_old ? setenv(m_name.c_str(), m_old->c_str(), 1) : unsetenv(m_name.c_str()); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

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
