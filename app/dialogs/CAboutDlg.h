#pragma once

// CAboutDlg: the About box (template 100, "About TM80_App"): the application
// icon, "TM80_App, Version 1.01.02" (the program's version, as the main
// window's title shows it) and OK. Created, run and destroyed on each use.

#include "platform/ui/CDialogEx.h"
#include "toolkit/IconStatic.h"

class CAboutDlg : public win::CDialogEx {
public:
    static constexpr const char* kTitle = "About TM80_App";
    static constexpr const char* kVersionPrefix = "TM80_App, Version ";

    explicit CAboutDlg(win::CWnd* parent = nullptr);

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;

private:
    IconStatic icon_;
};
