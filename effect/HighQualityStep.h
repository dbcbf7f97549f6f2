// The saturating filter's step for High quality: stepFilter's equations, arranged for a shorter
// chain from one step's state to the next (it runs eight times a sample, so that chain is the
// cost): the saturation of the estimated high-pass shares the solve's division, and whatever
// does not wait for the band-pass saturation is computed beside it. The rounding differs from
// stepFilter's in the last bits only.
#pragma once

#include "effect/SaturatingSvf.h"

namespace QuorlDsp {

// One step of both channels with driven inputs xL and xR; yL and yR are the filter's outputs
// mixed by the morph and band weights.
inline void stepFilterMixed(SvfState& s, const FilterSettings& f, double xL, double xR, double& yL,
                            double& yR) {
  const double bandLevel = s.s1R * s.s1R + s.s1L * s.s1L;
  // saturation(), its polynomials split so that their halves run side by side.
  const double sat0 = (bandLevel * bandLevel + (bandLevel * 105.0 + 945.0)) /
                      ((bandLevel * 15.0) * bandLevel + (bandLevel * 420.0 + 945.0));
  const double g2 = saturation(bandLevel * 0.01) * f.g;
  // e = ((x - damp s1) - s2) / 10 with damp = (1 + k) - sat0: all but sat0's share in advance.
  const double k1 = f.k + 1.0;
  const double pL = ((xL - s.s2L) - k1 * s.s1L) * 0.1, pR = ((xR - s.s2R) - k1 * s.s1R) * 0.1;
  const double tL = s.s1L * 0.1, tR = s.s1R * 0.1;
  const double dampTotal = (k1 + g2) - sat0;
  const double eL = sat0 * tL + pL, eR = sat0 * tR + pR;
  const double u = eL * eL + eR * eR;
  const double uu = u * u;
  // g1 = g num / den (the saturation of u); the solve's 1 + dampTotal g1 times den is a
  // quadratic in u whose coefficients are ready before u is.
  const double dg = dampTotal * f.g;
  const double c2 = dg + 15.0, c1 = dg * 105.0 + 420.0, c0 = (dg + 1.0) * 945.0;
  const double num = uu + (u * 105.0 + 945.0);
  const double den = uu * 15.0 + (u * 420.0 + 945.0);
  const double inverse = 1.0 / (c2 * uu + (c1 * u + c0));

  const double vL = (xL - dampTotal * s.s1L) - s.s2L;
  const double vR = (xR - dampTotal * s.s1R) - s.s2R;
  const double twoG = f.g * 2.0;
  const double stepL = ((vL * twoG) * num) * inverse;  // 2 g1 hp
  const double stepR = ((vR * twoG) * num) * inverse;
  const double hpL = (vL * den) * inverse, hpR = (vR * den) * inverse;
  const double bpL = stepL * 0.5 + s.s1L, bpR = stepR * 0.5 + s.s1R;
  const double lpL = bpL * g2 + s.s2L, lpR = bpR * g2 + s.s2R;
  s.s1L = stepL + s.s1L;
  s.s1R = stepR + s.s1R;
  s.s2L = (g2 * 2.0) * bpL + s.s2L;
  s.s2R = (g2 * 2.0) * bpR + s.s2R;
  yL = (hpL * f.hpW + bpL * f.bpW) + lpL * f.lpW;
  yR = (hpR * f.hpW + bpR * f.bpW) + lpR * f.lpW;
}

}  // namespace QuorlDsp
