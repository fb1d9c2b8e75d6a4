#include "devicewindow/HistoryDlg.h"

#include "device/HealthCsv.h"
#include "device/SlotTable.h"
#include "devicewindow/HardCopy.h"
#include "devicewindow/HistoryChartView.h"
#include "infra/UnitFolderForSave.h"
#include "infra/WallClock.h"
#include "platform/FileContent.h"
#include "platform/Time.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/WindowPicture.h"

using namespace win;

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 330;
constexpr int kChartTop = 22;

constexpr const char* kRangeTexts[HistoryPlot::kRanges] = {"10 min", "1 h", "24 h", "All"};
constexpr const char* kRangeKeys[HistoryPlot::kRanges] = {"IDC_RANGE_10_MIN", "IDC_RANGE_1_H",
                                                          "IDC_RANGE_24_H", "IDC_RANGE_ALL"};
constexpr int kRangeX[HistoryPlot::kRanges] = {8, 48, 80, 114};
constexpr int kRangeW[HistoryPlot::kRanges] = {36, 28, 30, 28};

DialogTemplate HistoryTemplate() {
    DialogTemplate t;
    t.caption = HistoryDlg::kTitle;
    t.cx = kWidth;
    t.cy = kHeight;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_GROUP; // with a minimise box
    for (int r = 0; r < HistoryPlot::kRanges; ++r) {
        t.items.push_back(AUTORADIOBUTTON(kRangeTexts[r], HistoryDlg::kIdRange[r], kRangeX[r], 6,
                                          kRangeW[r], 10, r == 0 ? WS_GROUP : 0));
    }
    t.items.push_back(PUSHBUTTON("Export...", HistoryDlg::kIdExport, kWidth - 58, 4, 50, 14));
    t.items.push_back(LTEXT("", HistoryDlg::kIdChart, 0, kChartTop, kWidth, kHeight - kChartTop));
    return t;
}

} // namespace

HistoryDlg::HistoryDlg(int unitIndex) : CDialogEx(HistoryTemplate()), unitIndex_(unitIndex) {
    Setup(this, "HISTORY");
}

HistoryDlg::~HistoryDlg() {
    KillTimer(kFollowTimer);
}

std::unique_ptr<HistoryDlg> HistoryDlg::CreateHidden(int unitIndex) {
    auto window = std::make_unique<HistoryDlg>(unitIndex);
    if (!window->Create(nullptr)) {
        return nullptr;
    }
    return window;
}

UnitSlot* HistoryDlg::Slot() const {
    return TheSlotTable().Slot(unitIndex_);
}

HistoryChartView& HistoryDlg::View() const {
    return *chart_.View();
}

void HistoryDlg::DoDataExchange(CDataExchange* dx) {
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
        DDX_Control(dx, kIdRange[r], ranges_[r]);
    }
    DDX_Control(dx, kIdChart, chart_);
}

bool HistoryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    using enum ControlType;
    std::array<ControlEntry, HistoryPlot::kRanges> table;
    for (std::size_t r = 0; r < table.size(); ++r) {
        table[r] = {kRangeKeys[r], &ranges_[r], OptionButton6, 0, kMainStyle};
    }
    SetControlTable(table.data(), static_cast<int>(table.size()));
    EnableToolTips(true);
    ApplyTooltips();
    Invalidate();
    ApplyScheme();
    SetRange(range_);
    SetTimer(kFollowTimer, kFollowMs);
    return true;
}

std::string HistoryDlg::Caption() const {
    std::string caption = GetText("TITLE", kTitle) + " - Device " + std::to_string(unitIndex_ + 1);
    if (const UnitSlot* slot = Slot()) {
        caption += ": " + slot->userNote + " (" + slot->addressText + ")";
    }
    return caption;
}

void HistoryDlg::ShowNormal() {
    Refresh(true);
    ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
}

void HistoryDlg::SetRange(HistoryPlot::Range range) {
    range_ = range;
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
        ranges_[r].SetCheck(static_cast<int>(r) == static_cast<int>(range) ? BST_CHECKED
                                                                           : BST_UNCHECKED);
    }
    Refresh(true);
}

void HistoryDlg::Refresh(bool always) {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || !IsWindow() || chart_.View() == nullptr) {
        return;
    }
    const UnitHistory& history = slot->history;
    if (!always && everDrawn_ && history.Recorded() == drawn_) {
        return;
    }
    drawn_ = history.Recorded();
    everDrawn_ = true;
    const HistoryPlot::Span span = HistoryPlot::SpanOf(history, range_, WallClockMs());
    View().Show(history, HistoryPlot::Prepare(history, span, View().Columns()));
    const std::string caption = Caption();
    if (GetWindowText() != caption) {
        SetWindowText(caption);
    }
}

void HistoryDlg::Export() {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || slot->Unit() == nullptr) {
        return;
    }
    const std::string serial = slot->Unit()->KnownSerialText();
    const UnitFolderForSave folder(serial);
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Owned by this window, so the main window stays where it is.
    FileDialogRequest choice;
    choice.owner = this;
    choice.save = true;
    choice.title = kExportTitle;
    choice.initialFolder = folder.Path();
    choice.defaultExtension = "csv";
    choice.fileName = HardCopy::DefaultName(serial, now, "csv");
    choice.filter = kFilter;
    std::string path;
    if (!CommonDialogs::Current().ChooseFile(choice, path)) {
        return;
    }
    if (ExportTo(path)) {
        return;
    }
    HardCopy::TellNotWritten(this, path, kFailedText, kExportTitle);
}

bool HistoryDlg::ExportTo(const std::string& path) {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || chart_.View() == nullptr) {
        return false;
    }
    const HistoryPlot::Span span = View().Shown().span;
    const std::string extension = HardCopy::LowerExtension(path);
    View().HideHover();
    if (extension == ".png") {
        return SaveWindowPng(chart_, path);
    }
    if (extension == ".pdf") {
        const std::string serial = slot->Unit() != nullptr ? slot->Unit()->SerialNumberText() : "";
        const std::string heading = slot->userNote + "    " + slot->addressText + "    " + serial +
                                    "    " + PlainLocalTime(span.startMs) + " - " +
                                    PlainLocalTime(span.endMs);
        return SaveWindowPdf(chart_, path, heading);
    }
    return ReplaceFileContent(path.c_str(),
                              HealthCsv::Document(slot->history, span.startMs, span.endMs));
}

bool HistoryDlg::OnCommand(int id, int code) {
    if (code == BN_CLICKED) {
        for (std::size_t r = 0; r < kIdRange.size(); ++r) {
            if (id == kIdRange[r]) {
                SetRange(static_cast<HistoryPlot::Range>(r));
                return true;
            }
        }
        if (id == kIdExport) {
            Export();
            return true;
        }
    }
    return CDialogEx::OnCommand(id, code);
}

void HistoryDlg::OnTimer(UINT_PTR id) {
    if (id == kFollowTimer) {
        if (IsWindowVisible()) {
            Refresh();
        }
        return;
    }
    CDialogEx::OnTimer(id);
}

void HistoryDlg::OnOK() {
    // Enter has no meaning here; the window has no default button.
}

void HistoryDlg::OnCancel() {
    ShowWindow(SW_HIDE);
}
