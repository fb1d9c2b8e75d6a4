// The application's own folders under SystemRoot, formed and, when missing,
// created one level at a time at start-up: SystemTools, SystemTools/Options
// (then SystemConfigurationFile is named), User, User/Setup Files and
// SystemTools/AppLogs. Creation failures are ignored; the run goes on.
#pragma once

void CreateApplicationFolders();
