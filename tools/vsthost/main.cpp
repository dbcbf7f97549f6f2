// vsthost: loads a VST 2.4 module the way a host does and prints what it finds, for tests and for
// looking at a build by hand.
#include <cstdio>
#include <string>

#include "Args.h"
#include "Effect.h"
#include "FactsPrinter.h"
#include "Format.h"
#include "HostCallback.h"
#include "Platform.h"

namespace {

enum ExitCode { kOk = 0, kUsage = 1, kNoModule = 2, kNullEffect = 3, kBadMagic = 4 };

// Older modules export only main or MAIN; the first name found wins.
const char* const kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};

int runInfo(const Options& options) {
  hostcallback::reset(options.answerVersion);

  // Declared first so it is unloaded last, after the effect is closed.
  Module module;
  std::string error;
  if (!module.load(options.module, error)) {
    std::fprintf(stderr, "vsthost: cannot load module '%s': %s\n", options.module.c_str(),
                 error.c_str());
    return kNoModule;
  }
  const char* entryName = nullptr;
  VstPluginMainProc entry = nullptr;
  for (const char* name : kEntryNames) {
    if (Module::Symbol symbol = module.find(name)) {
      entryName = name;
      entry = reinterpret_cast<VstPluginMainProc>(symbol);
      break;
    }
  }
  if (!entry) {
    std::fprintf(stderr, "vsthost: module '%s' exports none of VSTPluginMain, main, MAIN\n",
                 options.module.c_str());
    return kNoModule;
  }
  printFact("module", quoted(options.module));
  printFact("entry", entryName);

  AEffect* record = entry(hostcallback::callback);
  if (!record) {
    printFact("effect", "null");
    printCallbacks();
    return kNullEffect;
  }
  if (record->magic != kEffectMagic) {
    std::fprintf(stderr, "vsthost: module '%s' returned an effect with magic %s, not 'VstP'\n",
                 options.module.c_str(), hex(static_cast<uint32_t>(record->magic)).c_str());
    return kBadMagic;
  }

  Effect effect(record);
  effect.open();
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
  switch (options.command) {
    case Options::Command::help:
      std::fputs(usageText(), stdout);
      return kOk;
    case Options::Command::info:
      return runInfo(options);
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
