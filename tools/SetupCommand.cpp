#include "tools/SetupCommand.h"

#include "device/PageSetupParts.h"
#include "device/UnitSlot.h"
#include "tools/CtlReport.h"
#include "tools/JsonWriter.h"
#include "tools/Tm80Ctl.h"

#include <ostream>

namespace {

std::string CalibrationSplitText(int split) {
    // A split from a file other than 0 or 1 is shown as the number it is.
    return split == 0 || split == 1 ? ctlreport::SplitText(split) : std::to_string(split);
}

// The text is appended piece by piece throughout: g++ 12's Release build warns
// (-Wrestrict, falsely) of overlapping copies in `text += " " + std::to_string(n)`.
template <class Numbers> void AppendNumbers(std::string& text, const Numbers& numbers) {
    for (const auto n : numbers) {
        text += ' ';
        text += std::to_string(n);
    }
}

// A recall whose calibration split is neither 0 nor 1 sends no calibration values.
constexpr const char* kNoCalibrationText =
    "Calibration values not sent: SPLIT_MODE is neither 0 (1:8) nor 1 (2:4).";

// What the slot holds after the save or recall; `recalled` adds whether the
// calibration values went to the unit.
std::string Settings(const UnitSlot& slot, const CalibrationChoice& calibration, bool json,
                     const std::string& file, bool recalled) {
    const auto& values = slot.calibrationTable[static_cast<std::size_t>(calibration.band)];
    if (json) {
        JsonWriter w;
        w.BeginObject().Key("file").String(file);
        w.Key("split").String(ctlreport::SplitText(slot.split));
        w.Key("band_selection").BeginArray();
        for (int band : slot.bandSelection) {
            w.Integer(band);
        }
        w.EndArray().Key("adjustments").BeginArray();
        for (std::int8_t steps : slot.adjustments) {
            w.Integer(steps);
        }
        w.EndArray().Key("calibration").BeginObject();
        w.Key("band").Integer(calibration.band);
        w.Key("split").String(CalibrationSplitText(calibration.split));
        if (recalled) {
            w.Key("sent").Bool(calibration.SendsValues());
        }
        w.Key("values").BeginArray();
        for (std::uint8_t value : values) {
            w.Integer(value);
        }
        w.EndArray().EndObject().EndObject();
        return w.Text() + "\n";
    }
    std::string text =
        "Split            " + std::string(ctlreport::SplitText(slot.split)) + "\nBand per output ";
    AppendNumbers(text, slot.bandSelection);
    text += "\nAdjustments     ";
    AppendNumbers(text, slot.adjustments);
    text += "\nCalibration      band ";
    text += std::to_string(calibration.band);
    text += ", split ";
    text += CalibrationSplitText(calibration.split);
    text += ':';
    AppendNumbers(text, values);
    text += '\n';
    if (recalled && !calibration.SendsValues()) {
        text += kNoCalibrationText;
        text += '\n';
    }
    return text;
}

int NoSetup(const std::string& file, std::ostream& err) {
    err << UnitSlot::NoSetupText(file) << '\n';
    return kCtlFailed;
}

} // namespace

int CheckRecallFile(const std::string& file, std::ostream& err) {
    return UnitSlot::HoldsSetup(file) ? kCtlOk : NoSetup(file, err);
}

int RunSetupCommand(UnitSlot& slot, const SetupCommandOptions& options, std::ostream& out,
                    std::ostream& err) {
    if (slot.ReadUnit() == 0) {
        err << "Exchange with " << options.address << " failed: reading the unit\n";
        return kCtlFailed;
    }
    FreshWindowHost host;
    slot.AttachWindow(&host);
    const CalibrationChoice& calibration = host.Panes()->calibration;
    if (!options.recall) {
        if (slot.SaveSetup(options.file) == 0) {
            err << "Setup could not be written to " << options.file << "\n";
            return kCtlFailed;
        }
        if (!options.json) {
            out << "Setup of " << options.address << " saved to " << options.file << "\n";
        }
        out << Settings(slot, calibration, options.json, options.file, false);
        return kCtlOk;
    }
    if (slot.RecallSetup(options.file) == 0) {
        return NoSetup(options.file, err); // the file changed since it was checked
    }
    if (slot.ApplyRecalledSetup() == 0) {
        err << "Exchange with " << options.address << " failed: sending the setup\n";
        return kCtlFailed;
    }
    if (!options.json) {
        out << "Setup " << options.file << " sent to " << options.address << "\n";
    }
    out << Settings(slot, calibration, options.json, options.file, true);
    return kCtlOk;
}
