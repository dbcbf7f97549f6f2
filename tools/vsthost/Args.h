// Command-line parsing for vsthost: the subcommand, the global --answer, and the options of
// `info`; those of `render`, `preset` and `editor` live in RenderArgs, PresetArgs and EditorArgs.
#pragma once

#include <string>
#include <vector>

#include "EditorArgs.h"
#include "Platform.h"
#include "PresetArgs.h"
#include "RenderArgs.h"
#include "ValidateArgs.h"
#include "plugcore/VstAbi.h"

struct ParameterSet {
  VstInt32 index;
  double value;
};

struct Options {
  enum class Command { help, info, render, preset, editor, validate };
  Command command = Command::help;
  MessageBoxButton answer = kNoAnswer;
  std::string module;
  bool answerVersion = true;
  std::string preset;
  bool anyId = false;
  std::vector<ParameterSet> sets;
  RenderOptions render;
  PresetOptions presetCommand;
  EditorOptions editor;
  ValidateOptions validate;
};

// False on a usage error, with the reason in `error`.
bool parseArgs(int argc, char** argv, Options& options, std::string& error);

const char* usageText();
