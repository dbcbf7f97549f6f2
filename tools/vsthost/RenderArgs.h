// The options of `vsthost render`.
#pragma once

#include <string>
#include <vector>

#include "Renderer.h"
#include "Schedule.h"
#include "SignalGenerator.h"

struct RenderOptions {
  std::string module;

  std::string inFile;  // a .wav, or raw stereo doubles when it ends in .f64
  bool haveSignal = false;
  SignalShape signal;
  std::string signalText;
  double seconds = 2;
  bool haveSeconds = false;
  int rate = 44100;
  bool haveRate = false;

  std::string outWav;
  std::string outRaw;

  VstInt32 blockSize = 512;
  SamplePath path = SamplePath::float32;
  bool playing = false;
  bool offline = false;  // the host says it renders offline (process level 4)
  int quality = -1;      // chosen after the program; -1 leaves the plug-in's own

  std::string preset;  // loaded after the block size, before the --params
  bool anyId = false;

  VstInt32 program = -1;  // selected after the preset; -1 leaves the plug-in's own

  std::vector<ParamValue> params;
  std::vector<ScheduledEvent> events;
  std::vector<ParamSweep> sweeps;
  std::vector<std::string> scheduleFiles;  // read when the render starts
};

// The arguments after "render". False on a usage error, with the reason in `error`; `help` is set
// when --help was asked for.
bool parseRenderArgs(int argc, char** argv, RenderOptions& options, bool& help, std::string& error);

extern const char* const kRenderUsage;
