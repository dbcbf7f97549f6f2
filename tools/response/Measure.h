// The measurements behind the manual's pictures: magnitude responses from impulse responses and
// harmonic levels from a steady sine, both by a direct DFT, so any frequency can be asked for.
#pragma once

#include <string>
#include <vector>

namespace Response {

// Frequencies from `low` to `high`, evenly spaced on a log axis, `perDecade` to a decade.
std::vector<double> logFrequencies(double low, double high, int perDecade);

// |sum x[n] e^(-2 pi i f n / rate)|, the phase reduced to whole cycles first so a long signal
// keeps its precision.
double dftMagnitude(const std::vector<double>& x, double frequency, double rate);

// The frequency of the deepest (or, with `highest`, the highest) level between `low` and `high`
// around an extreme found on a grid: golden sections of the log axis, so a notch or a peak
// narrower than the grid is drawn at its true level.
double extremeFrequency(const std::vector<double>& x, double low, double high, double rate,
                        bool highest = false);

// RMS levels in dBFS of consecutive windows of `window` samples.
std::vector<double> windowLevels(const std::vector<double>& x, std::size_t window);

// 20 log10, with silence held at a floor rather than minus infinity.
double decibels(double magnitude);

// Where `levels` (dB over ascending `frequencies`) first falls `drop` dB below its first value,
// interpolated on the log axis between the two points around it; 0 when it never does.
double dropFrequency(const std::vector<double>& frequencies, const std::vector<double>& levels,
                     double drop);

// Columns of numbers under a header of names; written with fixed decimals, so the same render
// gives the same bytes.
struct Table {
  std::vector<std::string> names;
  std::vector<std::vector<double>> columns;
};
bool writeCsv(const std::string& path, const Table& table);
bool readCsv(const std::string& path, Table& table, std::string& error);

// Interleaved stereo doubles, as `vsthost render --out-raw` writes them: the left channel.
bool readLeftChannel(const std::string& path, std::vector<double>& left);
bool writeStereo(const std::string& path, const std::vector<double>& mono);

}  // namespace Response
