// Renders through our test plug-in: the calls a host makes and their order, the clock it reports,
// where events land, and that samples pass through each path unchanged. Then the command line as a
// user runs it, with its output files and exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "BlockPlan.h"
#include "CommandLine.h"
#include "FileBytes.h"
#include "HostCallback.h"
#include "Platform.h"
#include "RawAudio.h"
#include "Renderer.h"
#include "SignalGenerator.h"
#include "WavFile.h"

namespace {

using ::testing::HasSubstr;

// One loaded, opened test plug-in.
class TestPlugIn {
 public:
  explicit TestPlugIn(const char* path, bool playing = false) {
    std::string error;
    EXPECT_TRUE(module_.load(path, error)) << error;
    hostcallback::reset(true);
    hostcallback::startTransport(48000, 64, playing);
    auto entry = reinterpret_cast<VstPluginMainProc>(module_.find("VSTPluginMain"));
    effect_ = Effect(entry(hostcallback::callback));
    effect_.open();
  }

  Audio render(const Audio& source, const std::vector<Block>& blocks, SamplePath path,
               std::vector<ParamWrite> initial = {}) {
    RenderSettings settings;
    settings.blockSize = 64;
    settings.path = path;
    settings.initialParams = std::move(initial);
    return ::render(effect_, source, blocks, settings);
  }

  ~TestPlugIn() {
    if (!closed_) effect_.close();
  }

  // Closes the effect and returns everything it was asked.
  std::string log() {
    effect_.close();
    closed_ = true;
    auto read = reinterpret_cast<const char* (*)()>(module_.find("testPluginLog"));
    return read();
  }

