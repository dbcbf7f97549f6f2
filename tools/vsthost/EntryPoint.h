// Loading a module and getting a checked effect record from it, shared by every subcommand so
// they fail with the same messages and exit codes.
#pragma once

#include <string>

#include "ExitCodes.h"
#include "PluginModule.h"
#include "plugcore/VstAbi.h"

// Loads `path`, a VST 2.4 module or a VST 3 bundle. kOk, or kNoModule with the reason on stderr.
ExitCode loadEntry(PluginModule& module, const std::string& path);

// kOk for a record with the right magic; kBadMagic (with a message) otherwise.
ExitCode checkMagic(const AEffect& record, const std::string& path);
