#include "toolkit/Dlgplus.h"

#include "infra/LanguageTables.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDC.h"
#include "toolkit/Tplus.h"

#include <cstring>

using namespace win;

namespace {

enum class Fit { None, Left, Centre, Right };

using enum ControlType;

Fit FittingFor(ControlType type) {
    switch (type) {
    case DialogLabel:
    case PlainLabel:
    case LeftLabel7:
    case LeftLabel:
        return Fit::Left;
    case CentredLabel:
        return Fit::Centre;
    case RightLabel:
        return Fit::Right;
    default:
        return Fit::None;
    }
}

bool Known(ControlType type) {
    return type >= DialogLabel && type <= RightLabel;
}

bool Enrolled(ControlType type) {
    switch (type) {
    case DialogLabel:
    case ValueField:
    case Panel:
    case LeftLabel7:
    case ValueBlock:
    case DimSecond:
    case PanelLabel13:
    case DimmableField:
    case PanelLabel16:
    case CentredLabel:
    case LeftLabel:
    case RightLabel:
        return true;
    default:
        return false;
    }
}

// Types that get neither colours nor a language text.
bool Untouched(ControlType type) {
    return type == Light || type == Bare11 || type == Bare15;
}

} // namespace

CRect ChildRect(const CWnd& parent, const CWnd& child) {
    CRect r;
    child.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

Dlgplus::~Dlgplus() {
    if (window_ && window_->GetDialogHandlers() == this) {
        window_->SetDialogHandlers(nullptr);
    }
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
    if (window_) {
        window_->SetDialogHandlers(this);
    }
}

void Dlgplus::Setup(CDialogEx* window, const std::string& sectionName) {
    const Palette& main = TheColorScheme().Main;
    Setup(window, sectionName, main.Background, main.DataBlockBackground);
}

void Dlgplus::SetControlTable(const ControlEntry* entries, int count) {
    table_.clear();
    if (entries && count > 0) {
        table_.assign(entries, entries + count);
    }
}

const ControlEntry& Dlgplus::GetControlEntry(int index) const {
    return table_.at(static_cast<std::size_t>(index));
}

void Dlgplus::Stop() {
    if (window_) {
        window_->KillTimer(kTickTimer);
    }
    running_ = false;
}

void Dlgplus::Start() {
    UpdateStates();
    UpdateValues();
    ticks_ = 0;
    if (window_) {
        window_->SetTimer(kTickTimer, kTickMs);
    }
    running_ = true;
}

int Dlgplus::FindControlByName(const char* name) const {
    if (!name) {
        return -1;
    }
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].name && std::strcmp(table_[i].name, name) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Dlgplus::FindControlByWindow(const CWnd* control) const {
    if (!control) {
        return -1;
    }
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i].control == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Dlgplus::SetControlStyle(const char* name, int style) {
    const int index = FindControlByName(name);
    if (index < 0) {
        return false;
    }
    table_[static_cast<std::size_t>(index)].style = style;
    return true;
}

std::string Dlgplus::GetText(const std::string& key, const std::string& fallback) const {
    return LanguageTextWithCommon(section_, key, fallback);
}

void Dlgplus::ApplyEntryColors(const ControlEntry& entry, int index) {
    const ControlType type = entry.type;
    if (!Known(type) || !entry.control) {
        return; // left alone
    }
    Tplus* t = dynamic_cast<Tplus*>(entry.control);
    const Palette p = PaletteFor(entry.style, entry.colorOverride);
    const ButtonColors& b = TheColorScheme().Buttons;
    auto colours = [t](COLORREF back, COLORREF text, COLORREF disabled) {
        if (!t) {
            return;
        }
        t->SetBackColor(back);
        t->SetTextColor(text);
        t->SetDisabledTextColor(disabled);
    };
    switch (type) {
    case DialogLabel:
        colours(p.Background, p.Label, p.DisabledText);
        break;
    case ValueField:
    case DimmableField:
        colours(RGB(255, 255, 255), RGB(0, 0, 0), p.DisabledText);
        break;
    case PushButton:
        if (auto* button = dynamic_cast<CButton*>(entry.control)) {
            button->SetButtonStyle(BS_OWNERDRAW);
        }
        if (t) {
            t->SetButtonColors(b.Face, b.Highlight, b.Shadow, b.Text, b.DisabledText);
        }
        break;
    case OptionButton5:
    case OptionButton6:
        if (t) {
            t->SetButtonFace(p.Background); // keeps the face before as the alternate
            t->SetButtonColors(b.Face, b.Highlight, b.Shadow, b.Text, b.DisabledText);
        }
        break;
    case TwoColour:
        if (t) {
            t->SetFirstColor(p.Background);
            t->SetSecondColor(p.Label);
        }
        break;
    case ValueBlock:
        colours(p.DataBlockBackground, p.Data, p.DisabledText);
        break;
    case DimSecond:
        if (t) {
            t->SetSecondColor(p.DisabledText);
        }
        break;
    case Panel:
    case LeftLabel7:
    case PanelLabel13:
    case PanelLabel16:
    case CentredLabel:
    case LeftLabel:
    case RightLabel: {
        const COLORREF text = p.PanelText == CLR_NONE ? GetSysColor(COLOR_BTNTEXT) : p.PanelText;
        colours(p.Background, text, p.DisabledText);
        break;
    }
    default: // PlainLabel, Light, Bare11, Bare15: no colours
        break;
    }
    if (t && Enrolled(type)) {
        t->SetEnrolment(type, index);
    }
}

void Dlgplus::ApplyTooltipsAndScheme() {
    window_->EnableToolTips(true);
    ApplyTooltips();
    window_->Invalidate();
    ApplyScheme();
}

void Dlgplus::ApplyScheme() {
    if (window_ && TheLanguageTables().LanguageLoaded) {
        window_->SetWindowText(LanguageTextWithCommon(section_, "TITLE", ""));
    }
    for (std::size_t i = 0; i < table_.size(); ++i) {
        ApplyEntryColors(table_[i], static_cast<int>(i));
    }
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const ControlType type = table_[i].type;
        if (Untouched(type) || !Known(type)) {
            continue;
        }
        ApplyControlText(static_cast<int>(i), false);
    }
}

