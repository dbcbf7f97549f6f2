// Turns the parameters a user wrote ("3", "cutoff", "Cutoff") into indices of the plug-in.
#pragma once

#include <string>
#include <vector>

#include "Schedule.h"

// An index in range, else the exact name, else the first name equal ignoring case. On failure the
// error lists every parameter, so the user sees what to write instead.
bool resolveParameter(ParamRef& ref, const std::vector<std::string>& names, std::string& error);
