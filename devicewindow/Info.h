// Info: the identity pane beside a device window's tab strip: the unit's
// address after "HW IP Address: " and its device ID (the note the unit's slot
// keeps) after "Device ID: ".
#pragma once

#include "platform/ui/CDialogEx.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

class Info : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 145;
    static constexpr int kIdAddressCaption = 1002;
    static constexpr int kIdAddress = 1004;
    static constexpr int kIdDeviceIdCaption = 2038;
    static constexpr int kIdDeviceId = 2042;

    // `parent` is the device window (the pane is made by Create(parent)).
    explicit Info(int unitIndex, win::CWnd* parent = nullptr);

    // Address and device ID from the unit's slot in TheSlotTable().
    void UpdateValues() override;

    int GetUnitIndex() const { return unitIndex_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;

private:
    int unitIndex_;
    Staticplus addressCaption_;
    Staticplus deviceIdCaption_;
    Staticplus address_;
    Staticplus deviceId_;
};
