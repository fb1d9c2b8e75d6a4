#include "ApplicationFolders.h"

#include "infra/Environment.h"
#include "infra/ProfileStore.h"
#include "platform/Files.h"

namespace {

void CreateWhenMissing(const std::string& folder) {
    if (!FolderExists(folder)) {
        win::CreateDirectoryA(folder.c_str(), nullptr);
    }
}

} // namespace

void CreateApplicationFolders() {
    Environment& env = TheEnvironment();
    env.SystemToolsFolder = env.SystemRoot + "/SystemTools";
    CreateWhenMissing(env.SystemToolsFolder);
    env.ConfigFolder = env.SystemToolsFolder + "/Options";
    CreateWhenMissing(env.ConfigFolder);
    env.SystemConfigurationFile = env.ConfigFolder + "/Tm80M1System.CFG";
    env.UserFolder = env.SystemRoot + "/User";
    CreateWhenMissing(env.UserFolder);
    env.SetupFilesFolder = env.UserFolder + "/Setup Files";
    CreateWhenMissing(env.SetupFilesFolder);
    if (env.AppLogFolder.empty()) {
        env.AppLogFolder = env.SystemRoot + "/SystemTools/AppLogs";
    }
    CreateWhenMissing(env.AppLogFolder);
}
