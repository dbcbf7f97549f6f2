// The processing frame: block limits, input cleaning, stretches split at MIDI events, parameter
// delivery, the host's transport, and no allocation while processing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "plugcore/Plug.h"

namespace {

// Records every stretch (where it starts, how long, what it saw) and every MIDI hook, in order.
class RecordingPlug : public PlugCore::Plug {
 public:
  explicit RecordingPlug(audioMasterCallback host) : Plug(host, 1, 2, "Recorder") {}

  struct Stretch {
    int start, length;
    bool paramsChanged;
    double beat, tempo;
  };

  void sampleRateChanged() override {}
  void resetState() override { log.push_back("reset"); }
  bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& transport,
                    double* const* inputs, double* const* outputs, int32_t frames) override {
    // Inputs carry a quarter of their own sample index (well inside the input limit), so the
    // first one tells where the stretch starts.
    const int start = static_cast<int>(inputs[0][0] * 4.0);
    stretches.push_back({start, frames, paramsChanged, transport.beatPosition, transport.tempo});
    log.push_back("stretch " + std::to_string(start));
    for (int i = 0; i < frames; ++i) {
      outputs[0][i] = inputs[0][i] * 2.0;
      outputs[1][i] = inputs[1][i];
    }
    return keepRunning;
  }
  void formatParameter(int32_t, char* text, float) override { *text = 0; }
  void noteOn(int32_t note, int32_t velocity) override {
    log.push_back("on " + std::to_string(note) + " " + std::to_string(velocity));
  }
  void noteOff(int32_t note, int32_t velocity) override {
    log.push_back("off " + std::to_string(note) + " " + std::to_string(velocity));
  }
  bool cookParameter(int32_t index) override {
    cooked.push_back(index);
    return true;
  }

  std::vector<Stretch> stretches;
  std::vector<std::string> log;
  std::vector<int32_t> cooked;
  bool keepRunning = false;
};

struct EventList {
  std::vector<VstMidiEvent> midi;
  std::vector<VstEvent*> pointers;
  std::vector<char> storage;

  void add(int delta, uint8_t status, uint8_t d1, uint8_t d2) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.deltaFrames = delta;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(d1);
    e.midiData[2] = static_cast<char>(d2);
    midi.push_back(e);
  }
  VstEvents* build() {
    pointers.clear();
    for (VstMidiEvent& e : midi) pointers.push_back(reinterpret_cast<VstEvent*>(&e));
    storage.assign(sizeof(VstEvents) + sizeof(VstEvent*) * pointers.size(), 0);
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(pointers.size());
    for (size_t i = 0; i < pointers.size(); ++i) list->events[i] = pointers[i];
    return list;
  }
};

class ProcessingFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    plug.setSampleRate(48000.0f);
    plug.setBlockSize(64);
    plug.resume();
    plug.log.clear();
    for (int c = 0; c < 2; ++c) {
      in[c].resize(kRoom);
      out[c].assign(kRoom, -7.0);
      for (int i = 0; i < kRoom; ++i) in[c][i] = i * 0.25;
    }
  }
  void run(int frames) {
    double* inputs[2] = {in[0].data(), in[1].data()};
    double* outputs[2] = {out[0].data(), out[1].data()};
    plug.processDoubleReplacing(inputs, outputs, frames);
  }
  void send(EventList& events) {
    plug.getAeffect()->dispatcher(plug.getAeffect(), effProcessEvents, 0, 0, events.build(), 0);
  }

  static constexpr int kRoom = 200;
  FakeHost host;
  RecordingPlug plug{host.callback()};
  std::vector<double> in[2], out[2];
};

bool operator==(const RecordingPlug::Stretch& a, const RecordingPlug::Stretch& b) {
  return a.start == b.start && a.length == b.length && a.paramsChanged == b.paramsChanged &&
         a.beat == b.beat && a.tempo == b.tempo;
}

