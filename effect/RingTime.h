// How long the output keeps sounding once the input stops, for hosts that stop calling a plug-in
// whose track went quiet: the decay of the filter's ring and of the output high-pass, down to the
// effect's own noise floor.
#pragma once

#include "effect/OutputHighpass.h"

namespace QuorlDsp {

// Base-rate samples in which the filter (run at twice the rate) with integrator gain g and small-
// signal damping k, then the output high-pass at normalized frequency f, fall silent after a
// full-scale input. Negative when the filter does not decay at all (k of 0 and less).
double ringSamples(double g, double k, double highpassFrequency);

}  // namespace QuorlDsp
