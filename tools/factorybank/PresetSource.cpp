#include "PresetSource.h"

#include <sstream>

#include "tools/vsthost/TextParse.h"

namespace {
constexpr std::size_t kMaxNameLength = 23;  // a program name's 24 bytes hold its terminator
}  // namespace

bool parsePresetSource(const std::string& text, const std::vector<std::string>& parameterNames,
                       std::vector<SourcePreset>& presets, std::string& error) {
  presets.clear();
  std::vector<bool> given;
  auto fail = [&](int line, const std::string& what) {
    error = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  auto complete = [&](int line) {
    if (presets.empty()) return true;
    for (std::size_t i = 0; i < given.size(); ++i)
      if (!given[i])
        return fail(line, "\"" + presets.back().name + "\" does not give " + parameterNames[i]);
    return true;
  };
  std::istringstream lines(text);
  std::string raw;
  int number = 0;
  while (std::getline(lines, raw)) {
    ++number;
    const std::string line = trimmed(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail(number, "a name needs its closing ]");
      if (!complete(number)) return false;
      SourcePreset preset;
      preset.name = trimmed(line.substr(1, line.size() - 2));
      preset.line = number;
      if (preset.name.empty()) return fail(number, "a preset needs a name");
      if (preset.name.size() > kMaxNameLength)
        return fail(number, "\"" + preset.name + "\" is longer than 23 characters");
      preset.values.assign(parameterNames.size(), 0.0f);
      given.assign(parameterNames.size(), false);
      presets.push_back(preset);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return fail(number, "expected \"name = position\"");
    if (presets.empty()) return fail(number, "a parameter before the first [Name]");
    const std::string name = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    std::size_t index = 0;
    while (index < parameterNames.size() && parameterNames[index] != name) ++index;
    if (index == parameterNames.size()) return fail(number, "no parameter is named " + name);
    if (given[index]) return fail(number, name + " is given twice");
    double position = 0.0;
    if (!parseFiniteNumber(value, position) || !(position >= 0.0 && position <= 1.0))
      return fail(number, name + " needs a position from 0 to 1, not \"" + value + "\"");
    presets.back().values[index] = static_cast<float>(position);
    given[index] = true;
  }
  return complete(number);
}
