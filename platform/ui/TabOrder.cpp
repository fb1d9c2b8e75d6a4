#include "platform/ui/TabOrder.h"

#include "platform/ui/CWnd.h"

#include <QWidget>

#include <algorithm>
#include <numeric>

namespace win {

std::vector<int> ReadingOrder(const std::vector<CRect>& places) {
    std::vector<int> byTop(places.size());
    std::iota(byTop.begin(), byTop.end(), 0);
    std::stable_sort(byTop.begin(), byTop.end(), [&](int a, int b) {
        return places[static_cast<std::size_t>(a)].top < places[static_cast<std::size_t>(b)].top;
    });
    std::vector<int> order;
    order.reserve(places.size());
    for (std::size_t first = 0; first < byTop.size();) {
        const CRect& head = places[static_cast<std::size_t>(byTop[first])];
        std::size_t end = first + 1;
        while (end < byTop.size()) {
            const CRect& next = places[static_cast<std::size_t>(byTop[end])];
            const int centre = (next.top + next.bottom) / 2;
            if (centre < head.top || centre >= std::max(head.bottom, head.top + 1)) {
                break;
            }
            ++end;
        }
        std::vector<int> row(byTop.begin() + static_cast<std::ptrdiff_t>(first),
                             byTop.begin() + static_cast<std::ptrdiff_t>(end));
        std::stable_sort(row.begin(), row.end(), [&](int a, int b) {
            return places[static_cast<std::size_t>(a)].left <
                   places[static_cast<std::size_t>(b)].left;
        });
        order.insert(order.end(), row.begin(), row.end());
        first = end;
    }
    return order;
}

std::vector<CWnd*> ArrangeTabOrder(CWnd& parent) {
    std::vector<CWnd*> stops;
    std::vector<CRect> places;
    for (CWnd* child : parent.GetChildren()) {
        QWidget* w = child->GetNative();
        // A control of several fields takes the focus through its first one.
        const QWidget* taker = w != nullptr && w->focusProxy() != nullptr ? w->focusProxy() : w;
        if (w == nullptr || !(taker->focusPolicy() & Qt::TabFocus) || w->isWindow()) {
            continue;
        }
        const QRect g = w->geometry();
        stops.push_back(child);
        places.emplace_back(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    }
    std::vector<CWnd*> ordered;
    ordered.reserve(stops.size());
    for (int index : ReadingOrder(places)) {
        ordered.push_back(stops[static_cast<std::size_t>(index)]);
    }
    for (std::size_t i = 1; i < ordered.size(); ++i) {
        QWidget::setTabOrder(ordered[i - 1]->GetNative(), ordered[i]->GetNative());
    }
    return ordered;
}

} // namespace win
