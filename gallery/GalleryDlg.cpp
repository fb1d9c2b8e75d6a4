#include "gallery/GalleryDlg.h"

#include "infra/ColorScheme.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"
#include "toolkit/TextUnit.h"

#include <cstdio>
#include <utility>

using namespace win;

namespace {

enum : int {
    IDC_LOGO = 1000,
    IDC_UNIT_LINE,
    IDC_FILE_LINE,
    IDC_STATIC_HEADING,
    IDC_ENABLED_CAPTION,
    IDC_DISABLED_CAPTION,
    IDC_TYPE_NAME_0 = 1010,
    IDC_ENABLED_0 = 1020,
    IDC_DISABLED_0 = 1030,
    IDC_LABEL_HEADING = 1040,
    IDC_DEVICE_LABEL,
    IDC_DISABLED_LABEL,
    IDC_UPSIDE_DOWN,
    IDC_TWO_LINES,
    IDC_BANNER_0,
    IDC_DOWNWARDS = IDC_BANNER_0 + 3,
    IDC_INFO,
    IDC_LIGHT_PANEL = 1060,
    IDC_LIGHT_HEADING,
    IDC_BALL_0,
    IDC_BAR = IDC_BALL_0 + 3,
    IDC_LIGHT_NAME_0,
    IDC_SLIDER_HEADING = 1080,
    IDC_DECREASE,
    IDC_INCREASE,
    IDC_SLIDER,
    IDC_SLIDER_VALUE,
    IDC_DISABLED_SLIDER,
    IDC_DISABLED_SLIDER_NAME,
    IDC_BUTTON_HEADING = 1090,
    IDC_APPLY,
    IDC_FOCUSED,
    IDC_DISABLED_BUTTON,
    IDC_LAUNCH,
    IDC_SPLIT_18,
    IDC_SPLIT_24,
    IDC_TABS = 1100,
};

// One row per label type: the type, its palette style, its sample text.
struct StaticRow {
    ControlType type;
    int style;
    const char* name;
    const char* sample;
};
constexpr StaticRow kRows[GalleryDlg::kStaticRows] = {
    {ControlType::CentredLabel, kMainStyle, "type 17", "Heading"},
    {ControlType::LeftLabel, kMainStyle, "type 18", "Left label"},
    {ControlType::RightLabel, kMainStyle, "type 19", "Right label"},
    {ControlType::DialogLabel, kDialogStyle, "type 0", "Dialog label"},
    {ControlType::ValueField, kMainStyle, "type 1", "12.75"},
    {ControlType::ValueBlock, kMainStyle, "type 10", "Data block"},
    {ControlType::DimmableField, kMainStyle, "type 14", "Field"},
};

constexpr COLORREF kDeviceBack = RGB(0, 0, 0);
constexpr COLORREF kDeviceText = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

DialogTemplate GalleryTemplate() {
    DialogTemplate t;
    t.caption = "toolkit-gallery";
    t.cx = 362;
    t.cy = 246;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    auto& items = t.items;
    items = {
        CONTROL("", IDC_LOGO, ControlKind::Static, WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 6, 6, 48,
                26),
        LTEXT("", IDC_UNIT_LINE, 60, 6, 296, 12),
        CTEXT("", IDC_FILE_LINE, 60, 21, 296, 10),
        CTEXT("Static texts (Staticplus)", IDC_STATIC_HEADING, 6, 40, 170, 9),
        CTEXT("enabled", IDC_ENABLED_CAPTION, 50, 51, 60, 8),
        CTEXT("disabled", IDC_DISABLED_CAPTION, 114, 51, 60, 8),
        CTEXT("Labels (CNewLabel)", IDC_LABEL_HEADING, 186, 40, 170, 9),
        CTEXT("Customer Dev #1", IDC_DEVICE_LABEL, 186, 52, 82, 14),
        CTEXT("Disabled label", IDC_DISABLED_LABEL, 272, 52, 84, 14, WS_DISABLED),
        CTEXT("Upside down", IDC_UPSIDE_DOWN, 186, 70, 82, 14),
        CTEXT("Two lines\ncentred", IDC_TWO_LINES, 272, 70, 84, 22),
        LTEXT("OUTPUT 1", IDC_BANNER_0, 188, 96, 11, 52),
        LTEXT("OUTPUT 2", IDC_BANNER_0 + 1, 200, 96, 11, 52),
        LTEXT("MODE 1:8", IDC_BANNER_0 + 2, 212, 96, 11, 52),
        LTEXT("ANGLE 90", IDC_DOWNWARDS, 226, 96, 11, 52),
        CTEXT("INFO", IDC_INFO, 240, 96, 10, 52),
        CONTROL("", IDC_LIGHT_PANEL, ControlKind::Static, WS_CHILD | WS_VISIBLE | SS_ETCHEDFRAME,
                262, 92, 94, 60),
        CTEXT("Lights", IDC_LIGHT_HEADING, 262, 96, 94, 9),
        CTEXT("Sliders (Sliderplus)", IDC_SLIDER_HEADING, 6, 140, 170, 9),
        CTEXT("- Decr.", IDC_DECREASE, 6, 153, 26, 8),
        CONTROL("", IDC_SLIDER, ControlKind::Slider, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 34, 152,
                100, 10),
        CTEXT("Incr. +", IDC_INCREASE, 136, 153, 26, 8),
        LTEXT("", IDC_SLIDER_VALUE, 164, 153, 14, 8),
        CTEXT("disabled", IDC_DISABLED_SLIDER_NAME, 6, 167, 26, 8),
        CONTROL("", IDC_DISABLED_SLIDER, ControlKind::Slider, WS_CHILD | WS_VISIBLE, 34, 166, 100,
                10),
        CTEXT("Buttons (Buttonplus)", IDC_BUTTON_HEADING, 6, 184, 170, 9),
        PUSHBUTTON("Apply", IDC_APPLY, 6, 196, 52, 16),
        PUSHBUTTON("Focused", IDC_FOCUSED, 64, 196, 52, 16),
        PUSHBUTTON("Disabled", IDC_DISABLED_BUTTON, 122, 196, 52, 16),
        AUTOCHECKBOX("Launch Directly To Devices", IDC_LAUNCH, 6, 218, 110, 10),
        AUTORADIOBUTTON("1:8", IDC_SPLIT_18, 120, 218, 26, 10, WS_GROUP),
        AUTORADIOBUTTON("2:4", IDC_SPLIT_24, 148, 218, 26, 10),
        CONTROL("", IDC_TABS, ControlKind::Tab,
                WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_BUTTONS | TCS_OWNERDRAWFIXED, 186, 226,
                170, 16),
    };
    for (int i = 0; i < GalleryDlg::kStaticRows; ++i) {
        const StaticRow& row = kRows[i];
        const int y = 61 + 11 * i;
        const DWORD align = row.type == ControlType::RightLabel     ? SS_RIGHT
                            : row.type == ControlType::CentredLabel ? SS_CENTER
                                                                    : SS_LEFT;
        items.push_back(LTEXT(row.name, IDC_TYPE_NAME_0 + i, 6, y, 40, 9));
        // Fitted labels are narrower than their slot, so the fitting shows.
        items.push_back(CONTROL(row.sample, IDC_ENABLED_0 + i, ControlKind::Static,
                                WS_CHILD | WS_VISIBLE | align, 56, y, 48, 9));
        items.push_back(CONTROL(row.sample, IDC_DISABLED_0 + i, ControlKind::Static,
                                WS_CHILD | WS_VISIBLE | align, 120, y, 48, 9));
    }
    const char* lightNames[] = {"Off", "On", "Warning", "Bar"};
    for (int i = 0; i < 4; ++i) {
        const int y = 108 + 10 * i;
        items.push_back(CONTROL("", i < 3 ? IDC_BALL_0 + i : IDC_BAR, ControlKind::Static,
                                WS_CHILD | WS_VISIBLE, 270, y, 10, 9));
        items.push_back(LTEXT(lightNames[i], IDC_LIGHT_NAME_0 + i, 284, y, 60, 9));
    }
    return t;
}

} // namespace

