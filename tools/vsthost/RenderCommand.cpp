#include "RenderCommand.h"

#include <cmath>
#include <cstdio>

#include "EntryPoint.h"
#include "FileBytes.h"
#include "Format.h"
#include "HostCallback.h"
#include "Levels.h"
#include "Loudness.h"
#include "ParameterNames.h"
#include "PresetLoad.h"
#include "QualityChoice.h"
#include "RawAudio.h"
#include "WavFile.h"

namespace {

constexpr VstInt32 kMaxChannels = 64;
constexpr size_t kMaxScheduleBytes = size_t(64) << 20;

void complain(const std::string& message) {
  std::fprintf(stderr, "vsthost: %s\n", message.c_str());
}

ExitCode readSchedules(const RenderOptions& options, std::vector<ScheduledEvent>& events) {
  events = options.events;
  for (const std::string& path : options.scheduleFiles) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, bytes, error, kMaxScheduleBytes)) {
      complain("cannot read schedule '" + path + "': " + error);
      return kUsage;
    }
    if (!parseSchedule(std::string(bytes.begin(), bytes.end()), events, error)) {
      complain("schedule '" + path + "', " + error);
      return kUsage;
    }
  }
  return kOk;
}

ExitCode loadSource(const RenderOptions& options, Audio& source) {
  if (options.haveSignal) {
    const auto frames = static_cast<size_t>(std::llround(options.seconds * options.rate));
    source = generateSignal(options.signal, options.rate, frames);
    return kOk;
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readFileBytes(options.inFile, bytes, error)) {
    complain("cannot read '" + options.inFile + "': " + error);
    return kBadInput;
  }
  const bool ok = isRawAudioName(options.inFile)
                      ? decodeRawStereo(bytes, options.rate, source, error)
                      : decodeWav(bytes, source, error);
  if (!ok) {
    complain("cannot use '" + options.inFile + "': " + error);
    return kBadInput;
  }
  if (options.haveRate) source.rate = options.rate;
  return kOk;
}

// What the effect must offer before any audio goes in: the process call of the chosen path and a
// channel count we can give buffers for.
ExitCode checkEffect(const AEffect& record, SamplePath path) {
  if (record.numInputs < 0 || record.numInputs > kMaxChannels || record.numOutputs < 0 ||
      record.numOutputs > kMaxChannels) {
    complain("the plug-in reports " + std::to_string(record.numInputs) + " inputs and " +
             std::to_string(record.numOutputs) + " outputs; 0 to " + std::to_string(kMaxChannels) +
             " are supported");
    return kNoModule;
  }
  if (path == SamplePath::float64 &&
      (!(record.flags & effFlagsCanDoubleReplacing) || !record.processDoubleReplacing)) {
    complain(
        "the plug-in cannot process doubles (no canDoubleReplacing flag 0x1000); "
        "use --path float");
    return kUsage;
  }
  if (path == SamplePath::float32 &&
      (!(record.flags & effFlagsCanReplacing) || !record.processReplacing)) {
    complain("the plug-in has no processReplacing (no canReplacing flag 0x10); try --path double");
    return kUsage;
  }
  return kOk;
}

ExitCode resolveAll(const Effect& effect, RenderOptions& options,
                    std::vector<ScheduledEvent>& events) {
  std::vector<std::string> names;
  for (VstInt32 i = 0; i < effect.record().numParams; ++i)
    names.push_back(effect.text(effGetParamName, i));
  std::vector<ParamRef*> refs;
  for (ParamValue& param : options.params) refs.push_back(&param.param);
  for (ParamSweep& sweep : options.sweeps) refs.push_back(&sweep.param);
  for (ScheduledEvent& event : events)
    if (!event.isMidi) refs.push_back(&event.change.param);
  for (ParamRef* ref : refs) {
    std::string error;
    if (!resolveParameter(*ref, names, error)) {
      complain(error);
      return kUsage;
    }
  }
  return kOk;
}

void warnPastEnd(const std::vector<ScheduledEvent>& events, size_t frames) {
  for (const ScheduledEvent& event : events) {
    if (static_cast<uint64_t>(event.pos) >= frames) {
      std::fprintf(stderr, "vsthost: event at sample %lld is past the end (%zu frames), ignored\n",
                   static_cast<long long>(event.pos), frames);
    }
  }
}

ExitCode writeOutputs(const RenderOptions& options, const Audio& out) {
  std::string error;
  if (!options.outWav.empty()) {
    std::vector<uint8_t> bytes;
    if (!encodeWavFloat(out, bytes, error) || !writeFileBytes(options.outWav, bytes, error)) {
      complain("cannot write '" + options.outWav + "': " + error);
      return kCannotWrite;
    }
  }
  if (!options.outRaw.empty() && !writeFileBytes(options.outRaw, encodeRawStereo(out), error)) {
    complain("cannot write '" + options.outRaw + "': " + error);
    return kCannotWrite;
  }
  return kOk;
}

