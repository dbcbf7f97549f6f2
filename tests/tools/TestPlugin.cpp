// A plug-in for the host tool's tests: gain by parameter 0 (0.5 is unity, so the default passes
// audio through bit for bit) and a text log of every call the host makes, read by the tests
// through an extra export. Built stereo with both sample paths, and as TEST_PLUGIN_MONO: one in,
// one out, float only.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugcore/VstAbi.h"

#if defined(_WIN32)
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((dllexport))
#else
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

#ifdef TEST_PLUGIN_MONO
constexpr VstInt32 kChannels = 1;
constexpr VstInt32 kFlags = effFlagsCanReplacing;
#else
constexpr VstInt32 kChannels = 2;
constexpr VstInt32 kFlags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
#endif

const char* const kParamNames[] = {"Gain", "Tone Shape"};
constexpr VstInt32 kNumParams = 2;

audioMasterCallback gHost = nullptr;
AEffect gEffect;
float gParams[kNumParams];
std::string gLog;

void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log(const char* format, ...) {
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  gLog += line;
  gLog += '\n';
}

void logEvents(const VstEvents& events) {
  for (VstInt32 i = 0; i < events.numEvents; ++i) {
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(events.events[i]);
    log("midi type=%d size=%d delta=%d %02X %02X %02X", midi->type, midi->byteSize,
        midi->deltaFrames, static_cast<unsigned char>(midi->midiData[0]),
        static_cast<unsigned char>(midi->midiData[1]),
        static_cast<unsigned char>(midi->midiData[2]));
  }
}

VstIntPtr dispatcher(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
  switch (opcode) {
    case effOpen:
      log("open");
      return 0;
    case effClose:
      log("close");
      return 1;
    case effSetSampleRate:
      log("rate %g", opt);
      return 0;
    case effSetBlockSize:
      log("block %d", static_cast<int>(value));
      return 0;
    case effMainsChanged:
      log("mains %d", static_cast<int>(value));
      return 0;
    case effStartProcess:
      log("start");
      return 0;
    case effStopProcess:
      log("stop");
      return 0;
    case effProcessEvents:
      logEvents(*static_cast<const VstEvents*>(ptr));
      return 1;
    case effGetParamName:
      if (index >= 0 && index < kNumParams)
        std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen * 4, "%s", kParamNames[index]);
      return 0;
    default:
      return 0;
  }
}

void setParameter(AEffect*, VstInt32 index, float value) {
  log("param %d %g", index, value);
  if (index >= 0 && index < kNumParams) gParams[index] = value;
}

float getParameter(AEffect*, VstInt32 index) {
  return index >= 0 && index < kNumParams ? gParams[index] : 0.0f;
}

// Logs what the host's clock says, then applies the gain.
template <typename Sample>
void process(Sample** inputs, Sample** outputs, VstInt32 frames, const char* path) {
  const auto* time =
      reinterpret_cast<const VstTimeInfo*>(gHost(&gEffect, audioMasterGetTime, 0, 0, nullptr, 0));
  if (time) {
    log("process %s %d at %g ppq %g tempo %g rate %g flags 0x%X", path, frames, time->samplePos,
        time->ppqPos, time->tempo, time->sampleRate, static_cast<unsigned>(time->flags));
  } else {
    log("process %s %d without time", path, frames);
  }
  const Sample gain = static_cast<Sample>(gParams[0]) * 2;
  for (VstInt32 c = 0; c < kChannels; ++c)
    for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] = inputs[c][i] * gain;
}

void processFloat(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
  process(inputs, outputs, frames, "float");
}

void processDouble(AEffect*, double** inputs, double** outputs, VstInt32 frames) {
  process(inputs, outputs, frames, "double");
}

}  // namespace

TEST_PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  gHost = host;
  gLog.clear();
  gParams[0] = 0.5f;
  gParams[1] = 0.0f;
  std::memset(&gEffect, 0, sizeof gEffect);
  gEffect.magic = kEffectMagic;
  gEffect.dispatcher = dispatcher;
  gEffect.setParameter = setParameter;
  gEffect.getParameter = getParameter;
  gEffect.numParams = kNumParams;
  gEffect.numInputs = kChannels;
  gEffect.numOutputs = kChannels;
  gEffect.flags = kFlags;
  gEffect.processReplacing = processFloat;
  if (kFlags & effFlagsCanDoubleReplacing) gEffect.processDoubleReplacing = processDouble;
  return &gEffect;
}

// Everything the host asked since VSTPluginMain, one call a line.
TEST_PLUGIN_EXPORT const char* testPluginLog() { return gLog.c_str(); }
