// The factory presets' readable source: "[Name]" starts a preset, "name = position" lines give
// its parameters, "#" starts a comment.
#pragma once

#include <string>
#include <vector>

struct SourcePreset {
  std::string name;
  std::vector<float> values;  // by parameter index
  int line = 0;               // where its name stands
};

// `parameterNames` are the names hosts see, by index. Every preset must give every parameter
// once, as a number from 0 to 1. False with `error` ("line 12: ...") on the first problem.
bool parsePresetSource(const std::string& text, const std::vector<std::string>& parameterNames,
                       std::vector<SourcePreset>& presets, std::string& error);
