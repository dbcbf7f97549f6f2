#include "HostCallback.h"

#include <cstring>

namespace hostcallback {
namespace {

constexpr VstIntPtr kHostVersion = 2400;

constexpr double kTempo = 120;

bool gAnswerVersion = true;
bool gTransport = false;
VstInt32 gBlockSize = 0;
double gSampleRate = 0;
VstInt32 gTimeFlags = 0;
VstTimeInfo gTime;
std::vector<CallbackCall> gCalls;
VstIntPtr gSizeWindowCanDo = 0;
VstIntPtr gProcessLevel = 0;
SizeWindow gSizeWindow;

}  // namespace

void reset(bool answerVersion) {
  gAnswerVersion = answerVersion;
  gTransport = false;
  gCalls.clear();
  gSizeWindowCanDo = 0;
  gProcessLevel = 0;
  gSizeWindow = nullptr;
}

void announceSizeWindow(VstIntPtr canDo) { gSizeWindowCanDo = canDo; }
void answerProcessLevel(VstIntPtr level) { gProcessLevel = level; }

void onSizeWindow(SizeWindow resize) { gSizeWindow = std::move(resize); }

void startTransport(double sampleRate, VstInt32 blockSize, bool playing) {
  gTransport = true;
  gBlockSize = blockSize;
  gSampleRate = sampleRate;
  gTimeFlags = kVstTempoValid | kVstPpqPosValid | (playing ? kVstTransportPlaying : 0);
  moveTransport(0);
}

void moveTransport(double samplePos) {
  // Written whole each time: a plug-in that scribbles on the record gets no lasting effect.
  gTime = VstTimeInfo();
  gTime.sampleRate = gSampleRate;
  gTime.tempo = kTempo;
  gTime.flags = gTimeFlags;
  gTime.samplePos = samplePos;
  // Quarter notes: seconds times beats per second.
  gTime.ppqPos = samplePos / gTime.sampleRate * (kTempo / 60);
}

VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
  gCalls.push_back({opcode, index, value, ptr != nullptr, opt});
  switch (opcode) {
    case audioMasterVersion:
      return gAnswerVersion ? kHostVersion : 0;
    case audioMasterGetTime:
      return gTransport ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
    case audioMasterGetSampleRate:
      return gTransport ? static_cast<VstIntPtr>(gSampleRate) : 0;
    case audioMasterGetBlockSize:
      return gTransport ? gBlockSize : 0;
    case audioMasterGetCurrentProcessLevel:
      return gProcessLevel;
    case audioMasterSizeWindow:
      return gSizeWindow ? gSizeWindow(index, value) : 0;
    case audioMasterCanDo:
      return ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? gSizeWindowCanDo
                                                                                  : 0;
    default:
      return 0;
  }
}

const std::vector<CallbackCall>& calls() { return gCalls; }

}  // namespace hostcallback
