// What a host meets when it calls the module's entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FakeHost.h"
#include "MessageBoxRecorder.h"
#include "plugcore/Djb2.h"
#include "plugcore/PluginEntry.h"

namespace {

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

TEST(Entry, HostWithoutVersionGetsNoEffectAndNoMessage) {
  FakeHost host;
  MessageBoxRecorder boxes;
  host.versionAnswer = 0;
  EXPECT_EQ(PlugCore::pluginMain(host.callback(), true), nullptr);
  EXPECT_EQ(PlugCore::pluginMain(host.callback(), false), nullptr);
  EXPECT_TRUE(boxes.shown.empty());
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].effect, nullptr);
  EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
  EXPECT_EQ(host.calls[0].index, 0);
  EXPECT_EQ(host.calls[0].value, 0);
  EXPECT_EQ(host.calls[0].ptr, nullptr);
  EXPECT_EQ(host.calls[0].opt, 0.0f);
}

TEST(Entry, NullCallbackGetsNoEffect) { EXPECT_EQ(PlugCore::pluginMain(nullptr, true), nullptr); }

TEST(Entry, ProcessorWithSse2GetsTheEffect) {
  FakeHost host;
  MessageBoxRecorder boxes;
  AEffect* effect = PlugCore::pluginMain(host.callback(), true);
  ASSERT_NE(effect, nullptr);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(effect->magic, kEffectMagic);
  EXPECT_EQ(effect->numPrograms, 16);
  EXPECT_EQ(effect->numParams, 8);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(effect->object) % 16, 0u);
  EXPECT_EQ(dispatch(effect, effClose), 1);
}

TEST(Entry, ProcessorWithoutSse2IsToldAndGetsTheSilentStandIn) {
  FakeHost host;
  MessageBoxRecorder boxes;
  AEffect* effect = PlugCore::pluginMain(host.callback(), false);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "This plugin requires SSE2, which your CPU doesn't support.\n"
            "Unfortunately you will need a more recent system. Sorry.");
  EXPECT_EQ(boxes.shown[0].caption, "Error");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);

  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->numPrograms, 1);
  EXPECT_EQ(effect->numParams, 1);
  EXPECT_EQ(effect->flags, 0x1030);
  EXPECT_EQ(static_cast<uint32_t>(effect->uniqueID), PlugCore::djb2("Error"));
  char text[64] = "untouched";
  EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, text), 1);
  EXPECT_STREQ(text, "Error");
  dispatch(effect, effGetParamName, 0, 0, text);
  EXPECT_STREQ(text, "**");
  dispatch(effect, effGetParamLabel, 0, 0, text);
  EXPECT_STREQ(text, "");
  dispatch(effect, effGetParamDisplay, 0, 0, text);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
  EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, text), 0);

  // It can be switched on and driven like any effect.
  dispatch(effect, effMainsChanged, 0, 1);
  float left[4] = {1, 2, 3, 4}, right[4] = {1, 2, 3, 4};
  float* channels[2] = {left, right};
  effect->processReplacing(effect, channels, channels, 4);
  EXPECT_EQ(dispatch(effect, effClose), 1);
}

TEST(Entry, StandInWritesSilenceOnEveryEntry) {
  FakeHost host;
  MessageBoxRecorder boxes;
  // A freed block of the work block's size, full of garbage, so that an uninitialised work block
  // would show.
  constexpr int kBlock = 16;
  { std::vector<double>(4 * kBlock + 1, NAN); }
  AEffect* effect = PlugCore::pluginMain(host.callback(), false);
  ASSERT_NE(effect, nullptr);
  dispatch(effect, effSetBlockSize, 0, kBlock);
  dispatch(effect, effMainsChanged, 0, 1);

  std::vector<float> input(kBlock, 0.5f), left(kBlock, NAN), right(kBlock, 7.0f);
  float* inputs[2] = {input.data(), input.data()};
  float* outputs[2] = {left.data(), right.data()};
  effect->processReplacing(effect, inputs, outputs, kBlock);
  EXPECT_EQ(left, std::vector<float>(kBlock, 0.0f));
  EXPECT_EQ(right, std::vector<float>(kBlock, 0.0f));

  right.assign(kBlock, 7.0f);
  effect->process(effect, inputs, outputs, kBlock);  // accumulating: adds nothing
  EXPECT_EQ(right, std::vector<float>(kBlock, 7.0f));

  std::vector<double> inputD(kBlock, 0.5), leftD(kBlock, NAN), rightD(kBlock, 7.0);
  double* inputsD[2] = {inputD.data(), inputD.data()};
  double* outputsD[2] = {leftD.data(), rightD.data()};
  effect->processDoubleReplacing(effect, inputsD, outputsD, kBlock);
  EXPECT_EQ(leftD, std::vector<double>(kBlock, 0.0));
  EXPECT_EQ(rightD, std::vector<double>(kBlock, 0.0));
  EXPECT_EQ(dispatch(effect, effClose), 1);
}

}  // namespace
