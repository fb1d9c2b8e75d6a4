// The process's error log: a text file of time-stamped lines,
//   "%06d" event code, two blanks, "%03d:%02d:%02d:%09.6f" day of year and
//   time of day, two blanks, the text, CR LF
// for example "000000  123:14:05:07.123456  ------------------PROGRAM START--------------------".
// A named mutex serialises whole lines, so any thread may log.
#pragma once

#include "infra/TimerClass.h"
#include "platform/NamedMutex.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>

class ErrorLog {
public:
    static constexpr std::size_t kLineBufferSize = 16384;
    static constexpr unsigned kLockWaitMs = 100;
    static constexpr const char* kReinitNote = "  >>>> HAD TO REINIT ErrorLog TIMER";
    static constexpr const char* kCpuTimeNote = "  >>>> HAD TO USE THE CPU TIME";

    // Empties (or creates) the file at `path` ("ErrorLog.Log" when empty);
    // null when that fails, and then the process has no log.
    static std::unique_ptr<ErrorLog> Create(const std::string& path);
    ~ErrorLog();
    ErrorLog(const ErrorLog&) = delete;
    ErrorLog& operator=(const ErrorLog&) = delete;

    // Appends one line; it is dropped when the lock is not had within 100 ms
    // or the file cannot be opened (the next line tries again). A line that
    // would not fit the 16,384-byte buffer has its text cut.
    void Log(const std::string& text, int eventCode);

    const std::string& Path() const { return path_; }
    // "ERRORLOGGING_" + file title of the path + process id.
    const std::string& LockName() const { return lock_.Name(); }
    TimerClass& Timer() { return *timer_; }

    // The stamp "%03d:%02d:%02d:%09.6f" of a time in seconds of the year; all
    // zeros when it is not finite, negative or beyond the upper bound.
    static std::string FormatStamp(double secondsOfYear);

private:
    explicit ErrorLog(const std::string& path);

    std::unique_ptr<TimerClass> timer_;
    std::string path_;
    win::NamedMutex lock_;
    int fd_ = -1;
    std::array<char, kLineBufferSize> line_{};
};

// Creates the process's log and writes the start banner. The path is
// SystemRoot + logFolder + productKey + ".Log" when that folder exists, else
// fallbackBaseName + ".Log" in the current folder ("LogFile" stands in for an
// empty fallback only when no log folder is given). Refreshes SystemRoot first.
void StartErrorLog(const std::string& versionText, const std::string& productKey,
                   const std::string& logFolder, const std::string& fallbackBaseName);
// Makes SystemRoot the current folder, then appends one line to the process's
// log when there is one.
void LogText(const std::string& text, int eventCode);
// The process's log, or null when it was not started or could not be created.
ErrorLog* TheErrorLog();
// Drops the process's log (tests start many in one process).
void StopErrorLog();
