// Brings the windows on screen up to date while the GUI thread is held in a
// synchronous step (a discovery), as a progress display needs.
// Paints and the window system's own events are handled; operator input,
// window timers and socket notifiers wait for the event loop that follows, so
// nothing runs earlier than it would have without the repaint.
#pragma once

namespace win {

class CWnd;

void RepaintWithoutInput();

// Shows a progress window that input never reaches: it takes no focus, lets
// the mouse through and is shown without taking the activation from the
// window that opened it. (Disabled, it would draw its texts greyed.)
void ShowTakingNoInput(CWnd& window);

} // namespace win
