#include "toolkit/Dlgplus.h"

#include "infra/LanguageTables.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDC.h"
#include "toolkit/Tplus.h"

#include <cstring>

using namespace win;

namespace {

enum class Fit { None, Left, Centre, Right };

Fit FittingFor(int type) {
    switch (type) {
    case 0:
    case 4:
    case 7:
    case 18:
        return Fit::Left;
    case 17:
        return Fit::Centre;
    case 19:
        return Fit::Right;
    default:
        return Fit::None;
    }
}

bool Enrolled(int type) {
    switch (type) {
    case 0:
    case 1:
    case 3:
    case 7:
    case 10:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
    case 18:
    case 19:
        return true;
    default:
        return false;
    }
}

} // namespace

Dlgplus::~Dlgplus() {
    if (window_ && window_->GetDialogHandlers() == this)
        window_->SetDialogHandlers(nullptr);
}

void Dlgplus::Setup(CDialogEx* window, const std::string& sectionName, COLORREF background,
                    COLORREF dataBlock) {
    window_ = window;
    section_ = sectionName;
    background_ = background;
    dataBlock_ = dataBlock;
    backgroundBrush_.CreateSolidBrush(background);
    dataBlockBrush_.CreateSolidBrush(dataBlock);
    whiteBrush_.CreateSolidBrush(RGB(255, 255, 255));
    disabledTextBrush_.CreateSolidBrush(TheColorScheme().Main.DisabledText);
    if (window_)
        window_->SetDialogHandlers(this);
}

void Dlgplus::SetControlTable(const ControlEntry* entries, int count) {
    table_.clear();
    if (entries && count > 0)
        table_.assign(entries, entries + count);
}

const ControlEntry& Dlgplus::GetControlEntry(int index) const {
    return table_.at(static_cast<std::size_t>(index));
}

void Dlgplus::Stop() {
    if (window_)
        window_->KillTimer(kTickTimer);
    running_ = false;
}

void Dlgplus::Start() {
    UpdateStates();
    UpdateValues();
    ticks_ = 0;
    if (window_)
        window_->SetTimer(kTickTimer, kTickMs);
    running_ = true;
}

int Dlgplus::FindControlByName(const char* name) const {
    if (!name)
        return -1;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].name && std::strcmp(table_[i].name, name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int Dlgplus::FindControlByWindow(const CWnd* control) const {
    if (!control)
        return -1;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].control == control)
            return static_cast<int>(i);
    }
    return -1;
}

bool Dlgplus::SetControlStyle(const char* name, int style) {
    const int index = FindControlByName(name);
    if (index < 0)
        return false;
    table_[static_cast<std::size_t>(index)].style = style;
    return true;
}

std::string Dlgplus::GetText(const std::string& key, const std::string& fallback) const {
    return LanguageTextWithCommon(section_, key, fallback);
}

void Dlgplus::ApplyEntryColors(const ControlEntry& entry, int index) {
    const int type = entry.type;
    if (type < 0 || type > 19 || !entry.control)
        return; // left alone
    Tplus* t = dynamic_cast<Tplus*>(entry.control);
    const Palette p = PaletteFor(entry.style, entry.colorOverride);
    const ButtonColors& b = TheColorScheme().Buttons;
    auto colours = [t](COLORREF back, COLORREF text, COLORREF disabled) {
        if (!t)
            return;
        t->SetBackColor(back);
        t->SetTextColor(text);
        t->SetDisabledTextColor(disabled);
    };
    switch (type) {
    case 0:
        colours(p.Background, p.Label, p.DisabledText);
        break;
    case 1:
    case 14:
        colours(RGB(255, 255, 255), RGB(0, 0, 0), p.DisabledText);
        break;
    case 2:
        if (auto* button = dynamic_cast<CButton*>(entry.control))
            button->SetButtonStyle(BS_OWNERDRAW);
        if (t)
            t->SetButtonColors(b.Face, b.Highlight, b.Shadow, b.Text, b.DisabledText);
        break;
    case 5:
    case 6:
        if (t) {
            t->SetButtonFace(p.Background); // keeps the face before as the alternate
            t->SetButtonColors(b.Face, b.Highlight, b.Shadow, b.Text, b.DisabledText);
        }
        break;
    case 8:
        if (t) {
            t->SetFirstColor(p.Background);
            t->SetSecondColor(p.Label);
        }
        break;
    case 10:
        colours(p.DataBlockBackground, p.Data, p.DisabledText);
        break;
    case 12:
        if (t)
            t->SetSecondColor(p.DisabledText);
        break;
    case 3:
    case 7:
    case 13:
    case 16:
    case 17:
    case 18:
    case 19: {
        const COLORREF text = p.PanelText == CLR_NONE ? GetSysColor(COLOR_BTNTEXT) : p.PanelText;
        colours(p.Background, text, p.DisabledText);
        break;
    }
    default: // 4, 9, 11, 15: no colours
        break;
    }
    if (t && Enrolled(type))
        t->SetEnrolment(type, index);
}

