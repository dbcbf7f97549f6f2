// Loading a module and getting a checked effect record from it, shared by every subcommand so
// they fail with the same messages and exit codes.
#pragma once

#include <string>

#include "ExitCodes.h"
#include "Platform.h"
#include "plugcore/VstAbi.h"

// Loads `path` and finds its entry point (VSTPluginMain, else main, else MAIN). kOk, or
// kNoModule with the reason on stderr.
ExitCode loadEntry(Module& module, const std::string& path, VstPluginMainProc& entry,
                   const char*& entryName);

// kOk for a record with the right magic; kBadMagic (with a message) otherwise.
ExitCode checkMagic(const AEffect& record, const std::string& path);
