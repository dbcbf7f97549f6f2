// `vsthost validate`: every check on one module, each in a process of its own, and the summary.
#pragma once

#include "ValidateArgs.h"

int runValidate(const ValidateOptions& options);