void Dlgplus::ApplyControlText(int index, bool skipLookup) {
    if (index < 0 || index >= GetControlCount()) {
        return;
    }
    const ControlEntry& e = table_[static_cast<std::size_t>(index)];
    CWnd* control = e.control;
    if (!control) {
        return;
    }
    std::string text;
    if (!(e.colorOverride & kOverrideKeepText) && !skipLookup && e.name) {
        text = LanguageTextWithCommon(section_, e.name, "");
    }
    if (!text.empty()) {
        control->SetWindowText(text);
    } else {
        text = control->GetWindowText();
    }

    const Fit fit = FittingFor(e.type);
    if (fit == Fit::None || !control->IsWindow()) {
        return;
    }
    CClientDC dc(control);
    const CSize size = dc.GetTextExtent(text);
    CRect r;
    control->GetWindowRect(&r);
    if (CWnd* parent = control->GetParent()) {
        parent->ScreenToClient(&r);
    }
    if (size.cx == r.Width()) {
        return;
    }
    int left = r.left;
    if (fit == Fit::Centre) {
        left = r.left + (r.Width() - size.cx) / 2;
    } else if (fit == Fit::Right) {
        left = r.right - size.cx;
    }
    control->MoveWindow(left, r.top, size.cx, size.cy);
}

void Dlgplus::ApplyTooltips() {
    if (!window_) {
        return;
    }
    tooltip_.Create(window_, TTS_ALWAYSTIP | TTS_BALLOON);
    if (!TheLanguageTables().LanguageLoaded) {
        return;
    }
    for (const ControlEntry& e : table_) {
        if (!e.control || !e.name) {
            continue;
        }
        std::string tip = LanguageText("TT_" + section_, e.name, "");
        if (tip.empty()) {
            tip = LanguageText("TOOLTIPS", e.name, "");
        }
        tooltip_.AddTool(e.control, tip);
    }
}

const CBrush* Dlgplus::AnswerCtlColor(CDC& dc, CWnd* wnd, UINT kind) {
    (void)dc;
    (void)kind;
    const int index = FindControlByWindow(wnd);
    if (index < 0) {
        return &backgroundBrush_;
    }
    const ControlEntry& e = table_[static_cast<std::size_t>(index)];
    switch (e.type) {
    case ValueBlock:
        return &dataBlockBrush_;
    case ValueField:
        return &whiteBrush_;
    case DimmableField: {
        const Tplus* t = dynamic_cast<const Tplus*>(wnd);
        return t && t->IsDisabled() ? &disabledTextBrush_ : &whiteBrush_;
    }
    default:
        return &backgroundBrush_;
    }
}

void Dlgplus::PaintDialog(CDC& dc) {
    for (const ControlEntry& e : table_) {
        if (e.type != Panel || !e.control || !e.control->IsWindow()) {
            continue;
        }
        CRect r;
        e.control->GetWindowRect(&r);
        if (window_) {
            window_->ScreenToClient(&r);
        }
        r.top += 7;
        if (r.IsRectEmpty()) {
            continue;
        }
        dc.FillSolidRect(r, PaletteFor(e.style, e.colorOverride).Background);
    }
}

void Dlgplus::DialogTimer(UINT_PTR id) {
    if (id == kTickTimer) {
        ++ticks_;
    }
}
