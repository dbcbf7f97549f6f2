// What the user writes on the command line and in schedule files, and how parameter names are
// matched against the plug-in's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ParameterNames.h"
#include "RenderArgs.h"
#include "Schedule.h"

namespace {

using ::testing::HasSubstr;

TEST(HostSchedule, AtTakesParametersAndMidi) {
  ScheduledEvent event;
  std::string error;
  ASSERT_TRUE(parseAt("4410:wet mix=0.25", event, error)) << error;
  EXPECT_EQ(event.pos, 4410);
  EXPECT_FALSE(event.isMidi);
  EXPECT_EQ(event.change.param.text, "wet mix");
  EXPECT_EQ(event.change.value, 0.25);

  ASSERT_TRUE(parseAt("0:midi:b0,4A,7f", event, error)) << error;
  EXPECT_TRUE(event.isMidi);
  EXPECT_EQ(event.midi[0], 0xB0);
  EXPECT_EQ(event.midi[1], 0x4A);
  EXPECT_EQ(event.midi[2], 0x7F);

  for (const char* bad : {"4410", "-1:0=1", "1e3:0=1", ":0=1", "5:=1", "5:0=", "5:0=x",
                          "5:midi:B0,4A", "5:midi:B0,4A,40,1", "5:midi:40,4A,40", "5:midi:B0,80,0",
                          "5:midi:B0,4A,G0", "5:midi:B0,4A,100"})
    EXPECT_FALSE(parseAt(bad, event, error)) << bad;
}

TEST(HostSchedule, ValueIsAfterTheLastEquals) {
  ParamValue value;
  std::string error;
  ASSERT_TRUE(parseParamValue("a=b=-0.5", value, error));
  EXPECT_EQ(value.param.text, "a=b");
  EXPECT_EQ(value.value, -0.5);

  ParamSweep sweep;
  ASSERT_TRUE(parseSweep("cutoff=1:-1", sweep, error));
  EXPECT_EQ(sweep.param.text, "cutoff");
  EXPECT_EQ(sweep.from, 1);
  EXPECT_EQ(sweep.to, -1);
  EXPECT_FALSE(parseSweep("cutoff=1", sweep, error));
  EXPECT_FALSE(parseSweep("=0:1", sweep, error));
}

TEST(HostSchedule, FileHasCommentsSpacedNamesAndNumberedErrors) {
  const std::string text =
      "# cutoff ride\r\n"
      "\n"
      "  100 param wet mix 0.5   # half\r\n"
      "200 midi 90 3C 7F\n"
      "300 param 2 1\n";
  std::vector<ScheduledEvent> events;
  std::string error;
  ASSERT_TRUE(parseSchedule(text, events, error)) << error;
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].pos, 100);
  EXPECT_EQ(events[0].change.param.text, "wet mix");
  EXPECT_EQ(events[0].change.value, 0.5);
  EXPECT_TRUE(events[1].isMidi);
  EXPECT_EQ(events[1].midi[0], 0x90);
  EXPECT_EQ(events[2].change.param.text, "2");

  for (const char* bad : {"1 param 0.5\n", "1 midi 90 3C\n", "x param 0 1\n", "1 cc 0 1\n"}) {
    events.clear();
    EXPECT_FALSE(parseSchedule(std::string("0 param 0 1\n") + bad, events, error)) << bad;
    EXPECT_THAT(error, HasSubstr("line 2:"));
  }
}

TEST(HostParameterNames, IndexThenExactThenAnyCase) {
  const std::vector<std::string> names = {"Cutoff", "cutoff", "Wet Mix"};
  std::string error;
  auto resolve = [&](const char* text) {
    ParamRef ref{text};
    return resolveParameter(ref, names, error) ? ref.index : -1;
  };
  EXPECT_EQ(resolve("2"), 2);
  EXPECT_EQ(resolve("cutoff"), 1);
  EXPECT_EQ(resolve("CUTOFF"), 0);
  EXPECT_EQ(resolve("wet mix"), 2);
  EXPECT_EQ(resolve("3"), -1);
  EXPECT_THAT(error, HasSubstr("out of range"));
  EXPECT_EQ(resolve("wet"), -1);
  EXPECT_THAT(error, HasSubstr("0 \"Cutoff\" 1 \"cutoff\" 2 \"Wet Mix\""));
}

bool parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
  bool help = false;
  return parseRenderArgs(static_cast<int>(args.size()), const_cast<char**>(args.data()), options,
                         help, error);
}

TEST(HostRenderArgs, ReadsEveryOption) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse(
      {"fx.so",         "--signal", "noise:0.1", "--length",   "0.5",     "--rate",    "96000",
       "--block",       "64",       "--path",    "double",     "--param", "0=1",       "--at",
       "9:midi:80,1,2", "--sweep",  "1=0:1",     "--schedule", "s.txt",   "--out-raw", "o.f64",
       "--playing"},
      o, error))
      << error;
  EXPECT_EQ(o.module, "fx.so");
  EXPECT_TRUE(o.haveSignal);
  EXPECT_EQ(o.seconds, 0.5);
  EXPECT_EQ(o.rate, 96000);
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_EQ(o.path, SamplePath::float64);
  EXPECT_EQ(o.params.size(), 1u);
  EXPECT_EQ(o.events.size(), 1u);
  EXPECT_EQ(o.sweeps.size(), 1u);
  EXPECT_EQ(o.scheduleFiles, std::vector<std::string>{"s.txt"});
  EXPECT_EQ(o.outRaw, "o.f64");
  EXPECT_TRUE(o.playing);
}

TEST(HostRenderArgs, RefusesIncompleteOrContradictoryRequests) {
  const struct {
    std::vector<const char*> args;
    const char* reason;
  } cases[] = {
      {{"--in", "a.wav", "--out", "o.wav"}, "needs a MODULE"},
      {{"fx", "--out", "o.wav"}, "exactly one of"},
      {{"fx", "--in", "a.wav", "--signal", "silence", "--out", "o.wav"}, "exactly one of"},
      {{"fx", "--in", "a.wav"}, "--out"},
      {{"fx", "--in", "a.wav", "--length", "1", "--out", "o.wav"}, "--signal only"},
      {{"fx", "--signal", "silence", "--out", "o.wav", "--block", "0"}, "--block"},
      {{"fx", "--signal", "silence", "--out", "o.wav", "--path", "half"}, "--path"},
      {{"fx", "--signal", "silence", "--out", "o.wav", "--rate", "44.1k"}, "--rate"},
      {{"fx", "--signal", "silence", "--out", "o.wav", "--length", "1e9"}, "too long"},
      {{"fx", "--signal", "silence", "--out"}, "needs a value"},
      {{"fx", "other", "--signal", "silence", "--out", "o.wav"}, "unexpected argument"},
  };
  for (const auto& c : cases) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(parse(c.args, o, error)) << c.reason;
    EXPECT_THAT(error, HasSubstr(c.reason));
  }
}

}  // namespace
