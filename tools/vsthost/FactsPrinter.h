// What `vsthost info` prints about an effect, in the order tests expect.
#pragma once

#include <string>

#include "Effect.h"

// "canReplacing|programChunks", unknown bits in hex, "none" for no bits.
std::string effectFlagNames(VstInt32 flags);

// Everything from `magic` to the last `param` line.
void printEffectFacts(const Effect& effect);

// One `param` line per parameter: name, label, display and value.
void printParams(const Effect& effect);

// Sets one parameter and prints what the plug-in reads back.
void printSetParameter(const Effect& effect, VstInt32 index, float value);

// The recorded host calls and their count.
void printCallbacks();
