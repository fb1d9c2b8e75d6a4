// The loaders of the language tables, the colour scheme and the system
// configuration, and the cleaning of language values, with the input as every
// file at once (catalogue, ENG and DEU language files, options, configuration).
// Checked: nothing reads or indexes outside its data; the tables keep their
// limits; a cleaned value starts the raw one; the configuration saves and
// loads back to the same values.
#include "fuzz/FuzzSupport.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/LanguageTables.h"
#include "infra/ProfileStore.h"
#include "infra/SystemConfiguration.h"

#include <filesystem>

namespace {

using fuzz::Check;

struct Files {
    std::string root = fuzz::ScratchFolder() + "/root";
    std::string languages = root + "/SystemTools/Languages";
    std::string options = root + "/SYSTEM/OPTIONS/VELTSYS.OPT";
    std::string configuration = root + "/Tm80M1System.CFG";
    std::string saved = root + "/saved.CFG";

    Files() {
        std::filesystem::create_directories(languages);
        std::filesystem::create_directories(root + "/SYSTEM/OPTIONS");
    }
};

void LoadLanguages(const std::string& name) {
    ResetLanguageTables();
    LoadLanguageCatalogue("KD50");
    const LanguageTables& t = TheLanguageTables();
    Check(t.Entries >= 0 && t.Entries <= LanguageTables::kMaxEntries);
    Check(t.Kept >= 0 && t.Kept <= t.Entries);
    Check(t.Names.size() == static_cast<std::size_t>(t.Entries));
    for (int i = 0; i < t.Kept; ++i) {
        SelectLanguage(t.Names[static_cast<std::size_t>(i)]);
    }
    SelectLanguage(name);
    for (const char* section : {"TM80MAINDLG", "KD5_INFO", "TT_TM80MAINDLG", "TOOLTIPS"}) {
        for (const char* key : {"TITLE", "IDL_IP_ADDRESS", "IDC_SPLIT_18", "CP_NOTE"}) {
            LanguageText(section, key, "fallback");
            LanguageTextWithCommon(section, key, "fallback");
        }
    }
}

void LoadAndSaveConfiguration(const Files& files) {
    LoadConfiguration(files.configuration.c_str());
    const SystemConfiguration loaded = TheSystemConfiguration();
    const int count = loaded.LaunchAddressCount();
    Check(count >= 0 && count <= kUnitPositions);
    Check(SaveConfiguration(files.saved.c_str()));
    LoadConfiguration(files.saved.c_str());
    const SystemConfiguration& again = TheSystemConfiguration();
    Check(again.LaunchDirectly == loaded.LaunchDirectly && again.LaunchCount == loaded.LaunchCount);
    for (std::size_t slot = 0; slot < kUnitPositions; ++slot) {
        Check(again.DeviceColors[slot].Background == loaded.DeviceColors[slot].Background);
        Check(again.DeviceColors[slot].Text == loaded.DeviceColors[slot].Text);
        // A value in one pair of quotes loses them at each read, as on Windows;
        // blanks that were inside the quotes, or before the cut of a long
        // value, are written bare and trimmed at the next read.
        const std::string& address = loaded.DirectAddress[slot];
        Check(fuzz::Quoted(address) || fuzz::BlankAtAnEnd(address) ||
              again.DirectAddress[slot] == address);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Files files;
    const std::string bytes(fuzz::Text(data, size));
    for (const std::string& path :
         {files.languages + "/Languages.ini", files.languages + "/KD50.ENG",
          files.languages + "/KD50.DEU", files.options, files.configuration}) {
        WriteFile(path, bytes);
    }
    std::filesystem::remove(files.saved);
    ResetEnvironment();
    TheEnvironment().SystemRoot = files.root;
    TheEnvironment().SystemOptionsFile = files.options;

    SetDefaultColors();
    LoadColorScheme(files.options);
    for (int style : {0, kDialogStyle, kDialog1UStyle}) {
        PaletteFor(style, kOverrideBackground | 0x123456);
    }
    std::string name = "English";
    ReadProfileText(files.options, "GLOBAL", "Language", name);
    LoadLanguages(name);
    LoadAndSaveConfiguration(files);
    const std::string raw(bytes.substr(0, bytes.find('\n')));
    Check(raw.starts_with(CleanLanguageValue(raw)));
    return 0;
}
