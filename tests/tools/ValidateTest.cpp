// The validator as its users run it: against a plug-in that does everything right it passes,
// against the same plug-in committing one fault the check about that fault fails, with the reason;
// a crash or a hang fails one check and the run goes on; the test plug-in's own known faults are
// found and nothing else is blamed on it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "CommandLine.h"
#include "ValidateArgs.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class Validator : public HostCommandLine {
 protected:
  // `vsthost validate` on the faulty plug-in committing `fault` ("" for none).
  int validate(const std::string& fault, const std::string& options) {
    return run("validate " TEST_FAULTY_PLUGIN " " + options + " </dev/null", fault);
  }

  // Without a display, so the editor checks are skipped alike everywhere; they run on a display
  // of their own in the X11 tests.
  int run(const std::string& args, const std::string& fault = "") {
    return HostCommandLine::run(args, "env -u DISPLAY VALIDATE_FAULT=" + fault);
  }
};

TEST_F(Validator, RightPlugInPassesEveryCheckAndSkipsTheEditorWithoutADisplay) {
  EXPECT_EQ(validate("", ""), 0) << out_ << err_;
  EXPECT_THAT(out_, Not(HasSubstr("FAIL")));
  EXPECT_THAT(out_, HasSubstr("PASS load: \"Faulty\": 2 in, 2 out, 2 parameters, 4 programs"));
  EXPECT_THAT(out_, HasSubstr("PASS processing.accumulate\n"));
  EXPECT_THAT(out_, HasSubstr("PASS state.parametersSurvive: 4 programs through a bank chunk"));
  EXPECT_THAT(out_, HasSubstr("SKIP threads.editorWhileProcessing (no editor window here"));
  EXPECT_THAT(out_, HasSubstr("SKIP editor.* (no editor window here (on Linux: no X display))\n"));
  EXPECT_THAT(out_, HasSubstr(" 0 failed, 10 skipped\n"));
}

struct FaultCase {
  const char* fault;
  const char* only;
  const char* line;  // the FAIL line's beginning
};

// Named by its fault in test listings, not dumped as bytes.
void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.fault; }

class ValidatorFault : public Validator, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ValidatorFault, FailsTheCheckAboutIt) {
  const FaultCase& fault = GetParam();
  EXPECT_EQ(validate(fault.fault, std::string("--only ") + fault.only), 8) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr(fault.line));
  EXPECT_THAT(out_, HasSubstr("\nvalidate: "));
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, ValidatorFault,
    ::testing::Values(
        FaultCase{"unwritten", "processing.blockSizes",
                  "FAIL processing.blockSizes: block of 1 (float): output 1 not written (sample "
                  "0 of 1); block of 3 (float)"},
        FaultCase{"overrun", "processing.zeroFrames",
                  "FAIL processing.zeroFrames: block of 512 (float): output 0 written past its 512 "
                  "frames (at sample 512)"},
        FaultCase{"nan", "processing.badInput",
                  "FAIL processing.badInput: NaN in: block of 512 (float): output 0 not finite at "
                  "sample 0 (nan)"},
        FaultCase{"loud", "processing.badInput",
                  "FAIL processing.badInput: 1e30 in: float: output peaks at +200 dBFS, over +60 "
                  "dBFS"},
        FaultCase{"allocates", "audioPath",
                  "FAIL audioPath.allocations: 200 allocations and 200 frees in 200 float calls"},
        FaultCase{"shared", "processing.twoInstancesAgree",
                  "FAIL processing.twoInstancesAgree: float: block 1 differs, sample 0:"},
        FaultCase{"resumeOnly", "lifecycle",
                  "FAIL lifecycle.processBeforeResume: float: silent until the first resume"},
        FaultCase{"underrun", "processing.blockSizes",
                  "FAIL processing.blockSizes: block of 1 (float): output 1 written before its "
                  "first sample"},
        FaultCase{"writesInput", "processing.blockSizes",
                  "FAIL processing.blockSizes: block of 1 (float): input 0 changed by the "
                  "plug-in"},
        FaultCase{"slow", "audioPath.time", "FAIL audioPath.time: slowest block "},
        FaultCase{"stalls", "audioPath.time", " Hz: block 100 over budget in each of 3 runs ("},
        FaultCase{"drifting", "state.chunkRoundTrip",
                  "FAIL state.chunkRoundTrip: the bank chunk differs at byte "},
        FaultCase{"namesLost", "state.parametersSurvive",
                  "FAIL state.parametersSurvive: through a bank chunk: program 0 was named "
                  "\"Check 0-"},
        FaultCase{"unclamped", "state.randomChunks", "FAIL state.randomChunks: after chunk "}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.fault); });

TEST_F(Validator, CrashFailsItsCheckAndTheRunGoesOn) {
  EXPECT_EQ(validate("overread", "--only state"), 8) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("FAIL state.truncatedChunks: crashed (SIGSEGV, bad memory access)\n"
                              "FAIL state.randomChunks: crashed (SIGSEGV"));
  EXPECT_THAT(out_, HasSubstr("PASS state.badIndexes\nvalidate: 2 passed, 4 failed, 0 skipped\n"));
}

