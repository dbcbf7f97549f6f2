// A plug-in for the host tool's tests: gain by parameter 0 (0.5 is unity, so the default passes
// audio through bit for bit) and a text log of every call the host makes, read by the tests
// through an extra export. Three programs, saved as chunks (each program's name and values). Built
// stereo with both sample paths, as TEST_PLUGIN_MONO: one in, one out, float only, and as
// TEST_PLUGIN_NO_CHUNKS: no chunks, and program names only by switching programs.
// A chunk of the wrong size is refused with a question box: MessageBoxA on Windows, stderr here.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugcore/VstAbi.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((dllexport))
#else
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

#ifdef TEST_PLUGIN_MONO
constexpr VstInt32 kChannels = 1;
constexpr VstInt32 kPaths = effFlagsCanReplacing;
#else
constexpr VstInt32 kChannels = 2;
constexpr VstInt32 kPaths = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
#endif
#ifdef TEST_PLUGIN_NO_CHUNKS
constexpr bool kChunks = false;
#else
constexpr bool kChunks = true;
#endif
constexpr VstInt32 kFlags = kPaths | (kChunks ? effFlagsProgramChunks : 0);

const char* const kParamNames[] = {"Gain", "Tone Shape"};
constexpr VstInt32 kNumParams = 2;

struct Program {
  char name[kVstMaxProgNameLen];
  float params[kNumParams];
};
constexpr VstInt32 kNumPrograms = 3;
const Program kFactoryPrograms[kNumPrograms] = {
    {"Unity", {0.5f, 0.0f}}, {"Bright", {0.25f, 0.5f}}, {"Dark", {1.0f, 1.0f}}};

audioMasterCallback gHost = nullptr;
AEffect gEffect;
Program gPrograms[kNumPrograms];
VstInt32 gCurrent = 0;
float* gParams = gPrograms[0].params;
std::vector<uint8_t> gChunk;  // what the last effGetChunk handed out
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

void selectProgram(VstInt32 program) {
  gCurrent = program;
  gParams = gPrograms[program].params;
}

void copyName(char* to, const char* from) { std::snprintf(to, kVstMaxProgNameLen, "%s", from); }

// A program chunk is the current program's bytes; a bank chunk is the current program's number
// followed by every program.
VstIntPtr getChunk(bool bank, void** data) {
  const auto* from = reinterpret_cast<const uint8_t*>(bank ? gPrograms : &gPrograms[gCurrent]);
  const size_t head = bank ? sizeof gCurrent : 0;
  const size_t body = bank ? sizeof gPrograms : sizeof(Program);
  gChunk.resize(head + body);
  std::memcpy(gChunk.data(), &gCurrent, head);
  std::memcpy(gChunk.data() + head, from, body);
  *data = gChunk.data();
  return static_cast<VstIntPtr>(gChunk.size());
}

// Asks whether to fall back to the factory programs, as a plug-in would ask its user.
void refuseChunk(VstIntPtr size) {
  char text[96];
  std::snprintf(text, sizeof text, "The chunk is damaged (%d bytes). Load the factory programs?",
                static_cast<int>(size));
#if defined(_WIN32)
  const bool reset = MessageBoxA(nullptr, text, "Test plug-in", MB_YESNO | MB_ICONERROR) == IDYES;
#else
  std::fprintf(stderr, "[Test plug-in] %s\n", text);
  const bool reset = false;
#endif
  if (reset) {
    std::memcpy(gPrograms, kFactoryPrograms, sizeof gPrograms);
    selectProgram(0);
  }
  // The answer shows in the program name, so a host can see which button was pressed.
  copyName(gPrograms[gCurrent].name, reset ? "Factory" : "Kept");
}

VstIntPtr setChunk(bool bank, VstIntPtr size, const void* data) {
  log("setChunk %s %d", bank ? "bank" : "program", static_cast<int>(size));
  const size_t expected = bank ? sizeof gCurrent + sizeof gPrograms : sizeof(Program);
  if (static_cast<size_t>(size) != expected) {
    refuseChunk(size);
    return 0;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!bank) {
    std::memcpy(&gPrograms[gCurrent], bytes, sizeof(Program));
    return 1;
  }
  VstInt32 current;
  std::memcpy(&current, bytes, sizeof current);
  std::memcpy(gPrograms, bytes + sizeof current, sizeof gPrograms);
  selectProgram(current >= 0 && current < kNumPrograms ? current : 0);
  return 1;
}

VstIntPtr dispatcher(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
  switch (opcode) {
    case effSetProgram:
      log("program %d", static_cast<int>(value));
      if (value >= 0 && value < kNumPrograms) selectProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return gCurrent;
    case effSetProgramName:
      copyName(gPrograms[gCurrent].name, static_cast<const char*>(ptr));
      return 0;
    case effGetProgramName:
      copyName(static_cast<char*>(ptr), gPrograms[gCurrent].name);
      return 0;
    case effGetProgramNameIndexed:
      if (!kChunks || index < 0 || index >= kNumPrograms) return 0;
      copyName(static_cast<char*>(ptr), gPrograms[index].name);
      return 1;
    case effGetChunk:
      return kChunks ? getChunk(index == 0, static_cast<void**>(ptr)) : 0;
    case effSetChunk:
      return kChunks ? setChunk(index == 0, value, ptr) : 0;
    case effGetParamDisplay:
      if (index >= 0 && index < kNumParams)
        std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen, "%.3f", gParams[index]);
      return 0;
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
  std::memcpy(gPrograms, kFactoryPrograms, sizeof gPrograms);
  selectProgram(0);
  std::memset(&gEffect, 0, sizeof gEffect);
  gEffect.magic = kEffectMagic;
  gEffect.dispatcher = dispatcher;
  gEffect.setParameter = setParameter;
  gEffect.getParameter = getParameter;
  gEffect.numPrograms = kNumPrograms;
  gEffect.numParams = kNumParams;
  gEffect.uniqueID = 0x51547374;  // 'QTst'
  gEffect.version = 7;
  gEffect.numInputs = kChannels;
  gEffect.numOutputs = kChannels;
  gEffect.flags = kFlags;
  gEffect.processReplacing = processFloat;
  if (kFlags & effFlagsCanDoubleReplacing) gEffect.processDoubleReplacing = processDouble;
  return &gEffect;
}

// Everything the host asked since VSTPluginMain, one call a line.
TEST_PLUGIN_EXPORT const char* testPluginLog() { return gLog.c_str(); }
