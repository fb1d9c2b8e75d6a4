// The handlers that every dialog of the toolkit shares (its dialog base answers
// them for all of its dialogs). A CDialogEx with handlers set routes its
// colour answer, its painting after the background and its timers to them.
#pragma once

#include "platform/ui/WinTypes.h"

namespace win {

class CBrush;
class CDC;
class CWnd;

class DialogHandlers {
public:
    virtual ~DialogHandlers() = default;
    // Colour answer for a child `wnd` (or the dialog itself, CTLCOLOR_DLG).
    virtual const CBrush* AnswerCtlColor(CDC& dc, CWnd* wnd, UINT kind) = 0;
    // Paints over the dialog background.
    virtual void PaintDialog(CDC& dc) = 0;
    virtual void DialogTimer(UINT_PTR id) = 0;
};

} // namespace win
