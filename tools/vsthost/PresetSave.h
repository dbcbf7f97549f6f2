// Reading an effect's state into a preset file, as a host does when the user saves one.
#pragma once

#include <string>

#include "Effect.h"
#include "ExitCodes.h"
#include "PresetFile.h"

// True when `path` ends in .fxp (bank false) or .fxb (bank true), in any case.
bool presetPathKind(const std::string& path, bool& bank);

// The current program, or with `bank` every program. Chunk forms for a plug-in with the
// programChunks flag, values otherwise; a bank of values is read by selecting each program in
// turn, and the current one is selected again after. False when the plug-in gives no chunk.
bool capturePreset(const Effect& effect, bool bank, PresetFile& preset, std::string& error);

// Captures and writes `path` (its ending says program or bank), then prints `saved`, `format`,
// `bytes` and `program`. kOk, kUsage for a name of neither kind, or kCannotWrite.
ExitCode savePreset(const Effect& effect, const std::string& path);
