#include "RenderArgs.h"

#include <cstring>

#include "QualityChoice.h"
#include "TextParse.h"

namespace {

constexpr int64_t kMaxBlockSize = 1 << 20;

bool parseRate(const std::string& text, int& rate) {
  int64_t value;
  if (!parseCount(text, value) || value < 1 || value > kMaxSampleRate) return false;
  rate = static_cast<int>(value);
  return true;
}

bool parseBlockSize(const std::string& text, VstInt32& blockSize) {
  int64_t value;
  if (!parseCount(text, value) || value < 1 || value > kMaxBlockSize) return false;
  blockSize = static_cast<VstInt32>(value);
  return true;
}

}  // namespace

const char* const kRenderUsage =
    "  render MODULE (--in FILE | --signal SIGNAL) (--out FILE.wav | --out-raw FILE.f64)\n"
    "         [OPTION]...\n"
    "      Run audio through MODULE as a host does and print its levels: peak, RMS and\n"
    "      integrated loudness (BS.1770-4, LUFS) of the output and of the source.\n"
    "      --in FILE          a .wav (16/24-bit PCM or 32-bit float, mono or stereo) or raw\n"
    "                         interleaved stereo little-endian doubles when it ends in .f64\n"
    "      --signal SIGNAL    sine:FREQ[:AMP], saw-sweep:F0:F1[:AMP], noise[:AMP], silence or\n"
    "                         music[:PEAK] (drums, bass and chords); AMP defaults to 0.5,\n"
    "                         PEAK to -1 dBFS\n"
    "      --length SECONDS   length of a --signal (default 2)\n"
    "      --rate HZ          sample rate (default 44100; a WAV's own rate unless given)\n"
    "      --out FILE.wav     write 32-bit float stereo\n"
    "      --out-raw FILE.f64 write interleaved stereo doubles\n"
    "      --block N          block size (default 512)\n"
    "      --path float|double  processReplacing (default) or processDoubleReplacing\n"
    "      --preset FILE      load a .fxp or .fxb before the --params\n"
    "      --any-id           load it even when made for another plug-in ID\n"
    "      --program N        select the plug-in's program N (from 0) after the preset\n"
    "      --quality Q        normal, high or render (High when rendering), after the program\n"
    "      --param P=V        set parameter P (index or name) before processing\n"
    "      --at POS:P=V       set P to V at sample POS\n"
    "      --at POS:midi:S,D1,D2  send a MIDI event (hex bytes) at sample POS\n"
    "      --sweep P=V0:V1    move P linearly from V0 to V1, set at every block\n"
    "      --schedule FILE    events, one a line: 'POS param P V' or 'POS midi S D1 D2'\n"
    "      --playing          report the transport as playing\n"
    "      --offline          report an offline render (process level 4)\n";

bool parseRenderArgs(int argc, char** argv, RenderOptions& options, bool& help,
                     std::string& error) {
  options = RenderOptions();
  help = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    if (arg == "--offline") {
      options.offline = true;
      continue;
    }
    if (arg == "--playing") {
      options.playing = true;
      continue;
    }
    if (arg == "--any-id") {
      options.anyId = true;
      continue;
    }
    if (arg.compare(0, 2, "--") != 0) {
      if (!options.module.empty()) {
        error = "unexpected argument '" + arg + "'";
        return false;
      }
      options.module = arg;
      continue;
    }
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    bool ok = true;
    if (arg == "--in") {
      options.inFile = value;
      ok = !value.empty();
    } else if (arg == "--signal") {
      if (!parseSignal(value, options.signal, error)) return false;
      options.haveSignal = true;
      options.signalText = value;
    } else if (arg == "--length") {
      ok = parseFiniteNumber(value, options.seconds) && options.seconds >= 0;
      options.haveSeconds = true;
    } else if (arg == "--rate") {
      ok = parseRate(value, options.rate);
      options.haveRate = true;
    } else if (arg == "--out") {
      options.outWav = value;
    } else if (arg == "--out-raw") {
      options.outRaw = value;
    } else if (arg == "--block") {
      ok = parseBlockSize(value, options.blockSize);
    } else if (arg == "--path") {
      ok = value == "float" || value == "double";
      options.path = value == "double" ? SamplePath::float64 : SamplePath::float32;
    } else if (arg == "--preset") {
      options.preset = value;
    } else if (arg == "--program") {
      int64_t program;
      ok = parseCount(value, program) && program < (int64_t(1) << 31);
      options.program = ok ? static_cast<VstInt32>(program) : -1;
    } else if (arg == "--quality") {
      ok = parseQuality(value, options.quality);
    } else if (arg == "--param") {
      options.params.emplace_back();
      if (!parseParamValue(value, options.params.back(), error)) return false;
    } else if (arg == "--at") {
      options.events.emplace_back();
      if (!parseAt(value, options.events.back(), error)) return false;
    } else if (arg == "--sweep") {
      options.sweeps.emplace_back();
      if (!parseSweep(value, options.sweeps.back(), error)) return false;
    } else if (arg == "--schedule") {
      options.scheduleFiles.push_back(value);
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!ok || value.empty()) {
      error = "bad value '" + value + "' for " + arg;
      return false;
    }
  }

  if (options.module.empty()) {
    error = "render needs a MODULE";
  } else if (options.inFile.empty() == !options.haveSignal) {
    error = "render needs exactly one of --in FILE and --signal SIGNAL";
  } else if (options.haveSeconds && !options.haveSignal) {
    error = "--length applies to --signal only";
  } else if (options.outWav.empty() && options.outRaw.empty()) {
    error = "render needs --out FILE.wav or --out-raw FILE.f64";
  } else if (options.haveSignal && options.seconds * options.rate > double(kMaxSamples / 2)) {
    error = "--length is too long";
  } else {
    return true;
  }
  return false;
}
