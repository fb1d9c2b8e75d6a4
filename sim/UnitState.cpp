#include "sim/UnitState.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

// Band edges in 100 kHz steps, lower and upper per band; 0 marks an absent band.
constexpr std::array<std::uint16_t, 16> kBands80M1 = {
    0, 0, 14350, 15350, 17500, 18500, 22000, 23950, 44000, 49400, 50910, 51500, 0, 0, 0, 0};
constexpr std::array<std::uint16_t, 16> kBands80C2 = {
    22000, 23950, 0, 0, 44000, 49400, 50910, 51500, 0, 0, 0, 0, 0, 0, 0, 0};

void PutLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutBe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

int AdjustmentLimit(int channel) {
    return channel < 8 ? 12 : 8;
}

} // namespace

UnitState::UnitState(const UnitConfig& config)
    : model_(config.model), serialHigh_(config.serialHigh), serialLow_(config.serialLow),
      firmware_(config.firmware), monitoring_(config.monitoring), temperature_(41),
      voltageTenths_(120), currentTenths_(15), random_(config.seed) {
    model_.resize(4, ' ');
    bandWords_ = model_ == "80C2" ? kBands80C2 : kBands80M1;
    productId_ = model_ == "80C2" ? "TM80C2 8-OUTPUT RF MULTICOUPLER 2200-5150 MHZ"
                                  : "TM80M1 8-OUTPUT RF MULTICOUPLER 1435-5150 MHZ";
    FillTexts();
    SetNote(config.note);
    if (config.temperature) {
        SetTemperature(*config.temperature);
    }
    // Factory calibration differs a little from unit to unit and band to band.
    for (int b = 0; b < kBands; ++b) {
        for (int c = 0; c < kChannels; ++c) {
            int cal = c < 8 ? 40 + (b * 7 + c * 5 + serialLow_) % 31 : 20 + (b * 3 + c) % 20;
            int ref = cal + (c < 8 ? 28 + c % 4 : 30);
            factoryCalibration_[b][c] = static_cast<std::uint8_t>(cal);
            reference_[b][c] = static_cast<std::uint8_t>(ref);
        }
    }
    calibration_ = factoryCalibration_;
    // Outputs start on the first bands present, in turn.
    int present = 0;
    for (int b = 0; b < kBands; ++b) {
        if (bandWords_[2 * b] != 0 && bandWords_[2 * b + 1] != 0) {
            ++present;
        }
    }
    for (int k = 0; k < 8; ++k) {
        bands_[k] = present > 0 ? k % present : 0;
    }
}

void UnitState::FillTexts() {
    for (int k = 0; k < 8; ++k) {
        texts_[k] = "RF OUTPUT " + std::to_string(k + 1);
    }
    char fw[17];
    std::snprintf(fw, sizeof fw, "FW %08X", static_cast<unsigned>(firmware_));
    texts_[8] = "ADJUST A";
    texts_[9] = "ADJUST B";
    texts_[10] = "LNA ASSY 4410-2";
    texts_[11] = "SPLITTER 4420-1";
    texts_[12] = "CAL 2024-03-18";
    texts_[13] = "TECH JMR";
    texts_[14] = "PSU 12V 2A";
    texts_[15] = fw;
}

int UnitState::ReplyLength(std::uint16_t command) {
    switch (command) {
    case 0x1000:
    case 0x1004:
    case 0x3000:
    case 0x3002:
        return 0;
    case 0x1001:
        return 6;
    case 0x1003:
        return 16;
    case 0x2001:
        return 20;
    case 0x2002:
        return 12;
    case 0x2009:
        return 128;
    case 0x3001:
        return 1;
    case 0x4000:
    case 0x4004:
        return 10;
    default:
        return -1;
    }
}

