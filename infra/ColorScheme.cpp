#include "ColorScheme.h"

#include "infra/ProfileStore.h"

#include <cstdint>

namespace {

constexpr COLORREF Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

constexpr COLORREF kLow24 = 0x00FFFFFF;

void LoadPalette(const std::string& file, const std::string& section, Palette& p) {
    struct Field {
        const char* key;
        COLORREF Palette::*member;
    };
    static constexpr Field kFields[] = {
        {"BackgroundColor", &Palette::Background},
        {"LabelColor", &Palette::Label},
        {"DataColor", &Palette::Data},
        {"DataBlockBkColor", &Palette::DataBlockBackground},
        {"TextColor", &Palette::Text},
        {"DisabledText", &Palette::DisabledText},
        {"PanelText", &Palette::PanelText},
    };
    for (const Field& f : kFields) {
        std::int32_t value = static_cast<std::int32_t>(p.*f.member);
        if (ReadProfileInt(file, section, f.key, value)) {
            p.*f.member = static_cast<COLORREF>(value);
        }
    }
}

void LoadButtons(const std::string& file, ButtonColors& b) {
    struct Field {
        const char* key;
        COLORREF ButtonColors::*member;
    };
    static constexpr Field kFields[] = {
        {"Btnface", &ButtonColors::Face},
        {"BtnHighlight", &ButtonColors::Highlight},
        {"BtnShadow", &ButtonColors::Shadow},
        {"TextColor", &ButtonColors::Text},
        {"DisabledText", &ButtonColors::DisabledText},
    };
    for (const Field& f : kFields) {
        std::int32_t value = static_cast<std::int32_t>(b.*f.member);
        if (ReadProfileInt(file, "BUTTONS", f.key, value)) {
            b.*f.member = static_cast<COLORREF>(value);
        }
    }
}

} // namespace

ColorScheme& TheColorScheme() {
    static ColorScheme scheme = DefaultColorScheme();
    return scheme;
}

ColorScheme DefaultColorScheme() {
    const COLORREF cream = Rgb(255, 251, 240);
    const COLORREF grey = Rgb(150, 150, 150);
    const COLORREF dim = Rgb(90, 90, 90);
    ColorScheme s;
    s.Main = {Rgb(0, 51, 102), cream, Rgb(0, 0, 0), grey, cream, dim, cream};
    s.Dialog = {Rgb(0, 51, 102), cream, Rgb(255, 255, 255), grey, cream, dim, Rgb(255, 255, 255)};
    s.Dialog1U = {Rgb(0, 0, 0), cream, Rgb(0, 0, 0), grey, cream, dim, Rgb(0, 0, 0)};
    s.Buttons = {cream, Rgb(255, 255, 255), Rgb(120, 120, 120), Rgb(0, 0, 128), dim};
    return s;
}

void SetDefaultColors() {
    TheColorScheme() = DefaultColorScheme();
}

void LoadColorScheme(const std::string& optionsFile) {
    if (!FileExists(optionsFile)) {
        return;
    }
    ColorScheme& s = TheColorScheme();
    LoadPalette(optionsFile, "MAIN", s.Main);
    LoadPalette(optionsFile, "DIALOG", s.Dialog);
    LoadPalette(optionsFile, "DIALOG1U", s.Dialog1U);
    LoadButtons(optionsFile, s.Buttons);
}

Palette PaletteFor(int style, COLORREF override) {
    const ColorScheme& s = TheColorScheme();
    Palette p = style == kDialogStyle ? s.Dialog : style == kDialog1UStyle ? s.Dialog1U : s.Main;
    if (override & kOverrideBackground) {
        p.Background = override & kLow24;
    } else if (override & kOverridePanelText) {
        p.PanelText = override & kLow24;
    }
    return p;
}
