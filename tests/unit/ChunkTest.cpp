// Programs and banks through the host's chunks: the exact bytes, round trips, and every message
// of the reader with the state it leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "MessageBoxRecorder.h"
#include "effect/Quorl.h"
#include "platform/MessageBox.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes chunkOf(Quorl& effect, bool isPreset) {
  void* data = nullptr;
  const VstInt32 size = effect.getAeffect()->dispatcher(effect.getAeffect(), effGetChunk,
                                                        isPreset ? 1 : 0, 0, &data, 0.0f);
  const auto* bytes = static_cast<const uint8_t*>(data);
  return Bytes(bytes, bytes + size);
}

// The dispatcher's answer: 1 when the chunk was taken, 0 when it was refused.
VstIntPtr load(Quorl& effect, Bytes bytes, bool isPreset = false) {
  return effect.getAeffect()->dispatcher(effect.getAeffect(), effSetChunk, isPreset ? 1 : 0,
                                         static_cast<VstIntPtr>(bytes.size()), bytes.data(), 0.0f);
}

void learn(Quorl& effect, int32_t parameter, int controller) {
  effect.startLearn(parameter);
  effect.handleController(static_cast<int16_t>(0xB000 + controller), 127);
}

Bytes header(uint16_t version = 5, uint16_t reserved = 0) {
  return {0x75,
          0x3D,
          0x8C,
          0x28,
          static_cast<uint8_t>(version),
          static_cast<uint8_t>(version >> 8),
          static_cast<uint8_t>(reserved),
          0};
}

class Chunks : public ::testing::Test {
 protected:
  FakeHost host;
  MessageBoxRecorder boxes;
  Quorl effect{host.callback()};
  const std::string errorCaption = "Quorl error";
};

TEST_F(Chunks, FreshProgramChunkIsTheDocumentedBytes) {
  Bytes expected = header();
  expected.push_back(0x04);
  for (char c : std::string("Quorl")) expected.push_back(static_cast<uint8_t>(c));
  expected.resize(expected.size() + 26, 0);
  const Bytes values = {0, 0, 0, 0, 0, 1, 0, 0xFA, 0, 2, 0, 0x7D, 0, 3, 0, 0,
                        0, 4, 0, 0, 0, 5, 0, 0xFA, 0, 6, 0, 0x7D, 0, 7, 0, 0};
  expected.insert(expected.end(), values.begin(), values.end());
  EXPECT_EQ(chunkOf(effect, true), expected);
  EXPECT_EQ(chunkOf(effect, true).size(), 72u);

  learn(effect, 1, 7);
  expected.insert(expected.end(), {0x01, 0x01, 0x07, 0xB0});
  EXPECT_EQ(chunkOf(effect, true), expected);
  EXPECT_EQ(chunkOf(effect, false).size(), 1006u);  // 1002 and the mapping
}

TEST_F(Chunks, BankRoundTripCarriesTheWholeState) {
  effect.setProgram(2);
  effect.setParameter(0, 0.25f);
  char name[] = "Dark Pad";
  effect.setProgramName(name);
  effect.setProgram(5);
  effect.setParameter(3, 0.7f);
  effect.setParameter(4, 0.123456f);
  learn(effect, 4, 74);
  learn(effect, 6, 7);
  const Bytes bank = chunkOf(effect, false);

  Quorl copy(nullptr);
  load(copy, bank);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(copy.getProgram(), 5);
  char text[64];
  copy.getProgramNameIndexed(0, 2, text);
  EXPECT_STREQ(text, "Dark Pad");
  copy.getProgramNameIndexed(0, 15, text);
  EXPECT_STREQ(text, "Init 16");
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(copy.getParameter(i), effect.getParameter(i), 1.0 / 64000) << i;
    EXPECT_EQ(copy.getMapping(i), effect.getMapping(i)) << i;
  }
  EXPECT_NEAR(copy.programTable()[2].values[0], 0.25f, 1.0 / 64000);
  EXPECT_EQ(chunkOf(copy, false), bank);
}

TEST_F(Chunks, ProgramChunkLeavesProgramsAlone) {
  effect.setParameter(1, 0.33f);
  learn(effect, 2, 1);
  const Bytes program = chunkOf(effect, true);
  Quorl copy(host.callback());
  char name[] = "Kept";
  copy.setProgramName(name);
  copy.programTable()[3].values[1] = 0.9f;
  load(copy, program, true);
  EXPECT_NEAR(copy.getParameter(1), 0.33f, 1.0 / 64000);
  EXPECT_EQ(copy.getMapping(2), static_cast<int16_t>(0xB001));
  char text[64];
  copy.getProgramName(text);
  EXPECT_STREQ(text, "Kept");
  EXPECT_EQ(copy.programTable()[3].values[1], 0.9f);
}

