// `vsthost preset save|show|dump`: writes a plug-in's state as a preset file, loads one into a
// fresh instance and shows what a host would see, or looks inside one without a plug-in.
#pragma once

#include "PresetArgs.h"

// An ExitCode.
int runPreset(const PresetOptions& options);
