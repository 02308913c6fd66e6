#include "core/LogManager.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/Config.h"
#include "core/GameManager.h"

namespace nv {

char *getTimeString() {
    static char time_str[32];
    std::time_t now = std::time(nullptr);
    struct tm local {};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) {
        std::snprintf(time_str, sizeof(time_str), "(time error)");
        return time_str;
    }
    std::snprintf(time_str, sizeof(time_str), "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return time_str;
}

LogManager::LogManager()
    : Manager(CoreManager{}), p_f(nullptr), do_flush(false), log_level(0), log_time_string(true), log_step_count(true) {
    setType("LogManager");
    // Every line asks the game manager for its step count, so it must outlive this manager.
    GameManager::getInstance();
}

LogManager::~LogManager() {
    if (p_f != nullptr) {
        std::fclose(p_f);
        p_f = nullptr;
    }
}

LogManager &LogManager::getInstance() {
    static LogManager log_manager;
    return log_manager;
}

int LogManager::startUp() {
    if (isStarted()) {
        writeLog("%s::startup(): Warning! %s already started.", getType().c_str(), getType().c_str());
        return -1;
    }
    const char *env_name = std::getenv("NORVANTIS_LOG");
    last_error.clear();
    file_name = env_name != nullptr ? std::string(env_name) : Config::getInstance().getLogfile();
    p_f = std::fopen(file_name.c_str(), "w");
    if (p_f == nullptr) {
        writeLog("LogManager::startup(): Warning! Unable to open file '%s'.", file_name.c_str());
        return -1;
    }
    Manager::startUp();
    writeLog(5, "LogManager::startUp(): successfully started.");
    return 0;
}

void LogManager::shutDown() {
    Manager::shutDown();
    writeLog(5, "LogManager::shutDown(): successfully stopped.");
    if (p_f != nullptr) {
        std::fclose(p_f);
        p_f = nullptr;
    }
}

void LogManager::setFlush(bool new_do_flush) {
    do_flush = new_do_flush;
}

int LogManager::getLogLevel() const {
    return log_level;
}

const std::string &LogManager::getFileName() const {
    return file_name;
}

const std::string &LogManager::getLastError() const {
    return last_error;
}

int LogManager::vwriteLog(int level, const char *fmt, va_list args) const {
    if (level > log_level) {
        return 0;
    }
    // Kept so that a failed start can name its reason on the terminal, not only in the file.
    if (std::strstr(fmt, "Error!") != nullptr) {
        char text[512];
        va_list copy;
        va_copy(copy, args);
        std::vsnprintf(text, sizeof(text), fmt, copy);
        va_end(copy);
        last_error = text;
    }
    std::FILE *p_out = p_f != nullptr ? p_f : stderr;
    bool failed = false;
    if (log_time_string && std::fprintf(p_out, "%s ", getTimeString()) < 0) {
        failed = true;
    }
    if (log_step_count && std::fprintf(p_out, "%4d ", GameManager::getInstance().getStepCount()) < 0) {
        failed = true;
    }
    const int count = std::vfprintf(p_out, fmt, args);
    if (count < 0) {
        failed = true;
    }
    if (std::fputc('\n', p_out) == EOF) {
        failed = true;
    }
    // A buffered write only fails once it reaches the file, so a failed flush is a failed line too.
    if (do_flush && std::fflush(p_out) != 0) {
        failed = true;
    }
    return failed ? -1 : count;
}

int LogManager::writeLog(int level, const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    const int result = vwriteLog(level, fmt, args);
    va_end(args);
    return result;
}

int LogManager::writeLog(const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    const int result = vwriteLog(log_level, fmt, args);
    va_end(args);
    return result;
}

} // namespace nv
