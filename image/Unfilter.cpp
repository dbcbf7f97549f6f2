#include "image/Unfilter.h"

#include <cstdlib>

#include "image/PngErrors.h"

namespace PngImage {

namespace {

enum Filter : unsigned { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Picks whichever neighbour is closest to left + above - upperLeft; ties go left, then above.
unsigned char paeth(int left, int above, int upperLeft) {
  const int estimate = left + above - upperLeft;
  const int toLeft = std::abs(estimate - left);
  const int toAbove = std::abs(estimate - above);
  const int toUpperLeft = std::abs(estimate - upperLeft);
  if (toLeft <= toAbove && toLeft <= toUpperLeft) return static_cast<unsigned char>(left);
  if (toAbove <= toUpperLeft) return static_cast<unsigned char>(above);
  return static_cast<unsigned char>(upperLeft);
}

}  // namespace

int unfilterRow(unsigned char* recon, const unsigned char* filtered, const unsigned char* prior,
                unsigned filterType, size_t length, size_t step) {
  // The first `step` bytes have no left neighbour; without a prior row nothing is above.
  const size_t head = step < length ? step : length;
  switch (filterType) {
    case kNone:
      for (size_t i = 0; i < length; ++i) recon[i] = filtered[i];
      return 0;
    case kSub:
      for (size_t i = 0; i < head; ++i) recon[i] = filtered[i];
      for (size_t i = head; i < length; ++i) recon[i] = filtered[i] + recon[i - step];
      return 0;
    case kUp:
      if (prior) {
        for (size_t i = 0; i < length; ++i) recon[i] = filtered[i] + prior[i];
      } else {
        for (size_t i = 0; i < length; ++i) recon[i] = filtered[i];
      }
      return 0;
    case kAverage:
      if (prior) {
        for (size_t i = 0; i < head; ++i) recon[i] = filtered[i] + (prior[i] >> 1);
        for (size_t i = head; i < length; ++i)
          recon[i] = filtered[i] + ((recon[i - step] + prior[i]) >> 1);
      } else {
        for (size_t i = 0; i < head; ++i) recon[i] = filtered[i];
        for (size_t i = head; i < length; ++i) recon[i] = filtered[i] + (recon[i - step] >> 1);
      }
      return 0;
    case kPaeth:
      if (prior) {
        for (size_t i = 0; i < head; ++i) recon[i] = filtered[i] + prior[i];  // paeth(0, b, 0) = b
        for (size_t i = head; i < length; ++i)
          recon[i] = filtered[i] + paeth(recon[i - step], prior[i], prior[i - step]);
      } else {
        // With zeros above, the predictor always picks the left byte.
        for (size_t i = 0; i < head; ++i) recon[i] = filtered[i];
        for (size_t i = head; i < length; ++i) recon[i] = filtered[i] + recon[i - step];
      }
      return 0;
    default:
      return PngError::kBadFilterType;
  }
}

}  // namespace PngImage
