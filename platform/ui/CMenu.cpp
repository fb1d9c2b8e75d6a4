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
        }
        items_.push_back(std::move(e));
    }
    return true;
}

} // namespace win
