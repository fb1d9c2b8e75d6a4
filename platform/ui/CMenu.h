// CMenu: a menu bar or pop-up menu of command items. Attached to a dialog
// (CDialogEx::SetMenu) it shows above the client area; choosing an item sends
// WM_COMMAND (item id, 0) to the dialog.
#pragma once

#include "platform/ui/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace win {

// A menu as data: a text with a command id, or a text with sub-items.
struct MenuItem {
    std::string text;
    UINT id = 0;
    std::vector<MenuItem> items; // a pop-up when not empty
    bool separator = false;
};

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Before the menu is set on a dialog (CDialogEx::SetMenu).
    bool LoadMenu(const std::vector<MenuItem>& items);

    struct Entry {
        std::string text;
        UINT id = 0;
        bool separator = false;
        std::unique_ptr<CMenu> popup;
    };
    const std::vector<Entry>& Entries() const { return items_; }

private:
    std::vector<Entry> items_;
};

} // namespace win
