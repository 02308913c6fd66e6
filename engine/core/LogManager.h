#pragma once

#include <cstdarg>
#include <cstdio>

#include "core/Manager.h"

namespace nv {

/// Default log file name when neither the configuration nor NORVANTIS_LOG names one.
const std::string LOGFILE_DEFAULT = "norvantis.log";

/// Returns the local time of day as "HH:MM:SS" in a shared static buffer, or "(time error)".
char *getTimeString();

/// Writes the log file: one line per message, prefixed with the time of day and the step count.
class LogManager : public Manager {
public:
    /// Returns the one log manager.
    static LogManager &getInstance();
    LogManager(const LogManager &) = delete;
    LogManager &operator=(const LogManager &) = delete;
    ~LogManager() override;

    /// Opens the log file (NORVANTIS_LOG, else the configured name), truncating it; 0 or -1.
    int startUp() override;
    /// Closes the log file; later lines go to standard error.
    void shutDown() override;

    /// Makes every later line be flushed at once (or not).
    void setFlush(bool do_flush = true);
    /// Returns the verbosity threshold.
    int getLogLevel() const;
    /// The path of the log file as opened by startUp(); empty before the first start.
    const std::string &getFileName() const;
    /// The text of the latest line that reported an error ("Error!"), without time and step; empty if none.
    const std::string &getLastError() const;

    /// Writes one prefixed line if log_level passes the threshold; returns the message's length, 0 if
    /// suppressed, -1 on a write error.
    int writeLog(int log_level, const char *fmt, ...) const __attribute__((format(printf, 3, 4)));
    /// Writes one prefixed line unconditionally; returns the message's length or -1 on a write error.
    int writeLog(const char *fmt, ...) const __attribute__((format(printf, 2, 3)));

private:
    LogManager();
    int vwriteLog(int log_level, const char *fmt, va_list args) const __attribute__((format(printf, 3, 0)));

    std::FILE *p_f;
    bool do_flush;
    int log_level;
    bool log_time_string;
    bool log_step_count;
    std::string file_name;
    mutable std::string last_error;
};

} // namespace nv
