// The colour scheme: built-in defaults, the overlay from the options file and
// the palette of a style.
#include "infra/ColorScheme.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

class ColorSchemeTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string options = dir / "VELTSYS.OPT";
    void SetUp() override { SetDefaultColors(); }
    void TearDown() override { SetDefaultColors(); }
};

struct Default {
    const char* section;
    const char* key;
    COLORREF (*field)(const ColorScheme&);
    COLORREF value;
};

#define FIELD(expr) [](const ColorScheme& s) { return s.expr; }
const Default kDefaults[] = {
    {"MAIN", "BackgroundColor", FIELD(Main.Background), Rgb(0, 51, 102)},
    {"MAIN", "LabelColor", FIELD(Main.Label), Rgb(255, 251, 240)},
    {"MAIN", "DataColor", FIELD(Main.Data), Rgb(0, 0, 0)},
    {"MAIN", "DataBlockBkColor", FIELD(Main.DataBlockBackground), Rgb(150, 150, 150)},
    {"MAIN", "TextColor", FIELD(Main.Text), Rgb(255, 251, 240)},
    {"MAIN", "DisabledText", FIELD(Main.DisabledText), Rgb(90, 90, 90)},
    {"MAIN", "PanelText", FIELD(Main.PanelText), Rgb(255, 251, 240)},
    {"DIALOG", "BackgroundColor", FIELD(Dialog.Background), Rgb(0, 51, 102)},
    {"DIALOG", "LabelColor", FIELD(Dialog.Label), Rgb(255, 251, 240)},
    {"DIALOG", "DataColor", FIELD(Dialog.Data), Rgb(255, 255, 255)},
    {"DIALOG", "DataBlockBkColor", FIELD(Dialog.DataBlockBackground), Rgb(150, 150, 150)},
    {"DIALOG", "TextColor", FIELD(Dialog.Text), Rgb(255, 251, 240)},
    {"DIALOG", "DisabledText", FIELD(Dialog.DisabledText), Rgb(90, 90, 90)},
    {"DIALOG", "PanelText", FIELD(Dialog.PanelText), Rgb(255, 255, 255)},
    {"DIALOG1U", "BackgroundColor", FIELD(Dialog1U.Background), Rgb(0, 0, 0)},
    {"DIALOG1U", "LabelColor", FIELD(Dialog1U.Label), Rgb(255, 251, 240)},
    {"DIALOG1U", "DataColor", FIELD(Dialog1U.Data), Rgb(0, 0, 0)},
    {"DIALOG1U", "DataBlockBkColor", FIELD(Dialog1U.DataBlockBackground), Rgb(150, 150, 150)},
    {"DIALOG1U", "TextColor", FIELD(Dialog1U.Text), Rgb(255, 251, 240)},
    {"DIALOG1U", "DisabledText", FIELD(Dialog1U.DisabledText), Rgb(90, 90, 90)},
    {"DIALOG1U", "PanelText", FIELD(Dialog1U.PanelText), Rgb(0, 0, 0)},
    {"BUTTONS", "Btnface", FIELD(Buttons.Face), Rgb(255, 251, 240)},
    {"BUTTONS", "BtnHighlight", FIELD(Buttons.Highlight), Rgb(255, 255, 255)},
    {"BUTTONS", "BtnShadow", FIELD(Buttons.Shadow), Rgb(120, 120, 120)},
    {"BUTTONS", "TextColor", FIELD(Buttons.Text), Rgb(0, 0, 128)},
    {"BUTTONS", "DisabledText", FIELD(Buttons.DisabledText), Rgb(90, 90, 90)},
};
#undef FIELD

TEST_F(ColorSchemeTest, WithoutAnOptionsFileAllColoursAreTheDefaults) {
    LoadColorScheme(options);
    for (const Default& d : kDefaults) {
        EXPECT_EQ(d.field(TheColorScheme()), d.value) << d.section << " " << d.key;
    }
    EXPECT_EQ(TheColorScheme().Main.Background, 6697728u);
}

// Each key replaces exactly its own field.
TEST_F(ColorSchemeTest, EachKeyReplacesItsOwnField) {
    for (const Default& changed : kDefaults) {
        SetDefaultColors();
        WriteFile(options,
                  std::string("[") + changed.section + "]\r\n" + changed.key + "=1234567\r\n");
        LoadColorScheme(options);
        for (const Default& d : kDefaults) {
            const COLORREF expected = &d == &changed ? 1234567u : d.value;
            EXPECT_EQ(d.field(TheColorScheme()), expected)
                << "file sets " << changed.section << " " << changed.key << "; field " << d.section
                << " " << d.key;
        }
    }
}

TEST_F(ColorSchemeTest, RedInTheLowByteAndBadValuesKeepTheDefault) {
    WriteFile(options, "[MAIN]\r\nBackgroundColor=255\r\nLabelColor=red\r\nDataColor=-1\r\n"
                       "[DIALOG]\r\nBackgroundColor=\r\n");
    LoadColorScheme(options);
    EXPECT_EQ(TheColorScheme().Main.Background, Rgb(255, 0, 0));
    EXPECT_EQ(TheColorScheme().Main.Label, Rgb(255, 251, 240));
    EXPECT_EQ(TheColorScheme().Main.Data, 0xFFFFFFFFu); // used as read, top bits too
    EXPECT_EQ(TheColorScheme().Dialog.Background, 0u);  // an empty value reads as 0
    EXPECT_EQ(TheColorScheme().Dialog1U.Background, 0u);
    SetDefaultColors();
    EXPECT_EQ(TheColorScheme().Main.Background, Rgb(0, 51, 102));
}

TEST_F(ColorSchemeTest, PaletteForStyleAndOverride) {
    const COLORREF blue = Rgb(0, 0, 255);
    const COLORREF green = Rgb(0, 255, 0);
    Palette p = PaletteFor(11, kOverrideBackground | blue);
    EXPECT_EQ(p.Background, blue);
    EXPECT_EQ(p.PanelText, TheColorScheme().Dialog1U.PanelText);
    EXPECT_EQ(p.Label, TheColorScheme().Dialog1U.Label);

    p = PaletteFor(0, kOverridePanelText | green);
    EXPECT_EQ(p.PanelText, green);
    EXPECT_EQ(p.Background, TheColorScheme().Main.Background);

    p = PaletteFor(10, kOverrideBackground | kOverridePanelText);
    EXPECT_EQ(p.Background, 0u);
    EXPECT_EQ(p.PanelText, TheColorScheme().Dialog.PanelText);

    p = PaletteFor(9, green); // no flag: nothing changes
    EXPECT_EQ(p.Background, TheColorScheme().Main.Background);
    EXPECT_EQ(p.PanelText, TheColorScheme().Main.PanelText);
    EXPECT_EQ(PaletteFor(10, 0).Data, Rgb(255, 255, 255));
    EXPECT_EQ(PaletteFor(1, 0).Data, Rgb(0, 0, 0));
}

} // namespace
