// `vsthost editor`: the plug-in's editor opened in a window of ours, driven and photographed.
#pragma once

#include "EditorArgs.h"

int runEditor(const EditorOptions& options);
