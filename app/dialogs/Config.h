// Config: the communications setup dialog (template 146) that "Add Device"
// runs. The operator either picks one of the units the last discovery found
// that the main window does not show yet (SlotTable::Offered), by its note,
// its address or its serial number, or types an address. The dialog only
// chooses: the main window reads the mode, the entry chosen and the direct
// address after it closed with OK, and connects.
//
// OK in network-scan mode with no entry at the selected index (an empty list,
// or a rescan that left the index past the end) is refused with a word in the
// message line, and the dialog stays open.
#pragma once

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Panelplus.h"
#include "toolkit/Staticplus.h"

#include <string>
#include <vector>

class Config : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 146;
    static constexpr const char* kSection = "TM80_CONFIG_DLG";
    static constexpr int kMaxUnits = 100;
    static constexpr const char* kNoDeviceText = "No Device Found";
    static constexpr const char* kPickerTitle = "TM80 Device";
    static constexpr const char* kNothingToAddText =
        "No device to add: rescan, or type its address under Network Direct IP.";

    enum Mode { kNetworkScan = 0, kNetworkDirect = 1 };

    // Control ids.
    static constexpr int kIdTitle = 1028;
    static constexpr int kIdPrimaryInterface = 1126;
    static constexpr int kIdNetworkScan = 1135;
    static constexpr int kIdNetworkDirect = 1136;
    static constexpr int kIdScanFrame = 1098;
    static constexpr int kIdNetworkHeading = 1073;
    static constexpr int kIdNoteLabel = 2038;
    static constexpr int kIdNoteValue = 2042;
    static constexpr int kIdAddressLabel = 1065;
    static constexpr int kIdAddressValue = 1067;
    static constexpr int kIdSerialLabel = 1083;
    static constexpr int kIdSerialValue = 1086;
    static constexpr int kIdDirectFrame = 1143;
    static constexpr int kIdDirectLabel = 1771;
    static constexpr int kIdDirectAddress = 2587;
    static constexpr int kIdMessage = 1005;
    static constexpr int kIdRescan = 4;

    explicit Config(win::CWnd* parent = nullptr);

    // Read by the main window after OK.
    int GetMode() const { return mode_; }
    // The unit chosen, as a position in the dialog's lists.
    int GetSelectedIndex() const { return selected_; }
    // The unit chosen, as an index into the discovery list; -1 for none.
    int GetSelectedEntry() const;
    // "%d.%d.%d.%d" of the address control ("0.0.0.0" when blank).
    const std::string& GetDirectAddress() const { return directAddress_; }

    void UpdateValues() override;

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;

private:
    void FillLists();
    void SetMode(int mode);
    void LayOutForScan();
    void LayOutForDirect();
    // The picker of the value `id` (note, address or serial).
    void Pick(int id);
    void Rescan();
    void ShowMessage(const std::string& text);

    std::vector<std::string> notes_;
    std::vector<std::string> addresses_;
    std::vector<std::string> serials_;
    std::vector<int> entries_; // the discovery list index behind each list position
    int selected_ = 0;
    int mode_ = kNetworkScan;
    std::string directAddress_;

    Staticplus title_;
    Staticplus primaryInterface_;
    Buttonplus networkScan_;
    Buttonplus networkDirect_;
    Panelplus scanFrame_;
    Staticplus networkHeading_;
    Staticplus noteLabel_;
    Staticplus noteValue_;
    Staticplus addressLabel_;
    Staticplus addressValue_;
    Staticplus serialLabel_;
    Staticplus serialValue_;
    Panelplus directFrame_;
    Staticplus directLabel_;
    win::CIPAddressCtrl directAddressCtrl_;
    Staticplus message_;
};
