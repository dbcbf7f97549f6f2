// vsthost: loads a VST 2.4 module the way a host does and prints what it finds, runs audio
// through it or puts it through the validator's checks, for tests and for looking at a build by
// hand.
#include <cstdio>
#include <string>

#include "Args.h"
#include "EditorCommand.h"
#include "Effect.h"
#include "EntryPoint.h"
#include "FactsPrinter.h"
#include "Format.h"
#include "HostCallback.h"
#include "Platform.h"
#include "PresetCommand.h"
#include "PresetLoad.h"
#include "RenderCommand.h"
#include "ValidateCommand.h"

namespace {

int runInfo(const Options& options) {
  hostcallback::reset(options.answerVersion);

  // Declared first so it is unloaded last, after the effect is closed.
  PluginModule module;
  if (const ExitCode code = loadEntry(module, options.module)) return code;
  printFact("module", quoted(options.module));
  printFact("entry", module.entryName());

  AEffect* record = module.create(hostcallback::callback);
  if (!record) {
    printFact("effect", "null");
    printCallbacks();
    return kNullEffect;
  }
  if (const ExitCode code = checkMagic(*record, options.module)) return code;

  Effect effect(record);
  effect.open();
  if (!options.preset.empty()) {
    if (const ExitCode code = loadPreset(effect, options.preset, options.anyId)) {
      effect.close();
      return code;
    }
  }
  printEffectFacts(effect);
  for (const ParameterSet& set : options.sets)
    printSetParameter(effect, set.index, static_cast<float>(set.value));
  printFact("close", std::to_string(effect.close()));
  printCallbacks();
  return kOk;
}

int run(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parseArgs(argc, argv, options, error)) {
    std::fprintf(stderr, "vsthost: %s\n\n%s", error.c_str(), usageText());
    return kUsage;
  }
  answerMessageBoxes(options.answer);
  switch (options.command) {
    case Options::Command::help:
      std::fputs(usageText(), stdout);
      return kOk;
    case Options::Command::info:
      return runInfo(options);
    case Options::Command::render:
      return runRender(options.render);
    case Options::Command::preset:
      return runPreset(options.presetCommand);
    case Options::Command::editor:
      return runEditor(options.editor);
    case Options::Command::validate:
      return runValidate(options.validate);
  }
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  useUnixLineEndings();
  const int code = run(argc, argv);
  std::fflush(stdout);
  return code;
}
