// The effect record and every dispatcher answer, as a host sees them through the record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "FakeHost.h"
#include "MessageBoxRecorder.h"
#include "gui/native/WheelForwarding.h"
#include "plugcore/PluginEntry.h"

namespace {

class Dispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    effect = PlugCore::pluginMain(host.callback(), true);
    ASSERT_NE(effect, nullptr);
  }
  void TearDown() override {
    if (effect) {
      EXPECT_EQ(dispatch(effClose), 1);
    }
  }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr expected = 0) {
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[255] = 0;
    EXPECT_EQ(dispatch(opcode, index, 0, buffer), expected) << "opcode " << opcode;
    return buffer;
  }

  FakeHost host;
  AEffect* effect = nullptr;
};

TEST_F(Dispatcher, RecordDescribesTheEffect) {
  EXPECT_EQ(effect->magic, 0x56737450);
  EXPECT_EQ(effect->numPrograms, 16);
  EXPECT_EQ(effect->numParams, 8);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags, 0x1031);  // with its editor
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->realQualities, 0);
  EXPECT_EQ(effect->offQualities, 0);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->user, nullptr);
  EXPECT_EQ(static_cast<uint32_t>(effect->uniqueID), 0xFFFFEB70u);
  EXPECT_EQ(effect->version, 1);
  EXPECT_EQ(effect->resvd1, 0);
  EXPECT_EQ(effect->resvd2, 0);
  for (char byte : effect->future) EXPECT_EQ(byte, 0);
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_NE(effect->processDoubleReplacing, nullptr);
  EXPECT_NE(effect->process, nullptr);
}

