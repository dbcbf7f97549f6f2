#include "Measure.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace Response {

namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kFloorDb = -200.0;
}  // namespace

std::vector<double> logFrequencies(double low, double high, int perDecade) {
  std::vector<double> out;
  const int steps = static_cast<int>(std::lround(std::log10(high / low) * perDecade));
  for (int i = 0; i <= steps; ++i)
    out.push_back(low * std::pow(10.0, static_cast<double>(i) / perDecade));
  return out;
}

double dftMagnitude(const std::vector<double>& x, double frequency, double rate) {
  double re = 0.0, im = 0.0;
  const double cyclesPerSample = frequency / rate;
  for (std::size_t n = 0; n < x.size(); ++n) {
    const double cycles = std::fmod(cyclesPerSample * static_cast<double>(n), 1.0);
    re += x[n] * std::cos(kTwoPi * cycles);
    im -= x[n] * std::sin(kTwoPi * cycles);
  }
  return std::hypot(re, im);
}

double extremeFrequency(const std::vector<double>& x, double low, double high, double rate,
                        bool highest) {
  const double phi = 0.6180339887498949;
  double a = std::log(low), b = std::log(high);
  for (int i = 0; i < 60; ++i) {
    const double c = b - (b - a) * phi, d = a + (b - a) * phi;
    const double mc = dftMagnitude(x, std::exp(c), rate), md = dftMagnitude(x, std::exp(d), rate);
    if (highest ? mc > md : mc < md)
      b = d;
    else
      a = c;
  }
  return std::exp((a + b) / 2);
}

std::vector<double> windowLevels(const std::vector<double>& x, std::size_t window) {
  std::vector<double> levels;
  for (std::size_t start = 0; window > 0 && start + window <= x.size(); start += window) {
    double sum = 0.0;
    for (std::size_t n = start; n < start + window; ++n) sum += x[n] * x[n];
    levels.push_back(decibels(std::sqrt(sum / static_cast<double>(window))));
  }
  return levels;
}

double decibels(double magnitude) {
  return magnitude > 0.0 ? std::fmax(20.0 * std::log10(magnitude), kFloorDb) : kFloorDb;
}

double dropFrequency(const std::vector<double>& frequencies, const std::vector<double>& levels,
                     double drop) {
  if (levels.empty() || frequencies.size() != levels.size()) return 0.0;
  const double target = levels[0] - drop;
  for (std::size_t i = 1; i < levels.size(); ++i) {
    if (levels[i] >= target) continue;
    const double t = (levels[i - 1] - target) / (levels[i - 1] - levels[i]);
    const double a = std::log(frequencies[i - 1]), b = std::log(frequencies[i]);
    return std::exp(a + t * (b - a));
  }
  return 0.0;
}

bool writeCsv(const std::string& path, const Table& table) {
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  for (std::size_t c = 0; c < table.names.size(); ++c)
    std::fprintf(file, "%s%s", c ? "," : "", table.names[c].c_str());
  std::fprintf(file, "\n");
  const std::size_t rows = table.columns.empty() ? 0 : table.columns[0].size();
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < table.columns.size(); ++c)
      std::fprintf(file, "%s%.3f", c ? "," : "", table.columns[c][r]);
    std::fprintf(file, "\n");
  }
  return std::fclose(file) == 0;
}

bool readCsv(const std::string& path, Table& table, std::string& error) {
  std::ifstream file(path);
  std::string line;
  if (!file || !std::getline(file, line)) {
    error = "cannot read " + path;
    return false;
  }
  table = Table();
  std::stringstream header(line);
  for (std::string name; std::getline(header, name, ',');) table.names.push_back(name);
  table.columns.assign(table.names.size(), {});
  while (std::getline(file, line)) {
    std::vector<double> values;
    std::stringstream row(line);
    bool numbers = true;
    for (std::string cell; std::getline(row, cell, ',');) {
      char* end = nullptr;
      values.push_back(std::strtod(cell.c_str(), &end));
      numbers = numbers && end != cell.c_str() && *end == '\0';
    }
    if (!numbers || values.size() != table.columns.size()) {
      error = path + ": not one number for every column in: " + line;
      return false;
    }
    for (std::size_t c = 0; c < values.size(); ++c) table.columns[c].push_back(values[c]);
  }
  return true;
}

bool readLeftChannel(const std::string& path, std::vector<double>& left) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  if (bytes.size() % (2 * sizeof(double)) != 0) return false;
  left.resize(bytes.size() / (2 * sizeof(double)));
  for (std::size_t i = 0; i < left.size(); ++i)
    std::memcpy(&left[i], bytes.data() + i * 2 * sizeof(double), sizeof(double));
  return true;
}

bool writeStereo(const std::string& path, const std::vector<double>& mono) {
  std::ofstream file(path, std::ios::binary);
  for (double sample : mono)
    for (int channel = 0; channel < 2; ++channel)
      file.write(reinterpret_cast<const char*>(&sample), sizeof sample);
  return static_cast<bool>(file);
}

}  // namespace Response
