#include "ValidateCommand.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "ExitCodes.h"
#include "FactsPrinter.h"
#include "Format.h"
#include "ValidateHost.h"
#include "ValidateRegistry.h"

namespace {

constexpr VstInt32 kMaxChannels = 1024;
constexpr VstInt32 kMaxCount = 100000;

struct Tally {
  int passed = 0;
  int failed = 0;
  int skipped = 0;

  void add(int code) {
    if (code == kCheckPassed)
      ++passed;
    else if (code == kCheckSkipped)
      ++skipped;
    else
      ++failed;
  }
};

void printLine(const char* word, const std::string& name, const std::string& detail,
               bool parenthesized = false) {
  std::string line = std::string(word) + " " + name;
  if (!detail.empty()) line += parenthesized ? " (" + detail + ")" : ": " + detail;
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void printResult(const std::string& name, const CheckResult& result) {
  switch (result.code) {
    case kCheckPassed:
      printLine("PASS", name, result.detail);
      break;
    case kCheckSkipped:
      printLine("SKIP", name, result.detail, true);
      break;
    default:
      printLine("FAIL", name, result.detail);
      break;
  }
}

// Reads what the checks need from a first instance, which is closed and unloaded again. kOk, or
// the exit code of a module that cannot be used, with the reason in `error`.
ExitCode readFacts(const std::string& path, ModuleFacts& facts, std::string& name,
                   std::string& error) {
  validatehost::reset();
  facts.path = path;
  LoadedModule module;
  if (!module.load(path, error)) {
    error = "cannot load '" + path + "': " + error;
    return kNoModule;
  }
  Instance instance(module);
  if (!instance.ok()) {
    error = instance.error();
    const AEffect* record = module.create();
    return record ? kBadMagic : kNullEffect;
  }
  const AEffect& record = *instance.record();
  // Buffers and loops are sized by these; a record that claims absurd counts is no effect.
  const bool sane = record.numInputs >= 0 && record.numInputs <= kMaxChannels &&
                    record.numOutputs >= 0 && record.numOutputs <= kMaxChannels &&
                    record.numParams >= 0 && record.numParams <= kMaxCount &&
                    record.numPrograms >= 0 && record.numPrograms <= kMaxCount;
  if (!sane) {
    error = "the effect record claims " + std::to_string(record.numInputs) + " inputs, " +
            std::to_string(record.numOutputs) + " outputs, " + std::to_string(record.numParams) +
            " parameters and " + std::to_string(record.numPrograms) + " programs";
    return kBadMagic;
  }
  facts.flags = record.flags;
  facts.numInputs = record.numInputs;
  facts.numOutputs = record.numOutputs;
  facts.numParams = record.numParams;
  facts.numPrograms = record.numPrograms;
  facts.accumulating = record.process != nullptr;
  facts.replacing = record.processReplacing != nullptr;
  facts.doubleReplacing =
      record.processDoubleReplacing != nullptr && (record.flags & effFlagsCanDoubleReplacing);
  facts.chunks = (record.flags & effFlagsProgramChunks) != 0;
  facts.editor = (record.flags & effFlagsHasEditor) != 0;
  facts.vst3 = module.isVst3();
  char text[256] = {0};
  instance.dispatch(effGetEffectName, 0, 0, text);
  text[kVstMaxEffectNameLen] = '\0';
  name = text;
  return kOk;
}

constexpr size_t kQuestionsShown = 4;

// What the plug-in asked in the boxes answered for it, each question once with its count.
std::string boxesText(bool alone) {
  const std::vector<AskedBox> boxes = validateplatform::messageBoxesAsked();
  if (boxes.empty()) return "";
  size_t total = 0;
  std::string questions;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const AskedBox& box = boxes[i];
    total += box.count;
    if (i >= kQuestionsShown) continue;
    questions += (questions.empty() ? " " : ", ") + quoted(box.caption) + " " + quoted(box.text);
    if (box.count > 1) questions += " x" + std::to_string(box.count);
  }
  if (boxes.size() > kQuestionsShown)
    questions += " and " + std::to_string(boxes.size() - kQuestionsShown) + " other questions";
  return std::string(alone ? "" : "; ") + std::to_string(total) +
         (total == 1 ? " message box" : " message boxes") + " answered:" + questions;
}

// Runs one check here and prints its line; its CheckCode.
int runHere(const Check& check, const ModuleFacts& facts, uint64_t seed) {
  validateplatform::setCurrentCheck(check.name);
  validatehost::reset();
  CheckContext context{facts, Random(seedFor(seed, check.name))};
  CheckResult result;
  try {
    result = check.run(context);
  } catch (const std::exception& exception) {
    result = CheckResult::fail(std::string("an exception escaped: ") + exception.what());
  } catch (...) {
    result = CheckResult::fail("an exception escaped");
  }
  if (result.code != kCheckSkipped) result.detail += boxesText(result.detail.empty());
  printResult(check.name, result);
  return result.code;
}

// Why an editor check cannot run, or empty.
std::string editorUnavailable(const ModuleFacts& facts) {
  if (!facts.editor) return "no editor";
  if (!EditorHost::supported()) return "no editor window here (on Linux: no X display)";
  return "";
}

std::string groupOf(const std::string& name) { return name.substr(0, name.find('.')); }

int listChecks(const std::vector<Check>& checks) {
  for (const Check& check : checks) std::printf("%-32s %s\n", check.name, check.proves);
  return kOk;
}

const Check* findCheck(const std::vector<Check>& checks, const std::string& name) {
  for (const Check& check : checks)
    if (check.name == name) return &check;
  return nullptr;
}

bool matchesAny(const std::vector<Check>& checks, const std::string& pattern) {
  for (const Check& check : checks)
    if (matches(pattern, check.name)) return true;
  return false;
}

bool chosen(const ValidateOptions& options, const std::string& name) {
  if (!selected(options.only, name)) return false;
  for (const std::string& pattern : options.skip)
    if (matches(pattern, name)) return false;
  return true;
}

// A group whose every chosen check needs the editor is skipped in one line.
bool wholeGroupNeedsEditor(const std::vector<Check>& checks, const std::string& group,
                           const ValidateOptions& options) {
  for (const Check& check : checks)
    if (groupOf(check.name) == group && chosen(options, check.name) && !check.needsEditor)
      return false;
  return true;
}

// The run's own child: one check, its line, its code.
int runChild(const std::vector<Check>& checks, const ValidateOptions& options) {
  const Check* check = findCheck(checks, options.runOne);
  if (!check) {
    std::fprintf(stderr, "vsthost: no check is named '%s'\n", options.runOne.c_str());
    return kUsage;
  }
  ModuleFacts facts;
  std::string name, error;
  validateplatform::setCurrentCheck(check->name);
  if (readFacts(options.module, facts, name, error) != kOk) {
    printLine("FAIL", check->name, error);
    return kCheckFailed;
  }
  return runHere(*check, facts, options.seed);
}

}  // namespace

