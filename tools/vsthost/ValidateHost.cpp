#include "ValidateHost.h"

#include <atomic>
#include <cstring>
#include <initializer_list>
#include <string>

namespace validatehost {
namespace {

constexpr VstIntPtr kHostVersion = 2400;
constexpr double kTempo = 120;

std::atomic<double> gSampleRate{44100};
std::atomic<VstInt32> gBlockSize{512};
// Written by the audio thread between its process calls; a plug-in reads it in them.
VstTimeInfo gTime;

std::atomic<EditorHost*> gResizable{nullptr};
std::atomic<size_t> gAutomate{0}, gBeginEdit{0}, gEndEdit{0}, gGetTime{0}, gTotal{0};

void bump(std::atomic<size_t>& counter) { counter.fetch_add(1, std::memory_order_relaxed); }

VstIntPtr resize(VstIntPtr width, VstIntPtr height) {
  EditorHost* host = gResizable;
  constexpr VstIntPtr kMaxSide = 32767;
  if (!host || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return 0;
  std::string error;
  return host->resize(static_cast<int>(width), static_cast<int>(height), error) ? 1 : 0;
}

}  // namespace

void reset() {
  gResizable = nullptr;
  gSampleRate = 44100;
  gBlockSize = 512;
  for (auto* counter : {&gAutomate, &gBeginEdit, &gEndEdit, &gGetTime, &gTotal}) *counter = 0;
  moveTransport(0);
}

void resizeWith(EditorHost* host) { gResizable = host; }

void setTransport(double sampleRate, VstInt32 blockSize) {
  gSampleRate = sampleRate;
  gBlockSize = blockSize;
  moveTransport(0);
}

void moveTransport(double samplePos) {
  VstTimeInfo time = VstTimeInfo();
  time.samplePos = samplePos;
  time.sampleRate = gSampleRate;
  time.tempo = kTempo;
  time.ppqPos = time.sampleRate > 0 ? samplePos / time.sampleRate * (kTempo / 60) : 0;
  time.timeSigNumerator = 4;
  time.timeSigDenominator = 4;
  time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
  gTime = time;
}

VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
  bump(gTotal);
  switch (opcode) {
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterAutomate:
      bump(gAutomate);
      return 0;
    case audioMasterBeginEdit:
      bump(gBeginEdit);
      return 0;
    case audioMasterEndEdit:
      bump(gEndEdit);
      return 0;
    case audioMasterGetTime:
      bump(gGetTime);
      return reinterpret_cast<VstIntPtr>(&gTime);
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(gSampleRate.load());
    case audioMasterGetBlockSize:
      return gBlockSize;
    case audioMasterSizeWindow:
      return resize(index, value);
    case audioMasterCanDo:
      return gResizable && ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0;
    default:
      return 0;
  }
}

Counts counts() {
  Counts counts;
  counts.automate = gAutomate;
  counts.beginEdit = gBeginEdit;
  counts.endEdit = gEndEdit;
  counts.getTime = gGetTime;
  counts.total = gTotal;
  return counts;
}

}  // namespace validatehost
