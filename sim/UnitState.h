// What a TM80 unit holds and how it acts on each command: identity, band
// table, split and bands, adjustments, calibration and reference tables, note,
// status. Not thread-safe: the owner serialises access.
#pragma once

#include "sim/SimUnit.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sim {

class UnitState {
public:
    static constexpr int kBands = 8;
    static constexpr int kChannels = 10;
    static constexpr std::uint16_t kUnitType = 0x0016;

    explicit UnitState(const UnitConfig& config);

    // Carries out one received frame and returns the whole reply frame
    // (header and payload). Unknown commands get a header with length 0.
    std::vector<std::uint8_t> Execute(const ReceivedFrame& frame);

    // Reply payload length of a command; -1 when the unit does not know it.
    static int ReplyLength(std::uint16_t command);

    // The 64 words of a block as command 0x2009 reports them.
    std::array<std::uint16_t, 64> Block(int number) const;

    std::string Note() const;
    void SetNote(const std::string& note);
    int Split() const { return split_; }
    std::vector<int> BandSelection() const;
    std::vector<int> Adjustments() const;
    int Calibration(int band, int channel) const;
    int Reference(int band, int channel) const;
    int CalibrationBand() const { return calibrationBand_; }
    int CalibrationSplit() const { return calibrationSplit_; }
    int LedFlashes() const { return ledFlashes_; }
    void SetAdjustment(int channel, int value);
    void SetCalibration(int band, int channel, int value);
    void SetStatus(int temperature, int voltageTenths, int currentTenths);
    void SetTemperature(int temperature);
    void ReleaseTemperature();

    // Random bytes for the garbage fault, from the unit's own generator.
    std::vector<std::uint8_t> RandomBytes(std::size_t count);

private:
    using Table = std::array<std::array<std::uint8_t, kChannels>, kBands>;

    std::vector<std::uint8_t> Identity() const;
    std::vector<std::uint8_t> Status();
    std::vector<std::uint8_t> NoteCommand(const std::vector<std::uint8_t>& payload);
    std::vector<std::uint8_t> SplitAndBands() const;
    std::vector<std::uint8_t> BlockBytes(int number) const;
    void Drift(int& value, int base, int range);
    void FillTexts();

    std::string model_;
    std::uint16_t serialHigh_;
    std::uint16_t serialLow_;
    std::uint32_t firmware_;
    bool monitoring_;
    std::array<std::uint16_t, 16> bandWords_{}; // lower, upper per band, 100 kHz
    std::string productId_;
    std::array<std::string, 16> texts_; // blocks 4 to 11, two per block
    std::array<char, 16> note_{};
    int split_ = 0;
    std::array<int, 8> bands_{};
    std::array<int, kChannels> adjustments_{};
    Table calibration_{};
    Table factoryCalibration_{};
    Table reference_{};
    int calibrationBand_ = 0;
    int calibrationSplit_ = 0;
    int ledFlashes_ = 0;
    int temperature_;
    int voltageTenths_;
    int currentTenths_;
    bool drift_ = true;
    bool temperatureFixed_ = false;
    std::mt19937_64 random_;
};

} // namespace sim
