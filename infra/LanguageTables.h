// Translated dialog texts. The catalogue SystemRoot + "/SystemTools/Languages/
// Languages.ini" lists the languages in section "LANGUAGES" ("ENTRIES", then
// "LANG_<n>" and "LANG_EXT_<n>" for n = 1..ENTRIES); a language's texts are in
// ".../SystemTools/Languages/<ProductKey>.<extension>", one section per dialog
// plus "COMMON" (shared texts), "TT_<section>" and "TOOLTIPS" (tooltips).
#pragma once

#include <string>
#include <vector>

struct LanguageTables {
    static constexpr int kMaxEntries = 99;

    std::string ProductKey; // of the loaded catalogue
    std::string LanguageCatalogueFile;
    int Entries = 0;                // "ENTRIES" as used: 0..99
    std::vector<std::string> Names; // Entries places; the first Kept are used
    std::vector<std::string> Extensions;
    int Kept = 0; // entries whose language file exists
    std::string CurrentLanguageFile;
    bool LanguageLoaded = false;
    int SelectedIndex = -1;
};

LanguageTables& TheLanguageTables();
void ResetLanguageTables();

// Reads the catalogue and keeps, in catalogue order, the entries whose language
// file exists for `productKey`. False when "ENTRIES" or an entry's name or
// extension is missing (the entries kept up to there stay). An "ENTRIES" value
// outside 0..99 counts as 0.
bool LoadLanguageCatalogue(const std::string& productKey);
// Selects the kept entry named exactly `name` (case-sensitive) whose file
// still exists.
bool SelectLanguage(const std::string& name);
// The cleaned value of `key` in `section` of the current language file, or the
// fallback when it is missing.
std::string LanguageText(const std::string& section, const std::string& key,
                         const std::string& fallback);
// As LanguageText, but a key missing from `section` is looked for in "COMMON".
std::string LanguageTextWithCommon(const std::string& section, const std::string& key,
                                   const std::string& fallback);
// Drops a remark: from the first "//" on, unless it starts the value, the rest
// and the white space before it go.
std::string CleanLanguageValue(const std::string& value);
