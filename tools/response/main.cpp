// response: makes the test signals for the manual's pictures and turns renders of them into CSV.
//   response impulse OUT.f64 --rate HZ --lead S --length S --amplitude A
//       silence, then one sample of A at `lead` seconds (A 0: the same length of silence)
//   response magnitude OUT.csv --rate HZ --start N --length N --amplitude A NAME=WITH:WITHOUT...
//       dB at log-spaced frequencies of (WITH - WITHOUT) / A from frame N on: the render of the
//       impulse less the render of silence, which cancels the plug-in's own noise floor
//   response harmonics OUT.csv --rate HZ --fundamental HZ --start N --length N NAME=RENDER...
//       each harmonic's level in dBFS up to 20 kHz; N a whole number of the fundamental's cycles
//   response spectrum OUT.csv --rate HZ --fundamental HZ --step HZ --start N --length N
//   NAME=RENDER...
//       the level in dBFS of every multiple of `step` up to half the rate, and the strongest
//       component that is no harmonic of the fundamental (an alias), in dBc; N a whole number
//       of the signal's periods, so each line falls on its own bin
//   response envelope OUT.csv --rate HZ --window S NAME=RENDER...
//       RMS dBFS of each window of S seconds, against the window's start in seconds
//   response drop CSV COLUMN [--db 3]
//       the frequency where COLUMN first falls that far below its value at the lowest frequency
// Exit 0 on success, 2 on bad usage or unreadable files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "Measure.h"

using namespace Response;

namespace {

constexpr double kLowest = 20.0, kHighest = 20000.0;

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, double> numbers;
};

bool parse(int argc, char** argv, Args& args) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.compare(0, 2, "--") != 0) {
      args.positional.push_back(arg);
      continue;
    }
    char* end = nullptr;
    if (i + 1 >= argc) return false;
    const double value = std::strtod(argv[++i], &end);
    if (*end || !std::isfinite(value)) return false;
    args.numbers[arg.substr(2)] = value;
  }
  return true;
}

bool need(const Args& args, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (!args.numbers.count(name)) {
      std::fprintf(stderr, "response: --%s is needed\n", name);
      return false;
    }
  return true;
}

// The samples of `path`'s left channel from `start`, `length` of them.
bool excerpt(const std::string& path, std::size_t start, std::size_t length,
             std::vector<double>& out) {
  std::vector<double> all;
  if (!readLeftChannel(path, all) || all.size() < start + length) {
    std::fprintf(stderr, "response: %s holds fewer than %zu stereo frames\n", path.c_str(),
                 start + length);
    return false;
  }
  out.assign(all.begin() + static_cast<long>(start),
             all.begin() + static_cast<long>(start + length));
  return true;
}

// NAME=RENDER: the name, and the render's samples from `start` on, `length` of them.
bool namedExcerpt(const std::string& entry, std::size_t start, std::size_t length,
                  std::string& name, std::vector<double>& out) {
  const std::size_t eq = entry.find('=');
  if (eq == std::string::npos || !excerpt(entry.substr(eq + 1), start, length, out)) return false;
  name = entry.substr(0, eq);
  return true;
}

// The amplitude of the line at `hz`: a sine of amplitude A that fills `x` with whole cycles reads
// A.
double lineAmplitude(const std::vector<double>& x, double hz, double rate) {
  return dftMagnitude(x, hz, rate) * 2.0 / static_cast<double>(x.size());
}

int makeImpulse(const Args& a) {
  if (a.positional.size() != 1 || !need(a, {"rate", "lead", "length", "amplitude"})) return 2;
  const double rate = a.numbers.at("rate");
  std::vector<double> signal(static_cast<std::size_t>(a.numbers.at("length") * rate), 0.0);
  const auto at = static_cast<std::size_t>(a.numbers.at("lead") * rate);
  if (at >= signal.size()) return 2;
  signal[at] = a.numbers.at("amplitude");
  return writeStereo(a.positional[0], signal) ? 0 : 2;
}

