#include "devicewindow/StatusDlg.h"

#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"
#include "toolkit/TextUnit.h"

#include <cstddef>

using namespace win;

namespace {

DialogTemplate StatusTemplate() {
    DialogTemplate t;
    t.cx = 383; // as wide and high as the device window's header frame
    t.cy = 36;
    t.style = WS_CHILD;
    // The file line lies over the right part of the unit line, so it comes
    // after it.
    t.items = {
        CONTROL("", StatusDlg::kIdLogo, ControlKind::Static, WS_CHILD | WS_VISIBLE, 10, 14, 19, 8),
        CONTROL("", StatusDlg::kIdLogoCorner, ControlKind::Static, WS_CHILD | WS_VISIBLE, 71, 28,
                19, 8),
        LTEXT("", StatusDlg::kIdUnitLine, 0, 0, 383, 10),
        // As high as the unit line, the text in its middle: an underscore in
        // the file name ("00AB-1001_Setup") sits below the baseline.
        CTEXT("", StatusDlg::kIdFileLine, 106, 0, 275, 10),
        // Below the unit line, within the 36 units the device window gives
        // the header.
        CTEXT("INFO", StatusDlg::kIdAlarm, 369, 10, 12, 26),
    };
    return t;
}

} // namespace

StatusDlg::StatusDlg(int unitIndex) : CDialogEx(StatusTemplate()), unitIndex_(unitIndex) {
    Setup(this, "STATUS");
}

void StatusDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kIdLogo, logo_);
    DDX_Control(dx, kIdLogoCorner, logoCorner_);
    DDX_Control(dx, kIdUnitLine, unitLine_);
    DDX_Control(dx, kIdFileLine, fileLine_);
    DDX_Control(dx, kIdAlarm, alarm_);
}

void StatusDlg::StyleLines() {
    DeviceColorPair colours;
    if (unitIndex_ >= 0 && unitIndex_ < kUnitPositions) {
        colours = TheSystemConfiguration().DeviceColors[static_cast<std::size_t>(unitIndex_)];
    }
    StyleLabel(unitLine_, colours.Background, colours.Text, 0, kLabelMiddle);
    StyleLabel(fileLine_, RGB(255, 255, 255), RGB(0, 0, 0), 0, kLabelCentre | kLabelMiddle);
}

void StatusDlg::UpdateValues() {
    StyleLines();
    const UnitSlot* slot = TheSlotTable().Slot(unitIndex_);
    const std::string note = slot != nullptr ? slot->userNote : std::string();
    const std::string address = slot != nullptr ? slot->addressText : std::string();
    unitLine_.SetLabelText(" " + note + "  " + address);
    const std::string& file = CurrentSetupFile();
    fileLine_.SetLabelText(file.empty() ? std::string(kNoFile) : file);
}

bool StatusDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    UpdateValues();
    ApplyTooltipsAndScheme();
    StyleLines();

    // The alarm label: one bold character per line, drawn in the dialog
    // background so that it cannot be seen until an alarm colours it.
    const COLORREF background = TheColorScheme().Main.Background;
    alarm_.SetFontName("Segoe UI");
    alarm_.SetFontSize(TextUnit() * 5 / 4);
    alarm_.SetColumnText();
    alarm_.SetTextColor(background);
    alarm_.SetBkColor(background);
    alarm_.SetAlignment(kLabelCentre);
    alarm_.SetFontBold(true);

    UpdateStates();

    logo_.StretchToMarker(logoCorner_);
    // The area is far wider than the logo: stretched, it would be squashed.
    logo_.SetFitted(true);
    logo_.LoadPicture(TheEnvironment().ImagesFolder + kLogoFile);
    return true;
}

void StatusDlg::SetAlarmColors(COLORREF text, COLORREF background) {
    if (alarm_.GetTextColor() == text && alarm_.GetBkColor() == background) {
        return; // the quiet look, kept tick after tick
    }
    alarm_.SetTextColor(text);
    alarm_.SetBkColor(background);
    alarm_.RedrawWindow();
}
