// Preset files: their bytes, the damage the reader must catch, and the command line saving,
// showing and loading them through the test plug-in built with and without chunks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "CommandLine.h"
#include "PresetFile.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::vector<uint8_t> encoded(const PresetFile& preset) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(encodePreset(preset, bytes, error)) << error;
  return bytes;
}

void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

PresetFile programFile(float value) {
  PresetFile preset;
  preset.uniqueId = 0x51547374;
  preset.pluginVersion = 7;
  preset.program = {"Bright", {value}};
  return preset;
}

TEST(HostPresetFile, ProgramBytesAreBigEndianAndSized) {
  const std::vector<uint8_t> bytes = encoded(programFile(0.5f));
  ASSERT_EQ(bytes.size(), 60u);
  const std::vector<uint8_t> head(bytes.begin(), bytes.begin() + 28);
  EXPECT_EQ(head,
            (std::vector<uint8_t>{'C', 'c', 'n', 'K', 0,   0,   0, 52, 'F', 'x', 'C', 'k', 0, 0,
                                  0,   1,   'Q', 'T', 's', 't', 0, 0,  0,   7,   0,   0,   0, 1}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Bright");
  EXPECT_EQ(bytes[55], 0);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 56, bytes.end())),
            (std::vector<uint8_t>{0x3F, 0, 0, 0}));
}

TEST(HostPresetFile, EveryKindRoundTrips) {
  PresetFile bank = programFile(0);
  bank.fxMagic = kBankParams;
  bank.programs = {{"A", {-0.0f, 1e-40f, std::nanf("7")}}, {std::string(30, 'n'), {}}};
  PresetFile back;
  std::string error;
  ASSERT_TRUE(decodePreset(encoded(bank), back, error)) << error;
  EXPECT_EQ(back.count, 2);
  ASSERT_EQ(back.programs.size(), 2u);
  EXPECT_TRUE(sameBits(back.programs[0].params, bank.programs[0].params));
  EXPECT_EQ(back.programs[1].name, std::string(27, 'n'));  // 28 bytes with a terminator

  PresetFile chunkBank = bank;
  chunkBank.fxMagic = kBankChunk;
  chunkBank.formatVersion = 2;
  chunkBank.currentProgram = 5;
  chunkBank.count = 9;
  chunkBank.chunk = {1, 2, 3};
  ASSERT_TRUE(decodePreset(encoded(chunkBank), back, error)) << error;
  EXPECT_EQ(back.currentProgram, 5);
  EXPECT_EQ(back.count, 9);
  EXPECT_EQ(back.chunk, chunkBank.chunk);
  EXPECT_TRUE(back.programs.empty());

  PresetFile chunkProgram = programFile(0);
  chunkProgram.fxMagic = kProgramChunk;
  chunkProgram.count = 4;
  ASSERT_TRUE(decodePreset(encoded(chunkProgram), back, error)) << error;
  EXPECT_EQ(back.program.name, "Bright");
  EXPECT_TRUE(back.chunk.empty());
}