// LUFS with two decimals, or "-inf" below the gate (or for less than 400 ms).
std::string loudnessText(const Audio& audio) {
  const double lufs = integratedLoudness(audio);
  if (!std::isfinite(lufs)) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", lufs);
  return text;
}

void printSummary(const RenderOptions& options, const Audio& source, const Audio& out) {
  const Levels left = measureLevels(out.channels[0]);
  const Levels right = measureLevels(out.channels[1]);
  printFact("rendered", quoted(options.module));
  printFact("source", options.haveSignal ? options.signalText : quoted(options.inFile));
  if (!options.preset.empty()) printFact("preset", quoted(options.preset));
  if (options.program >= 0) printFact("program", std::to_string(options.program));
  if (options.quality >= 0) printFact("quality", qualityWord(options.quality));
  if (options.offline) printFact("processLevel", "4 (offline)");
  printFact("frames", std::to_string(out.frames()));
  printFact("rate", std::to_string(out.rate));
  printFact("block", std::to_string(options.blockSize));
  printFact("path", options.path == SamplePath::float64 ? "double" : "float");
  printFact("peakL", decibels(left.peak));
  printFact("peakR", decibels(right.peak));
  printFact("rmsL", decibels(left.rms));
  printFact("rmsR", decibels(right.rms));
  printFact("nonFinite", std::to_string(left.nonFinite + right.nonFinite));
  printFact("loudness", loudnessText(out));
  printFact("sourcePeak", decibels(samplePeak(source)));
  printFact("sourceLoudness", loudnessText(source));
  if (!options.outWav.empty()) printFact("out", quoted(options.outWav));
  if (!options.outRaw.empty()) printFact("out", quoted(options.outRaw));
}

// From the loaded entry to the closed effect; `out` is the rendered audio.
int renderThrough(const PluginModule& module, RenderOptions& options,
                  std::vector<ScheduledEvent>& events, const Audio& source, Audio& out) {
  AEffect* record = module.create(hostcallback::callback);
  if (!record) {
    complain("module '" + options.module + "' returned no effect");
    return kNullEffect;
  }
  if (const ExitCode code = checkMagic(*record, options.module)) return code;

  const Effect effect(record);
  effect.open();
  ExitCode code = checkEffect(*record, options.path);
  if (!code) code = resolveAll(effect, options, events);
  // Read and checked now, so a bad file stops the run before any audio; sent in its place.
  PresetFile preset;
  if (!code && !options.preset.empty())
    code = readPresetFor(effect, options.preset, options.anyId, preset);
  if (!code && options.program >= record->numPrograms) {
    complain("--program " + std::to_string(options.program) + ": the plug-in has " +
             std::to_string(record->numPrograms) + " programs (0 to " +
             std::to_string(record->numPrograms - 1) + ")");
    code = kUsage;
  }
  if (!code && options.quality >= 0 && currentQuality(effect).empty()) {
    complain("--quality: the plug-in has no quality choice");
    code = kUsage;
  }
  if (!code) {
    RenderSettings settings;
    settings.blockSize = options.blockSize;
    settings.path = options.path;
    settings.beforeParams = [&] {
      if (!options.preset.empty() && !applyPreset(effect, preset))
        std::fprintf(stderr, "vsthost: the plug-in refused preset '%s'\n", options.preset.c_str());
      if (options.program >= 0) effect.dispatch(effSetProgram, 0, options.program);
      if (options.quality >= 0) chooseQuality(effect, options.quality);
    };
    for (const ParamValue& param : options.params)
      settings.initialParams.push_back({param.param.index, static_cast<float>(param.value)});
    warnPastEnd(events, source.frames());
    const std::vector<Block> blocks = planBlocks(static_cast<int64_t>(source.frames()),
                                                 options.blockSize, events, options.sweeps);
    out = render(effect, source, blocks, settings);
  }
  effect.close();
  return code;
}

}  // namespace

int runRender(const RenderOptions& given) {
  RenderOptions options = given;
  std::vector<ScheduledEvent> events;
  Audio source;
  if (const ExitCode code = readSchedules(options, events)) return code;
  if (const ExitCode code = loadSource(options, source)) return code;

  hostcallback::reset(true);
  hostcallback::startTransport(source.rate, options.blockSize, options.playing);
  if (options.offline) hostcallback::answerProcessLevel(4);
  // Declared before the effect is made, so it is unloaded only after the effect is closed.
  PluginModule module;
  if (const ExitCode code = loadEntry(module, options.module)) return code;

  Audio out;
  if (const int code = renderThrough(module, options, events, source, out)) return code;
  if (const ExitCode code = writeOutputs(options, out)) return code;
  printSummary(options, source, out);
  return kOk;
}
