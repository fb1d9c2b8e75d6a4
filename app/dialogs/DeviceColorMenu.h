// DeviceColorMenu: the device colour dialog (template 133). For each of the
// four positions of the main window the operator picks the background and
// the text colour of that row's labels, which the unit's device window header
// uses too. A picked colour goes into the system configuration at once and
// is shown at once in the preview, the main window's row and the open device
// windows; OK and Cancel both keep it (the file receives it when the main
// window closes).
#pragma once

#include "infra/SystemConfiguration.h"
#include "platform/ui/CColorButton.h"
#include "platform/ui/CDialogEx.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

#include <array>

class DeviceColorMenu : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 133;
    static constexpr const char* kSection = "PV62_DEVICE_COLOR";

    static constexpr int kIdDeviceLabelHeading = 1191;
    static constexpr int kIdBackgroundHeading = 1192;
    static constexpr int kIdTextHeading = 1193;
    static constexpr int kIdPreview[kUnitPositions] = {1090, 1091, 1092, 1093};
    static constexpr int kIdBackground[kUnitPositions] = {1094, 1095, 1096, 1097};
    static constexpr int kIdText[kUnitPositions] = {1098, 1099, 1100, 1101};

    explicit DeviceColorMenu(win::CWnd* parent = nullptr);

    // Previews and buttons from the configuration, then the main window.
    void UpdateValues() override;

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;

private:
    Staticplus deviceLabelHeading_;
    Staticplus backgroundHeading_;
    Staticplus textHeading_;
    std::array<CNewLabel, kUnitPositions> previews_;
    std::array<win::CColorButton, kUnitPositions> backgrounds_;
    std::array<win::CColorButton, kUnitPositions> texts_;
};