TEST_F(ProcessingFrame, LongBlocksArePlayedInPiecesOfTheBlockSize) {
  run(64);
  ASSERT_EQ(plug.stretches.size(), 1u);
  EXPECT_EQ(plug.stretches[0].length, 64);

  plug.stretches.clear();
  run(150);
  ASSERT_EQ(plug.stretches.size(), 3u);
  EXPECT_EQ(plug.stretches[1].start, 64);
  EXPECT_EQ(plug.stretches[2].start, 128);
  EXPECT_EQ(plug.stretches[2].length, 22);
  for (int i = 0; i < 150; ++i) ASSERT_EQ(out[0][i], 0.5 * i) << i;
  EXPECT_EQ(out[0][150], -7.0);  // nothing beyond the call

  // The float entries too, replacing and accumulating.
  std::vector<float> inF(150), left(150, -7.0f), right(150, -7.0f);
  for (int i = 0; i < 150; ++i) inF[i] = static_cast<float>(i * 0.25);
  float* inputs[2] = {inF.data(), inF.data()};
  float* outputs[2] = {left.data(), right.data()};
  AEffect* effect = plug.getAeffect();
  effect->processReplacing(effect, inputs, outputs, 150);
  for (int i = 0; i < 150; ++i) ASSERT_EQ(left[i], static_cast<float>(0.5 * i)) << i;
  effect->process(effect, inputs, outputs, 150);
  for (int i = 0; i < 150; ++i) ASSERT_EQ(right[i], static_cast<float>(0.5 * i)) << i;
}

TEST_F(ProcessingFrame, LongBlockIsPlayedAsTheHostSplittingItWouldBe) {
  VstTimeInfo time{};
  time.tempo = 90.0;
  time.ppqPos = 16.0;
  time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
  host.timeInfo = &time;
  host.calls.clear();
  EventList events;
  events.add(10, 0x90, 1, 1);
  events.add(70, 0x90, 2, 1);
  events.add(128, 0x90, 3, 1);  // on a piece boundary
  events.add(140, 0x90, 4, 1);
  events.add(500, 0x90, 5, 1);  // beyond the call
  send(events);
  plug.setParameter(0, 0.25f);
  run(150);
  EXPECT_EQ(host.callsWith(audioMasterGetTime).size(), 1u);

  // The same call cut into blocks of 64 by a host whose song position moves on with them.
  RecordingPlug split(host.callback());
  split.setSampleRate(48000.0f);
  split.setBlockSize(64);
  split.resume();
  split.log.clear();
  split.setParameter(0, 0.25f);
  EventList pieceEvents[3];
  pieceEvents[0].add(10, 0x90, 1, 1);
  pieceEvents[1].add(6, 0x90, 2, 1);
  pieceEvents[2].add(0, 0x90, 3, 1);
  pieceEvents[2].add(12, 0x90, 4, 1);
  pieceEvents[2].add(372, 0x90, 5, 1);
  std::vector<double> splitOut[2] = {std::vector<double>(kRoom, -7.0),
                                     std::vector<double>(kRoom, -7.0)};
  for (int piece = 0; piece < 3; ++piece) {
    const int offset = piece * 64;
    time.ppqPos = piece == 0 ? 16.0 : split.getBeatPosition();
    split.processEvents(pieceEvents[piece].build());
    double* inputs[2] = {in[0].data() + offset, in[1].data() + offset};
    double* outputs[2] = {splitOut[0].data() + offset, splitOut[1].data() + offset};
    split.processDoubleReplacing(inputs, outputs, std::min(64, 150 - offset));
  }

  EXPECT_EQ(plug.log, split.log);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"stretch 0", "on 1 1", "stretch 10", "stretch 64",
                                                "on 2 1", "stretch 70", "on 3 1", "stretch 128",
                                                "on 4 1", "on 5 1", "stretch 140"}));
  ASSERT_EQ(plug.stretches, split.stretches);
  EXPECT_GT(plug.stretches[3].beat, 16.0);  // the song position moved on with the pieces
  EXPECT_EQ(plug.cooked, split.cooked);
  EXPECT_EQ(out[0], splitOut[0]);
  EXPECT_EQ(out[1], splitOut[1]);
}

