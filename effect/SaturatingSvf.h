// The driven, stereo-linked, saturating state-variable filter: a trapezoidal (zero-delay
// feedback) filter solved in closed form for the linearised gains of each step. The integrator
// gains and the damping saturate on the stereo magnitude of the band-pass state and of the
// estimated high-pass, so both channels always see the same gains.
#pragma once

namespace QuorlDsp {

struct FilterSettings {
  double g = 0.0;    // integrator gain, tan(pi * a)
  double k = 0.0;    // linear damping offset, 2 (1 - r)^2, negative beyond r = 1
  double hpW = 0.0;  // high-pass weight
  double bpW = 0.0;  // band-pass weight
  double lpW = 0.0;  // low-pass weight
};

constexpr double kPi = 3.141592653589793;

// From normalized cutoff a (fraction of the oversampled rate), resonance r, morph c, band d.
FilterSettings makeFilterSettings(double a, double r, double c, double d);

// tanh(x) / x as a continued fraction of u = x^2; used unclamped, it tends to 1/15.
inline double saturation(double u) {
  return ((u + 105.0) * u + 945.0) / ((u * 15.0 + 420.0) * u + 945.0);
}

struct SvfState {
  double s1L = 0.0, s1R = 0.0;  // band-pass integrators
  double s2L = 0.0, s2R = 0.0;  // low-pass integrators
};

struct SvfOutputs {
  double hpL, hpR, bpL, bpR, lpL, lpR;
};

// One step of both channels with driven inputs xL and xR.
inline SvfOutputs stepFilter(SvfState& s, const FilterSettings& f, double xL, double xR) {
  const double bandLevel = s.s1R * s.s1R + s.s1L * s.s1L;
  const double damp = (1.0 - saturation(bandLevel)) + f.k;
  const double eL = ((xL - damp * s.s1L) - s.s2L) * 0.1;
  const double eR = ((xR - damp * s.s1R) - s.s2R) * 0.1;
  const double g1 = saturation(eL * eL + eR * eR) * f.g;
  const double scaledL = s.s1L * 0.1, scaledR = s.s1R * 0.1;
  const double g2 = saturation(scaledL * scaledL + scaledR * scaledR) * f.g;
  const double dampTotal = g2 + damp;
  const double den = dampTotal * g1 + 1.0;
  const double inverse = 1.0 / den;

  SvfOutputs out;
  out.hpL = inverse * ((xL - dampTotal * s.s1L) - s.s2L);
  out.hpR = inverse * ((xR - dampTotal * s.s1R) - s.s2R);
  out.bpL = out.hpL * g1 + s.s1L;
  out.bpR = out.hpR * g1 + s.s1R;
  out.lpL = out.bpL * g2 + s.s2L;
  out.lpR = out.bpR * g2 + s.s2R;
  s.s1L = (g1 * 2.0) * out.hpL + s.s1L;
  s.s1R = (g1 * 2.0) * out.hpR + s.s1R;
  s.s2L = (g2 * 2.0) * out.bpL + s.s2L;
  s.s2R = (g2 * 2.0) * out.bpR + s.s2R;
  return out;
}

}  // namespace QuorlDsp