TEST(HostPresetFile, DamageIsNamed) {
  const std::vector<uint8_t> program = encoded(programFile(0.5f));
  PresetFile chunkFile = programFile(0);
  chunkFile.fxMagic = kProgramChunk;
  const std::vector<uint8_t> chunk = encoded(chunkFile);
  PresetFile bankFile = programFile(0);
  bankFile.fxMagic = kBankParams;
  bankFile.programs = {{"A", {0.5f}}};
  const std::vector<uint8_t> bank = encoded(bankFile);

  const auto edited = [](std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    putU32(bytes, offset, value);
    return bytes;
  };
  const struct {
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a preset file (magic 0x52494646 'RIFF'"},
      {{'C', 'c', 'n'}, "truncated: 3 bytes"},
      {std::vector<uint8_t>(program.begin(), program.end() - 1),
       "truncated: header says 60 bytes, file has 59"},
      {edited(program, 8, 0x58585858), "unknown preset kind 0x58585858 'XXXX'"},
      {edited(program, 24, 1000), "truncated: 4056 bytes needed for 1000 parameters"},
      {edited(program, 24, 0xFFFFFFFF), "bad parameter count -1"},
      {edited(program, 4, 20), "truncated: 56 bytes needed for the program header"},
      {edited(chunk, 56, 100), "chunk of 100 bytes does not fit: 0 bytes follow"},
      {edited(bank, 156, 0x52494646), "program 0: not a preset file"},
      {edited(bank, 164, kProgramChunk), "program 0: is 0x46504368 'FPCh'"},
      {edited(bank, 24, 2), "program 1: truncated: 0 bytes"},
  };
  for (const auto& c : cases) {
    PresetFile preset;
    std::string error;
    EXPECT_FALSE(decodePreset(c.bytes, preset, error)) << c.message;
    EXPECT_THAT(error, HasSubstr(c.message));
  }
}

class HostPreset : public HostCommandLine {
 protected:
  // Saves a program and a bank through `plugIn`, then shows each and saves it again: the second
  // files must equal the first, byte for byte.
  void roundTrip(const std::string& plugIn) {
    ASSERT_EQ(
        run("preset save " + plugIn + " " + path("p.fxp") + " --program 2 --param Gain=0.125"), 0)
        << err_;
    EXPECT_THAT(out_, HasSubstr("program         2 \"Dark\"\n"));
    // A fresh instance takes the program into program 0; then program 1 is changed.
    ASSERT_EQ(run("preset save " + plugIn + " " + path("b.fxb") + " --preset " + path("p.fxp") +
                  " --program 1 --param 1=0.75"),
              0)
        << err_;
    ASSERT_EQ(run("preset show " + plugIn + " " + path("p.fxp") + " --save " + path("p2.fxp")), 0)
        << err_;
    EXPECT_THAT(out_, HasSubstr("program         0 \"Dark\"\n"));
    EXPECT_THAT(out_, HasSubstr("param           0 name \"Gain\" label \"\" display \"0.125\""));
    EXPECT_EQ(read("p2.fxp"), read("p.fxp"));
    ASSERT_EQ(run("preset show " + plugIn + " " + path("b.fxb") + " --save " + path("b2.fxb")), 0)
        << err_;
    EXPECT_EQ(read("b2.fxb"), read("b.fxb"));
  }

  // What the last `show` printed about the state, from its `program` line to its `saved` line.
  std::string shownState() const {
    const size_t start = out_.find("program ");
    return out_.substr(start, out_.find("saved ") - start);
  }
};

TEST_F(HostPreset, ChunksRoundTripAndTheBankKeepsItsProgram) {
  roundTrip(TEST_PLUGIN);
  EXPECT_EQ(shownState(),
            "program         1 \"Bright\"\n"
            "programName     0 \"Dark\"\n"
            "programName     1 \"Bright\"\n"
            "programName     2 \"Dark\"\n"
            "param           0 name \"Gain\" label \"\" display \"0.250\" value 0.25\n"
            "param           1 name \"Tone Shape\" label \"\" display \"0.750\" value 0.75\n");
  EXPECT_THAT(out_, HasSubstr("format          FBCh\n"));
}

TEST_F(HostPreset, ParameterListsRoundTripAndBankNamesComeFromSwitching) {
  roundTrip(TEST_PLUGIN_PARAMS);
  // A bank of values names no current program, so the fresh instance stays on program 0.
  EXPECT_EQ(shownState(),
            "program         0 \"Dark\"\n"
            "programName     0 \"Dark\"\n"
            "programName     1 \"Bright\"\n"
            "programName     2 \"Dark\"\n"
            "param           0 name \"Gain\" label \"\" display \"0.125\" value 0.125\n"
            "param           1 name \"Tone Shape\" label \"\" display \"1.000\" value 1\n");
  EXPECT_THAT(out_, HasSubstr("format          FxBk\n"));
}

TEST_F(HostPreset, RenderAndInfoLoadThePresetBeforeTheirParameters) {
  ASSERT_EQ(run("preset save " TEST_PLUGIN " " + path("loud.fxp") + " --param Gain=1"), 0) << err_;
  const std::string render = "render " TEST_PLUGIN " --signal sine:11025:0.5 --length 0.01 --out " +
                             path("o.wav") + " --preset " + path("loud.fxp");
  ASSERT_EQ(run(render), 0) << err_;
  EXPECT_THAT(out_, HasSubstr("peakL           0.00\n"));
  ASSERT_EQ(run(render + " --param Gain=0.25"), 0) << err_;
  EXPECT_THAT(out_, HasSubstr("peakL           -12.04\n"));
  ASSERT_EQ(run("info " TEST_PLUGIN " --preset " + path("loud.fxp") + " --answer no"), 0) << err_;
  EXPECT_THAT(out_, HasSubstr("display \"1.000\" value 1\n"));
}

TEST_F(HostPreset, BadFilesAndWrongPlugInsAreRefused) {
  ASSERT_EQ(run("preset save " TEST_PLUGIN " " + path("c.fxp")), 0) << err_;
  std::vector<uint8_t> other = read("c.fxp");
  putU32(other, 16, 0x4F746872);
  write("other.fxp", other);
  write("short.fxp", std::vector<uint8_t>(other.begin(), other.end() - 1));
  write("wav.fxp", {'R', 'I', 'F', 'F', 1, 0, 0, 0});
  const std::string show = "preset show " TEST_PLUGIN " ";
  const struct {
    std::string args;
    int code;
    const char* message;
  } cases[] = {
      {show + path("wav.fxp"), 5, "not a preset file (magic 0x52494646 'RIFF'"},
      {show + path("short.fxp"), 5, "truncated: header says 92 bytes, file has 91"},
      {show + path("other.fxp"), 5, "made for plug-in ID 0x4F746872 (this is 0x51547374)"},
      {show + path("other.fxp") + " --any-id", 0, ""},
      {show + path("none.fxp"), 5, "cannot read preset"},
      {"preset show " TEST_PLUGIN_PARAMS " " + path("c.fxp"), 5, "takes no chunks"},
      {"preset save " TEST_PLUGIN " " + path("c.txt"), 1, "must end in .fxp"},
      {"preset save " TEST_PLUGIN " " + path("c.fxb") + " --program 3", 1, "out of range"},
      {"preset save " TEST_PLUGIN " " + path("no/c.fxb"), 6, "cannot write"},
      {"preset dump " + path("short.fxp"), 5, "truncated"},
      {"--answer maybe info " TEST_PLUGIN, 1, "--answer needs yes, no or ok"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.args), c.code) << c.args;
    EXPECT_THAT(err_, HasSubstr(c.message)) << c.args;
  }
}