TEST_F(ProcessingFrame, NegativeFrameCountIsNoAudio) {
  EventList events;
  events.add(0, 0x90, 1, 1);
  send(events);
  run(-1);
  EXPECT_TRUE(plug.stretches.empty());
  EXPECT_EQ(out[0][0], -7.0);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"on 1 1"}));  // dispatched, and the list dropped
  run(8);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"on 1 1", "stretch 0"}));
}

TEST_F(ProcessingFrame, InputIsCleanedBeforeTheEffectSeesIt) {
  in[0][0] = NAN;  // the recorder reads the stretch start from here, so use later samples
  in[0][1] = INFINITY;
  in[0][2] = -INFINITY;
  in[0][3] = -3e38;
  in[0][4] = 1e10;
  in[0][5] = 100.0;  // +40 dBFS: the loudest input passed as it is
  in[0][6] = -99.5;
  run(8);
  EXPECT_EQ(out[0][0], 0.0);
  EXPECT_EQ(out[0][1], 0.0);  // no signal carries infinity: silence
  EXPECT_EQ(out[0][2], 0.0);
  EXPECT_EQ(out[0][3], -200.0);
  EXPECT_EQ(out[0][4], 200.0);
  EXPECT_EQ(out[0][5], 200.0);
  EXPECT_EQ(out[0][6], -199.0);
  EXPECT_EQ(in[0][1], INFINITY);  // the host's buffer is left alone
}

TEST_F(ProcessingFrame, StretchesSplitAtEventTimes) {
  EventList events;
  events.add(0, 0x90, 60, 100);
  events.add(10, 0x90, 61, 100);
  events.add(10, 0x80, 60, 0);
  events.add(500, 0x90, 62, 0);  // beyond the block: before its last stretch
  send(events);
  run(64);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"on 60 100", "stretch 0", "on 61 100", "off 60 0",
                                                "off 62 100", "stretch 10"}));
  EXPECT_EQ(plug.stretches[1].length, 54);

  plug.log.clear();
  run(64);  // the list was dropped at the end of the call
  EXPECT_EQ(plug.log, (std::vector<std::string>{"stretch 0"}));
}

TEST_F(ProcessingFrame, EventsGoingBackwardsNeverMakeANegativeStretch) {
  EventList events;
  events.add(20, 0x90, 1, 1);
  events.add(5, 0x90, 2, 1);
  events.add(-3, 0x90, 3, 1);
  events.add(30, 0x90, 4, 1);
  send(events);
  run(64);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"stretch 0", "on 1 1", "on 2 1", "on 3 1",
                                                "stretch 20", "on 4 1", "stretch 30"}));
  int covered = 0;
  for (const auto& s : plug.stretches) {
    EXPECT_GT(s.length, 0);
    covered += s.length;
  }
  EXPECT_EQ(covered, 64);
}

TEST_F(ProcessingFrame, ZeroFramesStillDispatchesAndDropsTheList) {
  EventList events;
  events.add(0, 0x90, 1, 1);
  events.add(7, 0x90, 2, 1);
  send(events);
  run(0);
  EXPECT_EQ(plug.log, (std::vector<std::string>{"on 1 1", "on 2 1"}));
  EXPECT_TRUE(plug.stretches.empty());
  run(0);
  EXPECT_EQ(plug.log.size(), 2u);
}

// A host may free its list once it stops processing; the list must not outlive suspend or resume.
TEST_F(ProcessingFrame, SuspendAndResumeDropThePendingEvents) {
  EventList events;
  events.add(3, 0x90, 1, 1);
  for (VstIntPtr mains : {0, 1}) {
    send(events);
    plug.getAeffect()->dispatcher(plug.getAeffect(), effMainsChanged, 0, mains, nullptr, 0);
    plug.log.clear();
    run(8);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"stretch 0"})) << mains;
  }
}

