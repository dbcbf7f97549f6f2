// The one list of every check `vsthost validate` has, for the command that runs them.
#pragma once

#include <vector>

#include "Validate.h"

// Every check in the order a run takes them: the editor last, as it is the likeliest to crash.
std::vector<Check> allChecks();
