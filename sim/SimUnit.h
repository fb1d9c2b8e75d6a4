// A simulated TM80 unit: a real TCP server on its own loopback address.
//
// Written apart from the application's frame code on purpose, so that a fault
// in one is caught by the other. Runs on a thread of its own; every public
// call is thread-safe.
#pragma once

#include "sim/SimModule.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class Fault {
    None,
    Silent,           // accepts, reads frames, never answers
    HeaderOnly,       // answers only the 6 header bytes of each reply
    SlowBytes,        // sends each reply byte after `param` ms
    DelayedReply,     // sends the complete reply after `param` ms
    CloseAfterFrames, // closes the connection after answering `param` frames
    Reset,            // answers every frame with a connection reset
    Garbage,          // answers with the right length of random bytes
    NotListening,     // the listening socket is closed; connects are refused
};

struct UnitConfig {
    std::string address = "127.0.0.2"; // loopback address to listen on
    std::uint16_t port = 5000;
    std::string model = "80M1"; // 4 characters
    std::uint16_t serialHigh = 0x00AB;
    std::uint16_t serialLow = 17;
    std::uint32_t firmware = 0x01020304;
    std::string note = "SIM UNIT"; // at most 16 characters
    std::uint64_t seed = 1;        // for status drift and garbage
    bool monitoring = true;        // block 0 word 50 bit 0
    // System temperature in degrees C, as the unit's signed byte reports it;
    // nullopt: drifts around 41.
    std::optional<int> temperature = std::nullopt;
    // An Ethernet module with one TCP socket: while a client holds it, the
    // port has no listener and a second client's connect is refused.
    bool singleClient = false;

    // The WIZnet module beside the unit (off by default: it binds the shared
    // discovery port). A MAC of all zeros becomes 00:08:DC and the address's
    // last three octets.
    bool module = false;
    std::array<std::uint8_t, 6> mac = {};
    std::uint16_t discoveryPort = 50001;
};

// One frame as the unit received it: header fields and payload.
struct ReceivedFrame {
    std::uint16_t unitType = 0;
    std::uint16_t command = 0;
    std::vector<std::uint8_t> bytes; // the whole frame, header included
    // When the unit had the whole frame, for tests and benchmarks that time
    // the application's pace.
    std::chrono::steady_clock::time_point at{};
};

class SimUnit {
public:
    explicit SimUnit(UnitConfig config);
    ~SimUnit(); // stops the server thread and closes every socket
    SimUnit(const SimUnit&) = delete;
    SimUnit& operator=(const SimUnit&) = delete;

    // Starts listening and serving; false (with a reason in Error()) on failure.
    bool Start();
    void Stop();
    const std::string& Error() const;

    // Faults act on replies only: every received command is still carried out.
    void SetFault(Fault fault, int param = 0);

    // Module faults: the TCP ones (UnitType, InvalidTypeReply, SilentTcp) act
    // on this unit's port even without a module; the others on the module.
    void SetModuleFault(ModuleFault fault, int param = 0);
    int ModuleSearches() const; // search requests the module received (0 without one)
    bool WaitForModuleAnswers(int count, int timeoutMs) const;

    // Sends `count` unsolicited bytes on the current connection (stale input);
    // held back until a connection is accepted when there is none yet.
    void InjectBytes(std::size_t count, std::uint8_t value = 0xEE);

    std::vector<ReceivedFrame> Frames() const;
    void ClearFrames();
    // Waits up to `timeoutMs` for at least `count` frames; true when they came.
    bool WaitForFrames(std::size_t count, int timeoutMs) const;
    bool WaitForConnections(int count, int timeoutMs) const;
    int Connections() const;     // connections accepted so far
    int LedFlashes() const;      // control function 0x06 received
    int OpenConnections() const; // connections open now
    const UnitConfig& Config() const;

    // Unit state, as the unit holds it.
    std::string Note() const;
    void SetNote(const std::string& note);
    int Split() const;
    std::vector<int> BandSelection() const; // 8 band positions
    std::vector<int> Adjustments() const;   // 10 signed steps
    int Calibration(int band, int channel) const;
    int Reference(int band, int channel) const;
    int CalibrationBand() const; // as last selected with 0x3001
    int CalibrationSplit() const;
    void SetAdjustment(int channel, int value);
    void SetCalibration(int band, int channel, int value);
    // Fixes the status readings (and stops their drift).
    void SetStatus(int temperature, int voltageTenths, int currentTenths);
    // Fixes the temperature only (-128..127 as the unit reports it, wider
    // values wrap as its byte does); voltage and current go on drifting.
    void SetTemperature(int temperature);
    // The temperature drifts around 41 again (unless SetStatus fixed it).
    void ReleaseTemperature();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace sim
