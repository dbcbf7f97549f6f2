// The processing frame: the host's three audio entries become calls of processBlock on 64-bit
// samples, split at the time stamps of pending MIDI events. Runs on the audio thread; nothing
// here allocates once the work block exists.
#include <cmath>
#include <new>

#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

constexpr double kInputLimit = 1e10;

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

// NaN becomes 0 and magnitudes are limited, so the effect may rely on finite input.
double clean(double sample) {
  if (std::isnan(sample)) return 0.0;
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

// A block size the memory cannot hold leaves the effect without a work block: it then ignores
// audio instead of letting the failure escape into the host.
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

void Plug::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
  if (frames < 0 || frames > blockSize || !inputs || !outputs || !ensureWorkBlock()) return;
  for (std::size_t c = 0; c < workInputs.size(); ++c) convert(inputs[c], workInputs[c], frames);
  processDoubleReplacing(workInputs.data(), workOutputs.data(), frames);
  for (std::size_t c = 0; c < workOutputs.size(); ++c) convert(workOutputs[c], outputs[c], frames);
}

void Plug::process(float** inputs, float** outputs, VstInt32 frames) {
  if (frames < 0 || frames > blockSize || !inputs || !outputs || !ensureWorkBlock()) return;
  for (std::size_t c = 0; c < workInputs.size(); ++c) convert(inputs[c], workInputs[c], frames);
  processDoubleReplacing(workInputs.data(), workOutputs.data(), frames);
  for (std::size_t c = 0; c < workOutputs.size(); ++c)
    accumulate(workOutputs[c], outputs[c], frames);
}

void Plug::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
  if (frames < 0 || frames > blockSize || !inputs || !outputs || !ensureWorkBlock()) return;
  paramsPending = true;

  for (std::size_t c = 0; c < workInputs.size(); ++c) {
    const double* source = inputs[c];
    double* target = workInputs[c];
    for (int32_t i = 0; i < frames; ++i) target[i] = clean(source[i]);
  }

  const VstTimeInfo* time = getTimeInfo(kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying);
  const float tempo =
      time && (time->flags & kVstTempoValid) ? static_cast<float>(time->tempo) : 120.0f;
  const bool playing = time && (time->flags & kVstTransportPlaying);
  if (playing && (time->flags & kVstPpqPosValid)) beatPosition = time->ppqPos;

  // Stretches end where events fall. An event whose time lies before the current stretch start
  // (the list should not go backwards, but may) is dispatched at once and never makes a negative
  // stretch; events beyond the block are dispatched before its last stretch.
  callEvents = pendingEvents.exchange(nullptr);
  int32_t start = 0;
  const int32_t eventCount = callEvents ? callEvents->numEvents : 0;
  int32_t next = 0;
  while (next < eventCount) {
    const VstEvent* event = callEvents->events[next];
    const int32_t at = event ? event->deltaFrames : start;
    if (at > frames) {
      while (next < eventCount) next = dispatchMidiEvents(next);
      break;
    }
    if (at > start) {
      processStretch(outputs, start, at - start, tempo, playing);
      start = at;
    }
    next = dispatchMidiEvents(next);
  }
  if (start < frames) processStretch(outputs, start, frames - start, tempo, playing);
  callEvents = nullptr;
}

void Plug::processStretch(double* const* outputs, int32_t start, int32_t length, float tempo,
                          bool playing) {
  for (std::size_t c = 0; c < workInputs.size(); ++c) stretchInputs[c] = workInputs[c] + start;
  for (std::size_t c = 0; c < stretchOutputs.size(); ++c) stretchOutputs[c] = outputs[c] + start;
  const bool paramsChanged = paramsPending ? deliverParameters() : false;

  TransportInfo transport;
  transport.tempo = tempo;
  transport.beatPosition = beatPosition;
  transport.quarterNotesPerSample =
      static_cast<double>(tempo) / (static_cast<double>(sampleRate) * 60.0);
  transport.sampleRate = sampleRate;

  paramsPending = false;
  const bool keepRunning =
      processBlock(paramsChanged, transport, stretchInputs.data(), stretchOutputs.data(), length);
  if (keepRunning || playing)
    beatPosition += static_cast<float>(length) * tempo / (sampleRate * 60.0f);
  else
    beatPosition = 0.0;
}

}  // namespace PlugCore
