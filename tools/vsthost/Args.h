// Command-line parsing for vsthost. Room is left for more subcommands next to `info`.
#pragma once

#include <string>
#include <vector>

#include "plugcore/VstAbi.h"

struct ParameterSet {
  VstInt32 index;
  double value;
};

struct Options {
  enum class Command { help, info };
  Command command = Command::help;
  std::string module;
  bool answerVersion = true;
  std::vector<ParameterSet> sets;
};

// False on a usage error, with the reason in `error`.
bool parseArgs(int argc, char** argv, Options& options, std::string& error);

const char* usageText();