GalleryDlg::GalleryDlg(std::string logoPath)
    : CDialogEx(GalleryTemplate()), logoPath_(std::move(logoPath)) {
    Setup(this, "GALLERY");
}

void GalleryDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_LOGO, logo_);
    DDX_Control(dx, IDC_UNIT_LINE, unitLine_);
    DDX_Control(dx, IDC_FILE_LINE, fileLine_);
    DDX_Control(dx, IDC_STATIC_HEADING, staticHeading_);
    DDX_Control(dx, IDC_ENABLED_CAPTION, enabledCaption_);
    DDX_Control(dx, IDC_DISABLED_CAPTION, disabledCaption_);
    for (int i = 0; i < kStaticRows; ++i) {
        DDX_Control(dx, IDC_TYPE_NAME_0 + i, typeNames_[static_cast<std::size_t>(i)]);
        DDX_Control(dx, IDC_ENABLED_0 + i, enabledStatics_[static_cast<std::size_t>(i)]);
        DDX_Control(dx, IDC_DISABLED_0 + i, disabledStatics_[static_cast<std::size_t>(i)]);
    }
    DDX_Control(dx, IDC_LABEL_HEADING, labelHeading_);
    DDX_Control(dx, IDC_DEVICE_LABEL, deviceLabel_);
    DDX_Control(dx, IDC_DISABLED_LABEL, disabledLabel_);
    DDX_Control(dx, IDC_UPSIDE_DOWN, upsideDown_);
    DDX_Control(dx, IDC_TWO_LINES, twoLines_);
    for (int i = 0; i < 3; ++i) {
        DDX_Control(dx, IDC_BANNER_0 + i, banners_[static_cast<std::size_t>(i)]);
    }
    DDX_Control(dx, IDC_DOWNWARDS, downwards_);
    DDX_Control(dx, IDC_INFO, infoColumn_);
    DDX_Control(dx, IDC_LIGHT_PANEL, lightPanel_);
    DDX_Control(dx, IDC_LIGHT_HEADING, lightHeading_);
    for (int i = 0; i < 3; ++i) {
        DDX_Control(dx, IDC_BALL_0 + i, balls_[static_cast<std::size_t>(i)]);
    }
    DDX_Control(dx, IDC_BAR, bar_);
    for (int i = 0; i < 4; ++i) {
        DDX_Control(dx, IDC_LIGHT_NAME_0 + i, lightNames_[static_cast<std::size_t>(i)]);
    }
    DDX_Control(dx, IDC_SLIDER_HEADING, sliderHeading_);
    DDX_Control(dx, IDC_DECREASE, decrease_);
    DDX_Control(dx, IDC_INCREASE, increase_);
    DDX_Control(dx, IDC_SLIDER, slider_);
    DDX_Control(dx, IDC_SLIDER_VALUE, sliderValue_);
    DDX_Control(dx, IDC_DISABLED_SLIDER, disabledSlider_);
    DDX_Control(dx, IDC_DISABLED_SLIDER_NAME, disabledSliderName_);
    DDX_Control(dx, IDC_BUTTON_HEADING, buttonHeading_);
    DDX_Control(dx, IDC_APPLY, apply_);
    DDX_Control(dx, IDC_FOCUSED, focused_);
    DDX_Control(dx, IDC_DISABLED_BUTTON, disabledButton_);
    DDX_Control(dx, IDC_LAUNCH, launchCheck_);
    DDX_Control(dx, IDC_SPLIT_18, split18_);
    DDX_Control(dx, IDC_SPLIT_24, split24_);
    DDX_Control(dx, IDC_TABS, tabs_);
}