TEST_F(ProcessingFrame, ParametersAreDeliveredAtCallStartAndAfterMappedControllers) {
  run(8);
  EXPECT_TRUE(plug.stretches[0].paramsChanged);  // first call after construction
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{0, 1}));

  plug.cooked.clear();
  plug.parameters()[1].midiKey = static_cast<int16_t>(0xB007);
  EventList events;
  events.add(4, 0xB3, 7, 127);
  send(events);
  plug.setParameter(0, 0.5f);
  run(8);
  ASSERT_EQ(plug.stretches.size(), 3u);
  EXPECT_TRUE(plug.stretches[1].paramsChanged);
  EXPECT_TRUE(plug.stretches[2].paramsChanged);  // the controller moved parameter 1 in between
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(plug.getParameter(1), 1.0f);
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());  // MIDI is not automation

  plug.cooked.clear();
  plug.resume();
  run(8);
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{0, 1}));  // resume delivers everything again
}

TEST_F(ProcessingFrame, BeatPositionFollowsTheHost) {
  run(48);
  run(48);
  EXPECT_EQ(plug.stretches[1].beat, 0.0);  // stopped and not asking to keep running
  EXPECT_EQ(plug.stretches[1].tempo, 120.0);
  const auto timeCalls = host.callsWith(audioMasterGetTime);
  ASSERT_FALSE(timeCalls.empty());
  EXPECT_EQ(timeCalls[0].value, 0x602);

  VstTimeInfo time{};
  time.tempo = 90.0;
  time.ppqPos = 16.0;
  time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
  host.timeInfo = &time;
  run(48);
  EXPECT_EQ(plug.stretches[2].beat, 16.0);
  EXPECT_EQ(plug.stretches[2].tempo, 90.0);
  time.flags = kVstTempoValid;  // stopped, but the effect keeps running
  plug.keepRunning = true;
  run(48);
  // 48 samples at 90 bpm and 48 kHz advance 0.0015 quarter notes, summed in single precision.
  EXPECT_DOUBLE_EQ(plug.stretches[3].beat, 16.0 + static_cast<double>(48.0f * 90.0f / 2880000.0f));
}

TEST_F(ProcessingFrame, FloatEntriesWidenReplaceAndAccumulate) {
  float inL[4] = {0.f, 1.5f, 2.f, 3.f}, inR[4] = {0, 0, 0, 0};
  float outL[4] = {1, 1, 1, 1}, outR[4] = {1, 1, 1, 1};
  float* inputs[2] = {inL, inR};
  float* outputs[2] = {outL, outR};
  AEffect* effect = plug.getAeffect();
  effect->processReplacing(effect, inputs, outputs, 4);
  EXPECT_EQ(outL[1], 3.0f);
  effect->process(effect, inputs, outputs, 4);
  EXPECT_EQ(outL[1], 6.0f);  // added to what was there
  EXPECT_EQ(outL[3], 12.0f);
}

TEST(ProcessingFrameMemory, UnaffordableOrEmptyBlockSizeGivesSilence) {
  RecordingPlug plug(nullptr);
  std::vector<double> buffer(16, 1.0);
  double* channels[2] = {buffer.data(), buffer.data() + 8};
  for (VstInt32 size : {0x7FFFFFFF, 0, -5}) {  // 16 GiB of work block is more than a test machine
    plug.setBlockSize(size);
    buffer.assign(16, 1.0);
    plug.processDoubleReplacing(channels, channels, 8);
    EXPECT_TRUE(plug.stretches.empty());
    EXPECT_EQ(buffer, std::vector<double>(16, 0.0)) << size;
  }
  plug.setBlockSize(8);
  plug.processDoubleReplacing(channels, channels, 8);
  EXPECT_EQ(plug.stretches.size(), 1u);
}

}  // namespace
