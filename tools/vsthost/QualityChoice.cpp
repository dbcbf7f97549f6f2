#include "QualityChoice.h"

namespace {
const char* const kWords[] = {"normal", "high", "render"};
}

bool parseQuality(const std::string& text, int& quality) {
  for (int i = 0; i < 3; ++i)
    if (text == kWords[i]) {
      quality = i;
      return true;
    }
  return false;
}

const char* qualityWord(int quality) { return quality >= 0 && quality < 3 ? kWords[quality] : ""; }

bool chooseQuality(const Effect& effect, int quality) {
  return effect.dispatch(effVendorSpecific, kVendorQualityIndex, quality) == 1;
}

std::string currentQuality(const Effect& effect) {
  const VstIntPtr answer = effect.dispatch(effVendorSpecific, kVendorQualityIndex, -1);
  return answer >= 1 && answer <= 3 ? kWords[answer - 1] : "";
}
