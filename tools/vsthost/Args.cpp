#include "Args.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// "INDEX=VALUE": any 32-bit index, so out-of-range indices can be tried on purpose; VALUE is
// anything strtod takes, including nan, inf and -0.
bool parseSet(const char* text, ParameterSet& set) {
  const char* equals = std::strchr(text, '=');
  if (!equals || equals == text || equals[1] == '\0') return false;
  const std::string indexText(text, equals);
  char* end = nullptr;
  errno = 0;
  const long long index = std::strtoll(indexText.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || index < INT32_MIN || index > INT32_MAX) return false;
  const double value = std::strtod(equals + 1, &end);
  if (*end != '\0') return false;
  set = {static_cast<VstInt32>(index), value};
  return true;
}

bool isHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

}  // namespace

const char* usageText() {
  static const std::string text =
      std::string(
          "usage: vsthost COMMAND ...\n"
          "\n"
          "commands:\n"
          "  info MODULE [--no-version] [--set INDEX=VALUE]...\n"
          "      Load MODULE, print its facts one per line, set the given parameters and read\n"
          "      them back, close it, and list every call it made to the host.\n"
          "      --no-version  answer audioMasterVersion with 0 instead of 2400\n"
          "\n") +
      kRenderUsage +
      "\n"
      "  vsthost --help   show this text\n"
      "\n"
      "exit status: 0 ok, 1 usage error, 2 module not loadable or without entry,\n"
      "3 entry returned null, 4 bad magic, 5 input file unreadable or unsupported,\n"
      "6 output not writable\n";
  return text.c_str();
}

bool parseArgs(int argc, char** argv, Options& options, std::string& error) {
  options = Options();
  if (argc < 2) {
    error = "no command given";
    return false;
  }
  if (isHelp(argv[1])) return true;
  if (std::strcmp(argv[1], "render") == 0) {
    bool help = false;
    if (!parseRenderArgs(argc - 2, argv + 2, options.render, help, error)) return false;
    options.command = help ? Options::Command::help : Options::Command::render;
    return true;
  }
  if (std::strcmp(argv[1], "info") != 0) {
    error = std::string("unknown command '") + argv[1] + "'";
    return false;
  }
  options.command = Options::Command::info;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (isHelp(arg)) {
      options.command = Options::Command::help;
      return true;
    } else if (std::strcmp(arg, "--no-version") == 0) {
      options.answerVersion = false;
    } else if (std::strcmp(arg, "--set") == 0) {
      ParameterSet set;
      if (i + 1 >= argc || !parseSet(argv[++i], set)) {
        error = "--set needs INDEX=VALUE";
        return false;
      }
      options.sets.push_back(set);
    } else if (arg[0] == '-' && arg[1] == '-') {
      error = std::string("unknown option '") + arg + "'";
      return false;
    } else if (options.module.empty()) {
      options.module = arg;
    } else {
      error = std::string("unexpected argument '") + arg + "'";
      return false;
    }
  }
  if (options.module.empty()) {
    error = "info needs a MODULE";
    return false;
  }
  return true;
}
