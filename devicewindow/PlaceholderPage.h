// PlaceholderPage: a stand-in for a device window page that is not built yet
// (primary setup, system, calibration). It is a hidden child pane the size of
// the page area showing one centred caption, "<title> (coming)", and counts
// its Start and Stop calls, so that the tabs, the pane list and the timers of
// the device window work end to end before the real pages arrive.
#pragma once

#include "platform/ui/CDialogEx.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

#include <string>

class PlaceholderPage : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kIdCaption = 1000;

    // `templateId` names the page (138 primary setup, 139 system, 140
    // calibration); `section` is its section in the language file.
    PlaceholderPage(int unitIndex, int templateId, const std::string& section,
                    const std::string& title);

    // Start refreshes (UpdateStates, UpdateValues); Stop does nothing. Neither
    // runs the tick timer.
    void Start() override;
    void Stop() override;

    int GetUnitIndex() const { return unitIndex_; }
    int GetTemplateId() const { return templateId_; }
    const std::string& GetTitle() const { return title_; }
    std::string GetCaption() const;
    int GetStartCount() const { return starts_; }
    int GetStopCount() const { return stops_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;

private:
    int unitIndex_;
    int templateId_;
    std::string title_;
    Staticplus caption_;
    int starts_ = 0;
    int stops_ = 0;
};
