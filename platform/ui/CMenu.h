// CMenu: a menu bar or pop-up menu of command items. Attached to a dialog
// (CDialogEx::SetMenu) it shows above the client area; choosing an item sends
// WM_COMMAND (item id, 0) to the dialog.
#pragma once

#include "platform/ui/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace win {

inline constexpr UINT MF_STRING = 0x0;
inline constexpr UINT MF_GRAYED = 0x1;
inline constexpr UINT MF_CHECKED = 0x8;
inline constexpr UINT MF_POPUP = 0x10;
inline constexpr UINT MF_SEPARATOR = 0x800;
inline constexpr UINT MF_ENABLED = 0x0;
inline constexpr UINT MF_UNCHECKED = 0x0;

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

    bool LoadMenu(const std::vector<MenuItem>& items);
    bool AppendMenu(UINT flags, UINT id = 0, const std::string& text = "");
    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    CMenu* GetSubMenu(int position) const;
    UINT GetMenuItemID(int position) const; // 0 for separators, -1 for pop-ups
    std::string GetMenuString(int position) const;
    // Search this menu and its sub-menus by command id; return the previous
    // state (MF_CHECKED / MF_GRAYED), or -1 when the id is not there.
    int CheckMenuItem(UINT id, UINT check);
    int EnableMenuItem(UINT id, UINT enable);
    bool IsChecked(UINT id) const;
    bool IsEnabled(UINT id) const;

    // Called whenever the menu's contents or states change (the dialog that
    // shows it rebuilds its bar).
    void SetChangedHandler(std::function<void()> changed);

    struct Entry {
        std::string text;
        UINT id = 0;
        bool separator = false;
        bool checked = false;
        bool enabled = true;
        std::unique_ptr<CMenu> popup;
    };
    const std::vector<Entry>& Entries() const { return items_; }

private:
    Entry* Find(UINT id);
    const Entry* Find(UINT id) const;
    void Changed();
    std::vector<Entry> items_;
    std::function<void()> changed_;
    CMenu* root_ = nullptr; // the menu that tells the dialog about changes
};

} // namespace win
