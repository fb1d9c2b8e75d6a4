// Progress of the network steps that the operator waits for (a connect to a
// unit and the reading of it, a discovery), for a window that shows it
// meanwhile: the start-up window, the small box of Add Device, a dialog's
// message line during a rescan. The steps are reported on the GUI thread
// (the connect by whoever asks for it); whoever shows the progress installs a
// hook for as long as a NetworkProgressScope lives, and repaints from it.
#pragma once

#include <functional>
#include <string>

struct NetworkProgress {
    enum class Step { Connecting, Reading, Searching };

    static NetworkProgress Connecting(std::string address);
    // The open sequence of a unit just connected.
    static NetworkProgress Reading(std::string address);
    static NetworkProgress Searching(int elapsedMs, int windowMs);

    Step step = Step::Searching;
    std::string address; // the unit being connected to or read
    int elapsedMs = 0;   // of the discovery window
    int windowMs = 0;

    // "Connecting to 127.0.0.2…", "Reading 127.0.0.2…" or "Searching the
    // network for TM80 units…"; 8-bit text, the ellipsis being byte 0x85 as
    // in Windows-1252.
    std::string Text() const;
    // How far the discovery window has run, 0 to 100; 0 for a connect.
    int Percent() const;
};

using NetworkProgressHook = std::function<void(const NetworkProgress&)>;

// Hands `progress` to the hook installed, if any.
void ReportNetworkProgress(const NetworkProgress& progress);

// Installs a hook for its lifetime; the one before comes back afterwards.
class NetworkProgressScope {
public:
    explicit NetworkProgressScope(NetworkProgressHook hook);
    ~NetworkProgressScope();
    NetworkProgressScope(const NetworkProgressScope&) = delete;
    NetworkProgressScope& operator=(const NetworkProgressScope&) = delete;

private:
    NetworkProgressHook previous_;
};