TEST_F(Dispatcher, IdentityTexts) {
  EXPECT_EQ(text(effGetEffectName, 0, 1), "Quorl");
  EXPECT_EQ(text(effGetVendorString, 0, 1), "Harrowmint");
  EXPECT_EQ(text(effGetProductString, 0, 1), "Harrowmint Quorl");
  EXPECT_EQ(dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(dispatch(effGetVendorVersion), 0);
  EXPECT_EQ(dispatch(effGetPlugCategory), 0);
}

TEST_F(Dispatcher, CanDoOnlyReceiveVstMidiEvent) {
  auto canDo = [&](const char* capability) {
    std::string copy = capability;
    return dispatch(effCanDo, 0, 0, &copy[0]);
  };
  EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(canDo("receiveVstMidiEvents"), 0);
  EXPECT_EQ(canDo("receiveVstMidiEven"), 0);
  EXPECT_EQ(canDo("receiveVstEvents"), 0);
  EXPECT_EQ(canDo("sendVstMidiEvent"), 0);
  EXPECT_EQ(canDo(""), 0);
  EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, PinsAreOneStereoPairEachWay) {
  for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    ASSERT_EQ(dispatch(opcode, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Main L");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(pin.arrangementType, 0x55555555);  // untouched
    ASSERT_EQ(dispatch(opcode, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Main R");

    VstPinProperties before;
    std::memset(&before, 0x55, sizeof before);
    VstPinProperties after = before;
    EXPECT_EQ(dispatch(opcode, 2, 0, &after), 0);
    EXPECT_EQ(dispatch(opcode, -1, 0, &after), 0);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0);
  }
}

TEST_F(Dispatcher, ParameterTextsThroughTheRecord) {
  const char* names[] = {"drive", "cutoff",  "reson.", "morph",
                         "band",  "wet mix", "output", "q.range"};
  const char* labels[] = {"dB", "Hz", "%", "%", "%", "%", "dB", ""};
  const char* displays[] = {"-20.00", "26000", "50", "0", "0", "100", "+0.00", "safe"};
  for (VstInt32 i = 0; i < 8; ++i) {
    EXPECT_EQ(text(effGetParamName, i), names[i]);
    EXPECT_EQ(text(effGetParamLabel, i), labels[i]);
    EXPECT_EQ(text(effGetParamDisplay, i), displays[i]);
    EXPECT_EQ(dispatch(effCanBeAutomated, i), 1);
  }
  EXPECT_EQ(text(effGetParamName, 8), "**");
  EXPECT_EQ(text(effGetParamName, -1), "**");
  EXPECT_EQ(text(effGetParamLabel, 8), "");
  // An unknown index leaves the display buffer as it was.
  EXPECT_EQ(text(effGetParamDisplay, 8), std::string(255, 'x'));
}

TEST_F(Dispatcher, SetParameterLimitsToTheUnitRange) {
  struct Case {
    float given, read;
  } cases[] = {{1.5f, 1.0f},      {-0.2f, 0.0f},  {NAN, 0.0f},  {INFINITY, 1.0f},
               {-INFINITY, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {0.0f, 0.0f}};
  for (const Case& c : cases) {
    effect->setParameter(effect, 3, c.given);
    EXPECT_EQ(effect->getParameter(effect, 3), c.read) << "given " << c.given;
  }
  effect->setParameter(effect, 3, -0.0f);
  float read = effect->getParameter(effect, 3);
  EXPECT_EQ(read, 0.0f);
  EXPECT_FALSE(std::signbit(read));
  // Unknown indexes are ignored and read as 0.
  effect->setParameter(effect, 8, 0.5f);
  effect->setParameter(effect, -1, 0.5f);
  EXPECT_EQ(effect->getParameter(effect, 8), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());  // only automation tells the host
}

TEST_F(Dispatcher, ProgramsSwitchWithinRangeOnly) {
  EXPECT_EQ(text(effGetProgramName), "Init 1");
  EXPECT_EQ(dispatch(effSetProgram, 0, 5), 0);
  EXPECT_EQ(dispatch(effGetProgram), 5);
  EXPECT_EQ(text(effGetProgramName), "Init 6");
  dispatch(effSetProgram, 0, 16);
  dispatch(effSetProgram, 0, -1);
  EXPECT_EQ(dispatch(effGetProgram), 5);
  EXPECT_EQ(text(effGetProgramNameIndexed, 15, 1), "Init 16");
  EXPECT_EQ(text(effGetProgramNameIndexed, 16, 0), std::string(255, 'x'));
  EXPECT_EQ(text(effGetProgramNameIndexed, -1, 0), std::string(255, 'x'));
  EXPECT_EQ(dispatch(effGetNumProgramCategories), 1);
}

TEST_F(Dispatcher, FixedAnswers) {
  EXPECT_EQ(dispatch(effProcessEvents), 0);  // no list to remember
  EXPECT_EQ(dispatch(effConnectInput), 1);
  EXPECT_EQ(dispatch(effConnectOutput), 1);
  EXPECT_EQ(dispatch(effKeysRequired), 1);
  EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
  EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
  EXPECT_EQ(dispatch(effGetVu), 0);
  EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);

  void* inputArrangement = &host;
  void* outputArrangement = &host;
  EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputArrangement),
                     &outputArrangement),
            0);
  EXPECT_EQ(inputArrangement, nullptr);
  EXPECT_EQ(outputArrangement, nullptr);
  EXPECT_EQ(dispatch(effGetSpeakerArrangement), 0);  // no pointers: nothing to write
}

TEST(DispatcherWithoutEditor, EditorOpcodesAnswerZero) {
  FakeHost host;
  MessageBoxRecorder boxes;  // the stand-in effect comes with its message
  AEffect* effect = PlugCore::pluginMain(host.callback(), false);
  ASSERT_NE(effect, nullptr);
  auto dispatch = [&](VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
  };
  ERect* rect = reinterpret_cast<ERect*>(&host);
  EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(dispatch(effEditOpen, 0, 0, &host), 0);
  EXPECT_EQ(dispatch(effEditClose, 0, 0, nullptr), 0);
  EXPECT_EQ(dispatch(effEditIdle, 0, 0, nullptr), 0);
  EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr), 0);
  EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0, nullptr), 0);
  EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2, nullptr), 0);
  EXPECT_EQ(dispatch(effClose, 0, 0, nullptr), 1);
}

#if defined(_WIN32)
TEST_F(Dispatcher, EditorRectangleIsKnownBeforeOpening) {
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 340);
  EXPECT_EQ(rect->bottom - rect->top, 190);
  EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);  // keys are declined
  EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 0);
  EXPECT_EQ(dispatch(effEditClose), 0);  // close without open does nothing
}
#endif

