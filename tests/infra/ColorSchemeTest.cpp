// The colour scheme: the overlay from the options file and the palette of a
// style. (The built-in values are checked against the example options file.)
#include "infra/ColorScheme.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

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

// The scheme's 26 colours in their order: MAIN, DIALOG, BUTTONS, DIALOG1U.
std::array<COLORREF, 26> Fields(const ColorScheme& s) {
    static_assert(sizeof(ColorScheme) == 26 * sizeof(COLORREF));
    std::array<COLORREF, 26> fields{};
    std::memcpy(fields.data(), &s, sizeof s);
    return fields;
}

TEST_F(ColorSchemeTest, EachKeyFillsItsOwnField) {
    const char* const palette[] = {"BackgroundColor",  "LabelColor", "DataColor",
                                   "DataBlockBkColor", "TextColor",  "DisabledText",
                                   "PanelText"};
    const char* const buttons[] = {"Btnface", "BtnHighlight", "BtnShadow", "TextColor",
                                   "DisabledText"};
    std::string file;
    COLORREF next = 1;
    const auto section = [&](const char* name, auto& keys) {
        file += std::string("[") + name + "]\r\n";
        for (const char* key : keys) {
            file += std::string(key) + "=" + std::to_string(next++) + "\r\n";
        }
    };
    // The file lists DIALOG1U before BUTTONS: the order in the file does not matter.
    section("MAIN", palette);
    section("DIALOG", palette);
    section("DIALOG1U", palette);
    section("BUTTONS", buttons);
    WriteFile(options, file);
    LoadColorScheme(options);
    std::array<COLORREF, 26> expected{};
    for (COLORREF i = 0; i < 14; ++i) {
        expected[i] = i + 1; // MAIN, DIALOG
    }
    for (COLORREF i = 0; i < 5; ++i) {
        expected[14 + i] = 22 + i; // BUTTONS
    }
    for (COLORREF i = 0; i < 7; ++i) {
        expected[19 + i] = 15 + i; // DIALOG1U
    }
    EXPECT_EQ(Fields(TheColorScheme()), expected);
}

TEST_F(ColorSchemeTest, MissingFileOrBadValuesKeepTheDefaults) {
    LoadColorScheme(options);
    EXPECT_EQ(Fields(TheColorScheme()), Fields(DefaultColorScheme()));

    WriteFile(options, "[MAIN]\r\nBackgroundColor=255\r\nLabelColor=red\r\nDataColor=-1\r\n");
    LoadColorScheme(options);
    EXPECT_EQ(TheColorScheme().Main.Background, Rgb(255, 0, 0)); // the low byte is red
    EXPECT_EQ(TheColorScheme().Dialog.Background, Rgb(0, 51, 102));
    EXPECT_EQ(TheColorScheme().Main.Label, Rgb(255, 251, 240));
    EXPECT_EQ(TheColorScheme().Main.Data, 0xFFFFFFFFu); // used as read, top bits too
}

TEST_F(ColorSchemeTest, PaletteForStyleAndOverride) {
    const COLORREF blue = Rgb(0, 0, 255);
    const COLORREF green = Rgb(0, 255, 0);
    const ColorScheme& s = TheColorScheme();

    Palette p = PaletteFor(11, kOverrideBackground | blue);
    EXPECT_EQ(p.Background, blue);
    EXPECT_EQ(p.PanelText, s.Dialog1U.PanelText);
    EXPECT_EQ(p.Label, s.Dialog1U.Label);

    p = PaletteFor(0, kOverridePanelText | green);
    EXPECT_EQ(p.PanelText, green);
    EXPECT_EQ(p.Background, s.Main.Background);

    p = PaletteFor(10, kOverrideBackground | kOverridePanelText); // black, background only
    EXPECT_EQ(p.Background, 0u);
    EXPECT_EQ(p.PanelText, s.Dialog.PanelText);

    p = PaletteFor(9, green); // no flag: nothing changes
    EXPECT_EQ(p.Background, s.Main.Background);
    EXPECT_EQ(p.PanelText, s.Main.PanelText);
}

} // namespace
