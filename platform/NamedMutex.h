// Windows named mutexes within one process: every NamedMutex created with the
// same name shares one lock, which lives as long as any of them. Like a Windows
// mutex it belongs to the thread that took it, may be taken again by that
// thread (each take needs its own release) and is waited on with a time-out.
// Names carry the process id or an address where they must be unique, so a
// process-wide name space is enough.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>

namespace win {

inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

class NamedMutex {
public:
    // Opens the mutex of that name, creating it (not owned) when no other
    // holder has it open. An empty name gives a mutex of its own.
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // WaitForSingleObject: WAIT_OBJECT_0 once the calling thread owns the
    // mutex, WAIT_TIMEOUT when it could not be had within `milliseconds`.
    DWORD Wait(DWORD milliseconds);
    // ReleaseMutex: false when the calling thread does not own it.
    bool Release();

    const std::string& Name() const { return name_; }

    struct State;

private:
    std::string name_;
    std::shared_ptr<State> state_;
};

} // namespace win
