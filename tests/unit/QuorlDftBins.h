// A direct DFT over exactly one second's tenth, so that every component of a tone of whole tens
// of hertz at a rate of whole tens of hertz, and every alias of one, falls on a bin.
#pragma once

#include <cmath>
#include <vector>

struct DftBins {
  double binHertz;
  std::vector<double> magnitude;  // up to half the rate, peak amplitude

  DftBins(const std::vector<double>& x, size_t from, double rate) : binHertz(10.0) {
    const size_t n = static_cast<size_t>(rate / binHertz);
    std::vector<double> c(n), s(n);
    for (size_t i = 0; i < n; ++i) {
      c[i] = std::cos(6.283185307179586 * static_cast<double>(i) / static_cast<double>(n));
      s[i] = std::sin(6.283185307179586 * static_cast<double>(i) / static_cast<double>(n));
    }
    magnitude.resize(n / 2 + 1);
    for (size_t k = 0; k <= n / 2; ++k) {
      double re = 0, im = 0;
      for (size_t i = 0, phase = 0; i < n; ++i, phase = (phase + k) % n) {
        re += x[from + i] * c[phase];
        im += x[from + i] * s[phase];
      }
      magnitude[k] = 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(n);
    }
  }

  double at(double hertz) const { return magnitude[static_cast<size_t>(hertz / binHertz + 0.5)]; }

  // The strongest component from 100 Hz up that is no harmonic of `hertz`, in dB against it.
  double strongestInharmonic(double hertz, double* where = nullptr) const {
    const size_t step = static_cast<size_t>(hertz / binHertz + 0.5);
    double worst = 0;
    for (size_t k = 10; k < magnitude.size(); ++k)
      if (k % step != 0 && magnitude[k] > worst) {
        worst = magnitude[k];
        if (where) *where = static_cast<double>(k) * binHertz;
      }
    return 20.0 * std::log10(worst / at(hertz));
  }
};
