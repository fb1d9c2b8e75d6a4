// CWnd: one window of the window layer (dialog, pane or control), addressed by
// its id within its parent.
//
// Each CWnd owns one Qt widget, made by Create (or by a dialog from its
// template, see CDialogEx and DDX_Control). The widget's events are forwarded to
// the virtual handlers below, so a control class changes how it looks and
// behaves by overriding them; it never touches Qt itself:
//
// - Painting: OnEraseBkgnd(dc) and then OnPaint(dc) get a CDC (a GDI-like
//   wrapper of a QPainter on the control, client coordinates, colours as
//   COLORREF). Return true when the control has drawn itself completely; false
//   lets the platform control draw as usual, first asking the colour answer
//   (CtlColor of the control itself, then OnCtlColor of its parent) for its
//   text and background colours.
// - Mouse: OnLButtonDown / OnLButtonUp / OnLButtonDblClk / OnMouseMove with the
//   MK_* key flags and the point in client pixels, OnMButtonDown / OnMButtonUp
//   and OnRButtonDown / OnRButtonUp for the middle and right buttons (a double
//   click of these arrives as a second down), and OnMouseWheel with the
//   vertical turn in WHEEL_DELTA units per notch (positive away from the
//   user; 0 for a sideways turn) and the point in client pixels. Return true
//   when handled; false passes the event on to the platform control.
// - Keys: OnKeyDown(virtual key VK_*, repeat count, flags); true when handled.
// - Focus: OnSetFocus / OnKillFocus, after which the window is repainted.
// - Timers: SetTimer(id, ms) calls OnTimer(id) every period until KillTimer.
// - Messages: SendMessage calls WindowProc at once; PostMessage queues the
//   call behind the events already waiting. WindowProc hands WM_COMMAND to
//   OnCommand(id, code), WM_NOTIFY to OnNotify(id, code), WM_HSCROLL to
//   OnHScroll(code, position, window) and WM_TIMER to OnTimer; a window with
//   messages of its own (WM_USER and up) overrides WindowProc and calls the
//   base for the rest. Where a message carries a window, the LPARAM is the
//   CWnd pointer (FromLParam).
//
// Texts are 8-bit strings (Latin-1 inside Qt). Colours are COLORREF.
#pragma once

#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/WinConstants.h"
#include "platform/ui/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace win {

