// What the host keeps beside the component's state: the component's state is the effect's bank
// chunk byte for byte, so what only VST 3 has (bypass) lives here. Hosts restore it after the
// component's state, as the last step of loading a session.
//
//   bytes 0-3  'Q' 'r' 'l' 'C'
//   byte  4    version, 1; a later version keeps these fields where they are
//   byte  5    bypass: 0 off, anything else on
#pragma once

#include <cstdint>
#include <cstring>

namespace Vst3Glue {

struct ControllerState {
  static constexpr uint8_t kMagic[4] = {'Q', 'r', 'l', 'C'};
  static constexpr uint8_t kVersion = 1;
  static constexpr int32_t kSize = 6;

  bool bypass = false;

  void write(uint8_t (&bytes)[kSize]) const {
    std::memcpy(bytes, kMagic, sizeof kMagic);
    bytes[4] = kVersion;
    bytes[5] = bypass ? 1 : 0;
  }

  // False for bytes that are not such a state; the fields then stay as they were.
  bool read(const uint8_t* bytes, int32_t size) {
    if (size < kSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 || bytes[4] < 1)
      return false;
    bypass = bytes[5] != 0;
    return true;
  }
};

}  // namespace Vst3Glue
