#include "app/dialogs/DeviceColorMenu.h"

#include "infra/SystemConfiguration.h"
#include "platform/ui/CDataExchange.h"
#include "toolkit/LabelLayout.h"

#include <string>

using namespace win;

namespace {

constexpr int kPreviewX = 7, kPreviewW = 110, kButtonW = 40, kRowH = 14;
constexpr int kBackgroundX = 127, kTextX = 177, kFirstRowY = 22, kRowPitch = 20;

DialogTemplate DeviceColorTemplate() {
    DialogTemplate t;
    t.caption = "Customize Device Color";
    t.cx = kTextX + kButtonW + 7;
    t.cy = kFirstRowY + kUnitPositions * kRowPitch + 22;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.items = {
        // Fitted to their texts around their centres.
        LTEXT("Device Label", DeviceColorMenu::kIdDeviceLabelHeading, kPreviewX, 7, kPreviewW, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("Background Color", DeviceColorMenu::kIdBackgroundHeading, kBackgroundX - 8, 7,
              kButtonW + 16, 8, SS_LEFTNOWORDWRAP),
        LTEXT("Text Color", DeviceColorMenu::kIdTextHeading, kTextX - 8, 7, kButtonW + 16, 8,
              SS_LEFTNOWORDWRAP),
    };
    for (int k = 0; k < kUnitPositions; ++k) {
        const int y = kFirstRowY + k * kRowPitch;
        t.items.push_back(LTEXT("Device #" + std::to_string(k + 1) + " Banner Color",
                                DeviceColorMenu::kIdPreview[k], kPreviewX, y, kPreviewW, kRowH));
        t.items.push_back(CONTROL("", DeviceColorMenu::kIdBackground[k], ControlKind::ColorButton,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP, kBackgroundX, y, kButtonW,
                                  kRowH));
        t.items.push_back(CONTROL("", DeviceColorMenu::kIdText[k], ControlKind::ColorButton,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP, kTextX, y, kButtonW, kRowH));
    }
    const int buttonY = t.cy - 21;
    t.items.push_back(DEFPUSHBUTTON("OK", IDOK, t.cx - 111, buttonY, 50, 14));
    t.items.push_back(PUSHBUTTON("Cancel", IDCANCEL, t.cx - 57, buttonY, 50, 14));
    return t;
}

} // namespace

DeviceColorMenu::DeviceColorMenu(CWnd* parent) : CDialogEx(DeviceColorTemplate(), parent) {
    Setup(this, kSection);
}

void DeviceColorMenu::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, kIdDeviceLabelHeading, deviceLabelHeading_);
    DDX_Control(dx, kIdBackgroundHeading, backgroundHeading_);
    DDX_Control(dx, kIdTextHeading, textHeading_);
    for (int k = 0; k < kUnitPositions; ++k) {
        const auto at = static_cast<std::size_t>(k);
        DDX_Control(dx, kIdPreview[k], previews_[at]);
        DDX_Control(dx, kIdBackground[k], backgrounds_[at]);
        DDX_Control(dx, kIdText[k], texts_[at]);
    }
}

bool DeviceColorMenu::OnInitDialog() {
    CDialogEx::OnInitDialog();
    using enum ControlType;
    const ControlEntry table[] = {
        {"IDL_DEVICE_LABEL", &deviceLabelHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_BACKGROUND_COLOR", &backgroundHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_LINE_COLOR", &textHeading_, CentredLabel, 0, kMainStyle},
    };
    SetControlTable(table);
    UpdateValues();
    EnableToolTips(true);
    Invalidate(true);
    ApplyScheme();
    const SystemConfiguration& config = TheSystemConfiguration();
    for (std::size_t k = 0; k < previews_.size(); ++k) {
        StyleLabel(previews_[k], config.DeviceColors[k].Background, config.DeviceColors[k].Text, 0,
                   kLabelBottom);
    }
    return true;
}

void DeviceColorMenu::UpdateValues() {
    if (!IsWindow()) {
        return;
    }
    const SystemConfiguration& config = TheSystemConfiguration();
    for (std::size_t k = 0; k < previews_.size(); ++k) {
        const DeviceColorPair& colours = config.DeviceColors[k];
        StyleLabel(previews_[k], colours.Background, colours.Text, 0, kLabelBottom);
        backgrounds_[k].SetColor(colours.Background);
        texts_[k].SetColor(colours.Text);
    }
    // The main window, which opened this dialog: its rows, and through them
    // the device window headers, take the colours.
    if (auto* mainWindow = dynamic_cast<Dlgplus*>(GetParent())) {
        mainWindow->UpdateValues();
    }
}

bool DeviceColorMenu::OnCommand(int id, int code) {
    if (code == BN_CLICKED) {
        SystemConfiguration& config = TheSystemConfiguration();
        for (int k = 0; k < kUnitPositions; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (id == kIdBackground[k]) {
                config.DeviceColors[at].Background = backgrounds_[at].GetColor();
                UpdateValues();
                return true;
            }
            if (id == kIdText[k]) {
                config.DeviceColors[at].Text = texts_[at].GetColor();
                UpdateValues();
                return true;
            }
        }
    }
    return CDialogEx::OnCommand(id, code);
}
