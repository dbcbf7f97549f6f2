// The parameter model of the framework: texts, automation, delivery to the audio side and the
// lifecycle operations that touch parameters, seen through a small effect of the test's own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "plugcore/Djb2.h"
#include "plugcore/Plug.h"

namespace {

class CountingPlug : public PlugCore::Plug {
 public:
  explicit CountingPlug(audioMasterCallback host) : Plug(host, 2, 3, "Counter") {
    params[0].name = "level";
    params[0].label = "dB";
    params[1].name = "mode";
    params[1].label = "";
  }
  void sampleRateChanged() override { events.push_back("sampleRateChanged"); }
  void resetState() override { events.push_back("resetState"); }
  bool processBlock(bool, const PlugCore::TransportInfo&, double* const*, double* const*,
                    int32_t) override {
    return false;
  }
  void formatParameter(int32_t index, char* text, float value) override {
    std::snprintf(text, 64, "%d:%.2f", index, value);
  }
  int32_t getLatency() override { return latency; }
  bool cookParameter(int32_t index) override {
    cooked.push_back(index);
    return cookAnswer;
  }

  std::vector<std::string> events;
  std::vector<int32_t> cooked;
  bool cookAnswer = true;
  int32_t latency = 0;
};

class ParameterModel : public ::testing::Test {
 protected:
  FakeHost host;
  CountingPlug plug{host.callback()};
};

TEST_F(ParameterModel, FreshRecordsAndIdentity) {
  const PlugCore::ParamSet& params = plug.parameters();
  ASSERT_EQ(params.count(), 3u);
  EXPECT_EQ(params.forceCook, 1);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(params[i].lastCooked, -1.0f);
    EXPECT_EQ(params[i].lastShown, 0.0f);
    EXPECT_EQ(params[i].value, 0.0f);
    EXPECT_EQ(params[i].midiKey, -1);
    EXPECT_EQ(params[i].flags, 0);
  }
  EXPECT_EQ(static_cast<uint32_t>(plug.getAeffect()->uniqueID), PlugCore::djb2("Counter"));
  EXPECT_TRUE(plug.isSampleRateDirty());
}

TEST(Djb2, KnownValues) {
  EXPECT_EQ(PlugCore::djb2(""), 5381u);
  EXPECT_EQ(PlugCore::djb2("a"), 5381u * 33u + 'a');
  // Wraps in 32 bits.
  uint32_t expected = 5381;
  for (char c : std::string("Quorl")) expected = expected * 33u + static_cast<unsigned char>(c);
  EXPECT_EQ(PlugCore::djb2("Quorl"), expected);
}

TEST_F(ParameterModel, ParameterTextAppendsTheLabelAfterOneBlank) {
  char text[64];
  plug.getParameterText(0, 0.5f, text);
  EXPECT_STREQ(text, "0:0.50 dB");
  plug.getParameterText(1, 0.25f, text);
  EXPECT_STREQ(text, "1:0.25");  // empty label: no trailing blank
  plug.getParameterText(2, 1.0f, text);
  EXPECT_STREQ(text, "2:1.00");  // no label at all
  plug.getParameterName(2, text);
  EXPECT_STREQ(text, "**");  // a parameter without a name
}

TEST_F(ParameterModel, AutomationStoresThenTellsTheHost) {
  plug.setParameterAutomated(1, 1.7f);
  EXPECT_EQ(plug.getParameter(1), 1.0f);
  auto automate = host.callsWith(audioMasterAutomate);
  ASSERT_EQ(automate.size(), 1u);
  EXPECT_EQ(automate[0].effect, plug.getAeffect());
  EXPECT_EQ(automate[0].index, 1);
  EXPECT_EQ(automate[0].value, 0);
  EXPECT_EQ(automate[0].ptr, nullptr);
  EXPECT_EQ(automate[0].opt, 1.0f);  // what the parameter holds, not the value as given
}

TEST_F(ParameterModel, EditGesturesReachTheHost) {
  plug.beginEdit(2);
  plug.endEdit(2);
  ASSERT_EQ(host.callsWith(audioMasterBeginEdit).size(), 1u);
  ASSERT_EQ(host.callsWith(audioMasterEndEdit).size(), 1u);
  EXPECT_EQ(host.callsWith(audioMasterEndEdit)[0].index, 2);
}

