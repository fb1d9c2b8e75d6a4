#include "LanguageTables.h"

#include "infra/Environment.h"
#include "infra/ProfileStore.h"

#include <cctype>
#include <cstdint>

namespace {

constexpr const char* kSection = "LANGUAGES";

std::string LanguagesFolder() {
    return TheEnvironment().SystemRoot + "/SystemTools/Languages/";
}

std::string LanguageFilePath(const std::string& productKey, const std::string& extension) {
    return LanguagesFolder() + productKey + "." + extension;
}

} // namespace

LanguageTables& TheLanguageTables() {
    static LanguageTables tables;
    return tables;
}

void ResetLanguageTables() {
    TheLanguageTables() = LanguageTables{};
}

bool LoadLanguageCatalogue(const std::string& productKey) {
    LanguageTables& t = TheLanguageTables();
    t.ProductKey = productKey;
    t.LanguageCatalogueFile = LanguagesFolder() + "Languages.ini";
    std::int32_t entries = 0;
    if (!ReadProfileInt(t.LanguageCatalogueFile, kSection, "ENTRIES", entries)) {
        return false;
    }
    if (entries < 0 || entries > LanguageTables::kMaxEntries) {
        entries = 0; // not a count the catalogue can hold
    }
    t.Entries = entries;
    t.Names.assign(static_cast<std::size_t>(entries), std::string());
    t.Extensions.assign(static_cast<std::size_t>(entries), std::string());
    t.Kept = 0;
    for (int n = 1; n <= entries; ++n) {
        std::string name;
        std::string extension;
        if (!ReadProfileText(t.LanguageCatalogueFile, kSection, "LANG_" + std::to_string(n),
                             name) ||
            !ReadProfileText(t.LanguageCatalogueFile, kSection, "LANG_EXT_" + std::to_string(n),
                             extension)) {
            return false;
        }
        t.CurrentLanguageFile = LanguageFilePath(productKey, extension);
        if (FileExists(t.CurrentLanguageFile)) {
            t.Names[static_cast<std::size_t>(t.Kept)] = name;
            t.Extensions[static_cast<std::size_t>(t.Kept)] = extension;
            ++t.Kept;
        }
    }
    return true;
}

bool SelectLanguage(const std::string& name) {
    LanguageTables& t = TheLanguageTables();
    for (int i = 0; i < t.Kept; ++i) {
        if (t.Names[static_cast<std::size_t>(i)] != name) {
            continue;
        }
        t.CurrentLanguageFile =
            LanguageFilePath(t.ProductKey, t.Extensions[static_cast<std::size_t>(i)]);
        if (!FileExists(t.CurrentLanguageFile)) {
            return false;
        }
        t.SelectedIndex = i;
        t.LanguageLoaded = true;
        return true;
    }
    return false;
}

std::string CleanLanguageValue(const std::string& value) {
    const std::size_t remark = value.find("//");
    if (remark == std::string::npos || remark == 0) {
        return value;
    }
    std::size_t end = remark;
    while (end > 0 && std::isspace(static_cast<unsigned char>(value[end - 1]))) {
        --end;
    }
    return value.substr(0, end);
}

std::string LanguageText(const std::string& section, const std::string& key,
                         const std::string& fallback) {
    const LanguageTables& t = TheLanguageTables();
    std::string text;
    if (t.CurrentLanguageFile.empty() ||
        !ReadProfileText(t.CurrentLanguageFile, section, key, text)) {
        return fallback;
    }
    return CleanLanguageValue(text);
}

std::string LanguageTextWithCommon(const std::string& section, const std::string& key,
                                   const std::string& fallback) {
    const LanguageTables& t = TheLanguageTables();
    std::string text;
    if (t.CurrentLanguageFile.empty()) {
        return fallback;
    }
    if (ReadProfileText(t.CurrentLanguageFile, section, key, text) ||
        ReadProfileText(t.CurrentLanguageFile, "COMMON", key, text)) {
        return CleanLanguageValue(text);
    }
    return fallback;
}
