#pragma once

// StartupWindow: what the operator sees while the application connects to
// its stored units and searches the network, before the main window exists.
// A small window with the logo, a line saying what happens ("Connecting to
// 127.0.0.2…", "Searching the network for TM80 units…") and a bar over the
// discovery window. It only repaints, from the network steps' progress
// reports; it takes no operator input, and it closes itself when the main
// window shows. It changes nothing in the start-up order.

#include "device/NetworkProgress.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"
#include "toolkit/Pictureplus.h"

#include <memory>
#include <string>

class StartupWindow : public win::CDialogEx {
public:
    static constexpr const char* kTitle = "TM80";
    static constexpr const char* kFirstLine = "Starting\x85";

    // Shows the window at once and listens to the network steps.
    StartupWindow();
    ~StartupWindow() override;

    // Hides the window and stops listening.
    void Close();
    bool IsOpen() const { return open_; }

    void ShowProgress(const NetworkProgress& progress);
    std::string LineText() const { return line_.GetWindowText(); }
    int Percent() const { return percent_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnPaint(win::CDC& dc) override;
    // Operator input is not handled before the main window exists.
    bool OnCommand(int id, int code) override;
    bool OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags) override;
    void OnClose() override {}

private:
    class MainWindowWatch;

    win::CRect BarRect() const;

    Pictureplus logo_;
    win::CStatic line_;
    int percent_ = 0;
    bool open_ = false;
    std::unique_ptr<NetworkProgressScope> progress_;
    std::unique_ptr<MainWindowWatch> watch_;
};
