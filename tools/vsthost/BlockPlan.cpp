#include "BlockPlan.h"

#include <algorithm>

double sweepValue(const ParamSweep& sweep, int64_t pos, int64_t frames) {
  if (frames <= 1) return sweep.from;
  const double t = static_cast<double>(pos) / static_cast<double>(frames - 1);
  return sweep.from + (sweep.to - sweep.from) * t;
}

std::vector<Block> planBlocks(int64_t frames, VstInt32 blockSize,
                              const std::vector<ScheduledEvent>& events,
                              const std::vector<ParamSweep>& sweeps) {
  std::vector<const ScheduledEvent*> ordered;
  for (const ScheduledEvent& event : events)
    if (event.pos < frames) ordered.push_back(&event);
  // Stable, so events at one position keep the order the user gave them.
  std::stable_sort(
      ordered.begin(), ordered.end(),
      [](const ScheduledEvent* a, const ScheduledEvent* b) { return a->pos < b->pos; });

  std::vector<int64_t> splits;
  for (const ScheduledEvent* event : ordered)
    if (!event->isMidi) splits.push_back(event->pos);
  splits.push_back(frames);
  splits.erase(std::unique(splits.begin(), splits.end()), splits.end());

  std::vector<Block> blocks;
  auto nextSplit = splits.begin();
  auto nextEvent = ordered.begin();
  for (int64_t start = 0; start < frames;) {
    while (*nextSplit <= start) ++nextSplit;
    // The host's buffers stay on the grid of the block size; a change only splits the buffer
    // it falls in, as a host that applies automation at exact samples does.
    const int64_t gridEnd = (start / blockSize + 1) * blockSize;
    Block block;
    block.start = start;
    block.length = static_cast<VstInt32>(std::min(gridEnd, *nextSplit) - start);
    for (const ParamSweep& sweep : sweeps) {
      block.params.push_back(
          {sweep.param.index, static_cast<float>(sweepValue(sweep, start, frames))});
    }
    const int64_t end = start + block.length;
    for (; nextEvent != ordered.end() && (*nextEvent)->pos < end; ++nextEvent) {
      const ScheduledEvent& event = **nextEvent;
      if (event.isMidi) {
        block.midi.push_back({static_cast<VstInt32>(event.pos - start),
                              {event.midi[0], event.midi[1], event.midi[2]}});
      } else {
        block.params.push_back({event.change.param.index, static_cast<float>(event.change.value)});
      }
    }
    blocks.push_back(std::move(block));
    start = end;
  }
  return blocks;
}
