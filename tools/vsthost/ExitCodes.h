// The exit status of every subcommand, so scripts can tell a bad module from a bad input file.
#pragma once

enum ExitCode {
  kOk = 0,
  kUsage = 1,
  kNoModule = 2,
  kNullEffect = 3,
  kBadMagic = 4,
  kBadInput = 5,
  kCannotWrite = 6,  // also a screenshot that could not be taken
  kNoEditor = 7,
  kValidationFailed = 8,  // validate: at least one check failed
};
