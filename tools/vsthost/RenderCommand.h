// `vsthost render`: loads the source, runs it through the plug-in, writes the outputs and prints
// a summary of what came out.
#pragma once

#include "RenderArgs.h"

// An ExitCode.
int runRender(const RenderOptions& options);
