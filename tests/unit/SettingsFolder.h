// Every test run gets a settings folder of its own, so that no user's defaults file reaches the
// tests and no test leaves one behind for the user.
#pragma once

#include <string>

namespace SettingsFolder {
// The defaults file a plug-in of this name reads and writes; its folder is made if need be.
std::string defaultsFile(const char* pluginName);
void removeDefaultsFile(const char* pluginName);
}  // namespace SettingsFolder