TEST_F(Validator, CrashInProcessIsReportedAndEndsTheRun) {
  EXPECT_EQ(validate("overread", "--only state --in-process"), 8) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("FAIL state.chunkRoundTrip: crashed (SIGSEGV, bad memory access)\n"));
  EXPECT_THAT(out_, Not(HasSubstr("state.parametersSurvive")));
}

TEST_F(Validator, HangIsCutOffAtTheTimeout) {
  EXPECT_EQ(validate("hang", "--only state.truncatedChunks --only state.badIndexes --timeout 1"), 8)
      << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("FAIL state.truncatedChunks: timed out after 1 s\n"
                              "PASS state.badIndexes\n"));
}

TEST_F(Validator, SameSeedGivesTheSameReport) {
  ASSERT_EQ(validate("unwritten", "--only processing.varyingBlockSizes --seed 7"), 8);
  const std::string first = out_;
  ASSERT_EQ(validate("unwritten", "--only processing.varyingBlockSizes --seed 7"), 8);
  EXPECT_EQ(out_, first);
  ASSERT_EQ(validate("unwritten", "--only processing.varyingBlockSizes --seed 8"), 8);
  EXPECT_NE(out_, first);
}

TEST_F(Validator, FreedMemoryFillIsRequiredOnlyWhenAsked) {
  EXPECT_EQ(validate("", "--only lifecycle.reload --require-freed-fill"), 8);
  EXPECT_THAT(out_, HasSubstr("FAIL host.freedMemoryOverwritten: freed memory keeps its bytes"));
  const int status = HostCommandLine::run(
      "validate " TEST_FAULTY_PLUGIN " --only lifecycle.reload --require-freed-fill",
      "GLIBC_TUNABLES=glibc.malloc.tcache_count=0:glibc.malloc.perturb=165");
  EXPECT_EQ(status, 0) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("PASS host.freedMemoryOverwritten: freed memory is overwritten "
                              "(with 0xA5)"));
}

// The host tool's own test plug-in keeps one global state and logs every call into a string,
// from both threads; its NaN goes through its gain, and it takes a chunk of the right size
// without looking at the values in it. That is what must be found, nothing else.
TEST_F(Validator, TestPlugInsKnownFaultsAreFoundAndNothingElse) {
  // Its log is not safe against two threads at once, so whether that crashes is luck.
  EXPECT_EQ(run("validate " TEST_PLUGIN " --skip threads"), 8) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("FAIL processing.badInput: NaN in: block of 512 (float): output 0 "
                              "not finite at sample 0 (nan)"));
  EXPECT_THAT(out_, HasSubstr("FAIL audioPath.allocations: "));
  EXPECT_THAT(out_, HasSubstr("FAIL state.randomChunks: after chunk 5 (a damaged chunk, 32 "
                              "bytes), parameter 1 reads "));
  EXPECT_THAT(out_, HasSubstr("PASS state.chunkRoundTrip: 32-byte program, 100-byte bank"));
  EXPECT_THAT(out_, HasSubstr("validate: 20 passed, 3 failed, 10 skipped\n"));

  EXPECT_EQ(run("validate " TEST_PLUGIN_PARAMS " --only state"), 0) << out_ << err_;
  EXPECT_THAT(out_, HasSubstr("PASS state.parametersSurvive: 3 programs as names and values\n"));
  EXPECT_THAT(out_, HasSubstr("SKIP state.chunkRoundTrip (no chunks: programChunks flag clear)"));
}

TEST_F(Validator, NamesAreCheckedAndListed) {
  EXPECT_EQ(run("validate --list"), 0);
  EXPECT_THAT(out_, HasSubstr("editor.unloadBeforeWindow"));
  EXPECT_THAT(out_, HasSubstr("processing.blockSizes "));
  EXPECT_EQ(run("validate " TEST_FAULTY_PLUGIN " --only process"), 1);
  EXPECT_THAT(err_, HasSubstr("no check is named 'process'"));
  EXPECT_EQ(run("validate " TEST_FAULTY_PLUGIN " --skip nothing.here"), 1);
  EXPECT_EQ(run("validate"), 1);
  EXPECT_EQ(run("validate " + path("missing.so")), 2);
  EXPECT_THAT(out_, HasSubstr("FAIL load: cannot load"));
}

TEST(ValidatorNames, GroupCheckAndPrefixButNoPartialWord) {
  EXPECT_TRUE(selected({}, "state.badIndexes"));
  EXPECT_TRUE(selected({"state"}, "state.badIndexes"));
  EXPECT_TRUE(selected({"state.badIndexes"}, "state.badIndexes"));
  EXPECT_TRUE(selected({"state.bad*"}, "state.badIndexes"));
  EXPECT_FALSE(selected({"stat"}, "state.badIndexes"));
  EXPECT_FALSE(selected({"state.bad"}, "state.badIndexes"));
  EXPECT_FALSE(selected({"processing", "lifecycle"}, "state.badIndexes"));
}

}  // namespace