TEST(ParameterModelWithoutHost, CallbacksAreSkipped) {
  CountingPlug plug(nullptr);
  plug.setParameterAutomated(0, 0.5f);
  EXPECT_EQ(plug.getParameter(0), 0.5f);
  EXPECT_FALSE(plug.beginEdit(0));
  EXPECT_EQ(plug.getTimeInfo(0x602), nullptr);
}

TEST_F(ParameterModel, FirstDeliveryIsForcedThenOnlyChangesAreCooked) {
  plug.cookAnswer = false;
  EXPECT_TRUE(plug.deliverParameters());  // forced, although nothing asked for recomputation
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{0, 1, 2}));  // -1 differs from every value
  plug.cooked.clear();
  EXPECT_FALSE(plug.deliverParameters());
  EXPECT_TRUE(plug.cooked.empty());

  plug.setParameter(1, 0.0f);  // same value again: nothing to deliver
  EXPECT_FALSE(plug.deliverParameters());
  EXPECT_TRUE(plug.cooked.empty());

  plug.cookAnswer = true;
  plug.setParameter(1, 0.75f);
  EXPECT_TRUE(plug.deliverParameters());
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{1}));
  EXPECT_EQ(plug.parameters()[1].lastCooked, 0.75f);
}

TEST_F(ParameterModel, NegativeZeroAndNanCompareEqualInDelivery) {
  plug.deliverParameters();
  plug.cooked.clear();
  plug.setParameter(0, -0.0f);  // +0.0 delivered before: no change
  EXPECT_FALSE(plug.deliverParameters());
  plug.parameters()[0].lastCooked = NAN;
  plug.setParameter(0, 0.5f);
  EXPECT_FALSE(plug.deliverParameters());
  EXPECT_TRUE(plug.cooked.empty());
}

TEST_F(ParameterModel, ResumeRedeliversEverythingAndTracksTheSampleRate) {
  plug.deliverParameters();
  plug.cooked.clear();
  plug.latency = 7;

  plug.getAeffect()->dispatcher(plug.getAeffect(), effMainsChanged, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(plug.events, (std::vector<std::string>{"sampleRateChanged", "resetState"}));
  EXPECT_FALSE(plug.isSampleRateDirty());
  EXPECT_EQ(plug.getAeffect()->initialDelay, 7);
  plug.deliverParameters();
  EXPECT_EQ(plug.cooked, (std::vector<int32_t>{0, 1, 2}));

  plug.events.clear();
  plug.getAeffect()->dispatcher(plug.getAeffect(), effMainsChanged, 0, 0, nullptr, 0.0f);
  EXPECT_TRUE(plug.events.empty());  // suspend does nothing
  plug.getAeffect()->dispatcher(plug.getAeffect(), effMainsChanged, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(plug.events, (std::vector<std::string>{"resetState"}));

  plug.events.clear();
  plug.getAeffect()->dispatcher(plug.getAeffect(), effSetSampleRate, 0, 0, nullptr, 96000.0f);
  EXPECT_EQ(plug.getSampleRate(), 96000.0f);
  EXPECT_TRUE(plug.isSampleRateDirty());
  plug.getAeffect()->dispatcher(plug.getAeffect(), effMainsChanged, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(plug.events, (std::vector<std::string>{"sampleRateChanged", "resetState"}));
}

TEST_F(ParameterModel, ProgramsKeepWhatWasLeftAndSkipExcludedParameters) {
  plug.parameters()[2].flags = PlugCore::kParamNotInPrograms;
  plug.setParameter(0, 0.3f);
  plug.setParameter(2, 0.9f);
  plug.setProgram(1);  // program 1 still holds its initial zeros
  EXPECT_EQ(plug.getParameter(0), 0.0f);
  EXPECT_EQ(plug.getParameter(2), 0.9f);  // not recalled
  plug.setProgram(0);
  EXPECT_EQ(plug.getParameter(0), 0.3f);
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());

  char name[64];
  std::string longName(40, 'n');
  plug.setProgramName(&longName[0]);
  plug.getProgramName(name);
  EXPECT_EQ(std::string(name), std::string(23, 'n'));
}

}  // namespace
