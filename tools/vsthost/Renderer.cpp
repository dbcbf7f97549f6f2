#include "Renderer.h"

#include <algorithm>

#include "HostCallback.h"
#include "MidiEventList.h"

namespace {

template <typename Sample>
using ProcessProc = void (*)(AEffect*, Sample**, Sample**, VstInt32);

ProcessProc<float> processFor(const AEffect& record, float*) { return record.processReplacing; }
ProcessProc<double> processFor(const AEffect& record, double*) {
  return record.processDoubleReplacing;
}

// Planar buffers of one block per channel, and the pointer array the plug-in gets. At least one
// pointer even for no channels, so the plug-in never sees a null array.
template <typename Sample>
struct Channels {
  Channels(VstInt32 count, VstInt32 blockSize)
      : buffers(count, std::vector<Sample>(blockSize)), pointers(std::max(count, 1)) {
    for (size_t c = 0; c < buffers.size(); ++c) pointers[c] = buffers[c].data();
  }
  std::vector<std::vector<Sample>> buffers;
  std::vector<Sample*> pointers;
};

template <typename Sample>
void runBlocks(const Effect& effect, const Audio& source, const std::vector<Block>& blocks,
               VstInt32 blockSize, Audio& out) {
  const AEffect& record = effect.record();
  Channels<Sample> ins(record.numInputs, blockSize);
  Channels<Sample> outs(record.numOutputs, blockSize);
  const ProcessProc<Sample> process = processFor(record, static_cast<Sample*>(nullptr));
  MidiEventList midi;

  for (const Block& block : blocks) {
    const size_t start = static_cast<size_t>(block.start);
    const size_t length = static_cast<size_t>(block.length);
    hostcallback::moveTransport(static_cast<double>(block.start));
    for (const ParamWrite& write : block.params) effect.setParameter(write.index, write.value);
    if (!block.midi.empty()) effect.dispatch(effProcessEvents, 0, 0, midi.fill(block.midi));

    for (size_t c = 0; c < ins.buffers.size(); ++c) {
      const std::vector<double>& from = source.channelFor(c);
      for (size_t i = 0; i < length; ++i) ins.buffers[c][i] = static_cast<Sample>(from[start + i]);
    }
    // Zeroed so a plug-in that skips an output gives silence, not the previous block.
    for (auto& buffer : outs.buffers) std::fill(buffer.begin(), buffer.end(), Sample(0));

    process(const_cast<AEffect*>(&record), ins.pointers.data(), outs.pointers.data(), block.length);

    for (size_t c = 0; c < 2 && !outs.buffers.empty(); ++c) {
      const std::vector<Sample>& from = outs.buffers[std::min(c, outs.buffers.size() - 1)];
      std::copy(from.begin(), from.begin() + length, out.channels[c].begin() + start);
    }
  }
}

}  // namespace

Audio render(const Effect& effect, const Audio& source, const std::vector<Block>& blocks,
             const RenderSettings& settings) {
  Audio out;
  out.rate = source.rate;
  out.channels.assign(2, std::vector<double>(source.frames(), 0.0));

  effect.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(source.rate));
  effect.dispatch(effSetBlockSize, 0, settings.blockSize);
  if (settings.beforeParams) settings.beforeParams();
  for (const ParamWrite& write : settings.initialParams)
    effect.setParameter(write.index, write.value);
  effect.dispatch(effMainsChanged, 0, 1);
  effect.dispatch(effStartProcess);
  if (settings.path == SamplePath::float64)
    runBlocks<double>(effect, source, blocks, settings.blockSize, out);
  else
    runBlocks<float>(effect, source, blocks, settings.blockSize, out);
  effect.dispatch(effStopProcess);
  effect.dispatch(effMainsChanged, 0, 0);
  return out;
}
