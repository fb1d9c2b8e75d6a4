// Dlgplus: the part every dialog of the system shares. A dialog derives from
// the platform dialog class first and from Dlgplus second:
//   class CTM80_AppDlg : public win::CDialogEx, public Dlgplus { ... };
// Its constructor calls Setup (window, section, background, data block); its
// initialisation fills the control table, then UpdateValues, ApplyTooltips,
// invalidates the window, ApplyScheme and UpdateStates.
//
// Setup makes Dlgplus the dialog's shared handlers: it answers the controls'
// colour requests, paints the Panel entries and counts the ticks of timer 250.
// A dialog that overrides CDialogEx::OnTimer passes ids it does not know on
// to CDialogEx::OnTimer.
#pragma once

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CToolTipCtrl.h"
#include "platform/ui/DialogHandlers.h"
#include "platform/ui/Gdi.h"
#include "toolkit/ControlEntry.h"

#include <cstddef>
#include <string>
#include <vector>

class Dlgplus : public win::DialogHandlers {
public:
    static constexpr win::UINT_PTR kTickTimer = 250;
    static constexpr win::UINT kTickMs = 10;

    Dlgplus() = default;
    ~Dlgplus() override;
    Dlgplus(const Dlgplus&) = delete;
    Dlgplus& operator=(const Dlgplus&) = delete;

    // Virtual operations, in their order.
    virtual void Stop();
    virtual void Start();
    virtual void UpdateValues() {}
    virtual void UpdateStates() {}
    virtual int FindControlByName(const char* name) const;
    virtual int FindControlByWindow(const win::CWnd* control) const;
    virtual bool SetControlStyle(const char* name, int style);
    virtual std::string GetText(const std::string& key, const std::string& fallback) const;
    // Stored choices; `path` may be nullptr (no file).
    virtual void LoadSettings(const char* path) { (void)path; }
    virtual void SaveSettings(const char* path) { (void)path; }
    // Sends the dialog's part of a recalled setup: 1 when it went through.
    virtual int SendSettings() { return 1; }

    void Setup(win::CDialogEx* window, const std::string& sectionName, win::COLORREF background,
               win::COLORREF dataBlock);
    // With the scheme's MAIN background and data block colours, as the
    // windows of the system take them.
    void Setup(win::CDialogEx* window, const std::string& sectionName);
    // Copies the table into the dialog's own memory.
    void SetControlTable(const ControlEntry* entries, int count);
    template <std::size_t N> void SetControlTable(const ControlEntry (&entries)[N]) {
        SetControlTable(entries, static_cast<int>(N));
    }
    void ApplyScheme();
    void ApplyControlText(int index, bool skipLookup);
    void ApplyTooltips();
    // The close of a dialog's initialisation: tooltips on and given their
    // texts, a repaint, then the colour scheme.
    void ApplyTooltipsAndScheme();

    // Shared handlers.
    const win::CBrush* AnswerCtlColor(win::CDC& dc, win::CWnd* wnd, win::UINT kind) override;
    void PaintDialog(win::CDC& dc) override;
    void DialogTimer(win::UINT_PTR id) override;

    int GetControlCount() const { return static_cast<int>(table_.size()); }
    const ControlEntry& GetControlEntry(int index) const;
    const std::string& GetSectionName() const { return section_; }
    bool IsRunning() const { return running_; }
    int GetTickCount() const { return ticks_; }
    win::CToolTipCtrl& GetTooltip() { return tooltip_; }
    win::CDialogEx* GetWindow() const { return window_; }

private:
    void ApplyEntryColors(const ControlEntry& entry, int index);

    win::CBrush backgroundBrush_;
    win::CBrush dataBlockBrush_;
    win::CBrush whiteBrush_;
    win::CBrush disabledTextBrush_;
    win::CDialogEx* window_ = nullptr;
    bool running_ = false;
    std::vector<ControlEntry> table_;
    win::CToolTipCtrl tooltip_;
    std::string section_;
    win::COLORREF background_ = 0;
    win::COLORREF dataBlock_ = 0;
    int ticks_ = 0;
};

// `child`'s rectangle in the client pixels of `parent`.
win::CRect ChildRect(const win::CWnd& parent, const win::CWnd& child);
