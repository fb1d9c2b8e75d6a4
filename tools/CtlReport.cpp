#include "tools/CtlReport.h"

#include "device/UnitProtocol.h"
#include "tools/JsonWriter.h"
#include "tools/TerminalText.h"

#include <cstdio>
#include <string_view>

namespace ctlreport {

namespace {

constexpr int kLabelWidth = 14;
constexpr int kColumnWidth = 7;

std::string Line(const char* label, const std::string& value) {
    char text[32];
    std::snprintf(text, sizeof text, "%-*s", kLabelWidth, label);
    return text + value + "\n";
}

std::string Column(const std::string& value) {
    char text[64];
    std::snprintf(text, sizeof text, "%*s", kColumnWidth, value.c_str());
    return text;
}

std::string Label(const std::string& label) {
    char text[64];
    std::snprintf(text, sizeof text, "%-*s", kLabelWidth, label.c_str());
    return text;
}

std::string Decimals(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A band position as the outputs row shows it: "0 LL", or "3" without a name.
std::string BandLabel(const UnitSlot& slot, int position) {
    std::string label = std::to_string(position);
    for (int e = 0; e < slot.bandCount && e < UnitSlot::kBands; ++e) {
        if (static_cast<int>(slot.bandEntries[e].position) == position &&
            !slot.bandEntries[e].name.empty()) {
            label += " " + slot.bandEntries[e].name;
        }
    }
    return label;
}

bool IsPresent(const UnitSlot::BandEntry& entry) {
    return entry.lower != 0 && entry.upper != 0;
}

} // namespace

const char* SplitText(int split) {
    return split == 1 ? "2:4" : "1:8";
}

std::string InfoText(const UnitSlot& slot) {
    const CTM80M1_Comm& unit = *slot.Unit();
    const UnitIdentity& identity = unit.identity;
    const std::string serial =
        unitprotocol::SerialNumberText(identity.serialHigh, identity.serialLow);

    std::string text;
    text += Line("Address", slot.addressText);
    text += Line("Model", TerminalText(identity.modelCode.data()));
    text += Line("Serial", serial);
    text += Line("Firmware", unitprotocol::FirmwareText(identity.firmware));
    text += Line("Product", TerminalText(identity.productIdentifier.data()));
    text += Line("Note", TerminalText(slot.userNote));
    text += Line("Monitoring", unit.bandTable.monitoring != 0 ? "yes" : "no");
    text += Line("Split", SplitText(slot.split));

    text += "\nBands\n";
    if (slot.bandCount == 0) {
        text += "  none\n";
    }
    for (int e = 0; e < UnitSlot::kBands; ++e) {
        if (IsPresent(slot.bandEntries[e])) {
            text += "  " + std::to_string(slot.bandEntries[e].position) + "  " + slot.bandTexts[e] +
                    "\n";
        }
    }

    // Each line break and label appended on its own: g++ 12's Release build
    // warns (-Wrestrict, falsely) of overlapping copies in `"\n" + Label(...)`.
    text += "\n";
    text += Label("Channel");
    for (int c = 0; c < UnitSlot::kChannels; ++c) {
        text += Column("ch" + std::to_string(c));
    }
    text += "\n";
    text += Label("Output");
    for (int k = 0; k < UnitSlot::kOutputs; ++k) {
        text += Column(std::to_string(k + 1));
    }
    text += "\n";
    text += Label("Band");
    for (int k = 0; k < UnitSlot::kOutputs; ++k) {
        text += Column(BandLabel(slot, slot.bandSelection[k]));
    }
    text += "\n";
    text += Label("Adjustment");
    for (int c = 0; c < UnitSlot::kChannels; ++c) {
        text += Column(std::to_string(slot.adjustments[c]));
    }
    text += "\n\nOverall gain in dB per band and channel\n";
    for (int e = 0; e < UnitSlot::kBands; ++e) {
        const UnitSlot::BandEntry& entry = slot.bandEntries[e];
        if (!IsPresent(entry)) {
            continue;
        }
        text += Label("  " + std::to_string(entry.position) + " " + entry.name);
        for (int c = 0; c < UnitSlot::kChannels; ++c) {
            text += Column(Decimals(slot.gainTable[entry.position][c], 2));
        }
        text += "\n";
    }
    return text;
}

std::string InfoJson(const UnitSlot& slot) {
    const CTM80M1_Comm& unit = *slot.Unit();
    const UnitIdentity& identity = unit.identity;
    const std::string serial =
        unitprotocol::SerialNumberText(identity.serialHigh, identity.serialLow);

    JsonWriter json;
    json.BeginObject();
    json.Key("model").String(identity.modelCode.data());
    json.Key("serial").String(serial);
    json.Key("firmware").String(unitprotocol::FirmwareText(identity.firmware));
    json.Key("product").String(identity.productIdentifier.data());
    json.Key("note").String(slot.userNote);
    json.Key("monitoring").Bool(unit.bandTable.monitoring != 0);
    json.Key("bands").BeginArray();
    for (const auto& entry : slot.bandEntries) {
        if (!IsPresent(entry)) {
            continue;
        }
        json.BeginObject();
        json.Key("position").Integer(entry.position);
        json.Key("name").String(entry.name);
        json.Key("lower_hz").Integer(entry.lower);
        json.Key("upper_hz").Integer(entry.upper);
        json.EndObject();
    }
    json.EndArray();
    json.Key("split").String(SplitText(slot.split));
    json.Key("band_selection").BeginArray();
    for (int band : slot.bandSelection) {
        json.Integer(band);
    }
    json.EndArray();
    json.Key("adjustments").BeginArray();
    for (std::int8_t steps : slot.adjustments) {
        json.Integer(steps);
    }
    json.EndArray();
    json.Key("gains_db").BeginArray();
    for (const auto& row : slot.gainTable) {
        json.BeginArray();
        for (double gain : row) {
            json.Fixed(gain, 2);
        }
        json.EndArray();
    }
    json.EndArray();
    json.EndObject();
    return json.Text() + "\n";
}

std::string StatusText(const UnitStatus& status) {
    std::string text;
    text += Line("Temperature", Decimals(status.temperature, 0) + " C");
    text += Line("Voltage", Decimals(status.voltage, 1) + " V");
    text += Line("Current", Decimals(status.current, 1) + " A");
    text += Line("Power", Decimals(status.voltage * status.current, 2) + " W");
    return text;
}

std::string StatusJson(const UnitStatus& status) {
    JsonWriter json;
    json.BeginObject();
    json.Key("temperature_c").Fixed(status.temperature, 0);
    json.Key("voltage_v").Fixed(status.voltage, 1);
    json.Key("current_a").Fixed(status.current, 1);
    json.Key("power_w").Fixed(status.voltage * status.current, 2);
    json.EndObject();
    return json.Text() + "\n";
}

} // namespace ctlreport
