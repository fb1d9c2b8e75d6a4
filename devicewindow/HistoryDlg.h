// HistoryDlg: a unit's health over time, the window the Info page's
// "History..." button and the main window's System > History > Device n open.
// Four stacked plots (temperature with its 80 degree alarm line, source
// voltage, current and power) over the last 10 minutes, hour, 24 hours or
// everything the unit's history holds; spans where the unit did not answer
// or was quiet are shaded, with no line through them. While shown it follows
// the history once a second (timer 1); hovering shows a reading's value and
// time. "Export..." writes the readings shown as CSV (the columns of
// `tm80ctl watch --csv`), or the chart as PNG or as an A4 PDF, picked by the
// name's extension, in the unit's folder as Hard Copy does.
//
// Owned by the unit's device window; closing it only hides it. It reaches the
// unit's history through the slot table by unit index, as the pages do.
#pragma once

#include "devicewindow/HistoryChart.h"
#include "devicewindow/HistoryPlot.h"
#include "platform/ui/CDialogEx.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Dlgplus.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class HistoryChartView;
class UnitSlot;

class HistoryDlg : public win::CDialogEx, public Dlgplus {
public:
    static constexpr win::UINT_PTR kFollowTimer = 1;
    static constexpr win::UINT kFollowMs = 1000;
    // Control ids: the four range buttons in the order of HistoryPlot::Range.
    static constexpr std::array<int, HistoryPlot::kRanges> kIdRange = {1001, 1002, 1003, 1004};
    static constexpr int kIdExport = 1005;
    static constexpr int kIdChart = 1006;

    static constexpr const char* kTitle = "History";
    static constexpr const char* kExportTitle = "Export History";
    static constexpr const char* kFilter =
        "CSV (*.csv)|*.csv|PNG (*.png)|*.png|PDF (*.pdf)|*.pdf||";
    static constexpr const char* kFailedText = "The history could not be written to %s.";

    explicit HistoryDlg(int unitIndex);
    ~HistoryDlg() override;

    // Constructs the window for `unitIndex` and creates it: modeless,
    // top-level, hidden. nullptr when the window cannot be made.
    static std::unique_ptr<HistoryDlg> CreateHidden(int unitIndex);

    // Draws the history afresh, shows the window and brings it to the front.
    void ShowNormal();
    void SetRange(HistoryPlot::Range range);
    HistoryPlot::Range GetRange() const { return range_; }
    // Draws what is new in the history since the last drawing (everything
    // with `always`).
    void Refresh(bool always = false);
    // Asks for a file and writes it; a file that cannot be written is told.
    void Export();
    // Writes the export to `path`: PNG or PDF by its extension, else CSV.
    bool ExportTo(const std::string& path);

    HistoryChartView& View() const;
    int GetUnitIndex() const { return unitIndex_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    void OnTimer(win::UINT_PTR id) override;
    void OnOK() override;
    void OnCancel() override;

private:
    UnitSlot* Slot() const;
    // "History - Device 3: SPARE (127.0.0.4)"
    std::string Caption() const;

    int unitIndex_;
    HistoryPlot::Range range_ = HistoryPlot::Range::TenMinutes;
    std::uint64_t drawn_ = 0; // the history's Recorded() when last drawn
    bool everDrawn_ = false;
    std::array<Buttonplus, HistoryPlot::kRanges> ranges_;
    HistoryChart chart_;
};
