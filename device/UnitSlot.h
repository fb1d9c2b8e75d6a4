// Everything the application keeps for one shown unit: its connection and
// unit object, its device window, and the display copies that the main window
// and the device window's pages read and edit.
#pragma once

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitDeviceWindow.h"
#include "device/UnitHistory.h"
#include "device/UnitSlotHost.h"
#include "device/UnitWorker.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class UnitSlot {
public:
    static constexpr int kBands = UnitCalibration::kBands;
    static constexpr int kChannels = UnitCalibration::kChannels;
    static constexpr int kOutputs = UnitSettings::kOutputs;

    using Table = UnitCalibration::Table;
    using GainTable = std::array<std::array<double, kChannels>, kBands>;

    struct BandEntry {
        std::int64_t lower = 0; // Hz
        std::int64_t upper = 0; // Hz
        std::uint32_t position = UnitBandTable::kNoPosition;
        std::string name;
    };

    // `connection` is already connected and `unit` was created on it; `index`
    // (0-3) was claimed in the slot table by the caller. With a `worker` (the
    // one that made the connection) the unit's exchanges run on it.
    UnitSlot(int index, std::unique_ptr<TCPCom> connection, std::unique_ptr<CTM80M1_Comm> unit,
             std::unique_ptr<UnitWorker> worker = nullptr);
    // Stops the worker (the exchange in flight broken off), closes the
    // connection (gracefully), then drops the unit object, then the device
    // window.
    ~UnitSlot();
    UnitSlot(const UnitSlot&) = delete;
    UnitSlot& operator=(const UnitSlot&) = delete;

    // The open sequence: flashes the LEDs, sends the open control command,
    // reads the unit and takes the copies, reads its identity, then lets
    // `host` create the device window and refresh the main window. Without a
    // host (tools, tests) the two window steps are left out.
    // The sequence stops at its first failed exchange (a module that accepted
    // the connection for a unit that does not answer, a unit whose replies
    // come too late or too slowly): 0, and the caller drops the slot.
    int Open(UnitSlotHost* host);

    // The reading part of the open sequence, stopping at the first read that
    // fails, then the copies, band texts, gains, note and address (taken
    // either way). 1 when every read succeeded.
    int ReadUnit();

    // The open sequence's window steps: lets `host` create the device window
    // and then refresh the main window (nothing without a host).
    void AttachWindow(UnitSlotHost* host);

    // Records the unit model's status as the newest reading of the history,
    // stamped now, with the unit's connection-lost flag: `read` is 1 when the
    // unit answered, 0 when the read failed, negative when it was left out.
    void RecordStatus(int read);

    // Setup files: section "DEVICE" is the slot's, and each pane of the
    // device window adds its own part, in page order.
    static constexpr const char* kDeviceSection = "DEVICE";
    // The "DEVICE" section, then each pane's part, put in place by one
    // replacement of the file: a save cut short leaves the file as it was.
    // Other sections, keys and comments of an existing file stay. 1 when the
    // file was written.
    int SaveSetup(const std::string& file);
    // The "DEVICE" section, then each pane's part. 0, reading nothing, when
    // the file holds neither a "DEVICE" nor a "CALIBRATION" section (not a
    // setup file, or no file at all).
    int RecallSetup(const std::string& file);
    // Whether `file` holds a "DEVICE" or a "CALIBRATION" section.
    static bool HoldsSetup(const std::string& file);
    // What the operator is told of a file that does not: "F holds no TM80 setup."
    static std::string NoSetupText(const std::string& file);
    // Sends what was recalled: the open control command, then each pane's
    // settings, stopping at the first exchange that fails; then the gains
    // worked out again, the panes shown and the main window refreshed. 1 when
    // every exchange went through. After a failure the copies show what the
    // unit holds: what it confirmed of the setup, and its own values for the
    // rest (TakeUnitSettings).
    int ApplyRecalledSetup();
    // Split, band selections, adjustments and calibration table as the unit
    // model holds them: what the unit reported or confirmed.
    void TakeUnitSettings();
    // "DEVICE" alone, keys in write order: for band r its ten calibration
    // values, then the band selection of output r; then the ten adjustments.
    // A null file name is taken as an empty name.
    void WriteDeviceSection(const char* file);
    // Only a key that reads as an integer sets its field: calibration values
    // and adjustments clamped into their channel's range (never wrapped), so
    // slot, pages and unit hold the same value; a band selection outside
    // 0..7 or at or beyond the band count is refused.
    void ReadDeviceSection(const char* file);

    void CopyTables();
    void CopyBandSelection();
    void CopyAdjustments();
    // Rebuilds the unit's band list and the band entries, names, texts and count.
    void BuildBandTexts();
    // The name for the band entry at `position`, from its edges in whole MHz.
    std::string BandName(int position) const;
    // The entry's name with its edges in whole MHz: "LL: 1435 - 1535".
    static std::string BandText(const BandEntry& entry);
    void ComputeGains();

    // The overall gain in dB of one band and channel.
    static double OverallGain(std::uint8_t reference, std::uint8_t calibration,
                              std::int8_t adjustment);

    // The host's refreshes (nothing without a host): a page changed what the
    // main window shows of this unit.
    void RefreshMainWindow();
    void RefreshMainWindowStates();

    int Index() const { return index_; }
    TCPCom* Connection() const { return connection_.get(); }
    // The unit's I/O worker, or nullptr when its exchanges run in the caller's thread.
    UnitWorker* Worker() const { return worker_.get(); }
    // Breaks off the worker's exchange in flight (BreakWorker, for several
    // slots at once), or that and waits for the worker to end (StopWorker);
    // the connection is then this thread's alone.
    void BreakWorker();
    void StopWorker();
    CTM80M1_Comm* Unit() const { return unit_.get(); }
    UnitDeviceWindow* DeviceWindow() const { return deviceWindow_.get(); }

    // Display copies.
    Table referenceTable{};
    Table calibrationTable{}; // also what a setup file stores
    GainTable gainTable{};
    std::array<BandEntry, kBands> bandEntries{};
    std::array<int, kOutputs> bandSelection{}; // also what a setup file stores
    int bandCount = 0;
    int split = 0;                                    // 0 is "1:8", 1 is "2:4"
    std::array<std::int8_t, kChannels> adjustments{}; // also what a setup file stores
    std::array<std::string, kBands> bandTexts{};      // "LL: 1435 - 1535"
    std::string userNote;                             // as read at open, or as last written
    std::string addressText;
    // Every status read since the unit was opened, whether a window shows it
    // or not.
    UnitHistory history;

private:
    // The open control command (0x1001 with the open argument); 1 when the
    // unit answered.
    int SendOpenControl();

    std::unique_ptr<UnitWorker> worker_; // made the connection; goes last
    std::unique_ptr<TCPCom> connection_;
    std::unique_ptr<CTM80M1_Comm> unit_;
    int index_;
    std::unique_ptr<UnitDeviceWindow> deviceWindow_;
    UnitSlotHost* host_ = nullptr; // the main window, once attached
};
