#include "Args.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

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

bool parseAnswer(const char* text, MessageBoxButton& answer) {
  if (std::strcmp(text, "yes") == 0) {
    answer = kAnswerYes;
  } else if (std::strcmp(text, "no") == 0) {
    answer = kAnswerNo;
  } else if (std::strcmp(text, "ok") == 0) {
    answer = kAnswerOk;
  } else {
    return false;
  }
  return true;
}

// Takes --answer out wherever it stands, so every subcommand accepts it before or after its own
// arguments; what is left goes to the subcommand's parser.
bool takeAnswer(int argc, char** argv, std::vector<char*>& rest, MessageBoxButton& answer,
                std::string& error) {
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--answer") != 0) {
      rest.push_back(argv[i]);
    } else if (i + 1 >= argc || !parseAnswer(argv[++i], answer)) {
      error = "--answer needs yes, no or ok";
      return false;
    }
  }
  return true;
}

bool parseInfoArgs(int argc, char** argv, Options& options, std::string& error) {
  options.command = Options::Command::info;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (isHelp(arg)) {
      options.command = Options::Command::help;
      return true;
    } else if (std::strcmp(arg, "--no-version") == 0) {
      options.answerVersion = false;
    } else if (std::strcmp(arg, "--any-id") == 0) {
      options.anyId = true;
    } else if (std::strcmp(arg, "--preset") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        error = "--preset needs a FILE";
        return false;
      }
      options.preset = argv[++i];
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

}  // namespace

const char* usageText() {
  static const std::string text =
      std::string(
          "usage: vsthost COMMAND ...\n"
          "\n"
          "commands:\n"
          "  info MODULE [--no-version] [--preset FILE [--any-id]] [--set INDEX=VALUE]...\n"
          "      Load MODULE, print its facts one per line, set the given parameters and read\n"
          "      them back, close it, and list every call it made to the host.\n"
          "      --no-version  answer audioMasterVersion with 0 instead of 2400\n"
          "      --preset FILE load a .fxp or .fxb right after opening\n"
          "\n") +
      kRenderUsage + "\n" + kPresetUsage + "\n" + kEditorUsage + "\n" + kValidateUsage +
      "\n"
      "  vsthost --help   show this text\n"
      "\n"
      "every command also takes:\n"
      "  --answer yes|no|ok  press that button in every message box the plug-in shows, after\n"
      "                      printing it as 'messageBox \"caption\" \"text\"'; without it a box\n"
      "                      waits for the user. On Windows these are the system's boxes, on\n"
      "                      Linux the plug-in's own X11 dialogs on $DISPLAY; without a display\n"
      "                      the plug-in prints its boxes to stderr and answers them itself.\n"
      "\n"
      "exit status: 0 ok, 1 usage error, 2 module not loadable or without entry,\n"
      "3 entry returned null, 4 bad magic, 5 input file unreadable or unsupported,\n"
      "6 output not writable or screenshot not taken, 7 no editor to show,\n"
      "8 a validate check failed\n";
  return text.c_str();
}

bool parseArgs(int argc, char** argv, Options& options, std::string& error) {
  options = Options();
  std::vector<char*> args;
  if (!takeAnswer(argc - 1, argv + 1, args, options.answer, error)) return false;
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  const char* command = args[0];
  const int count = static_cast<int>(args.size()) - 1;
  char** rest = args.data() + 1;
  if (isHelp(command)) return true;
  bool help = false;
  if (std::strcmp(command, "render") == 0) {
    if (!parseRenderArgs(count, rest, options.render, help, error)) return false;
    options.command = help ? Options::Command::help : Options::Command::render;
    return true;
  }
  if (std::strcmp(command, "preset") == 0) {
    if (!parsePresetArgs(count, rest, options.presetCommand, help, error)) return false;
    options.command = help ? Options::Command::help : Options::Command::preset;
    return true;
  }
  if (std::strcmp(command, "editor") == 0) {
    if (!parseEditorArgs(count, rest, options.editor, help, error)) return false;
    options.command = help ? Options::Command::help : Options::Command::editor;
    return true;
  }
  if (std::strcmp(command, "validate") == 0) {
    if (!parseValidateArgs(count, rest, options.validate, help, error)) return false;
    options.command = help ? Options::Command::help : Options::Command::validate;
    return true;
  }
  if (std::strcmp(command, "info") == 0) return parseInfoArgs(count, rest, options, error);
  error = std::string("unknown command '") + command + "'";
  return false;
}
