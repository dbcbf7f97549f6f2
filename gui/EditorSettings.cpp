#include "gui/EditorSettings.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/EditorScale.h"
#include "platform/UserFiles.h"

namespace Mintwerk {

namespace {
constexpr std::size_t kSettingsFileLimit = 4096;  // ours are a line; a larger file is not ours
}

int parseSizeChoice(const uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  int choice = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 5, "size=") != 0) continue;  // other keys are for other versions
    const std::string value = line.substr(5);
    char* rest = nullptr;
    const long percent = std::strtol(value.c_str(), &rest, 10);
    choice = !value.empty() && *rest == 0 && isSizeChoice(static_cast<int>(percent))
                 ? static_cast<int>(percent)
                 : 0;
  }
  return choice;
}

int readSizeChoice(const std::string& path) {
  if (path.empty()) return 0;
  std::vector<uint8_t> bytes;
  if (Platform::readWholeFile(path, kSettingsFileLimit, bytes) != Platform::ReadResult::kOk)
    return 0;
  return parseSizeChoice(bytes.data(), bytes.size());
}

bool writeSizeChoice(const std::string& path, int percent) {
  if (path.empty()) return false;
  char line[32];
  const int length = isSizeChoice(percent) ? std::snprintf(line, sizeof line, "size=%d\n", percent)
                                           : std::snprintf(line, sizeof line, "size=host\n");
  return Platform::replaceFile(path, reinterpret_cast<const uint8_t*>(line),
                               static_cast<std::size_t>(length));
}

}  // namespace Mintwerk