TEST_F(Chunks, ValuesAreEncodedInSixtyFourThousandths) {
  Bytes bytes = header();
  bytes.insert(bytes.end(),
               {0x00, 0x03, 0xFF, 0xFF, 0x00, 0x04, 0x00, 0x7D, 0x00, 0x09, 0x00, 0x7D});
  EXPECT_EQ(load(effect, bytes), 1);        // index 9 is no parameter: skipped
  EXPECT_EQ(effect.getParameter(3), 1.0f);  // above 1.0 in the chunk, limited on the way in
  EXPECT_EQ(effect.getParameter(4), 32000 * 1.5625e-5f);
}

// A host that records automation or undo sets a state and must not see it come back as edits,
// least of all the values each program passes through on the way.
TEST_F(Chunks, AStateTheHostSetsIsNotEchoedBack) {
  Quorl other(nullptr);
  for (int32_t p = 0; p < 16; ++p) {
    other.setProgram(p);
    other.setParameter(p % 8, 0.01f * static_cast<float>(p + 1));
  }
  learn(other, 2, 9);
  EXPECT_EQ(load(effect, chunkOf(other, false)), 1);
  EXPECT_EQ(load(effect, chunkOf(other, true), true), 1);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(chunkOf(effect, false), chunkOf(other, false));
}

TEST_F(Chunks, ReaderMessagesAndARefusedChunkChangesNothing) {
  struct Case {
    Bytes bytes;
    std::string reason;
  };
  Bytes truncated = header();
  truncated.insert(truncated.end(), {0x00, 0x02, 0x00, 0x40, 0x00, 0x03, 0x00});
  Bytes unknownType = header();
  unknownType.insert(unknownType.end(), {0x00, 0x05, 0x00, 0x20, 0x09, 0x00});
  // A whole bank of another state, cut inside its last record: every program, name, mapping and
  // the current program before the cut would have been taken.
  Quorl other(nullptr);
  other.setProgram(9);
  other.setParameter(0, 0.8f);
  char otherName[] = "Elsewhere";
  other.setProgramName(otherName);
  learn(other, 3, 20);
  Bytes cutBank = chunkOf(other, false);
  const uint8_t lastByte = cutBank.back();
  cutBank.pop_back();
  const Case cases[] = {
      {Bytes(7, 0), "No header"},
      {{0x75, 0x3D, 0x8C, 0x29, 5, 0, 0, 0}, "Invalid header"},
      {header(6),
       "Program or bank was saved with a later version.\nPlease update the plugin and "
       "try again."},
      {header(5, 1),
       "Program or bank was saved with a later version.\nPlease update the plugin "
       "and try again."},
      {truncated, "Chunk appears corrupted."},
      {unknownType, "Chunk appears corrupted."},
      {cutBank, "Chunk appears corrupted."},
      {Bytes(), "No header"},
  };
  effect.setParameter(2, 0.3f);
  learn(effect, 1, 7);
  const Bytes before = chunkOf(effect, false);
  for (const Case& c : cases) {
    boxes.shown.clear();
    EXPECT_EQ(load(effect, c.bytes), 0) << c.reason;
    ASSERT_EQ(boxes.shown.size(), 1u) << c.reason;
    EXPECT_EQ(boxes.shown[0].text, "Error loading chunk: " + c.reason);
    EXPECT_EQ(boxes.shown[0].caption, errorCaption);
    EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
    EXPECT_EQ(chunkOf(effect, false), before) << c.reason;
  }
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
  cutBank.push_back(lastByte);
  EXPECT_EQ(load(effect, cutBank), 1);
  EXPECT_EQ(effect.getProgram(), 9);
  EXPECT_EQ(effect.getMapping(3), static_cast<int16_t>(0xB014));
}

TEST_F(Chunks, ForeignPresetAsksAndNoChangesNothing) {
  Bytes foreign = header();
  foreign.push_back(0x04);
  const std::string other = "A very long name of another plug-in";
  foreign.insert(foreign.end(), other.begin(), other.begin() + 31);  // no terminating zero
  foreign.insert(foreign.end(), {0x00, 0x00, 0x00, 0x7D, 0x03, 0x07});

  boxes.answers = {Platform::kIdNo};
  EXPECT_EQ(load(effect, foreign), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Trying to load a preset for \"" + other.substr(0, 30) +
                                     "\"\nDo you want to continue?");
  EXPECT_EQ(boxes.shown[0].caption, "Quorl");
  EXPECT_EQ(boxes.shown[0].flags, 0x2024u);
  EXPECT_EQ(effect.getParameter(0), 0.0f);
  EXPECT_EQ(effect.getProgram(), 0);

  boxes.answers = {Platform::kIdYes};
  EXPECT_EQ(load(effect, foreign), 1);
  EXPECT_EQ(effect.getParameter(0), 0.5f);
  EXPECT_EQ(effect.getProgram(), 7);
}