class CDC;
class CImage;
class CMenu;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window as a child of `parent` (or top-level without one) at
    // `rect` (parent client pixels) with the WS_* and class styles. False when
    // it exists already. The window takes the parent's font.
    bool Create(const std::string& text, DWORD style, const CRect& rect, CWnd* parent, int id,
                DWORD exStyle = 0);
    bool IsWindow() const;

    // Ids and relations.
    int GetDlgCtrlID() const { return id_; }
    CWnd* GetParent() const { return parent_; }
    // The child window with that id (the first in creation order), or nullptr.
    CWnd* GetDlgItem(int id) const;
    // Child windows in creation order.
    std::vector<CWnd*> GetChildren() const;
    static CWnd* FromLParam(LPARAM lParam) { return reinterpret_cast<CWnd*>(lParam); }
    LPARAM ToLParam() { return reinterpret_cast<LPARAM>(this); }

    // Texts: the caption of a top-level window, the text of a control.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void GetWindowText(std::string& text) const { text = GetWindowText(); }
    // Text of the child with that id ("" when there is none).
    std::string GetDlgItemText(int id) const;

    // Styles: WS_VISIBLE and WS_DISABLED follow the window's state.
    DWORD GetStyle() const;
    DWORD GetExStyle() const { return exStyle_; }
    bool ModifyStyle(DWORD remove, DWORD add);

    // Visibility and state.
    bool ShowWindow(int command); // returns whether it was visible before
    bool IsWindowVisible() const; // shown, and its parents too
    bool IsIconic() const;
    bool EnableWindow(bool enable = true); // returns whether it was disabled before
    bool IsWindowEnabled() const;
    void SetForegroundWindow();
    void BringWindowToTop();

    // Places and sizes. Child windows use parent client pixels; top-level
    // windows screen pixels.
    void MoveWindow(int x, int y, int cx, int cy, bool repaint = true);
    void MoveWindow(const CRect& rect, bool repaint = true);
    void GetClientRect(CRect* rect) const;
    void GetWindowRect(CRect* rect) const; // screen pixels
    void ScreenToClient(CRect* rect) const;
    void ScreenToClient(CPoint* point) const;

    // Repainting: Invalidate schedules a paint, RedrawWindow paints at once.
    void Invalidate(bool erase = true);
    void InvalidateRect(const CRect* rect, bool erase = true);
    void RedrawWindow();

    // Font (pixels, see LOGFONT) used by the control and its text measuring.
    void SetFont(const CFont* font, bool redraw = true);
    void SetFont(const LOGFONT& font, bool redraw = true);
    const LOGFONT& GetFont() const { return font_; }

    void SetIcon(const CImage& icon, bool big);
    // Tooltips are shown by CToolTipCtrl; this switches them on or off.
    bool EnableToolTips(bool enable = true);

    // Focus and mouse capture.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    // The mouse is captured by the window under the pressed button anyway;
    // SetCapture only notes the window and returns the one noted before. The
    // window noted loses the capture, and gets OnCaptureChanged, when
    // another takes it, when it is released, and when a modal window blocks
    // it or it is hidden (as Windows cancels the capture then).
    CWnd* SetCapture();
    static void ReleaseCapture();
    static CWnd* GetCapture();

    // Window timers: a running timer with the same id is restarted; returns
    // the id, or 0 without a window. KillTimer returns false for unknown ids.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    bool KillTimer(UINT_PTR id);

    // Messages: SendMessage runs WindowProc now; PostMessage queues it (false
    // without a window). Queued messages to a destroyed window are dropped.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // A message box owned by this window's top-level window (CommonDialogs).
    int MessageBox(const std::string& text, const std::string& caption = "", UINT type = MB_OK);

    // Handlers (see the comment at the top of the file).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool OnCommand(int id, int code);
    virtual bool OnNotify(int id, int code);
    virtual void OnHScroll(UINT code, UINT position, CWnd* scrollBar);
    virtual void OnTimer(UINT_PTR id);
    virtual bool OnEraseBkgnd(CDC& dc);
    virtual bool OnPaint(CDC& dc);
    virtual bool OnLButtonDown(UINT flags, CPoint point);
    virtual bool OnLButtonUp(UINT flags, CPoint point);
    virtual bool OnLButtonDblClk(UINT flags, CPoint point);
    virtual bool OnMouseMove(UINT flags, CPoint point);
    virtual bool OnMButtonDown(UINT flags, CPoint point);
    virtual bool OnMButtonUp(UINT flags, CPoint point);
    virtual bool OnRButtonDown(UINT flags, CPoint point);
    virtual bool OnRButtonUp(UINT flags, CPoint point);
    virtual bool OnMouseWheel(UINT flags, short delta, CPoint point);
    virtual bool OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnSetFocus();
    virtual void OnKillFocus();
    // The window has lost the mouse capture (WM_CAPTURECHANGED).
    virtual void OnCaptureChanged();
    virtual void OnSize(int cx, int cy);
    // Colour answer of the control itself (set dc text/background colours,
    // return the brush for the rest), or nullptr to leave it to the parent.
    virtual const CBrush* CtlColor(CDC& dc, UINT kind);
    // Colour answer of a parent for its child `wnd` (and for itself with
    // CTLCOLOR_DLG); nullptr keeps the platform colours.
    virtual const CBrush* OnCtlColor(CDC& dc, CWnd* wnd, UINT kind);
    // Top-level windows: the close box. The default hides the window; a
    // dialog's (CDialogEx) sends IDCANCEL.
    virtual void OnClose();

    // The Qt widget, for the window layer itself, screenshots and tests.
    QWidget* GetNative() const;

protected:
    // Makes the Qt widget for this kind of window; the base makes a plain one.
    virtual QWidget* CreateNative(QWidget* parent);
    // Called once the widget exists, with style, text, id and place set (after
    // a first OnStyleChanged).
    virtual void PreSubclassWindow();
    // Text to and from the widget; the base keeps it (and titles top-levels).
    virtual void SetNativeText(const std::string& text);
    virtual std::string GetNativeText() const;
    // The class part of the style (low word) changed.
    virtual void OnStyleChanged();
    virtual void OnFontChanged();
    // Which colour request a platform-drawn control makes before it paints
    // (CTLCOLOR_STATIC, CTLCOLOR_EDIT, CTLCOLOR_BTN), 0 for none.
    virtual UINT ColorRequestKind() const;

    // Destroys the widget at once (not from the window's own handlers).
    void DestroyNow();
    // Creates over an existing widget (for windows that build their own).
    bool Attach(QWidget* widget, CWnd* parent, int id, DWORD style);
    // The window's widget now sits in `frame`, a top-level window of its own
    // (a dialog with a menu bar); the frame's close box reaches OnClose.
    void AdoptFrame(QWidget* frame);
    bool IsTopLevel() const;
    // The top-level window for a top-level CWnd, else the widget itself.
    QWidget* TopWidget() const;

private:
    friend class EventBridge;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    CWnd* parent_ = nullptr;
    int id_ = 0;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    LOGFONT font_;
    std::string text_;
};

} // namespace win
