// MIDI controllers, notes, pitch bend and MIDI learn, fed through the dispatcher and the
// processing frame as a host sends them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "plugcore/AEffEditor.h"
#include "plugcore/IParamNotify.h"
#include "plugcore/Plug.h"

namespace {

class NotifiedEditor : public AEffEditor, public PlugCore::IParamNotify {
 public:
  bool paramChanged(int32_t, float) override { return true; }
  void mappingChanged(int32_t index) override { mappings.push_back(index); }
  std::vector<int32_t> mappings;
};

class MidiPlug : public PlugCore::Plug {
 public:
  explicit MidiPlug(audioMasterCallback host) : Plug(host, 1, 4, "Midi") {}
  void sampleRateChanged() override {}
  void resetState() override { ++resets; }
  bool processBlock(bool, const PlugCore::TransportInfo&, double* const*, double* const*,
                    int32_t) override {
    return false;
  }
  void formatParameter(int32_t, char* text, float) override { *text = 0; }
  void noteOff(int32_t note, int32_t velocity) override { offs.push_back({note, velocity}); }
  void controllerChanged(int32_t key, float value) override { unmapped.push_back({key, value}); }

  int resets = 0;
  std::vector<std::pair<int32_t, int32_t>> offs;
  std::vector<std::pair<int32_t, float>> unmapped;
};

class MidiLearn : public ::testing::Test {
 protected:
  void SetUp() override {
    editor = new NotifiedEditor;  // the effect owns and deletes it
    plug.setEditor(editor);
    plug.setBlockSize(16);
  }
  // Sends one message through effProcessEvents and a processing call, as a host does.
  void send(uint8_t status, uint8_t d1, uint8_t d2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(d1);
    event.midiData[2] = static_cast<char>(d2);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    plug.processEvents(&list);
    double buffer[16] = {};
    double* channels[2] = {buffer, buffer};
    plug.processDoubleReplacing(channels, channels, 4);
  }
  int32_t key(int controller) { return static_cast<int16_t>(0xB000 + controller); }

  FakeHost host;
  MidiPlug plug{host.callback()};
  NotifiedEditor* editor = nullptr;
};

TEST_F(MidiLearn, LearnedControllerAnswersOnEveryChannel) {
  plug.startLearn(2);
  EXPECT_TRUE(plug.isLearning(2));
  send(0xB4, 7, 127);  // channel 5
  EXPECT_FALSE(plug.isLearning(2));
  EXPECT_EQ(plug.getMapping(2), -20480 + 7);
  EXPECT_EQ(editor->mappings, (std::vector<int32_t>{2}));
  EXPECT_EQ(plug.getParameter(2), 1.0f);  // the learning message already moves it

  send(0xB0, 7, 64);  // channel 1
  EXPECT_NEAR(plug.getParameter(2), 0.504f, 0.0005f);
  EXPECT_EQ(plug.getParameter(2), 64 * 0.007874016f);
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
  EXPECT_TRUE(plug.unmapped.empty());
}

TEST_F(MidiLearn, OnlyLearnableControllersCompleteALearn) {
  plug.startLearn(1);
  for (int controller : {0, 32, 63, 96, 99, 6, 120, 121, 122, 123, 127}) {
    send(0xB0, static_cast<uint8_t>(controller), 10);
    EXPECT_TRUE(plug.isLearning(1)) << "controller " << controller;
  }
  EXPECT_EQ(plug.getMapping(1), -1);
  for (int controller : {38, 100, 101, 1, 119}) {
    plug.startLearn(1);
    send(0xB0, static_cast<uint8_t>(controller), 0);
    EXPECT_EQ(plug.getMapping(1), key(controller)) << "controller " << controller;
  }
}

TEST_F(MidiLearn, LearningAHeldKeyMovesIt) {
  plug.startLearn(0);
  send(0xB0, 74, 0);
  plug.startLearn(3);
  send(0xB0, 74, 0);
  EXPECT_EQ(plug.getMapping(0), -1);
  EXPECT_EQ(plug.getMapping(3), key(74));
  send(0xB0, 74, 127);
  EXPECT_EQ(plug.getParameter(3), 1.0f);
  EXPECT_EQ(plug.getParameter(0), 0.0f);
}

TEST_F(MidiLearn, UnlearnAndCancelEndEveryLearn) {
  plug.startLearn(0);
  send(0xB0, 20, 0);
  plug.startLearn(1);
  plug.unlearn(0);
  EXPECT_EQ(plug.getMapping(0), -1);
  EXPECT_FALSE(plug.isLearning(1));
  plug.startLearn(2);
  plug.cancelLearn();
  EXPECT_FALSE(plug.isLearning(2));
  plug.startLearn(4);  // not a parameter: ignored
  EXPECT_FALSE(plug.isLearning(4));
  EXPECT_EQ(plug.getMapping(4), -1);
  plug.unlearn(9);
  send(0xB0, 20, 5);  // nothing maps controller 20 any more
  ASSERT_EQ(plug.unmapped.size(), 1u);
  EXPECT_EQ(plug.unmapped[0].first, 0xB014);  // handed on as an unsigned 16-bit key
  EXPECT_EQ(plug.unmapped[0].second, 5 * 0.007874016f);
}

TEST_F(MidiLearn, RegisteredParameterZeroSetsThePitchBendRange) {
  send(0xB0, 101, 0);
  send(0xB0, 100, 0);
  send(0xB0, 6, 12);
  EXPECT_EQ(plug.getPitchBendRange(), 12 * 128);
  send(0xB0, 100, 1);
  send(0xB0, 6, 3);
  EXPECT_EQ(plug.getPitchBendRange(), 12 * 128);

  send(0xE0, 0x7F, 0x7F);
  EXPECT_DOUBLE_EQ(plug.getPitchBend(), 12.0);
  send(0xE0, 0, 0);
  EXPECT_DOUBLE_EQ(plug.getPitchBend(), -12.0);
  send(0xE0, 0, 0x40);
  EXPECT_NEAR(plug.getPitchBend(), 12.0 / 16383.0, 1e-12);
}

TEST_F(MidiLearn, NotesAndChannelModeMessages) {
  send(0x93, 60, 0);  // note-on with velocity 0 is a note-off
  EXPECT_EQ(plug.offs, (std::vector<std::pair<int32_t, int32_t>>{{60, 100}}));
  plug.offs.clear();
  send(0xB0, 123, 0);
  ASSERT_EQ(plug.offs.size(), 128u);
  EXPECT_EQ(plug.offs[0], (std::pair<int32_t, int32_t>{0, 100}));
  EXPECT_EQ(plug.offs[127], (std::pair<int32_t, int32_t>{127, 100}));
  send(0xB0, 120, 0);
  EXPECT_EQ(plug.resets, 1);
}

TEST_F(MidiLearn, MalformedAndForeignEventsAreIgnored) {
  plug.startLearn(0);
  send(0xB0, 0x87, 10);  // data byte with the top bit set
  send(0xB0, 7, 0x90);
  send(0x07, 7, 10);  // not a status byte
  send(0xF0, 7, 10);  // system message
  VstEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.data[8] = static_cast<char>(0xB0);  // where a MIDI event's bytes would be
  VstEvents list{};
  list.numEvents = 2;
  list.events[0] = &sysex;
  list.events[1] = nullptr;
  plug.processEvents(&list);
  double buffer[16] = {};
  double* channels[2] = {buffer, buffer};
  plug.processDoubleReplacing(channels, channels, 4);
  EXPECT_TRUE(plug.isLearning(0));
  EXPECT_TRUE(plug.unmapped.empty());
}

}  // namespace