#if !defined(_WIN32)
// A box that could not be shown (0, or -1 where there is no display) or that was cancelled is no
// consent: a foreign chunk must not load silently.
TEST_F(Chunks, ForeignPresetLoadsOnlyOnYes) {
  Bytes foreign = header();
  foreign.push_back(0x04);
  const std::string other = "Another";
  foreign.insert(foreign.end(), other.begin(), other.end());
  foreign.resize(foreign.size() + 31 - other.size(), 0);
  foreign.insert(foreign.end(), {0x00, 0x00, 0x00, 0x7D, 0x03, 0x07});

  for (const int answer : {0, -1, static_cast<int>(Platform::kIdCancel),
                           static_cast<int>(Platform::kIdOk), static_cast<int>(Platform::kIdNo)}) {
    effect.setProgram(0);
    effect.setParameter(0, 0.0f);
    boxes.shown.clear();
    boxes.answers = {answer};
    load(effect, foreign);
    EXPECT_EQ(boxes.shown.size(), 1u) << answer;
    EXPECT_EQ(effect.getParameter(0), 0.0f) << answer;
    EXPECT_EQ(effect.getProgram(), 0) << answer;
  }
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
}
#endif

TEST_F(Chunks, MappingRecordMovesAHeldKey) {
  learn(effect, 0, 74);
  Bytes bytes = header();
  bytes.insert(bytes.end(), {0x01, 0x05, 0x4A, 0xB0, 0x01, 0x08, 0x07, 0xB0});
  load(effect, bytes);
  EXPECT_EQ(effect.getMapping(0), -1);
  EXPECT_EQ(effect.getMapping(5), static_cast<int16_t>(0xB04A));
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace

namespace {

// The processing quality rides in the chunk only when it is not Normal, as a value record for an
// index no parameter has, which readers from before the choice skip.
TEST_F(Chunks, QualityTravelsWithTheStateAndOldChunksLoadAsNormal) {
  const Bytes normal = chunkOf(effect, true), normalBank = chunkOf(effect, false);
  EXPECT_EQ(normal.size(), 72u);
  effect.setQuality(PlugCore::Quality::high);
  Bytes high = chunkOf(effect, true);
  Bytes expected = normal;
  expected.insert(expected.end(), {0x00, 0xF0, 0x01, 0x00});
  EXPECT_EQ(high, expected);
  EXPECT_EQ(chunkOf(effect, false).size(), normalBank.size() + 4);

  Quorl other(nullptr);  // one recording host at a time
  ASSERT_EQ(load(other, high, true), 1);
  EXPECT_EQ(other.getQuality(), PlugCore::Quality::high);
  effect.setQuality(PlugCore::Quality::highWhenRendering);
  ASSERT_EQ(load(other, chunkOf(effect, false)), 1);
  EXPECT_EQ(other.getQuality(), PlugCore::Quality::highWhenRendering);
  // A preset or session from before the choice: Normal, whatever the instance had.
  ASSERT_EQ(load(other, normal, true), 1);
  EXPECT_EQ(other.getQuality(), PlugCore::Quality::normal);
  // A choice this release does not know is Normal too, without a word.
  other.setQuality(PlugCore::Quality::high);
  high[high.size() - 2] = 7;
  ASSERT_EQ(load(other, high, true), 1);
  EXPECT_EQ(other.getQuality(), PlugCore::Quality::normal);
  EXPECT_TRUE(boxes.shown.empty());
}

// "High when rendering" follows what the host says at each resume; a host tool without an editor
// chooses through our vendor-specific call.
TEST(Quality, RenderingOfflineAndTheVendorCall) {
  FakeHost host;
  Quorl effect(host.callback());
  AEffect* record = effect.getAeffect();
  auto vendor = [record](VstIntPtr value) {
    return record->dispatcher(record, effVendorSpecific, kVendorQualityIndex, value, nullptr, 0);
  };
  EXPECT_EQ(vendor(-1), 1);  // Normal
  EXPECT_EQ(vendor(2), 1);
  EXPECT_EQ(effect.getQuality(), PlugCore::Quality::highWhenRendering);
  EXPECT_EQ(vendor(3), 0);  // no such choice: nothing changes
  EXPECT_EQ(vendor(-1), 3);

  record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0);
  EXPECT_FALSE(effect.wantsHighQuality());  // playing live
  record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0);
  host.processLevel = 4;
  record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0);
  EXPECT_TRUE(effect.wantsHighQuality());
  vendor(0);
  EXPECT_FALSE(effect.wantsHighQuality());
  vendor(1);
  host.processLevel = 2;
  record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0);
  record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0);
  EXPECT_TRUE(effect.wantsHighQuality());  // High is High, live or not
}

}  // namespace