 private:
  Module module_;
  Effect effect_{nullptr};
  bool closed_ = false;
};

Audio stereo(std::vector<double> left, std::vector<double> right) {
  Audio audio;
  audio.rate = 48000;
  audio.channels = {std::move(left), std::move(right)};
  return audio;
}

Audio noise(size_t frames) {
  SignalShape shape;
  std::string error;
  EXPECT_TRUE(parseSignal("noise:0.9", shape, error));
  Audio audio = generateSignal(shape, 48000, frames);
  // The awkward values too: the smallest denormal, negative zero, beyond full scale.
  audio.channels[0][1] = 4.9e-324;
  audio.channels[0][2] = -0.0;
  audio.channels[1][3] = 1e300;
  return audio;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(HostRender, CallsInHostOrderWithEventsOnTheirSamples) {
  TestPlugIn plugIn(TEST_PLUGIN);
  ScheduledEvent change;
  change.pos = 100;
  change.change.param.index = 1;
  change.change.value = 0.5;
  ScheduledEvent note;
  note.pos = 70;
  note.isMidi = true;
  note.midi[0] = 0x90;
  note.midi[1] = 0x3C;
  note.midi[2] = 0x7F;
  plugIn.render(Audio(stereo(std::vector<double>(150), std::vector<double>(150))),
                planBlocks(150, 64, {change, note}, {}), SamplePath::float32, {{0, 0.25f}});
  EXPECT_EQ(plugIn.log(),
            "open\n"
            "rate 48000\n"
            "block 64\n"
            "param 0 0.25\n"
            "mains 1\n"
            "start\n"
            "process float 64 at 0 ppq 0 tempo 120 rate 48000 flags 0x600\n"
            "midi type=1 size=32 delta=6 90 3C 7F\n"
            "process float 36 at 64 ppq 0.00266667 tempo 120 rate 48000 flags 0x600\n"
            "param 1 0.5\n"
            "process float 28 at 100 ppq 0.00416667 tempo 120 rate 48000 flags 0x600\n"
            "process float 22 at 128 ppq 0.00533333 tempo 120 rate 48000 flags 0x600\n"
            "stop\n"
            "mains 0\n"
            "close\n");
}

TEST(HostRender, PlayingTransportIsReported) {
  TestPlugIn plugIn(TEST_PLUGIN, true);
  plugIn.render(stereo({0}, {0}), planBlocks(1, 64, {}, {}), SamplePath::float64);
  EXPECT_THAT(plugIn.log(),
              HasSubstr("process double 1 at 0 ppq 0 tempo 120 rate 48000 flags 0x602"));
}

TEST(HostRender, DoublePathPassesEveryBit) {
  TestPlugIn plugIn(TEST_PLUGIN);
  const Audio source = noise(1000);
  const Audio out = plugIn.render(source, planBlocks(1000, 64, {}, {}), SamplePath::float64);
  EXPECT_TRUE(sameBits(out.channels[0], source.channels[0]));
  EXPECT_TRUE(sameBits(out.channels[1], source.channels[1]));
}

TEST(HostRender, FloatPathRoundsToFloatAndAppliesParameters) {
  TestPlugIn plugIn(TEST_PLUGIN);
  const Audio source = noise(300);
  ScheduledEvent half;
  half.pos = 200;
  half.change.param.index = 0;
  half.change.value = 0.25;  // gain 0.5 from sample 200 on
  const Audio out = plugIn.render(source, planBlocks(300, 64, {half}, {}), SamplePath::float32);
  for (size_t c = 0; c < 2; ++c) {
    for (size_t i = 0; i < 300; ++i) {
      const float in = static_cast<float>(source.channels[c][i]);
      const double expected = i < 200 ? in : in * 0.5f;
      ASSERT_EQ(out.channels[c][i], expected) << c << " " << i;
    }
  }
}

TEST(HostRender, MonoPlugInHearsTheLeftAndFeedsBothSides) {
  TestPlugIn plugIn(TEST_PLUGIN_MONO);
  const Audio out =
      plugIn.render(stereo({0.5, 0.25}, {-1, -1}), planBlocks(2, 64, {}, {}), SamplePath::float32);
  EXPECT_EQ(out.channels[0], (std::vector<double>{0.5, 0.25}));
  EXPECT_EQ(out.channels[1], out.channels[0]);
}

TEST(HostRender, MonoSourceFeedsBothInputs) {
  TestPlugIn plugIn(TEST_PLUGIN);
  Audio mono;
  mono.rate = 48000;
  mono.channels = {{0.5, -0.5}};
  const Audio out = plugIn.render(mono, planBlocks(2, 64, {}, {}), SamplePath::float64);
  EXPECT_EQ(out.channels[0], mono.channels[0]);
  EXPECT_EQ(out.channels[1], mono.channels[0]);
}

TEST_F(HostCommandLine, RawDoubleRenderIsBitExactAndSummarised) {
  const std::vector<uint8_t> input = encodeRawStereo(noise(5000));
  write("in.f64", input);
  ASSERT_EQ(run("render " TEST_PLUGIN " --in " + path("in.f64") + " --path double --block 100 " +
                "--rate 48000 --at 4410:midi:B0,4A,40 --sweep Gain=0.5:0.5 --out-raw " +
                path("out.f64") + " --out " + path("out.wav")),
            0)
      << err_;
  EXPECT_TRUE(read("out.f64") == input);
  Audio wav;
  std::string error;
  ASSERT_TRUE(decodeWav(read("out.wav"), wav, error)) << error;
  EXPECT_EQ(wav.rate, 48000);
  EXPECT_EQ(wav.frames(), 5000u);
  EXPECT_THAT(out_, HasSubstr("frames          5000\n"));
  EXPECT_THAT(out_, HasSubstr("path            double\n"));
  EXPECT_THAT(out_, HasSubstr("peakR           6000.00\n"));  // the 1e300 sample
  EXPECT_THAT(out_, HasSubstr("nonFinite       0\n"));
  EXPECT_THAT(out_, HasSubstr("out             \"" + path("out.f64") + "\"\n"));
}

TEST_F(HostCommandLine, SignalRenderReportsLevelsAndFaults) {
  ASSERT_EQ(run("render " TEST_PLUGIN " --signal sine:11025:0.5 --length 0.1 --param Gain=1 "
                "--schedule /dev/null --out " +
                path("out.wav")),
            0)
      << err_;
  // Gain 2 on a sine of 0.5 sampled at its peaks: full scale, RMS 3 dB below.
  EXPECT_THAT(out_, HasSubstr("frames          4410\n"));
  EXPECT_THAT(out_, HasSubstr("peakL           0.00\n"));
  EXPECT_THAT(out_, HasSubstr("rmsR            -3.01\n"));

  ASSERT_EQ(run("render " TEST_PLUGIN " --signal silence --length 0.01 --out " + path("out.wav")),
            0);
  EXPECT_THAT(out_, HasSubstr("peakL           -inf\n"));
  EXPECT_THAT(out_, HasSubstr("nonFinite       0\n"));
  ASSERT_EQ(run("render " TEST_PLUGIN " --signal noise --length 0.01 --param 0=nan --out " +
                path("out.wav")),
            0);
  EXPECT_THAT(out_, HasSubstr("nonFinite       882\n"));
}

TEST_F(HostCommandLine, ExitCodesSayWhatWentWrong) {
  write("bad.wav", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
  write("sched.txt", {'5', ' ', 'p', 'a', 'r', 'a', 'm', ' ', '0', '\n'});
  const std::string out = " --out " + path("o.wav");
  const struct {
    std::string args;
    int code;
    const char* message;
  } cases[] = {
      {"render " TEST_PLUGIN " --in " + path("bad.wav") + out, 5, "no fmt chunk"},
      {"render " TEST_PLUGIN " --in " + path("none.wav") + out, 5, "cannot read"},
      {"render " TEST_PLUGIN_MONO " --signal silence --path double" + out, 1, "canDoubleReplacing"},
      {"render " TEST_PLUGIN " --signal silence --param Volume=1" + out, 1,
       "parameters: 0 \"Gain\" 1 \"Tone Shape\""},
      {"render " TEST_PLUGIN " --signal silence --schedule " + path("sched.txt") + out, 1,
       "line 1:"},
      {"render " TEST_PLUGIN " --signal silence --out " + path("missing/o.wav"), 6, "cannot write"},
      {"render " + path("nothing.so") + " --signal silence" + out, 2, "cannot load module"},
      {"render " TEST_PLUGIN " --signal silence", 1, "--out"},
      {"render " TEST_PLUGIN " --signal silence --program 99" + out, 1, "programs (0 to"},
      {"render " TEST_PLUGIN " --signal silence --quality high" + out, 1, "no quality choice"},
      {"render " TEST_PLUGIN " --signal silence --quality best" + out, 1, "bad value 'best'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.args), c.code) << c.args;
    EXPECT_THAT(err_, HasSubstr(c.message)) << c.args;
  }
}

}  // namespace
