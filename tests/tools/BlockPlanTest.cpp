// Block planning: where process calls start and end, what is set before each, and the MIDI offsets.
#include <gtest/gtest.h>

#include <cstddef>

#include "BlockPlan.h"
#include "MidiEventList.h"

namespace {

ScheduledEvent paramAt(int64_t pos, VstInt32 index, double value) {
  ScheduledEvent event;
  event.pos = pos;
  event.change.param.index = index;
  event.change.value = value;
  return event;
}

ScheduledEvent midiAt(int64_t pos, uint8_t status) {
  ScheduledEvent event;
  event.pos = pos;
  event.isMidi = true;
  event.midi[0] = status;
  return event;
}

// "start-end" for every block.
std::string spans(const std::vector<Block>& blocks) {
  std::string out;
  for (const Block& b : blocks)
    out += (out.empty() ? "" : " ") + std::to_string(b.start) + "-" +
           std::to_string(b.start + b.length);
  return out;
}

TEST(HostBlockPlan, FullBlocksAndAShortLastOne) {
  EXPECT_EQ(spans(planBlocks(200, 64, {}, {})), "0-64 64-128 128-192 192-200");
  EXPECT_EQ(spans(planBlocks(64, 64, {}, {})), "0-64");
  EXPECT_TRUE(planBlocks(0, 64, {}, {}).empty());
}

TEST(HostBlockPlan, ParameterChangesSplitTheirBufferOnly) {
  const auto blocks = planBlocks(200, 64, {paramAt(100, 3, 0.75)}, {});
  EXPECT_EQ(spans(blocks), "0-64 64-100 100-128 128-192 192-200");
  EXPECT_TRUE(blocks[1].params.empty());
  ASSERT_EQ(blocks[2].params.size(), 1u);
  EXPECT_EQ(blocks[2].params[0].index, 3);
  EXPECT_EQ(blocks[2].params[0].value, 0.75f);

  // On the grid, at 0, twice at one place, or past the end: no extra blocks.
  const auto same = planBlocks(
      130, 64, {paramAt(128, 0, 1), paramAt(0, 1, 0.5), paramAt(128, 0, 0.25), paramAt(130, 0, 9)},
      {});
  EXPECT_EQ(spans(same), "0-64 64-128 128-130");
  EXPECT_EQ(same[0].params.size(), 1u);
  ASSERT_EQ(same[2].params.size(), 2u);
  EXPECT_EQ(same[2].params[1].value, 0.25f);  // the user's order decides which comes last
}

TEST(HostBlockPlan, MidiDoesNotSplitAndGetsItsOffset) {
  const auto blocks = planBlocks(200, 64,
                                 {midiAt(150, 0x92), midiAt(70, 0x90), paramAt(100, 0, 1),
                                  midiAt(100, 0x91), midiAt(0, 0x80), midiAt(200, 0x93)},
                                 {});
  EXPECT_EQ(spans(blocks), "0-64 64-100 100-128 128-192 192-200");
  const struct {
    size_t block;
    VstInt32 delta;
    uint8_t status;
  } expected[] = {{0, 0, 0x80}, {1, 6, 0x90}, {2, 0, 0x91}, {3, 22, 0x92}};
  size_t total = 0;
  for (const Block& b : blocks) total += b.midi.size();
  EXPECT_EQ(total, 4u);
  for (const auto& e : expected) {
    ASSERT_EQ(blocks[e.block].midi.size(), 1u) << e.block;
    EXPECT_EQ(blocks[e.block].midi[0].deltaFrames, e.delta);
    EXPECT_EQ(blocks[e.block].midi[0].bytes[0], e.status);
  }
}

TEST(HostBlockPlan, SweepsAreSetAtEveryBlockBeforeEvents) {
  ParamSweep sweep;
  sweep.param.index = 1;
  sweep.from = 0;
  sweep.to = 1;
  const auto blocks = planBlocks(129, 64, {paramAt(64, 1, 0.9)}, {sweep});
  ASSERT_EQ(blocks.size(), 3u);
  const float firstValues[] = {0.0f, 0.5f, 1.0f};
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_FALSE(blocks[i].params.empty());
    EXPECT_EQ(blocks[i].params[0].value, firstValues[i]);
  }
  ASSERT_EQ(blocks[1].params.size(), 2u);
  EXPECT_EQ(blocks[1].params[1].value, 0.9f);
  EXPECT_EQ(sweepValue(sweep, 0, 1), 0.0);
}

TEST(HostMidiEventList, BuildsTheRecordAPlugInReads) {
  MidiEventList list;
  std::vector<MidiMessage> messages;
  for (VstInt32 i = 0; i < 5; ++i) messages.push_back({i * 10, {0xB0, uint8_t(i), 0x40}});
  VstEvents* events = list.fill(messages);
  ASSERT_EQ(events->numEvents, 5);
  // Read the way a plug-in does: the pointer array right after `reserved`.
  auto* slots =
      reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(events) + offsetof(VstEvents, events));
  for (VstInt32 i = 0; i < 5; ++i) {
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(slots[i]);
    EXPECT_EQ(midi->type, kVstMidiType);
    EXPECT_EQ(midi->byteSize, 32);
    EXPECT_EQ(midi->deltaFrames, i * 10);
    EXPECT_EQ(static_cast<uint8_t>(midi->midiData[0]), 0xB0);
    EXPECT_EQ(midi->midiData[1], i);
    EXPECT_EQ(midi->midiData[3], 0);
  }
  EXPECT_EQ(list.fill({})->numEvents, 0);
}

}  // namespace
