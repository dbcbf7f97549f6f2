#include "platform/linux/XResourceLines.h"

namespace Platform {

namespace {

std::string trimmed(const std::string& text) {
  const char* blanks = " \t\r";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

void forEachXResource(
    const char* resources,
    const std::function<void(const std::string& name, const std::string& value)>& each) {
  if (!resources) return;
  const std::string text(resources);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    each(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
  }
}

}  // namespace Platform
