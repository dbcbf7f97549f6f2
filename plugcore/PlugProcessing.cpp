// The processing frame: the host's three audio entries become calls of processBlock on 64-bit
// samples, split at the time stamps of pending MIDI events. Runs on the audio thread; nothing
// here allocates once the work block exists.
#include <algorithm>
#include <cmath>
#include <new>

#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

// +40 dBFS. The hottest floating-point mixes peak some 20 dB over full scale, so real audio never
// meets this; a sample beyond it is garbage (an overflow, a damaged file), and clamping it here
// keeps a single one from leaving the effect at +180 dBFS and ringing for a second.
constexpr double kInputLimit = 100.0;

// Four samples per iteration, each converted on its own.
template <typename From, typename To>
void convert(const From* source, To* target, int32_t frames) {
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    target[i] = static_cast<To>(source[i]);
    target[i + 1] = static_cast<To>(source[i + 1]);
    target[i + 2] = static_cast<To>(source[i + 2]);
    target[i + 3] = static_cast<To>(source[i + 3]);
  }
  for (; i < frames; ++i) target[i] = static_cast<To>(source[i]);
}

void accumulate(const double* source, float* target, int32_t frames) {
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    target[i] = static_cast<float>(source[i]) + target[i];
    target[i + 1] = static_cast<float>(source[i + 1]) + target[i + 1];
    target[i + 2] = static_cast<float>(source[i + 2]) + target[i + 2];
    target[i + 3] = static_cast<float>(source[i + 3]) + target[i + 3];
  }
  for (; i < frames; ++i) target[i] = static_cast<float>(source[i]) + target[i];
}

// No signal carries NaN or infinity: they become silence. Magnitudes are limited, so the effect
// may rely on finite input within the limit.
double clean(double sample) {
  if (!std::isfinite(sample)) return 0.0;
  if (sample < -kInputLimit) return -kInputLimit;
  if (sample > kInputLimit) return kInputLimit;
  return sample;
}

}  // namespace

void Plug::setBlockSize(VstInt32 size) {
  AudioEffectX::setBlockSize(size);
  workBlock.reset();
  ensureWorkBlock();
}

// A block size the memory cannot hold leaves the effect without a work block: it then gives
// silence instead of letting the failure escape into the host.
bool Plug::ensureWorkBlock() {
  if (workBlock) return true;
  if (blockSize < 0) return false;
  const std::size_t length = static_cast<std::size_t>(blockSize);
  const std::size_t channels = workInputs.size() + workOutputs.size();
  workBlock.reset(new (std::nothrow) double[channels * length + 1]);
  if (!workBlock) return false;
  for (std::size_t c = 0; c < workInputs.size(); ++c) workInputs[c] = &workBlock[c * length];
  for (std::size_t c = 0; c < workOutputs.size(); ++c)
    workOutputs[c] = &workBlock[(workInputs.size() + c) * length];
  return true;
}

// What a host call hands on to its pieces: the host's tempo and transport, asked once per call,
// and the next event of the list the call took.
struct Plug::CallState {
  int32_t frames;
  float tempo;
  bool playing;
  int32_t nextEvent;
  int32_t eventCount;
};

// The frames a call can play. A negative count or missing buffers are no audio (the events are
// still dispatched); without a usable work block the replacing entries give silence.
template <typename Sample>
int32_t Plug::playableFrames(Sample** inputs, Sample** outputs, VstInt32 frames, bool replacing) {
  if (frames <= 0 || !inputs || !outputs) return 0;
  if (blockSize > 0 && ensureWorkBlock()) return frames;
  if (replacing)
    for (std::size_t c = 0; c < workOutputs.size(); ++c)
      std::fill(outputs[c], outputs[c] + frames, Sample(0));
  return 0;
}

// The time query and the event list belong to the whole call, which is played in pieces of at
// most the announced block size, each as if the host had called with it.
Plug::CallState Plug::beginCall(int32_t frames) {
  // The platform's own id: the standard one allocates on the first call from a thread that the
  // C++ runtime did not start (a host's audio thread, under Windows).
  audioThread.store(Platform::currentThreadId(), std::memory_order_relaxed);
  // A program change this thread handed over, if its holder has not made it yet.
  if (pendingProgram.load(std::memory_order_relaxed) != -1) takePendingProgram();
  CallState call;
  call.frames = frames;
  callEvents = pendingEvents.exchange(nullptr);
  call.nextEvent = 0;
  call.eventCount = callEvents ? callEvents->numEvents : 0;

  const VstTimeInfo* time = getTimeInfo(kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying);
  call.tempo = time && (time->flags & kVstTempoValid) ? static_cast<float>(time->tempo) : 120.0f;
  call.playing = time && (time->flags & kVstTransportPlaying);
  if (call.playing && (time->flags & kVstPpqPosValid)) beatPosition = time->ppqPos;
  return call;
}

