#include "devicewindow/OutputColumns.h"

#include "device/UnitSlot.h"
#include "toolkit/EntryDialogs.h"

#include <algorithm>
#include <cstdio>

using namespace win;

namespace {

constexpr const char* kCaptionKeys[OutputColumns::kOutputs] = {
    "IDL_OUTPUT_1", "IDL_OUTPUT_2", "IDL_OUTPUT_3", "IDL_OUTPUT_4",
    "IDL_OUTPUT_5", "IDL_OUTPUT_6", "IDL_OUTPUT_7", "IDL_OUTPUT_8",
};
constexpr const char* kGainKeys[OutputColumns::kOutputs] = {
    "IDC_OUTPUT_ADJUSTMENT_1", "IDC_OUTPUT_ADJUSTMENT_2", "IDC_OUTPUT_ADJUSTMENT_3",
    "IDC_OUTPUT_ADJUSTMENT_4", "IDC_OUTPUT_ADJUSTMENT_5", "IDC_OUTPUT_ADJUSTMENT_6",
    "IDC_OUTPUT_ADJUSTMENT_7", "IDC_OUTPUT_ADJUSTMENT_8",
};

} // namespace

int OutputColumns::OutputOfSlider(int id) {
    for (int n = 1; n <= kOutputs; ++n) {
        if (id == SliderId(n)) {
            return n;
        }
    }
    return 0;
}

std::vector<DialogItem> OutputColumns::TemplateItems(const Places& places) {
    std::vector<DialogItem> items = {
        LTEXT("Input Split", kIdInputSplit, 18, 8, 52, 8),
        AUTORADIOBUTTON("1:8", kIdSplit18, 75, 8, 27, 8, WS_GROUP),
        AUTORADIOBUTTON("2:4", kIdSplit24, 110, 8, 27, 8),
        CTEXT("Output", kIdOutputHeading, 75, 28, 52, 8),
        CTEXT("Output Adj.", kIdAdjustHeading, places.adjustHeadingX, 27, 61, 8),
        CTEXT("Overall Gain", kIdGainHeading, places.gainHeadingX, 27, 46, 8),
        CTEXT("- Decr.", kIdDecrease, places.decreaseX, 37, 23, 8),
        CTEXT("Incr. +", kIdIncrease, places.increaseX, 37, 24, 8),
    };
    for (int n = 1; n <= kOutputs; ++n) {
        const std::string caption = "Out " + std::to_string(n) + "A";
        items.push_back(LTEXT(caption, RowCaptionId(n), 89, RowY(n), 24, 8));
        items.push_back(CONTROL("", SliderId(n), ControlKind::Slider,
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP, places.sliderX, RowY(n), 61,
                                8));
        items.push_back(CTEXT("-0.25", GainId(n), places.gainX, RowY(n), 25, 8));
    }
    return items;
}

void OutputColumns::Bind(CDataExchange* dx) {
    DDX_Control(dx, kIdInputSplit, inputSplit_);
    DDX_Control(dx, kIdSplit18, split18_);
    DDX_Control(dx, kIdSplit24, split24_);
    DDX_Control(dx, kIdOutputHeading, outputHeading_);
    DDX_Control(dx, kIdAdjustHeading, adjustHeading_);
    DDX_Control(dx, kIdGainHeading, gainHeading_);
    DDX_Control(dx, kIdDecrease, decrease_);
    DDX_Control(dx, kIdIncrease, increase_);
    for (int n = 1; n <= kOutputs; ++n) {
        DDX_Control(dx, RowCaptionId(n), captions_[Index(n)]);
        DDX_Control(dx, SliderId(n), sliders_[Index(n)]);
        DDX_Control(dx, GainId(n), gains_[Index(n)]);
    }
}

int OutputColumns::SplitOfCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return -1;
    }
    return id == kIdSplit18 ? 0 : id == kIdSplit24 ? 1 : -1;
}

void OutputColumns::InitialisePage(Dlgplus& page, const std::vector<ControlEntry>& own, int minimum,
                                   int maximum) {
    using enum ControlType;
    std::vector<ControlEntry> table = {
        {"IDL_INPUT_SPLIT", &inputSplit_, LeftLabel, 0, kMainStyle},
        {"IDC_SPLIT_18", &split18_, OptionButton6, 0, kMainStyle},
        {"IDC_SPLIT_24", &split24_, OptionButton6, 0, kMainStyle},
        {"IDL_OUTPUT", &outputHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_OUTPUT_ADJUSTMENTS", &adjustHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_OVERALL_GAIN", &gainHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_DECREASE", &decrease_, CentredLabel, 0, kMainStyle},
        {"IDL_INCREASE", &increase_, CentredLabel, 0, kMainStyle},
    };
    for (int n = 1; n <= kOutputs; ++n) {
        table.push_back({kCaptionKeys[n - 1], &captions_[Index(n)], LeftLabel, 0, kMainStyle});
    }
    for (int n = 1; n <= kOutputs; ++n) {
        table.push_back({kGainKeys[n - 1], &gains_[Index(n)], ValueField, 0, kMainStyle});
    }
    table.insert(table.end(), own.begin(), own.end());
    page.SetControlTable(table.data(), static_cast<int>(table.size()));

    // The range first, so that the positions UpdateValues sets are not cut
    // to the platform's default range.
    for (Sliderplus& slider : sliders_) {
        slider.SetRange(minimum, maximum);
    }
    page.UpdateValues();
    page.ApplyTooltipsAndScheme();
    page.UpdateStates();
}

void OutputColumns::ShowSplit(int split) {
    split18_.SetCheck(split == 0 ? BST_CHECKED : BST_UNCHECKED);
    split24_.SetCheck(split == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void OutputColumns::ShowGain(int n, double gain, bool shown) {
    char text[32] = "";
    if (shown) {
        std::snprintf(text, sizeof text, "%2.2f", gain);
    }
    gains_[Index(n)].SetWindowText(text);
}

bool ChooseBand(const Dlgplus& page, const UnitSlot& slot, int current, int& chosen,
                const std::string& output) {
    const int count = std::clamp(slot.bandCount, 0, UnitSlot::kBands);
    const std::vector<std::string> items(slot.bandTexts.begin(), slot.bandTexts.begin() + count);
    // Over the device window, which waits meanwhile, so that no second choice
    // or slider move can start under this one.
    CWnd* owner = page.GetWindow() != nullptr ? page.GetWindow()->GetParent() : nullptr;
    std::string prompt = page.GetText("PR_DATASOURCE1", "Select Band:");
    if (!output.empty()) {
        // The language text is not a format: only its first "%s" is filled.
        prompt = page.GetText("PR_BAND_FOR_OUTPUT", "Select Band for %s:");
        if (const std::size_t at = prompt.find("%s"); at != std::string::npos) {
            prompt.replace(at, 2, output);
        }
    }
    return ChooseFromList(current, items, page.GetText("CP_DATADECOM", "Band Selection"), prompt,
                          count, chosen, owner);
}

std::string BandTextOf(const UnitSlot& slot, int band) {
    if (band < 0 || band >= UnitSlot::kBands) {
        return {};
    }
    return slot.bandTexts[static_cast<std::size_t>(band)];
}
