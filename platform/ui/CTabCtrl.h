// CTabCtrl: a strip of tabs (TCS_BOTTOM: along the bottom edge) with an
// optional image list. A tab chosen by the operator sends WM_NOTIFY to the
// parent, handed to OnNotify(id, TCN_SELCHANGE); SetCurSel sends nothing.
// Deleting the selected tab leaves no tab selected (GetCurSel -1).
// An owner-drawn tab strip overrides OnPaint and draws each tab at
// GetItemRect; GetCurSel tells the selected one.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

class CImageList;

class CTabCtrl : public CWnd {
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, int id) {
        return CWnd::Create("", style, rect, parent, id);
    }
    CImageList* SetImageList(CImageList* images); // returns the previous one
    CImageList* GetImageList() const { return images_; }
    // Inserts before `index` (clamped to the end); returns the index or -1.
    int InsertItem(int index, const std::string& text, int image = -1);
    bool DeleteItem(int index);
    int GetItemCount() const;
    std::string GetItemText(int index) const;
    int GetItemImage(int index) const;
    int GetCurSel() const { return sel_; }
    int SetCurSel(int index); // previous selection, -1 for a bad index
    bool GetItemRect(int index, CRect* rect) const;

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void PreSubclassWindow() override;

private:
    void SyncNative();
    CImageList* images_ = nullptr;
    int sel_ = -1;
    bool syncing_ = false;
};

} // namespace win