int magnitude(const Args& a) {
  if (a.positional.size() < 2 || !need(a, {"rate", "start", "length", "amplitude"})) return 2;
  const double rate = a.numbers.at("rate"), amplitude = a.numbers.at("amplitude");
  const auto start = static_cast<std::size_t>(a.numbers.at("start"));
  const auto length = static_cast<std::size_t>(a.numbers.at("length"));
  const bool refine = a.numbers.count("refine") && a.numbers.at("refine") != 0.0;
  const std::vector<double> grid = logFrequencies(kLowest, kHighest, 100);
  std::vector<std::string> names;
  std::vector<std::vector<double>> responses;
  std::vector<double> frequencies = grid;
  for (std::size_t s = 1; s < a.positional.size(); ++s) {
    const std::string& entry = a.positional[s];
    const std::size_t eq = entry.find('='), colon = entry.find(':', eq);
    std::vector<double> with, without;
    if (eq == std::string::npos || colon == std::string::npos ||
        !excerpt(entry.substr(eq + 1, colon - eq - 1), start, length, with) ||
        !excerpt(entry.substr(colon + 1), start, length, without))
      return 2;
    for (std::size_t n = 0; n < length; ++n) with[n] = (with[n] - without[n]) / amplitude;
    if (refine) {
      std::vector<double> coarse;
      for (double hz : grid) coarse.push_back(dftMagnitude(with, hz, rate));
      for (std::size_t i = 1; i + 1 < grid.size(); ++i) {
        const bool notch = coarse[i] < coarse[i - 1] && coarse[i] < coarse[i + 1];
        const bool peak = coarse[i] > coarse[i - 1] && coarse[i] > coarse[i + 1];
        if (notch || peak)
          frequencies.push_back(extremeFrequency(with, grid[i - 1], grid[i + 1], rate, peak));
      }
    }
    names.push_back(entry.substr(0, eq));
    responses.push_back(std::move(with));
  }
  std::sort(frequencies.begin(), frequencies.end());
  Table table;
  table.names.push_back("hz");
  table.columns.push_back(frequencies);
  for (std::size_t s = 0; s < responses.size(); ++s) {
    std::vector<double> levels;
    for (double hz : frequencies) levels.push_back(decibels(dftMagnitude(responses[s], hz, rate)));
    table.names.push_back(names[s]);
    table.columns.push_back(levels);
    std::printf("%-24s -3 dB at %.1f Hz\n", names[s].c_str(),
                dropFrequency(frequencies, levels, 3.0));
  }
  return writeCsv(a.positional[0], table) ? 0 : 2;
}

int spectrum(const Args& a) {
  if (a.positional.size() < 2 || !need(a, {"rate", "fundamental", "step", "start", "length"}))
    return 2;
  const double rate = a.numbers.at("rate"), fundamental = a.numbers.at("fundamental");
  const double step = a.numbers.at("step");
  const auto start = static_cast<std::size_t>(a.numbers.at("start"));
  const auto length = static_cast<std::size_t>(a.numbers.at("length"));
  if (!(step > 0)) return 2;
  Table table;
  table.names.push_back("hz");
  table.columns.emplace_back();
  for (double hz = step; hz < rate / 2; hz += step) table.columns[0].push_back(hz);
  for (std::size_t s = 1; s < a.positional.size(); ++s) {
    std::string name;
    std::vector<double> x;
    if (!namedExcerpt(a.positional[s], start, length, name, x)) return 2;
    std::vector<double> levels;
    double tone = 0.0, alias = 0.0, aliasHz = 0.0;
    for (double hz : table.columns[0]) {
      const double amplitude = lineAmplitude(x, hz, rate);
      levels.push_back(decibels(amplitude));
      const double multiple = hz / fundamental;
      if (std::fabs(multiple - std::round(multiple)) < 1e-9) {
        if (std::round(multiple) == 1) tone = amplitude;
      } else if (amplitude > alias) {
        alias = amplitude;
        aliasHz = hz;
      }
    }
    table.names.push_back(name);
    table.columns.push_back(levels);
    std::printf("%-24s tone %.2f dBFS, strongest alias %.1f dBc at %.0f Hz\n",
                table.names.back().c_str(), decibels(tone), decibels(alias) - decibels(tone),
                aliasHz);
  }
  return writeCsv(a.positional[0], table) ? 0 : 2;
}

