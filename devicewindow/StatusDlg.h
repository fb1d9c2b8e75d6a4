// StatusDlg: the status header across the top of a device window: the logo,
// the unit line (" note  address" in the unit's own colours), the setup file
// recalled last, and the vertical "INFO" alarm label, invisible (drawn in the
// dialog background) until the system page makes it blink.
#pragma once

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Pictureplus.h"

class StatusDlg : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 141;
    static constexpr int kIdLogo = 1000;
    static constexpr int kIdLogoCorner = 1001;
    static constexpr int kIdUnitLine = 1115;
    static constexpr int kIdFileLine = 1116;
    static constexpr int kIdAlarm = 1117;
    static constexpr const char* kNoFile = "No File Loaded";
    static constexpr const char* kLogoFile = "StartupLogo.jpg";

    // Made as a child pane of `parent` by Create(parent).
    explicit StatusDlg(int unitIndex);

    // Unit line and file line from the unit's slot, its colours and the
    // setup file recalled last.
    void UpdateValues() override;

    // The alarm label's colours (the system page's blink).
    void SetAlarmColors(win::COLORREF text, win::COLORREF background);

    int GetUnitIndex() const { return unitIndex_; }
    CNewLabel& GetUnitLine() { return unitLine_; }
    CNewLabel& GetFileLine() { return fileLine_; }
    CNewLabel& GetAlarmLabel() { return alarm_; }
    Pictureplus& GetLogo() { return logo_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;

private:
    void StyleLines();

    int unitIndex_;
    Pictureplus logo_;
    win::CStatic logoCorner_;
    CNewLabel unitLine_;
    CNewLabel fileLine_;
    CNewLabel alarm_;
};
