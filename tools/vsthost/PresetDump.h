// `vsthost preset dump`: a preset file's header fields and contents, without any plug-in.
#pragma once

#include <string>

// An ExitCode: kOk, or kBadInput when the file cannot be read or is not a well-formed preset.
int runPresetDump(const std::string& path);
