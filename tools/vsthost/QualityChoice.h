// The plug-in's processing quality as the host tool chooses it (--quality) and reports it: our
// own vendor-specific call, which a plug-in without the choice does not answer.
#pragma once

#include <string>

#include "Effect.h"

// "normal", "high" or "render" (High when rendering): 0, 1 or 2; false for anything else.
bool parseQuality(const std::string& text, int& quality);

// The word for 0, 1 or 2.
const char* qualityWord(int quality);

// True when the plug-in took the choice.
bool chooseQuality(const Effect& effect, int quality);

// "normal", "high" or "render", or empty when the plug-in has no such choice.
std::string currentQuality(const Effect& effect);