int runValidate(const ValidateOptions& options) {
  const std::vector<Check> checks = allChecks();
  if (options.list) return listChecks(checks);
  std::vector<std::string> patterns = options.only;
  patterns.insert(patterns.end(), options.skip.begin(), options.skip.end());
  for (const std::string& pattern : patterns) {
    if (!matchesAny(checks, pattern)) {
      std::fprintf(stderr, "vsthost: no check is named '%s' (--list names them)\n",
                   pattern.c_str());
      return kUsage;
    }
  }
  if (!options.runOne.empty()) {
    validateplatform::installCrashReport(kCheckCrashed);
    return runChild(checks, options);
  }
  // Where checks run here, a crash ends the run after its report.
  validateplatform::installCrashReport(kValidationFailed);

  validateplatform::setCurrentCheck("load");
  ModuleFacts facts;
  std::string name, error;
  if (const ExitCode code = readFacts(options.module, facts, name, error)) {
    printLine("FAIL", "load", error);
    return code;
  }
  printLine("PASS", "load",
            quoted(name) + ": " + std::to_string(facts.numInputs) + " in, " +
                std::to_string(facts.numOutputs) + " out, " + std::to_string(facts.numParams) +
                " parameters, " + std::to_string(facts.numPrograms) + " programs, flags " +
                effectFlagNames(facts.flags));
  Tally tally;
  tally.add(kCheckPassed);
  if (options.requireFreedFill) {
    std::string how;
    const bool filled = validateplatform::freedMemoryIsOverwritten(how);
    printLine(filled ? "PASS" : "FAIL", "host.freedMemoryOverwritten", how);
    tally.add(filled ? kCheckPassed : kCheckFailed);
  }

  const std::string noEditor = editorUnavailable(facts);
  std::vector<std::string> skippedGroups;
  for (const Check& check : checks) {
    if (!chosen(options, check.name)) continue;
    if (check.needsEditor && !noEditor.empty()) {
      const std::string group = groupOf(check.name);
      if (!wholeGroupNeedsEditor(checks, group, options)) {
        printLine("SKIP", check.name, noEditor, true);
      } else if (std::find(skippedGroups.begin(), skippedGroups.end(), group) ==
                 skippedGroups.end()) {
        printLine("SKIP", group + ".*", noEditor, true);
        skippedGroups.push_back(group);
      }
      tally.add(kCheckSkipped);
      continue;
    }
    validateplatform::setCurrentCheck(check.name);
    int code = kCheckPassed;
    if (options.inProcess) {
      validateplatform::armWatchdog(check.name, options.timeoutSeconds);
      code = runHere(check, facts, options.seed);
      validateplatform::disarmWatchdog();
    } else {
      std::string failure;
      code = validateplatform::runInOwnProcess(
          check.name, [&] { return runHere(check, facts, options.seed); }, options.timeoutSeconds,
          failure);
      if (!failure.empty()) printLine("FAIL", check.name, failure);
    }
    tally.add(code);
  }
  std::printf("validate: %d passed, %d failed, %d skipped\n", tally.passed, tally.failed,
              tally.skipped);
  std::fflush(stdout);
  return tally.failed ? kValidationFailed : kOk;
}
