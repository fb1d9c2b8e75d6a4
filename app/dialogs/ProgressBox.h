#pragma once

// ProgressBox: a small box that says what the main window is doing while the
// operator waits for a unit ("Connecting to 127.0.0.5…", "Reading
// 127.0.0.5…"): Add Device shows it for as long as it connects and opens the
// unit. It only shows the network steps' progress reports; it takes no
// input and closes when it goes.

#include "device/NetworkProgress.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"

#include <memory>
#include <string>

class ProgressBox : public win::CDialogEx {
public:
    // Shows the box, titled `title`, at once.
    explicit ProgressBox(const std::string& title);
    ~ProgressBox() override;

    std::string LineText() const { return line_.GetWindowText(); }

    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    bool OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags) override;
    void OnClose() override {}

private:
    win::CStatic line_;
    std::unique_ptr<NetworkProgressScope> progress_;
};
