#include "SettingsFolder.h"

#include <cstdio>
#include <cstdlib>

#include "platform/UserFiles.h"

#if !defined(_WIN32)
#include <unistd.h>

namespace {
// Runs before any test constructs an effect (which reads its defaults at once).
struct PrivateConfigHome {
  PrivateConfigHome() {
    char folder[] = "/tmp/quorl-tests-XXXXXX";
    if (mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
  }
} privateConfigHome;
}  // namespace
#endif
// Windows tests run in a Wine prefix inside the build tree, whose application-data folder is
// theirs alone; tests that write a defaults file remove it again.

std::string SettingsFolder::defaultsFile(const char* pluginName) {
  std::string folder;
  Platform::userSettingsFolder(folder);
  folder += Platform::kPathSeparator;
  folder += "Harrowmint";
  Platform::createFolder(folder);  // so that a test can write the file itself
  return folder + Platform::kPathSeparator + pluginName + ".defaults";
}

void SettingsFolder::removeDefaultsFile(const char* pluginName) {
  std::remove(defaultsFile(pluginName).c_str());
}
