#include "platform/ui/CMenu.h"

namespace win {

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

bool CMenu::LoadMenu(const std::vector<MenuItem>& items) {
    items_.clear();
    for (const MenuItem& item : items) {
        Entry e;
        e.text = item.text;
        e.id = item.id;
        e.separator = item.separator;
        if (!item.items.empty()) {
            e.popup = std::make_unique<CMenu>();
            e.popup->LoadMenu(item.items);
            e.popup->root_ = root_ ? root_ : this;
        }
        items_.push_back(std::move(e));
    }
    Changed();
    return true;
}

bool CMenu::AppendMenu(UINT flags, UINT id, const std::string& text) {
    Entry e;
    e.text = text;
    e.id = id;
    e.separator = (flags & MF_SEPARATOR) != 0;
    e.checked = (flags & MF_CHECKED) != 0;
    e.enabled = (flags & MF_GRAYED) == 0;
    if (flags & MF_POPUP) {
        e.popup = std::make_unique<CMenu>();
        e.popup->root_ = root_ ? root_ : this;
        e.id = 0;
    }
    items_.push_back(std::move(e));
    Changed();
    return true;
}

CMenu* CMenu::GetSubMenu(int position) const {
    if (position < 0 || position >= GetMenuItemCount()) {
        return nullptr;
    }
    return items_[static_cast<std::size_t>(position)].popup.get();
}

UINT CMenu::GetMenuItemID(int position) const {
    if (position < 0 || position >= GetMenuItemCount()) {
        return static_cast<UINT>(-1);
    }
    const Entry& e = items_[static_cast<std::size_t>(position)];
    return e.popup ? static_cast<UINT>(-1) : e.id;
}

std::string CMenu::GetMenuString(int position) const {
    if (position < 0 || position >= GetMenuItemCount()) {
        return std::string();
    }
    return items_[static_cast<std::size_t>(position)].text;
}

CMenu::Entry* CMenu::Find(UINT id) {
    for (Entry& e : items_) {
        if (e.popup) {
            if (Entry* inner = e.popup->Find(id)) {
                return inner;
            }
        } else if (!e.separator && e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

const CMenu::Entry* CMenu::Find(UINT id) const {
    return const_cast<CMenu*>(this)->Find(id);
}

int CMenu::CheckMenuItem(UINT id, UINT check) {
    Entry* e = Find(id);
    if (!e) {
        return -1;
    }
    const int previous = e->checked ? static_cast<int>(MF_CHECKED) : 0;
    e->checked = (check & MF_CHECKED) != 0;
    Changed();
    return previous;
}

int CMenu::EnableMenuItem(UINT id, UINT enable) {
    Entry* e = Find(id);
    if (!e) {
        return -1;
    }
    const int previous = e->enabled ? 0 : static_cast<int>(MF_GRAYED);
    e->enabled = (enable & MF_GRAYED) == 0;
    Changed();
    return previous;
}

bool CMenu::IsChecked(UINT id) const {
    const Entry* e = Find(id);
    return e && e->checked;
}

bool CMenu::IsEnabled(UINT id) const {
    const Entry* e = Find(id);
    return e && e->enabled;
}

void CMenu::SetChangedHandler(std::function<void()> changed) {
    changed_ = std::move(changed);
}

void CMenu::Changed() {
    CMenu* root = root_ ? root_ : this;
    if (root->changed_) {
        root->changed_();
    }
}

} // namespace win
