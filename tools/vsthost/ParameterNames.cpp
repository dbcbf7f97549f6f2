#include "ParameterNames.h"

#include <cctype>
#include <cstdint>

#include "Format.h"
#include "TextParse.h"

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string listing(const std::vector<std::string>& names) {
  if (names.empty()) return "the plug-in has no parameters";
  std::string out = "parameters:";
  for (size_t i = 0; i < names.size(); ++i) out += " " + std::to_string(i) + " " + quoted(names[i]);
  return out;
}

}  // namespace

bool resolveParameter(ParamRef& ref, const std::vector<std::string>& names, std::string& error) {
  int64_t index;
  if (parseCount(ref.text, index)) {
    if (index < static_cast<int64_t>(names.size())) {
      ref.index = static_cast<VstInt32>(index);
      return true;
    }
    error = "parameter index " + ref.text + " out of range; " + listing(names);
    return false;
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (pass == 0 ? names[i] == ref.text : equalIgnoringCase(names[i], ref.text)) {
        ref.index = static_cast<VstInt32>(i);
        return true;
      }
    }
  }
  error = "unknown parameter " + quoted(ref.text) + "; " + listing(names);
  return false;
}