std::vector<std::uint8_t> UnitState::Execute(const ReceivedFrame& frame) {
    // Short requests are read as if zero-filled, as the firmware's buffer would be.
    auto at = [&frame](std::size_t i) -> std::uint8_t {
        return 6 + i < frame.bytes.size() ? frame.bytes[6 + i] : 0;
    };
    std::vector<std::uint8_t> payload(
        frame.bytes.size() > 6 ? frame.bytes.begin() + 6 : frame.bytes.end(), frame.bytes.end());
    std::vector<std::uint8_t> reply;
    switch (frame.command) {
    case 0x1000:
        SetAdjustment(at(0), static_cast<std::int8_t>(at(1)));
        break;
    case 0x1001:
        if (at(0) == 0x06) {
            ++ledFlashes_;
        }
        reply = {at(0), at(1), 0, 0, 0, 0};
        break;
    case 0x1003:
        reply = NoteCommand(payload);
        break;
    case 0x1004:
        split_ = at(0) & 1;
        for (int k = 0; k < 8; ++k) {
            bands_[k] = at(2 + k) >> 4;
        }
        break;
    case 0x2001:
        reply = Identity();
        break;
    case 0x2002:
        reply = Status();
        break;
    case 0x2009:
        reply = BlockBytes(at(0));
        break;
    case 0x3000: {
        int band = at(2) >> 4;
        if (at(0) < kChannels && band < kBands) {
            calibration_[band][at(0)] = at(1);
        }
        break;
    }
    case 0x3001: {
        // Bit 3 asks for a change; without it the unit only reports its selection.
        int band = at(0) >> 4;
        if ((at(0) & 0x08) != 0 && band < kBands) {
            calibrationBand_ = band;
            calibrationSplit_ = at(0) & 1;
        }
        reply = {static_cast<std::uint8_t>((calibrationBand_ << 4) | calibrationSplit_)};
        break;
    }
    case 0x3002: {
        int band = at(0) >> 4;
        if (band < kBands) {
            calibration_[band] = factoryCalibration_[band];
        }
        break;
    }
    case 0x4000:
        for (int a : adjustments_) {
            reply.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(a)));
        }
        break;
    case 0x4004:
        reply = SplitAndBands();
        break;
    default:
        break;
    }
    std::vector<std::uint8_t> out;
    PutLe16(out, kUnitType);
    PutLe16(out, frame.command);
    PutLe16(out, static_cast<std::uint16_t>(reply.size()));
    out.insert(out.end(), reply.begin(), reply.end());
    return out;
}

std::vector<std::uint8_t> UnitState::Identity() const {
    std::vector<std::uint8_t> out(model_.begin(), model_.begin() + 4);
    PutBe16(out, serialHigh_);
    PutBe16(out, serialLow_);
    PutBe16(out, static_cast<std::uint16_t>(firmware_ >> 16));
    PutBe16(out, static_cast<std::uint16_t>(firmware_ & 0xFFFF));
    out.resize(20, 0);
    return out;
}

void UnitState::Drift(int& value, int base, int range) {
    int step = static_cast<int>(random_() % 4) - 1; // -1, 0, 0 or +1
    if (step > 1) {
        step = 0;
    }
    value = std::clamp(value + step, base - range, base + range);
}

std::vector<std::uint8_t> UnitState::Status() {
    if (drift_) {
        if (!temperatureFixed_) {
            Drift(temperature_, 41, 3);
        }
        Drift(voltageTenths_, 120, 3);
        Drift(currentTenths_, 15, 1);
    }
    std::vector<std::uint8_t> out;
    // Bytes 0-7: the output detectors, which the application does not show.
    for (int k = 0; k < 8; ++k) {
        out.push_back(static_cast<std::uint8_t>(100 + adjustments_[k]));
    }
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(temperature_)));
    PutBe16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(voltageTenths_)));
    out.push_back(static_cast<std::uint8_t>(currentTenths_));
    return out;
}

std::vector<std::uint8_t> UnitState::NoteCommand(const std::vector<std::uint8_t>& payload) {
    if (!payload.empty() && (payload[0] & 0x80) != 0) {
        for (std::size_t i = 0; i < note_.size(); ++i) {
            note_[i] = static_cast<char>(1 + i < payload.size() ? payload[1 + i] : 0);
        }
    }
    return std::vector<std::uint8_t>(note_.begin(), note_.end());
}

