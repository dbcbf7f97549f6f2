#include "PresetCommand.h"

#include <cstdio>
#include <functional>

#include "EntryPoint.h"
#include "FactsPrinter.h"
#include "Format.h"
#include "HostCallback.h"
#include "ParameterNames.h"
#include "PresetDump.h"
#include "PresetLoad.h"
#include "PresetSave.h"
#include "QualityChoice.h"

namespace {

// What render would use by default, so the plug-in is in the state a rendering host leaves it.
constexpr int kRate = 44100;
constexpr VstInt32 kBlockSize = 512;

void complain(const std::string& message) {
  std::fprintf(stderr, "vsthost: %s\n", message.c_str());
}

// Opens the module's effect as render does up to processing, runs `body`, and closes it.
int withEffect(const std::string& path, const std::function<ExitCode(const Effect&)>& body) {
  hostcallback::reset(true);
  hostcallback::startTransport(kRate, kBlockSize, false);
  // Declared before the effect is made, so it is unloaded only after the effect is closed.
  PluginModule module;
  if (const ExitCode code = loadEntry(module, path)) return code;
  AEffect* record = module.create(hostcallback::callback);
  if (!record) {
    complain("module '" + path + "' returned no effect");
    return kNullEffect;
  }
  if (const ExitCode code = checkMagic(*record, path)) return code;
  const Effect effect(record);
  effect.open();
  effect.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  effect.dispatch(effSetBlockSize, 0, kBlockSize);
  const ExitCode code = body(effect);
  effect.close();
  return code;
}

// Everything that depends on the plug-in's names and counts is checked before its state changes.
ExitCode checkSaveArgs(const Effect& effect, PresetOptions& options) {
  const VstInt32 programs = effect.record().numPrograms;
  if (options.haveProgram && options.program >= programs) {
    complain("program " + std::to_string(options.program) + " out of range; the plug-in has " +
             std::to_string(programs));
    return kUsage;
  }
  if (options.quality >= 0 && currentQuality(effect).empty()) {
    complain("--quality: the plug-in has no quality choice");
    return kUsage;
  }
  std::vector<std::string> names;
  for (VstInt32 i = 0; i < effect.record().numParams; ++i)
    names.push_back(effect.text(effGetParamName, i));
  for (ParamValue& param : options.params) {
    std::string error;
    if (!resolveParameter(param.param, names, error)) {
      complain(error);
      return kUsage;
    }
  }
  return kOk;
}

ExitCode save(const Effect& effect, PresetOptions& options) {
  if (const ExitCode code = checkSaveArgs(effect, options)) return code;
  if (!options.load.empty()) {
    if (const ExitCode code = loadPreset(effect, options.load, options.anyId)) return code;
  }
  if (options.haveProgram) effect.dispatch(effSetProgram, 0, options.program);
  if (options.quality >= 0) chooseQuality(effect, options.quality);
  for (const ParamValue& param : options.params)
    effect.setParameter(param.param.index, static_cast<float>(param.value));
  return savePreset(effect, options.file);
}

// Asks by index first; only a plug-in that does not answer that has its programs switched.
void printProgramNames(const Effect& effect) {
  const VstIntPtr current = effect.dispatch(effGetProgram);
  bool switched = false;
  for (VstInt32 i = 0; i < effect.record().numPrograms; ++i) {
    VstIntPtr answer = 0;
    std::string name = effect.text(effGetProgramNameIndexed, i, &answer);
    if (!answer) {
      effect.dispatch(effSetProgram, 0, i);
      name = effect.text(effGetProgramName);
      switched = true;
    }
    printFact("programName", std::to_string(i) + " " + quoted(name));
  }
  if (switched) effect.dispatch(effSetProgram, 0, current);
}

ExitCode show(const Effect& effect, const PresetOptions& options) {
  if (const ExitCode code = loadPreset(effect, options.file, options.anyId)) return code;
  printFact("program", std::to_string(effect.dispatch(effGetProgram)) + " " +
                           quoted(effect.text(effGetProgramName)));
  printProgramNames(effect);
  const std::string quality = currentQuality(effect);
  if (!quality.empty()) printFact("quality", quality);
  printParams(effect);
  return options.saveTo.empty() ? kOk : savePreset(effect, options.saveTo);
}

}  // namespace

int runPreset(const PresetOptions& given) {
  PresetOptions options = given;
  switch (options.action) {
    case PresetOptions::Action::save:
      return withEffect(options.module,
                        [&](const Effect& effect) { return save(effect, options); });
    case PresetOptions::Action::show:
      return withEffect(options.module,
                        [&](const Effect& effect) { return show(effect, options); });
    case PresetOptions::Action::dump:
      return runPresetDump(options.file);
  }
  return kUsage;
}