void Dlgplus::ApplyScheme() {
    if (window_ && TheLanguageTables().LanguageLoaded)
        window_->SetWindowText(LanguageTextWithCommon(section_, "TITLE", ""));
    for (std::size_t i = 0; i < table_.size(); ++i)
        ApplyEntryColors(table_[i], static_cast<int>(i));
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const int type = table_[i].type;
        if (type == 9 || type == 11 || type == 15 || type < 0 || type > 19)
            continue;
        ApplyControlText(static_cast<int>(i), false);
    }
}

void Dlgplus::ApplyControlText(int index, bool skipLookup) {
    if (index < 0 || index >= GetControlCount())
        return;
    const ControlEntry& e = table_[static_cast<std::size_t>(index)];
    CWnd* control = e.control;
    if (!control)
        return;
    std::string text;
    if (!(e.colorOverride & kOverrideKeepText) && !skipLookup && e.name)
        text = LanguageTextWithCommon(section_, e.name, "");
    if (!text.empty())
        control->SetWindowText(text);
    else
        text = control->GetWindowText();

    const Fit fit = FittingFor(e.type);
    if (fit == Fit::None || !control->IsWindow())
        return;
    CClientDC dc(control);
    const CSize size = dc.GetTextExtent(text);
    CRect r;
    control->GetWindowRect(&r);
    if (CWnd* parent = control->GetParent())
        parent->ScreenToClient(&r);
    if (size.cx == r.Width())
        return;
    int left = r.left;
    if (fit == Fit::Centre)
        left = r.left + (r.Width() - size.cx) / 2;
    else if (fit == Fit::Right)
        left = r.right - size.cx;
    control->MoveWindow(left, r.top, size.cx, size.cy);
}

void Dlgplus::ApplyTooltips() {
    if (!window_)
        return;
    tooltip_.Create(window_, TTS_ALWAYSTIP | TTS_BALLOON);
    if (!TheLanguageTables().LanguageLoaded)
        return;
    for (const ControlEntry& e : table_) {
        if (!e.control || !e.name)
            continue;
        std::string tip = LanguageText("TT_" + section_, e.name, "");
        if (tip.empty())
            tip = LanguageText("TOOLTIPS", e.name, "");
        tooltip_.AddTool(e.control, tip);
    }
}

const CBrush* Dlgplus::AnswerCtlColor(CDC& dc, CWnd* wnd, UINT kind) {
    (void)dc;
    (void)kind;
    const int index = FindControlByWindow(wnd);
    if (index < 0)
        return &backgroundBrush_;
    const ControlEntry& e = table_[static_cast<std::size_t>(index)];
    switch (e.type) {
    case 10:
        return &dataBlockBrush_;
    case 1:
        return &whiteBrush_;
    case 14: {
        const Tplus* t = dynamic_cast<const Tplus*>(wnd);
        return t && t->IsDisabled() ? &disabledTextBrush_ : &whiteBrush_;
    }
    default:
        return &backgroundBrush_;
    }
}

void Dlgplus::PaintDialog(CDC& dc) {
    for (const ControlEntry& e : table_) {
        if (e.type != 3 || !e.control || !e.control->IsWindow())
            continue;
        CRect r;
        e.control->GetWindowRect(&r);
        if (window_)
            window_->ScreenToClient(&r);
        r.top += 7;
        if (r.IsRectEmpty())
            continue;
        dc.FillSolidRect(r, PaletteFor(e.style, e.colorOverride).Background);
    }
}

void Dlgplus::DialogTimer(UINT_PTR id) {
    if (id == kTickTimer)
        ++ticks_;
}