TEST_F(Dispatcher, UnlistedOpcodesAnswerZeroAndChangeNothing) {
  const VstInt32 unlisted[] = {effEditDraw,
                               effEditMouse,
                               effEditKey,
                               effEditTop,
                               effEditSleep,
                               effString2Parameter,
                               effCopyProgram,
                               effGetCurrentPosition,
                               effGetDestinationBuffer,
                               effOfflineNotify,
                               effOfflinePrepare,
                               effOfflineRun,
                               effProcessVarIo,
                               effSetSpeakerArrangement,
                               effSetBypass,
                               effGetErrorText,
                               effIdle,
                               effGetIcon,
                               effSetViewPosition,
                               effGetParameterProperties,
                               effGetMidiProgramName,
                               effGetMidiProgramCategory,
                               effHasMidiProgramsChanged,
                               effGetMidiKeyName,
                               effBeginSetProgram,
                               effEndSetProgram,
                               effShellGetNextPlugin,
                               effStartProcess,
                               effStopProcess,
                               effSetPanLaw,
                               effBeginLoadBank,
                               effBeginLoadProgram,
                               effSetProcessPrecision,
                               effGetNumMidiInputChannels,
                               effGetNumMidiOutputChannels,
                               80,
                               81,
                               1000,
                               -1};
  AEffect before = *effect;
  char buffer[256] = {};
  for (VstInt32 opcode : unlisted) {
    EXPECT_EQ(dispatch(opcode, 1, 1, buffer, 1.0f), 0) << "opcode " << opcode;
    EXPECT_EQ(buffer[0], 0) << "opcode " << opcode;
  }
  EXPECT_EQ(std::memcmp(&before, effect, sizeof before), 0);
  for (VstInt32 i = 0; i < 8; ++i) EXPECT_EQ(dispatch(effCanBeAutomated, i), 1);
  EXPECT_EQ(text(effGetProgramName), "Init 1");
}

TEST_F(Dispatcher, TextOpcodesTolerateAMissingBuffer) {
  for (VstInt32 opcode : {effGetProgramName, effSetProgramName, effGetParamLabel,
                          effGetParamDisplay, effGetParamName, effGetEffectName, effGetVendorString,
                          effGetProductString, effGetProgramNameIndexed, effGetChunk})
    EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
}

TEST_F(Dispatcher, VendorSpecificCallsOtherThanTheWheelAnswerZero) {
  EXPECT_EQ(dispatch(effVendorSpecific, 0x12345678, 0x57686565, nullptr, 1.0f), 0);
  EXPECT_EQ(dispatch(effVendorSpecific, 0x73744341, 0x12345678, nullptr, 1.0f), 0);
}

// The host's wheel distance becomes the wheel message's 16-bit delta, whatever it sends.
TEST(WheelDelta, TruncatesTowardsZeroAndHoldsWithinSixteenBits) {
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float notches;
    int delta;
  } cases[] = {{1.0f, 120},      {0.5f, 60},       {-1.0f, -120},     {-0.99f, -118},
               {0.001f, 0},      {273.0f, 32760},  {273.1f, 32767},   {-273.1f, -32768},
               {1000.0f, 32767}, {-1e30f, -32768}, {infinity, 32767}, {-infinity, -32768}};
  for (const auto& c : cases) {
    int16_t delta = 1;
    EXPECT_TRUE(Mintwerk::wheelDeltaFor(c.notches, delta)) << c.notches;
    EXPECT_EQ(delta, c.delta) << c.notches;
  }
  int16_t delta = 7;
  EXPECT_FALSE(Mintwerk::wheelDeltaFor(std::numeric_limits<float>::quiet_NaN(), delta));
}

TEST(DispatcherClose, CloseThroughTheRecordDestroysTheInstance) {
  FakeHost host;
  AEffect* effect = PlugCore::pluginMain(host.callback(), true);
  ASSERT_NE(effect, nullptr);
  // The sanitizer build proves the storage is freed with its matching routine, exactly once.
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

}  // namespace
