#include "PresetArgs.h"

#include <cstdint>

#include "PresetSave.h"
#include "QualityChoice.h"
#include "TextParse.h"

namespace {

bool parseAction(const std::string& word, PresetOptions::Action& action) {
  if (word == "save") {
    action = PresetOptions::Action::save;
  } else if (word == "show") {
    action = PresetOptions::Action::show;
  } else if (word == "dump") {
    action = PresetOptions::Action::dump;
  } else {
    return false;
  }
  return true;
}

// Which options each action takes; anything else is a usage error rather than silently ignored.
bool allowed(PresetOptions::Action action, const std::string& option) {
  switch (action) {
    case PresetOptions::Action::save:
      return option == "--param" || option == "--program" || option == "--preset" ||
             option == "--any-id" || option == "--quality";
    case PresetOptions::Action::show:
      return option == "--save" || option == "--any-id";
    case PresetOptions::Action::dump:
      return false;
  }
  return false;
}

bool parseOption(const std::string& option, const std::string& value, PresetOptions& options,
                 std::string& error) {
  if (option == "--param") {
    options.params.emplace_back();
    return parseParamValue(value, options.params.back(), error);
  }
  bool ok = !value.empty();
  if (option == "--program") {
    int64_t program = 0;
    ok = parseCount(value, program) && program <= INT32_MAX;
    options.program = static_cast<VstInt32>(program);
    options.haveProgram = true;
  } else if (option == "--quality") {
    ok = parseQuality(value, options.quality);
  } else if (option == "--preset") {
    options.load = value;
  } else {
    options.saveTo = value;
  }
  if (!ok) error = "bad value '" + value + "' for " + option;
  return ok;
}

bool checkPositionals(const std::vector<std::string>& words, PresetOptions& options,
                      std::string& error) {
  const bool dump = options.action == PresetOptions::Action::dump;
  const size_t wanted = dump ? 1 : 2;
  if (words.size() != wanted) {
    error = dump                                            ? "preset dump needs one FILE"
            : options.action == PresetOptions::Action::save ? "preset save needs MODULE OUT"
                                                            : "preset show needs MODULE IN";
    return false;
  }
  options.module = dump ? "" : words[0];
  options.file = words.back();
  const bool save = options.action == PresetOptions::Action::save;
  const std::string& out = save ? options.file : options.saveTo;
  bool bank = false;
  if (!out.empty() && !presetPathKind(out, bank)) {
    error = "'" + out + "' must end in .fxp (a program) or .fxb (a bank)";
    return false;
  }
  return true;
}

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

const char* const kPresetUsage =
    "  preset save MODULE OUT [--param P=V]... [--program N] [--preset IN] [--any-id]\n"
    "              [--quality normal|high|render]\n"
    "      Open MODULE as render does, load IN, select program N, choose the quality, set\n"
    "      the parameters, and write OUT: a program when it ends in .fxp, a bank when .fxb\n"
    "      (chunks when the plug-in has the programChunks flag, parameter values otherwise).\n"
    "  preset show MODULE IN [--any-id] [--save OUT]\n"
    "      Load IN into a fresh MODULE and print the current program, every program name\n"
    "      and every parameter; with --save write that state to OUT as save does.\n"
    "      --any-id  load a preset made for another plug-in ID\n"
    "  preset dump FILE\n"
    "      Print a preset file's header fields, values and chunk bytes, without a plug-in.\n";

bool parsePresetArgs(int argc, char** argv, PresetOptions& options, bool& help,
                     std::string& error) {
  options = PresetOptions();
  help = false;
  if (argc >= 1 && isHelp(argv[0])) {
    help = true;
    return true;
  }
  if (argc < 1 || !parseAction(argv[0], options.action)) {
    error = argc < 1 ? "preset needs save, show or dump"
                     : "unknown preset action '" + std::string(argv[0]) + "'";
    return false;
  }
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (isHelp(arg)) {
      help = true;
      return true;
    }
    if (arg.compare(0, 2, "--") != 0) {
      words.push_back(arg);
      continue;
    }
    if (!allowed(options.action, arg)) {
      error = "unknown option '" + arg + "' for preset " + argv[0];
      return false;
    }
    if (arg == "--any-id") {
      options.anyId = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    if (!parseOption(arg, argv[++i], options, error)) return false;
  }
  return checkPositionals(words, options, error);
}
