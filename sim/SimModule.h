// A simulated WIZnet Ethernet module: answers the UDP search broadcast with
// its MAC address and configuration lines ("LI" carries the unit's address).
//
// Binds INADDR_ANY on the discovery port with SO_REUSEADDR and SO_REUSEPORT,
// so several modules (in one process or in several) share the port and each
// receives its own copy of a broadcast to 255.255.255.255 or 127.255.255.255.
// Answers go back to the searcher's address and port from a socket bound to
// the module's own address. Runs on a thread of its own; every public call is
// thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class ModuleFault {
    None,
    NoLI,                // the answer has no "LI" line
    UnitType,            // the unit answers the type query with byte 0 = param (0x17 if 0)
    InvalidTypeReply,    // the unit answers the type query with 16 00 00 00 01 00
    LIOctetAbove255,     // "LI" fourth octet written as param (>255) or octet + 256
    LIMissingSeparators, // "LI" octets without dots, e.g. "LI127001"
    SilentTcp,           // the unit accepts TCP and never answers anything
    DelayedAnswer,       // the search answer is sent `param` ms late
    ListenState,         // "ST" reads "LISTEN", which holds an "LI" ahead of the "LI" line
};

struct ModuleConfig {
    std::string address = "127.0.0.2"; // the unit's address: the "LI" value
    std::array<std::uint8_t, 6> mac = {0x00, 0x08, 0xDC, 0x00, 0x00, 0x02};
    std::uint16_t discoveryPort = 50001;
    std::uint16_t unitPort = 5000; // the "LP" value
    std::string name = "WIZ750SR";
    std::string version = "1.2.0";
    // The "ST" text ("CONNECTED", "OPEN", "CLOSED"); "OPEN" when not set.
    // Called on the module's thread.
    std::function<std::string()> state;
};

class SimModule {
public:
    explicit SimModule(ModuleConfig config);
    ~SimModule(); // stops the thread and closes both sockets
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    // Binds the sockets and starts answering; false (with Error()) on failure.
    bool Start();
    void Stop();
    const std::string& Error() const;

    // Only the faults of the search answer (NoLI, LI..., DelayedAnswer) act
    // here; the TCP faults are carried out by the unit (SimUnit::SetModuleFault).
    void SetFault(ModuleFault fault, int param = 0);

    int Searches() const; // valid search requests received
    int Answers() const;  // answers sent
    bool WaitForAnswers(int count, int timeoutMs) const;

    // The answer to one search datagram; empty when the request is not a search.
    std::vector<std::uint8_t> BuildAnswer(const std::vector<std::uint8_t>& request) const;

private:
    void Serve(); // the module's thread

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// "MA", six 0xFF bytes, CR LF, "PW " CR LF and the 42 codes each with CR LF:
// the 183-byte search request as the application sends it.
std::vector<std::uint8_t> MakeSearchRequest();

// Where the answer to a search from `source` (host order) goes: loopback only,
// so nullopt for a search from elsewhere. A search sent before any address was
// chosen (source 0.0.0.0, as in a namespace whose default route has no source)
// came from this host: its answer goes to 127.0.0.1.
std::optional<std::uint32_t> AnswerAddress(std::uint32_t source);

} // namespace sim