std::vector<std::uint8_t> UnitState::SplitAndBands() const {
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(split_), 0};
    for (int b : bands_) {
        out.push_back(static_cast<std::uint8_t>((b & 0x0F) << 4));
    }
    return out;
}

std::array<std::uint16_t, 64> UnitState::Block(int number) const {
    std::array<std::uint16_t, 64> w{};
    auto text = [&w](int first, const std::string& s, std::size_t length) {
        for (std::size_t i = 0; i < length && i < s.size(); ++i) {
            w[first + i] = static_cast<std::uint8_t>(s[i]);
        }
    };
    if (number == 0) {
        std::copy(bandWords_.begin(), bandWords_.end(), w.begin());
        w[50] = monitoring_ ? 1 : 0;
    } else if (number == 1) {
        for (int k = 0; k < 8; ++k) {
            w[16 + k] = static_cast<std::uint16_t>(static_cast<std::uint8_t>(note_[2 * k]) << 8 |
                                                   static_cast<std::uint8_t>(note_[2 * k + 1]));
        }
    } else if (number == 2) {
        text(0, productId_, 64);
    } else if (number >= 4 && number <= 11) {
        text(0, texts_[2 * (number - 4)], 16);
        text(32, texts_[2 * (number - 4) + 1], 16);
    } else if (number >= 12 && number <= 15) {
        const Table& table = number < 14 ? calibration_ : reference_;
        int firstRow = (number % 2) * 4;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < kChannels; ++c) {
                w[16 * r + c] = table[firstRow + r][c];
            }
        }
    }
    return w;
}

std::vector<std::uint8_t> UnitState::BlockBytes(int number) const {
    std::vector<std::uint8_t> out;
    for (std::uint16_t v : Block(number)) {
        PutLe16(out, v);
    }
    return out;
}

std::string UnitState::Note() const {
    auto end = std::find(note_.begin(), note_.end(), '\0');
    return std::string(note_.begin(), end);
}

void UnitState::SetNote(const std::string& note) {
    note_.fill('\0');
    std::copy_n(note.begin(), std::min(note.size(), note_.size()), note_.begin());
}

std::vector<int> UnitState::BandSelection() const {
    return std::vector<int>(bands_.begin(), bands_.end());
}

std::vector<int> UnitState::Adjustments() const {
    return std::vector<int>(adjustments_.begin(), adjustments_.end());
}

int UnitState::Calibration(int band, int channel) const {
    if (band < 0 || band >= kBands || channel < 0 || channel >= kChannels) {
        return -1;
    }
    return calibration_[band][channel];
}

int UnitState::Reference(int band, int channel) const {
    if (band < 0 || band >= kBands || channel < 0 || channel >= kChannels) {
        return -1;
    }
    return reference_[band][channel];
}

void UnitState::SetAdjustment(int channel, int value) {
    if (channel >= 0 && channel < kChannels) {
        int limit = AdjustmentLimit(channel);
        adjustments_[channel] = std::clamp(value, -limit, limit);
    }
}

void UnitState::SetCalibration(int band, int channel, int value) {
    if (band >= 0 && band < kBands && channel >= 0 && channel < kChannels) {
        calibration_[band][channel] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    }
}

void UnitState::SetStatus(int temperature, int voltageTenths, int currentTenths) {
    temperature_ = temperature;
    voltageTenths_ = voltageTenths;
    currentTenths_ = currentTenths;
    drift_ = false;
}

void UnitState::SetTemperature(int temperature) {
    temperature_ = temperature;
    temperatureFixed_ = true;
}

void UnitState::ReleaseTemperature() {
    temperatureFixed_ = false;
}

std::vector<std::uint8_t> UnitState::RandomBytes(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(random_());
    }
    return out;
}

} // namespace sim
