// The options of `vsthost preset save|show|dump`.
#pragma once

#include <string>
#include <vector>

#include "Schedule.h"

struct PresetOptions {
  enum class Action { save, show, dump };
  Action action = Action::dump;
  std::string module;
  std::string file;    // save: OUT; show: IN; dump: FILE
  std::string load;    // save --preset
  std::string saveTo;  // show --save
  bool anyId = false;
  bool haveProgram = false;
  VstInt32 program = 0;
  int quality = -1;  // save --quality: chosen after the program
  std::vector<ParamValue> params;
};

// The arguments after "preset". False on a usage error, with the reason in `error`; `help` is set
// when --help was asked for.
bool parsePresetArgs(int argc, char** argv, PresetOptions& options, bool& help, std::string& error);

extern const char* const kPresetUsage;
