// Putting a preset file into an open effect, as a host does when the user loads one.
#pragma once

#include <string>

#include "Effect.h"
#include "ExitCodes.h"
#include "PresetFile.h"

// Reads `path` and checks it against the effect: well formed, made for its unique ID (any ID when
// `anyId`), and a chunk only for a plug-in that takes chunks. kOk, or kBadInput with the reason on
// stderr. Nothing is sent to the effect yet.
ExitCode readPresetFor(const Effect& effect, const std::string& path, bool anyId,
                       PresetFile& preset);

// Sends a checked preset: the chunk, or each program's name and values. A bank of values leaves
// the program it names current (format 2), else the one that was. False when the plug-in
// answered 0 to the chunk, which is how it refuses one.
bool applyPreset(const Effect& effect, const PresetFile& preset);

// Both, then `preset "PATH" KIND` on stdout; kBadInput when the plug-in refused the chunk.
ExitCode loadPreset(const Effect& effect, const std::string& path, bool anyId);
