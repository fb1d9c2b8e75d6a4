// Everything the application keeps for one shown unit: its connection and
// unit object, its device window, and the display copies that the main window
// and the device window's pages read and edit.
#pragma once

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitDeviceWindow.h"
#include "device/UnitHistory.h"
#include "device/UnitSlotHost.h"

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
    // (0-3) was claimed in the slot table by the caller.
    UnitSlot(int index, std::unique_ptr<TCPCom> connection, std::unique_ptr<CTM80M1_Comm> unit);
    // Closes the connection first (gracefully), then drops the unit object,
    // then the device window.
    ~UnitSlot();
    UnitSlot(const UnitSlot&) = delete;
    UnitSlot& operator=(const UnitSlot&) = delete;

    // The open sequence: flashes the LEDs, sends the open control command,
    // reads the unit and takes the copies, then lets `host` create the device
    // window and refresh the main window. Without a host (tools, tests) the
    // two window steps are left out.
    // A unit that leaves the LED flash unanswered (a module that accepted the
    // connection for a unit that does not answer) is not read further: 0, and
    // the caller drops the slot. Once the flash is answered the sequence runs
    // to its end whatever the later exchanges give: 1.
    int Open(UnitSlotHost* host);

    // The reading part of the open sequence: every read the open sequence
    // makes, then the copies, band texts, gains, note and address.
    // 1 when every read succeeded; the copies are taken either way.
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
    // Sends what was recalled: the open control command, the gains worked
    // out again, each pane's settings sent and shown, then the main window
    // refreshed. 1 when every exchange went through.
    int ApplyRecalledSetup();
    // "DEVICE" alone, keys in write order: for band r its ten calibration
    // values, then the band selection of output r; then the ten adjustments.
    // A null file name is taken as an empty name.
    void WriteDeviceSection(const char* file);
    // Only a key that reads as an integer sets its field: calibration values
    // and adjustments take its low 8 bits; a band selection outside 0..7 is
    // refused (it indexes the bands).
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

    std::unique_ptr<TCPCom> connection_;
    std::unique_ptr<CTM80M1_Comm> unit_;
    int index_;
    std::unique_ptr<UnitDeviceWindow> deviceWindow_;
    UnitSlotHost* host_ = nullptr; // the main window, once attached
};
