// The options of `vsthost validate`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ValidateOptions {
  std::string module;
  std::vector<std::string> only;  // check names or group names; empty: every check
  std::vector<std::string> skip;  // left out of those
  uint64_t seed = 1;
  double timeoutSeconds = 60;
  bool inProcess = false;
  bool requireFreedFill = false;
  bool list = false;
  std::string runOne;  // set in the process a parent started for one check
};

// The arguments after "validate". False on a usage error, with the reason in `error`; `help` is
// set when --help was asked for.
bool parseValidateArgs(int argc, char** argv, ValidateOptions& options, bool& help,
                       std::string& error);

// Whether `name` is among the checks `only` asks for (all when it is empty): a whole group
// ("processing"), one check ("processing.blockSizes"), or a prefix ending in '*'.
bool selected(const std::vector<std::string>& only, const std::string& name);
// Whether `pattern` names `name` in one of those ways.
bool matches(const std::string& pattern, const std::string& name);

extern const char* const kValidateUsage;
