// The check groups of `vsthost validate`, one file each, as the registry calls them: each appends
// its checks, in its own order, to `checks`.
#pragma once

#include <vector>

#include "Validate.h"

void addLifecycleChecks(std::vector<Check>& checks);   // ValidateLifecycle.cpp
void addProcessingChecks(std::vector<Check>& checks);  // ValidateProcessing.cpp
void addStateChecks(std::vector<Check>& checks);       // ValidateState.cpp
void addThreadChecks(std::vector<Check>& checks);      // ValidateThreads.cpp
void addAudioPathChecks(std::vector<Check>& checks);   // ValidateAudioPath.cpp
void addEditorChecks(std::vector<Check>& checks);      // ValidateEditor.cpp
