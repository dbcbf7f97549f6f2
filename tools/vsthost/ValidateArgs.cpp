#include "ValidateArgs.h"

#include <cstring>

#include "TextParse.h"

namespace {
constexpr double kMaxTimeout = 3600;
}  // namespace

bool matches(const std::string& pattern, const std::string& name) {
  if (!pattern.empty() && pattern.back() == '*')
    return name.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  return name == pattern || name.compare(0, pattern.size() + 1, pattern + ".") == 0;
}

const char* const kValidateUsage =
    "  validate MODULE [--only NAME]... [--skip NAME]... [--seed N] [--timeout SECONDS]\n"
    "           [--in-process] [--require-freed-fill] [--list]\n"
    "      Run MODULE through the checks a hostile host would: lifecycle orders, block sizes and\n"
    "      rates, bad input, state round trips and damaged chunks, threads, allocations and\n"
    "      time on the audio path, and the editor's close orders. One line per check, PASS,\n"
    "      FAIL with the reason, or SKIP with why; a summary line last. Each check runs in a\n"
    "      process of its own, so a crash or a hang fails that check and the run goes on.\n"
    "      Every message box the plug-in shows is answered as a careful user would (No, else\n"
    "      Cancel, else OK; on Linux its X11 dialogs on $DISPLAY, closed with their close\n"
    "      button), and the check's line says what was asked.\n"
    "      --only NAME          run a group (\"processing\") or one check\n"
    "                           (\"processing.blockSizes\"); NAME* runs all that begin so;\n"
    "                           may be given more than once\n"
    "      --skip NAME          leave out what NAME names, in the same ways\n"
    "      --seed N             seed of the random parameters, audio and chunks (default 1)\n"
    "      --timeout SECONDS    a check that runs longer fails (default 60)\n"
    "      --in-process         run every check in this process (for a debugger); a crash\n"
    "                           then ends the run\n"
    "      --require-freed-fill fail unless memory freed in this process is overwritten at\n"
    "                           once, so a dangling pointer cannot pass by luck: under Wine\n"
    "                           run with WINEDEBUG=warn+heap, on Linux with GLIBC_TUNABLES=\n"
    "                           glibc.malloc.tcache_count=0:glibc.malloc.perturb=165\n"
    "      --list               name every check and what it proves; run none\n"
    "      Exit status 8 when a check failed.\n";

bool selected(const std::vector<std::string>& only, const std::string& name) {
  if (only.empty()) return true;
  for (const std::string& pattern : only)
    if (matches(pattern, name)) return true;
  return false;
}

bool parseValidateArgs(int argc, char** argv, ValidateOptions& options, bool& help,
                       std::string& error) {
  options = ValidateOptions();
  help = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    } else if (arg == "--only" || arg == "--skip" || arg == "--run-one") {
      if (!hasValue || argv[i + 1][0] == '\0') {
        error = arg + " needs a NAME";
        return false;
      }
      if (arg == "--only")
        options.only.push_back(argv[++i]);
      else if (arg == "--skip")
        options.skip.push_back(argv[++i]);
      else
        options.runOne = argv[++i];
    } else if (arg == "--seed") {
      int64_t seed = 0;
      if (!hasValue || !parseCount(argv[++i], seed)) {
        error = "--seed needs a whole number";
        return false;
      }
      options.seed = static_cast<uint64_t>(seed);
    } else if (arg == "--timeout") {
      double seconds = 0;
      if (!hasValue || !parseNumber(argv[++i], seconds) || !(seconds > 0) ||
          seconds > kMaxTimeout) {
        error = "--timeout needs seconds above 0, at most 3600";
        return false;
      }
      options.timeoutSeconds = seconds;
    } else if (arg == "--in-process") {
      options.inProcess = true;
    } else if (arg == "--require-freed-fill") {
      options.requireFreedFill = true;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg.compare(0, 2, "--") == 0) {
      error = "unknown option '" + arg + "'";
      return false;
    } else if (options.module.empty()) {
      options.module = arg;
    } else {
      error = "unexpected argument '" + arg + "'";
      return false;
    }
  }
  if (options.module.empty() && !options.list) {
    error = "validate needs a MODULE";
    return false;
  }
  return true;
}
