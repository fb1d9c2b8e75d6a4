// SystemDlg: the "Info" page of a device window. It shows who the unit is
// (software version, serial number, device ID, which is the unit's note,
// address, product ID, firmware ID), the bands the unit offers with a light
// each, and the unit's health (source voltage, current, power, temperature)
// read once a second on timer 1000, visible or not.
//
// The refresh also drives the alarm blink of the status header's "INFO"
// label: while the unit is too hot (UnitStatus::OverTemperature) or its
// connection was lost, the label alternates between black on yellow and
// invisible, in the phase of the process-wide AlarmBlinkCounter that every
// unit's refresh steps.
//
// A click on the device ID edits the note (written to the unit, then kept by
// the slot, so the connection watch follows it); "Display Calibration Tab"
// shows or hides the device window's calibration tab; "Hard Copy" saves a
// picture of the page as PDF or PNG; "History..." shows the unit's health over
// time (every status refresh is recorded in the slot's history).
#pragma once

#include "device/UnitStatus.h"
#include "platform/Time.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"

#include <array>
#include <string>

class CTM80M1_Comm;
class DefaultDlg;
class UnitSlot;

class SystemDlg : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 139;
    static constexpr int kBands = 8;
    static constexpr win::UINT_PTR kStatusTimer = 1000;
    static constexpr win::UINT kStatusTimerMs = 1000;
    // Hotter than this (degrees C) is an over-temperature alarm.
    static constexpr int kMostTemperature = UnitStatus::kMostTemperature;

    // Control ids of template 139.
    static constexpr int kIdTitle = 1028;
    static constexpr int kIdDate = 1029;
    static constexpr int kIdProductLabel = 1030;
    static constexpr int kIdProduct = 1031;
    static constexpr int kIdMonitorHeading = 1091;
    static constexpr int kIdFirmwareLabel = 1108;
    static constexpr int kIdFirmware = 1109;
    static constexpr int kIdDeviceId = 2042;
    static constexpr int kIdLightColumn = 1115;
    static constexpr int kIdDisplayCalibration = 1110;
    static constexpr int kIdHardCopy = 1111;
    static constexpr int kIdHistory = 1116;

    // The identity rows (software version, serial number, device ID, IP
    // address) and the monitoring rows, top to bottom.
    static constexpr int kIdentityRows = 4;
    enum Monitor { Voltage, Current, Power, Temperature, kMonitors };

    static constexpr const char* kNoBand = "---";
    // A reading the unit did not give: the read failed, or the unit is lost
    // or quiet.
    static constexpr const char* kUnknownReading = "---";

    // Keeps the unit index and the unit's command object from its slot.
    explicit SystemDlg(int unitIndex);
    ~SystemDlg() override;

    // Start runs the status refresh at once; Stop does nothing (the timer
    // keeps running).
    void Start() override;
    void Stop() override;
    // Identity and bands.
    void UpdateValues() override;
    // The monitoring layout: values shown, or lights moved onto the light
    // column when the unit does not report its health.
    void UpdateStates() override;

    // One status refresh, as each tick of timer 1000 runs it: the read goes
    // out, and the page shows the unit's health when it is back.
    void StatusRefresh();
    // Whether the last reading shown was too hot (above kMostTemperature).
    bool IsHot() const { return hot_; }

    // The date line: "Jul  06,2026 14:05:09" (the names of July, November
    // and December carry a blank of their own).
    static std::string DateLine(const win::SYSTEMTIME& time);
    // AlarmBlinkCounter one step on: 2147483647 is followed by 1.
    static void StepAlarmBlinkCounter();

    int GetUnitIndex() const { return unitIndex_; }
    Staticplus& DeviceId() { return identity_[2]; }
    Staticplus& Date() { return date_; }
    Staticplus& MonitorValue(Monitor m) { return monitorValues_[m]; }
    Staticball& MonitorLight(Monitor m) { return monitorLights_[m]; }
    Staticplus& BandValue(int k) { return bandValues_[static_cast<std::size_t>(k - 1)]; }
    Staticball& BandLight(int k) { return bandLights_[static_cast<std::size_t>(k - 1)]; }
    Staticplus& Firmware() { return firmware_; }
    Buttonplus& DisplayCalibration() { return displayCalibration_; }
    std::string IdentityText(int row) const;

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    void OnTimer(win::UINT_PTR id) override;

private:
    UnitSlot* Slot() const;
    DefaultDlg* DeviceWindow() const;
    void FillControlTable();
    void SetLight(Staticball& light, win::COLORREF fill);
    void SetLightOff(Staticball& light);
    // A status read's result (1 answered, 0 failed, -1 left out while the
    // unit is quiet): into the unit's history and its metrics, then the date
    // line, the health and the alarm blink.
    void TakeStatus(int read);
    // The readings and their lights: the unit's when `known`, else unknown
    // and unlit. True when the unit is too hot.
    bool ShowHealth(bool known);
    // Whether the unit is lost (its ConnectionLostFlag) or quiet (its reads
    // time out): then nothing it showed before is shown as current.
    bool UnitSilent() const;
    // Band lights: green for each present band, unlit while the unit is silent.
    void ShowBandLights();
    // One step of the header's "INFO" label: with `alarm`, black on yellow
    // and invisible by turns; without, its quiet look (invisible).
    void Blink(bool alarm);
    void EditNote();
    void SwitchCalibrationTab();
    void MakeHardCopy();

    int unitIndex_;
    CTM80M1_Comm* unit_;
    bool hot_ = false;

    // Software version, serial number, device ID, IP address: labels, values.
    std::array<Staticplus, kIdentityRows> identityLabels_;
    std::array<Staticplus, kIdentityRows> identity_;
    Staticplus title_, date_, productLabel_, product_, monitorHeading_;
    std::array<Staticplus, kMonitors> monitorLabels_;
    std::array<Staticplus, kMonitors> monitorValues_;
    std::array<Staticball, kMonitors> monitorLights_;
    win::CStatic lightColumn_;
    std::array<Staticplus, kBands> bandLabels_;
    std::array<Staticplus, kBands> bandValues_;
    std::array<Staticball, kBands> bandLights_;
    Staticplus firmwareLabel_, firmware_;
    Buttonplus displayCalibration_;
};
