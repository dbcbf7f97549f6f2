// Parameter and MIDI automation as the user writes it: --param, --at, --sweep and schedule files.
// Parameters are named by index or by name; names are resolved once the plug-in is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugcore/VstAbi.h"

struct ParamRef {
  std::string text;     // as written: "3" or "cutoff"
  VstInt32 index = -1;  // filled in by resolveParameters
};

struct ParamValue {
  ParamRef param;
  double value = 0;
};

struct ParamSweep {
  ParamRef param;
  double from = 0;
  double to = 0;
};

struct ScheduledEvent {
  int64_t pos = 0;
  bool isMidi = false;
  ParamValue change;            // when !isMidi
  uint8_t midi[3] = {0, 0, 0};  // when isMidi
};

// "P=V"; P may itself hold '=' since V never does.
bool parseParamValue(const std::string& text, ParamValue& out, std::string& error);

// "P=V0:V1".
bool parseSweep(const std::string& text, ParamSweep& out, std::string& error);

// "POS:P=V" or "POS:midi:S,D1,D2" with hex bytes.
bool parseAt(const std::string& text, ScheduledEvent& out, std::string& error);

// One event a line, "POS param P V" or "POS midi S D1 D2"; '#' starts a comment. Errors name the
// line. A parameter name may hold spaces: P is everything between "param" and the last word.
bool parseSchedule(const std::string& text, std::vector<ScheduledEvent>& events,
                   std::string& error);
