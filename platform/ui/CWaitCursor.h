// CWaitCursor: shows the wait cursor for its lifetime (nesting allowed).
#pragma once

namespace win {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Whether a wait cursor is showing now.
    static bool Showing();
};

} // namespace win
