// OutputColumns: what the primary setup page and the calibration page share:
// the "Input Split" heading with its two split buttons, the column headings,
// and per output 1..8 a row caption, a slider and an overall-gain field. Each
// page places the slider and gain columns itself and adds its band controls.
#pragma once

#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/ControlEntry.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Sliderplus.h"
#include "toolkit/Staticplus.h"

#include <array>
#include <string>
#include <vector>

class UnitSlot;

class OutputColumns {
public:
    static constexpr int kOutputs = 8;

    // Control ids of both templates.
    static constexpr int kIdInputSplit = 1058;
    static constexpr int kIdAdjustHeading = 1059;
    static constexpr int kIdBandHeading = 1060;
    static constexpr int kIdGainHeading = 1061;
    static constexpr int kIdOutputHeading = 1062;
    static constexpr int kIdSplit18 = 1063;
    static constexpr int kIdSplit24 = 1064;
    static constexpr int kIdDecrease = 1116;
    static constexpr int kIdIncrease = 1117;
    // Output n = 1..8.
    static constexpr int RowCaptionId(int n) { return 1013 + n; }
    static constexpr int SliderId(int n) { return 1027 + 2 * n; }
    static constexpr int GainId(int n) { return 1028 + 2 * n; }
    // Output 1..8 of a slider id, 0 for any other id.
    static int OutputOfSlider(int id);
    // Top of row n in dialog units.
    static constexpr int RowY(int n) { return 36 + 13 * n; }

    // Where a page puts the columns that differ, in dialog units.
    struct Places {
        int adjustHeadingX;
        int gainHeadingX;
        int decreaseX;
        int increaseX;
        int sliderX;
        int gainX;
    };

    // The template items of the shared controls.
    static std::vector<win::DialogItem> TemplateItems(const Places& places);

    // The split a command asks for: 0 or 1 for a click on a split button,
    // -1 for any other command.
    static int SplitOfCommand(int id, int code);

    void Bind(win::CDataExchange* dx);
    // The initialisation both pages share once their controls exist: the
    // control table (the 24 shared entries, then `own`), the sliders' range,
    // then the page's values, tooltips, scheme and states.
    void InitialisePage(Dlgplus& page, const std::vector<ControlEntry>& own, int minimum,
                        int maximum);

    // "1:8" selected exactly for split 0, "2:4" exactly for 1.
    void ShowSplit(int split);
    // Row n's gain field: `gain` as "%2.2f", or empty when `shown` is false.
    void ShowGain(int n, double gain, bool shown = true);

    Sliderplus& Slider(int n) { return sliders_[Index(n)]; }
    Staticplus& Caption(int n) { return captions_[Index(n)]; }
    Staticplus& Gain(int n) { return gains_[Index(n)]; }
    Buttonplus& Split18() { return split18_; }
    Buttonplus& Split24() { return split24_; }

private:
    static std::size_t Index(int n) { return static_cast<std::size_t>(n - 1); }

    Staticplus inputSplit_, outputHeading_, adjustHeading_, gainHeading_, decrease_, increase_;
    Buttonplus split18_, split24_;
    std::array<Staticplus, kOutputs> captions_;
    std::array<Sliderplus, kOutputs> sliders_;
    std::array<Staticplus, kOutputs> gains_;
};

// The band choice of both pages: "Band Selection" / "Select Band:" (or the
// page's language texts) over the page's device window, listing the slot's
// first band-count band texts with `current` selected. For one output, the
// prompt names it: "Select Band for Out 3A:" with the output's caption. True
// and the chosen position when the operator chose one.
bool ChooseBand(const Dlgplus& page, const UnitSlot& slot, int current, int& chosen,
                const std::string& output = {});

// The slot's text of band position `band`; empty outside 0..7.
std::string BandTextOf(const UnitSlot& slot, int band);
