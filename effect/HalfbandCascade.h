// Steeper polyphase half-bands for cascaded oversampling: any number of first-order all-pass
// sections per phase, with coefficient sets designed from the elliptic half-band theory (the
// sorted set split alternately over the two phases).
#pragma once

#include "effect/HalfbandAllpass.h"

namespace QuorlDsp {

template <int kA, int kB>
struct HalfbandCoefficients {
  double a[kA];  // the phase that goes first on the way up
  double b[kB];
};

// A stereo half-band for one direction.
template <int kA, int kB>
struct Halfband {
  AllpassRun<kA> a;
  AllpassRun<kB> b;

  // One sample in, two out at twice the rate.
  void up(StereoPair x, const HalfbandCoefficients<kA, kB>& c, StereoPair& first,
          StereoPair& second) {
    first = a.process(x, c.a);
    second = b.process(x, c.b);
  }
  // Two samples in, one out at half the rate; each through the other phase's run, as above.
  StereoPair down(StereoPair first, StereoPair second, const HalfbandCoefficients<kA, kB>& c) {
    return (a.process(second, c.a) + b.process(first, c.b)) * StereoPair{0.5, 0.5};
  }
};

// Base rate to twice it: 10 sections, transition 0.018 of the doubled rate, 100 dB down. So
// narrow that at 48 kHz a 25 kHz harmonic (of a 5 kHz tone) is already in the stopband.
constexpr HalfbandCoefficients<5, 5> kFirstHalfband = {
    {0.040093145811857044, 0.2957030131634755, 0.5925541540931647, 0.8021553215565893,
     0.9294539881631394},
    {0.14832933337504794, 0.45111515135985053, 0.7099051133251757, 0.8733216143900525,
     0.9771653030992773}};

// Twice to four times: only 20 kHz must pass and the images start above 68 kHz, so a transition
// of 0.27 of the rate; 3 sections, 95 dB down.
constexpr HalfbandCoefficients<2, 1> kSecondHalfband = {{0.06687030230470327, 0.6763597685457587},
                                                        {0.2756202830232181}};

// Four to eight times: a transition of 0.38; 2 sections, 96 dB down.
constexpr HalfbandCoefficients<1, 1> kThirdHalfband = {{0.11191816543489257}, {0.539763789136003}};

}  // namespace QuorlDsp