TEST_F(HostPreset, DumpShowsAKnownFileAndTheChunkGoesInWhole) {
  std::vector<uint8_t> file = {'C', 'c', 'n', 'K', 0,   0,   0,   72,  'F', 'P', 'C', 'h',
                               0,   0,   0,   1,   'Q', 'T', 's', 't', 0,   0,   0,   7,
                               0,   0,   0,   2,   'B', 'r', 'i', 'g', 'h', 't'};
  file.resize(56);
  file.insert(file.end(), {0, 0, 0, 20});
  for (uint8_t i = 0; i < 20; ++i) file.push_back(i);
  write("known.fxp", file);
  ASSERT_EQ(run("preset dump " + path("known.fxp")), 0) << err_;
  EXPECT_EQ(out_, "file            \"" + path("known.fxp") +
                      "\"\n"
                      "fileBytes       80\n"
                      "magic           0x43636E4B 'CcnK'\n"
                      "byteSize        72\n"
                      "fxMagic         0x46504368 'FPCh'\n"
                      "version         1\n"
                      "uniqueID        0x51547374 (1364489076)\n"
                      "fxVersion       7\n"
                      "numParams       2\n"
                      "name            \"Bright\"\n"
                      "chunkSize       20\n"
                      "chunk           00000000 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n"
                      "chunk           00000010 10 11 12 13\n");
  // The plug-in wants 32 bytes; it sees all 20, says so (on stderr, off Windows) and refuses
  // them, which the host reports instead of the state.
  EXPECT_EQ(run("preset show " TEST_PLUGIN " " + path("known.fxp")), 5) << err_;
  EXPECT_THAT(err_, HasSubstr("[Test plug-in] The chunk is damaged (20 bytes)"));
  EXPECT_THAT(err_, HasSubstr("the plug-in refused preset '" + path("known.fxp") + "'"));
  EXPECT_THAT(out_, Not(HasSubstr("program ")));
}

}  // namespace