// The control table: every control the dialog base colours.
void GalleryDlg::FillControlTable() {
    using enum ControlType;
    std::vector<ControlEntry> table = {
        {"IDL_STATIC_HEADING", &staticHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_ENABLED", &enabledCaption_, CentredLabel, 0, kMainStyle},
        {"IDL_DISABLED", &disabledCaption_, CentredLabel, 0, kMainStyle},
        {"IDL_LABEL_HEADING", &labelHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_LIGHT_PANEL", &lightPanel_, Panel, kOverrideBackground | RGB(0, 71, 142), kMainStyle},
        {"IDL_LIGHTS", &lightHeading_, CentredLabel, kOverrideBackground | RGB(0, 71, 142),
         kMainStyle},
        {"IDL_SLIDER_HEADING", &sliderHeading_, CentredLabel, 0, kMainStyle},
        {"IDL_DECREASE", &decrease_, CentredLabel, 0, kMainStyle},
        {"IDL_INCREASE", &increase_, CentredLabel, 0, kMainStyle},
        {"IDC_SLIDER_VALUE", &sliderValue_, LeftLabel, 0, kMainStyle},
        {"IDL_DISABLED_SLIDER", &disabledSliderName_, CentredLabel, 0, kMainStyle},
        {"IDL_BUTTON_HEADING", &buttonHeading_, CentredLabel, 0, kMainStyle},
        {"IDC_APPLY", &apply_, PushButton, 0, kMainStyle},
        {"IDC_FOCUSED", &focused_, PushButton, 0, kMainStyle},
        {"IDC_DISABLED_BUTTON", &disabledButton_, PushButton, 0, kMainStyle},
        {"IDC_LAUNCH", &launchCheck_, OptionButton5, 0, kMainStyle},
        {"IDC_SPLIT_18", &split18_, OptionButton6, 0, kMainStyle},
        {"IDC_SPLIT_24", &split24_, OptionButton6, 0, kMainStyle},
    };
    static const char* const kEnabledKeys[kStaticRows] = {"IDL_T17", "IDL_T18", "IDL_T19", "IDL_T0",
                                                          "IDC_T1",  "IDC_T10", "IDC_T14"};
    static const char* const kDisabledKeys[kStaticRows] = {
        "IDL_T17_OFF", "IDL_T18_OFF", "IDL_T19_OFF", "IDL_T0_OFF",
        "IDC_T1_OFF",  "IDC_T10_OFF", "IDC_T14_OFF"};
    static const char* const kNameKeys[kStaticRows] = {"IDL_N17", "IDL_N18", "IDL_N19", "IDL_N0",
                                                       "IDL_N1",  "IDL_N10", "IDL_N14"};
    for (int i = 0; i < kStaticRows; ++i) {
        const StaticRow& row = kRows[i];
        const auto k = static_cast<std::size_t>(i);
        table.push_back({kNameKeys[i], &typeNames_[k], LeftLabel, 0, kMainStyle});
        table.push_back({kEnabledKeys[i], &enabledStatics_[k], row.type, 0, row.style});
        table.push_back({kDisabledKeys[i], &disabledStatics_[k], row.type, 0, row.style});
    }
    static const char* const kLightKeys[4] = {"IDL_OFF", "IDL_ON", "IDL_WARNING", "IDL_BAR"};
    for (std::size_t i = 0; i < 4; ++i) {
        table.push_back({kLightKeys[i], &lightNames_[i], LeftLabel,
                         kOverrideBackground | RGB(0, 71, 142), kMainStyle});
    }
    for (std::size_t i = 0; i < 3; ++i) {
        table.push_back({"IDC_LIGHT", &balls_[i], Light, 0, kMainStyle});
    }
    SetControlTable(table.data(), static_cast<int>(table.size()));
}

bool GalleryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetTextUnit(10);

    FillControlTable();

    slider_.SetRange(-12, 12);
    slider_.SetPos(4);
    disabledSlider_.SetRange(0, 103);
    disabledSlider_.SetPos(30);
    ShowSliderValue(slider_.GetPos());
    UpdateValues();
    ApplyTooltips();
    Invalidate();
    ApplyScheme();

    // States: the right-hand column of static texts, a slider and a button disabled.
    for (auto& s : disabledStatics_) {
        s.SetDisabled(true);
    }
    disabledSlider_.SetDisabled(true);
    disabledButton_.SetDisabled(true);
    launchCheck_.SetCheck(BST_CHECKED);
    split18_.SetCheck(BST_CHECKED);

    StyleLabels();

    // Lights: off in the scheme's background, on green, warning yellow.
    const COLORREF back = TheColorScheme().Main.Background;
    balls_[0].SetLightColor(back, HalfwayToWhite(back));
    balls_[1].SetLightColor(kGreen, RGB(0, 0, 0));
    balls_[2].SetLightColor(kYellow, RGB(0, 0, 0));
    bar_.SetShape(LightShape::Bar);
    bar_.SetLightColor(kGreen, RGB(0, 0, 0));

    tabs_.InsertItem(0, "Home");
    tabs_.InsertItem(1, "Info");
    tabs_.InsertItem(2, "Calibration");
    tabs_.SetBackColor(back);
    tabs_.SetNormalTextColor(RGB(64, 64, 64));
    tabs_.SetEmphasisTextColor(RGB(0, 0, 160));
    tabs_.SetEmphasis(0, true);

    logo_.LoadPicture(logoPath_);
    UpdateStates();
    return true;
}

void GalleryDlg::StyleLabels() {
    const COLORREF back = TheColorScheme().Main.Background;
    unitLine_.SetLabelText(" Customer Dev #1  127.0.0.1");
    StyleLabel(unitLine_, kDeviceBack, kDeviceText, 0, kLabelMiddle);
    fileLine_.SetLabelText("No File Loaded");
    StyleLabel(fileLine_, RGB(255, 255, 255), RGB(0, 0, 0), 0, kLabelCentre);

    StyleLabel(deviceLabel_, RGB(64, 64, 64), kDeviceText, 0, kLabelCentre | kLabelMiddle);
    StyleLabel(disabledLabel_, GetSysColor(COLOR_BTNFACE), RGB(0, 0, 0), 0,
               kLabelCentre | kLabelMiddle);
    StyleLabel(upsideDown_, RGB(128, 128, 128), kDeviceText, 180, kLabelCentre | kLabelMiddle);
    StyleLabel(twoLines_, RGB(192, 192, 192), RGB(0, 0, 0), 0, kLabelCentre | kLabelMiddle);
    for (auto& banner : banners_) {
        StyleLabel(banner, back, RGB(255, 255, 255), 270, kLabelBottom);
    }
    StyleLabel(downwards_, back, RGB(255, 255, 0), 90, kLabelTop);

    // The alarm label of the status header, shown lit.
    infoColumn_.SetFontName("Segoe UI");
    infoColumn_.SetFontSize(TextUnit() * 5 / 4);
    infoColumn_.SetColumnText();
    infoColumn_.SetLabelText("INFO");
    infoColumn_.SetTextColor(RGB(255, 255, 255));
    infoColumn_.SetBkColor(RGB(255, 0, 0));
    infoColumn_.SetAlignment(kLabelCentre | kLabelMiddle);
    infoColumn_.SetFontBold(true);
}

void GalleryDlg::ShowSliderValue(int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", position);
    sliderValue_.SetWindowText(text);
}

void GalleryDlg::FocusSampleButton() {
    focused_.SetFocus();
}

LRESULT GalleryDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SliderValueSet && static_cast<int>(wParam) == IDC_SLIDER) {
        ShowSliderValue(static_cast<int>(lParam));
        return 0;
    }
    return CDialogEx::WindowProc(message, wParam, lParam);
}
