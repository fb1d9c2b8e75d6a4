// The process-wide folder and file names of the system, all below one root:
// the working folder at start. Set during start-up, read-only afterwards.
//
// Layout under SystemRoot (names exactly as written, case included):
//   SYSTEM/OPTIONS/VELTSYS.OPT        options: colour scheme, language choice
//   SYSTEM/ERLOGS/KD50.Log            error log (".Log" in the root without it)
//   SystemTools/Images/StartupLogo.jpg
//   SystemTools/Languages/Languages.ini and KD50.<extension>
//   SystemTools/AppLogs/              created at start
//   SystemTools/Options/Tm80M1System.CFG   system configuration
//   User/Setup Files/                 setup files
#pragma once

#include <string>

struct Environment {
    // The working folder at start.
    std::string SystemRoot;
    std::string ProductKey = "KD50";
    std::string SystemOptionsFile; // SystemRoot + "/SYSTEM/OPTIONS/VELTSYS.OPT"
    std::string ImagesFolder;      // SystemRoot + "/SystemTools/Images/"
    std::string AppLogFolder;      // SystemRoot + "/SystemTools/AppLogs"
    std::string LanguageName = "English";

    // The application's own folders, formed when it creates them at start.
    std::string SystemToolsFolder;       // SystemRoot + "/SystemTools"
    std::string ConfigFolder;            // SystemToolsFolder + "/Options"
    std::string SystemConfigurationFile; // ConfigFolder + "/Tm80M1System.CFG"
    std::string UserFolder;              // SystemRoot + "/User"
    std::string SetupFilesFolder;        // UserFolder + "/Setup Files"
};

Environment& TheEnvironment();
// A unit's own folder below the setup files folder, named after its serial
// number ("00A1-1012_Setup"): its setup files and hard copies go there. An
// empty serial (not known) gives the setup files folder itself.
std::string UnitSetupFolder(const std::string& serial);
// Back to the values before start-up (tests run many starts in one process).
void ResetEnvironment();
// SystemRoot := the current folder ("." when it cannot be read).
void CaptureSystemRoot();
