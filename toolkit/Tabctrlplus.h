#pragma once

// Tabctrlplus: a tab strip that draws its own tabs: each on the system button
// face with its image (from the strip's image list) at the left and its text
// left-aligned after it in the normal colour, or, for a tab flagged for
// emphasis, in the emphasis colour and one pixel down and to the right.
// The area behind the tabs takes the background colour when one is set.
// Tabs are added with the platform's InsertItem / DeleteItem.

#include "platform/ui/CTabCtrl.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"

#include <array>

class Tabctrlplus : public win::CTabCtrl {
public:
    static constexpr int kMaxTabs = 100;

    void SetEmphasisTextColor(win::COLORREF colour);
    void SetNormalTextColor(win::COLORREF colour);
    // CLR_NONE (-1) leaves the area behind the tabs to the dialog.
    void SetBackColor(win::COLORREF colour);
    // Tabs 0..99; other indices are ignored.
    void SetEmphasis(int tab, bool emphasised);
    bool GetEmphasis(int tab) const;

    win::COLORREF GetEmphasisTextColor() const { return emphasisText_; }
    win::COLORREF GetNormalTextColor() const { return normalText_; }

    bool OnEraseBkgnd(win::CDC& dc) override;
    bool OnPaint(win::CDC& dc) override;

private:
    void Redraw();

    win::COLORREF emphasisText_ = win::RGB(255, 255, 255);
    win::COLORREF normalText_ = win::RGB(255, 255, 255);
    win::CBrush background_;
    std::array<bool, kMaxTabs> emphasis_{};
};