int harmonics(const Args& a) {
  if (a.positional.size() < 2 || !need(a, {"rate", "fundamental", "start", "length"})) return 2;
  const double rate = a.numbers.at("rate"), fundamental = a.numbers.at("fundamental");
  const auto start = static_cast<std::size_t>(a.numbers.at("start"));
  const auto length = static_cast<std::size_t>(a.numbers.at("length"));
  Table table;
  table.names.push_back("hz");
  table.columns.emplace_back();
  for (double hz = fundamental; hz <= kHighest; hz += fundamental) table.columns[0].push_back(hz);
  for (std::size_t s = 1; s < a.positional.size(); ++s) {
    std::string name;
    std::vector<double> x;
    if (!namedExcerpt(a.positional[s], start, length, name, x)) return 2;
    std::vector<double> levels;
    double first = 0.0, rest = 0.0;
    for (double hz : table.columns[0]) {
      const double amplitude = lineAmplitude(x, hz, rate);
      levels.push_back(decibels(amplitude));
      (hz == fundamental ? first : rest) += amplitude * amplitude;
    }
    table.names.push_back(name);
    table.columns.push_back(levels);
    std::printf("%-24s fundamental %.2f dBFS, distortion %.3f %%\n", table.names.back().c_str(),
                levels[0], 100.0 * std::sqrt(rest / first));
  }
  return writeCsv(a.positional[0], table) ? 0 : 2;
}

int envelope(const Args& a) {
  if (a.positional.size() < 2 || !need(a, {"rate", "window"})) return 2;
  const double rate = a.numbers.at("rate");
  const auto window = static_cast<std::size_t>(a.numbers.at("window") * rate);
  if (window == 0) return 2;
  Table table;
  table.names.push_back("seconds");
  table.columns.emplace_back();
  for (std::size_t s = 1; s < a.positional.size(); ++s) {
    const std::string& entry = a.positional[s];
    const std::size_t eq = entry.find('=');
    std::vector<double> x;
    if (eq == std::string::npos || !readLeftChannel(entry.substr(eq + 1), x)) {
      std::fprintf(stderr, "response: cannot read %s\n", entry.c_str());
      return 2;
    }
    std::vector<double> levels = windowLevels(x, window);
    if (s > 1 && levels.size() != table.columns[1].size()) {
      std::fprintf(stderr, "response: %s is not as long as the first render\n", entry.c_str());
      return 2;
    }
    if (s == 1)
      for (std::size_t i = 0; i < levels.size(); ++i)
        table.columns[0].push_back(static_cast<double>(i * window) / rate);
    table.names.push_back(entry.substr(0, eq));
    table.columns.push_back(levels);
  }
  return writeCsv(a.positional[0], table) ? 0 : 2;
}

int drop(const Args& a) {
  if (a.positional.size() != 2) return 2;
  Table table;
  std::string error;
  if (!readCsv(a.positional[0], table, error)) {
    std::fprintf(stderr, "response: %s\n", error.c_str());
    return 2;
  }
  for (std::size_t c = 1; c < table.names.size(); ++c) {
    if (table.names[c] != a.positional[1]) continue;
    const double db = a.numbers.count("db") ? a.numbers.at("db") : 3.0;
    std::printf("%.1f\n", dropFrequency(table.columns[0], table.columns[c], db));
    return 0;
  }
  std::fprintf(stderr, "response: no column %s in %s\n", a.positional[1].c_str(),
               a.positional[0].c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  std::string command = argc > 1 ? argv[1] : "";
  if (!parse(argc, argv, args)) command.clear();
  if (command == "impulse") return makeImpulse(args);
  if (command == "magnitude") return magnitude(args);
  if (command == "harmonics") return harmonics(args);
  if (command == "spectrum") return spectrum(args);
  if (command == "envelope") return envelope(args);
  if (command == "drop") return drop(args);
  std::fprintf(stderr,
               "usage: response impulse|magnitude|harmonics|envelope|drop ... (see its source)\n");
  return 2;
}
