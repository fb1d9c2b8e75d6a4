#include "devicewindow/PlaceholderPage.h"

#include "infra/ColorScheme.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"

using namespace win;

namespace {

// The size of the device window's page area.
constexpr int kPageWidth = 389;
constexpr int kPageHeight = 206;

DialogTemplate PageTemplate(const std::string& title) {
    DialogTemplate t;
    t.caption = title;
    t.cx = kPageWidth;
    t.cy = kPageHeight;
    t.style = WS_CHILD; // hidden until its tab is chosen
    t.items = {CTEXT(title + " (coming)", PlaceholderPage::kIdCaption, 0, 96, kPageWidth, 12)};
    return t;
}

} // namespace

PlaceholderPage::PlaceholderPage(int unitIndex, int templateId, const std::string& section,
                                 const std::string& title)
    : CDialogEx(PageTemplate(title)), unitIndex_(unitIndex), templateId_(templateId),
      title_(title) {
    Setup(this, section);
}

void PlaceholderPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kIdCaption, caption_);
}

bool PlaceholderPage::OnInitDialog() {
    CDialogEx::OnInitDialog();
    // The caption is not enrolled: it keeps its text and its place whatever
    // the language file holds, in the scheme's label colours.
    const Palette& main = TheColorScheme().Main;
    caption_.SetBackColor(main.Background);
    caption_.SetTextColor(main.Label);
    UpdateValues();
    ApplyTooltips();
    Invalidate();
    ApplyScheme();
    UpdateStates();
    return true;
}

std::string PlaceholderPage::GetCaption() const {
    return caption_.GetWindowText();
}

void PlaceholderPage::Start() {
    ++starts_;
    UpdateStates();
    UpdateValues();
}

void PlaceholderPage::Stop() {
    ++stops_;
}
