// LaunchOptions: the "Launch Options" dialog (template 131). The operator
// chooses whether the application starts by connecting straight to up to
// four stored addresses, how many of them, and which. It edits a working copy
// taken from the system configuration; "Save Changes" writes it back (all
// four address controls, "0.0.0.0" for a blank one), Cancel and the close
// box write nothing. The file receives the values when the main window closes.
#pragma once

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

#include <array>
#include <string>

class LaunchOptions : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 131;
    static constexpr const char* kSection = "PV62_LAUNCH_OPTIONS";
    static constexpr const char* kTitle = "Launch Options";
    static constexpr int kAddresses = 4;

    static constexpr int kIdLaunchDirect = 1199;
    static constexpr int kIdCountLabel = 1201;
    static constexpr int kIdCount = 1202;
    static constexpr int kIdCopyIps = 1203;
    static constexpr int kIdAddressLabel[kAddresses] = {1197, 1192, 1194, 1196};
    static constexpr int kIdAddress[kAddresses] = {1200, 1204, 1205, 1206};

    // Takes the working copy from the system configuration.
    explicit LaunchOptions(win::CWnd* parent = nullptr);

    void UpdateValues() override;
    void UpdateStates() override;

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;

private:
    void EnterCount();
    void CopyIps();

    bool launchDirectly_ = false;
    int launchCount_ = 0;
    std::array<std::string, kAddresses> addressTexts_{};

    Buttonplus launchDirect_;
    Staticplus countLabel_;
    Staticplus count_;
    std::array<Staticplus, kAddresses> addressLabels_;
    std::array<win::CIPAddressCtrl, kAddresses> addresses_;
};
