#include "WinAppplus.h"

#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/ErrorLog.h"
#include "infra/LanguageTables.h"
#include "infra/ProfileStore.h"
#include "infra/SystemConfiguration.h"

WinAppplus::WinAppplus() {
    CaptureSystemRoot();
}

bool WinAppplus::InitEnvironment() {
    CaptureSystemRoot();
    Environment& env = TheEnvironment();
    StartErrorLog("", env.ProductKey, "/SYSTEM/ERLOGS/", "");
    env.SystemOptionsFile = env.SystemRoot + "/SYSTEM/OPTIONS/VELTSYS.OPT";
    env.ImagesFolder = env.SystemRoot + "/SystemTools/Images/";
    env.AppLogFolder = env.SystemRoot + "/SystemTools/AppLogs";
    SetDefaultColors();
    LoadColorScheme(env.SystemOptionsFile);
    env.LanguageName = "English";
    ReadProfileText(env.SystemOptionsFile, "GLOBAL", "Language", env.LanguageName);
    LoadLanguageCatalogue(env.ProductKey);
    SelectLanguage(env.LanguageName);
    return true;
}

void ResetProcessValues() {
    StopErrorLog();
    ResetEnvironment();
    SetDefaultColors();
    ResetLanguageTables();
    TheSystemConfiguration() = SystemConfiguration{};
}