// A call with frames has a positive block size (playableFrames), so the pieces always move on.
int32_t Plug::pieceLength(int32_t frames, int32_t offset) const {
  const int32_t remaining = frames - offset;
  return remaining > blockSize && blockSize > 0 ? blockSize : remaining;
}

void Plug::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
  processFloat(inputs, outputs, frames, false);
}

void Plug::process(float** inputs, float** outputs, VstInt32 frames) {
  processFloat(inputs, outputs, frames, true);
}

// The float entries widen each piece into the work block, clean it there, and narrow the result
// into the host's outputs (or add it to them).
void Plug::processFloat(float** inputs, float** outputs, VstInt32 frames, bool accumulating) {
  frames = playableFrames(inputs, outputs, frames, !accumulating);
  CallState call = beginCall(frames);
  int32_t offset = 0;
  do {  // a call without frames may come without buffers: only its events are handled
    const int32_t length = pieceLength(frames, offset);
    for (std::size_t c = 0; length > 0 && c < workInputs.size(); ++c) {
      double* work = workInputs[c];
      convert(inputs[c] + offset, work, length);
      for (int32_t i = 0; i < length; ++i) work[i] = clean(work[i]);
    }
    processPiece(call, offset, length, workOutputs.data(), 0);
    for (std::size_t c = 0; length > 0 && c < workOutputs.size(); ++c) {
      if (accumulating)
        accumulate(workOutputs[c], outputs[c] + offset, length);
      else
        convert(workOutputs[c], outputs[c] + offset, length);
    }
    offset += length;
  } while (offset < frames);
  callEvents = nullptr;
}

void Plug::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
  frames = playableFrames(inputs, outputs, frames, true);
  CallState call = beginCall(frames);
  int32_t offset = 0;
  do {  // a call without frames may come without buffers: only its events are handled
    const int32_t length = pieceLength(frames, offset);
    for (std::size_t c = 0; length > 0 && c < workInputs.size(); ++c) {
      const double* source = inputs[c] + offset;
      double* target = workInputs[c];
      for (int32_t i = 0; i < length; ++i) target[i] = clean(source[i]);
    }
    processPiece(call, offset, length, outputs, offset);
    offset += length;
  } while (offset < frames);
  callEvents = nullptr;
}

// The piece of the call from offset on, its input clean in the work block; its output goes to
// outputs + outputOffset.
// Stretches end where events fall. An event whose time lies before the current stretch start
// (the list should not go backwards, but may) is dispatched at once and never makes a negative
// stretch; an event at or after the piece's end waits for the next piece, and the last piece
// dispatches those beyond the call before its last stretch.
void Plug::processPiece(CallState& call, int32_t offset, int32_t length, double* const* outputs,
                        int32_t outputOffset) {
  const bool last = offset + length == call.frames;
  paramsPending = true;
  int32_t start = 0;
  while (call.nextEvent < call.eventCount) {
    const VstEvent* event = callEvents->events[call.nextEvent];
    const int64_t at = event ? static_cast<int64_t>(event->deltaFrames) - offset : start;
    if (at >= length && !last) break;
    if (at > length) {
      while (call.nextEvent < call.eventCount) call.nextEvent = dispatchMidiEvents(call.nextEvent);
      break;
    }
    if (at > start) {
      processStretch(call, outputs, outputOffset + start, start, static_cast<int32_t>(at) - start);
      start = static_cast<int32_t>(at);
    }
    call.nextEvent = dispatchMidiEvents(call.nextEvent);
  }
  if (start < length) processStretch(call, outputs, outputOffset + start, start, length - start);
}

void Plug::processStretch(const CallState& call, double* const* outputs, int32_t outputStart,
                          int32_t start, int32_t length) {
  for (std::size_t c = 0; c < workInputs.size(); ++c) stretchInputs[c] = workInputs[c] + start;
  for (std::size_t c = 0; c < stretchOutputs.size(); ++c)
    stretchOutputs[c] = outputs[c] + outputStart;
  const bool paramsChanged = paramsPending ? deliverParameters() : false;

  TransportInfo transport;
  transport.tempo = call.tempo;
  transport.beatPosition = beatPosition;
  transport.quarterNotesPerSample =
      static_cast<double>(call.tempo) / (static_cast<double>(sampleRate) * 60.0);
  transport.sampleRate = sampleRate;

  paramsPending = false;
  const bool keepRunning =
      processBlock(paramsChanged, transport, stretchInputs.data(), stretchOutputs.data(), length);
  if (keepRunning || call.playing)
    beatPosition += static_cast<float>(length) * call.tempo / (sampleRate * 60.0f);
  else
    beatPosition = 0.0;
}

}  // namespace PlugCore
