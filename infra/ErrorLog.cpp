#include "ErrorLog.h"

#include "infra/Environment.h"
#include "infra/ProfileStore.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::unique_ptr<ErrorLog>& ProcessLog() {
    static std::unique_ptr<ErrorLog> log;
    return log;
}

std::string LockNameFor(const std::string& path) {
    return "ERRORLOGGING_" + FileTitleOf(path) + std::to_string(getpid());
}

int CreateEmpty(const std::string& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

// Gives the lock back however the line ends.
class LockHeld {
public:
    explicit LockHeld(win::NamedMutex& lock) : lock_(lock) {}
    ~LockHeld() { lock_.Release(); }
    LockHeld(const LockHeld&) = delete;
    LockHeld& operator=(const LockHeld&) = delete;

private:
    win::NamedMutex& lock_;
};

} // namespace

ErrorLog::ErrorLog(const std::string& path)
    : timer_(std::make_unique<TimerClass>()), path_(path.empty() ? "ErrorLog.Log" : path),
      lock_(LockNameFor(path_)) {
    timer_->Resync();
}

ErrorLog::~ErrorLog() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

std::unique_ptr<ErrorLog> ErrorLog::Create(const std::string& path) {
    std::unique_ptr<ErrorLog> log(new ErrorLog(path));
    const int fd = CreateEmpty(log->path_);
    if (fd < 0) {
        return nullptr;
    }
    close(fd);
    return log;
}

std::string ErrorLog::FormatStamp(double t) {
    int day = 0;
    int hour = 0;
    int minute = 0;
    double seconds = 0.0;
    if (std::isfinite(t) && t >= 0.0 && t <= TimerClass::kUpperBound) {
        day = static_cast<int>(std::floor(t / 86400.0));
        double rest = t - day * 86400.0;
        hour = static_cast<int>(std::floor(rest / 3600.0));
        rest -= hour * 3600.0;
        minute = static_cast<int>(std::floor(rest / 60.0));
        seconds = rest - minute * 60.0;
        // Round to the printed microsecond first, so 59.9999996 carries into
        // the minute instead of printing as 60.000000.
        seconds = std::round(seconds * 1e6) / 1e6;
        if (seconds >= 60.0) {
            seconds = 0.0;
            ++minute;
        }
        if (minute >= 60) {
            minute = 0;
            ++hour;
        }
        if (hour >= 24) {
            hour = 0;
        }
    }
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%03d:%02d:%02d:%09.6f", day, hour, minute, seconds);
    return stamp;
}

void ErrorLog::Log(const std::string& text, int eventCode) {
    if (lock_.Wait(kLockWaitMs) != win::WAIT_OBJECT_0) {
        return;
    }
    LockHeld held(lock_);
    try {
        if (fd_ < 0) {
            fd_ = CreateEmpty(path_);
            if (fd_ < 0) {
                return;
            }
        }
        std::string notes;
        double t = timer_->GetTime();
        if (t > TimerClass::kUpperBound) {
            timer_->Resync();
            t = timer_->GetTime();
            notes += kReinitNote;
        }
        if (t < 0.000001) {
            // The new timer is built before the old one goes, so it cannot get
            // the old one's address and with it the lock that failed.
            auto fresh = std::make_unique<TimerClass>();
            timer_ = std::move(fresh);
            timer_->Resync();
            t = timer_->GetTime();
            notes += kCpuTimeNote;
        }
        const int head = std::snprintf(line_.data(), line_.size(), "%06d  %s  ", eventCode,
                                       FormatStamp(t).c_str());
        std::size_t length = head < 0 ? 0 : static_cast<std::size_t>(head);
        // Room for the text: the buffer keeps a terminator and the line ends
        // with the notes and CR LF; a longer text is cut.
        const std::size_t room = line_.size() - 1 - length - notes.size() - 2;
        const std::size_t textLength = text.size() < room ? text.size() : room;
        std::memcpy(line_.data() + length, text.data(), textLength);
        length += textLength;
        std::memcpy(line_.data() + length, notes.data(), notes.size());
        length += notes.size();
        line_[length++] = '\r';
        line_[length++] = '\n';
        line_[length] = '\0';
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = write(fd_, line_.data() + done, length - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    } catch (...) {
        // A line that cannot be built is lost; the lock still goes back.
    }
}

void StartErrorLog(const std::string& versionText, const std::string& productKey,
                   const std::string& logFolder, const std::string& fallbackBaseName) {
    CaptureSystemRoot();
    const std::string& root = TheEnvironment().SystemRoot;
    std::string path;
    if (!logFolder.empty()) {
        if (FolderExists(root + logFolder)) {
            path = root + logFolder + productKey + ".Log";
        } else {
            path = fallbackBaseName + ".Log";
        }
    } else {
        path = (fallbackBaseName.empty() ? std::string("LogFile") : fallbackBaseName) + ".Log";
    }
    ProcessLog().reset();
    ProcessLog() = ErrorLog::Create(path);
    LogText("------------------PROGRAM START--------------------", 0);
    LogText("Program Version " + versionText, 0);
}

void LogText(const std::string& text, int eventCode) {
    ChangeToFolder(TheEnvironment().SystemRoot);
    if (ErrorLog* log = TheErrorLog()) {
        log->Log(text, eventCode);
    }
}

ErrorLog* TheErrorLog() {
    return ProcessLog().get();
}

void StopErrorLog() {
    ProcessLog().reset();
}
