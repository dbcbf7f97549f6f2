#include "platform/SystemTextSettings.h"

namespace Platform {

TextSmoothingQuery queryTextSmoothing() { return TextSmoothingQuery(); }

}  // namespace Platform
