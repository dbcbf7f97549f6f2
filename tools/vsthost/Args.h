// Command-line parsing for vsthost: the subcommand, and the options of `info`; those of `render`
// live in RenderArgs.
#pragma once

#include <string>
#include <vector>

#include "RenderArgs.h"
#include "plugcore/VstAbi.h"

struct ParameterSet {
  VstInt32 index;
  double value;
};

struct Options {
  enum class Command { help, info, render };
  Command command = Command::help;
  std::string module;
  bool answerVersion = true;
  std::vector<ParameterSet> sets;
  RenderOptions render;
};

// False on a usage error, with the reason in `error`.
bool parseArgs(int argc, char** argv, Options& options, std::string& error);

const char* usageText();
