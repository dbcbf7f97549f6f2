// The options of `vsthost editor`: how long the editor stays open, the screenshots to take and the
// input to send it (mouse, parameter changes by the host, MIDI), each at a moment of the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Schedule.h"

// One thing done to the open editor. Times count from the moment the editor opened.
struct EditorAction {
  enum class Kind { click, drag, wheel, rightClick, doubleClick, set, midi, scale, screenshot };
  Kind kind = Kind::click;
  int x = 0, y = 0;    // client coordinates in the editor's window
  int dx = 0, dy = 0;  // drag
  int notches = 0;     // wheel: positive turns away from the user
  int menuItem = -1;   // right click: the item to choose, 0 to dismiss, -1 as --answer-menu says
  std::string file;    // screenshot
  ParamValue change;   // set: resolved to an index once the plug-in is open
  uint8_t midi[3] = {0, 0, 0};
  double factor = 1;  // scale
  int64_t atMs = 0;   // a screenshot without --at has kAtEnd
  std::string text;   // an input as the log shows it: "drag 10,20:5,0@100"
};

constexpr int64_t kAtEnd = -1;
// Hosts idle their editors from the GUI thread some tens of times a second.
constexpr int kDefaultIdleMs = 30;
constexpr int kMaxIdleMs = 10000;

struct EditorOptions {
  std::string module;
  std::string preset;  // loaded before the --params, as render does
  bool anyId = false;
  std::vector<ParamValue> params;
  double seconds = 0;  // with haveSeconds false the run lasts until the user closes the window
  bool haveSeconds = false;
  std::vector<EditorAction> actions;  // as written
  int answerMenu = 0;                 // 0: a popup menu is dismissed; N: its Nth item is chosen
  int idleMs = kDefaultIdleMs;        // effEditIdle at most this often
  bool realInput = false;             // X11: through XTEST rather than events sent to the window
  double scale = 0;                   // the factor told to the plug-in before it opens; 0: none
  bool refuseResize = false;          // the plug-in's resize requests answered 0
  bool sleepingLoop = false;          // VST 3 timers served only when a descriptor is readable
};

// The arguments after "editor". False on a usage error, with the reason in `error`; `help` is set
// when --help was asked for.
bool parseEditorArgs(int argc, char** argv, EditorOptions& options, bool& help, std::string& error);

// The timed actions in the order they happen: by time, equal times as written. Screenshots for
// the end are left out; they are taken in the order written once the run is over.
std::vector<EditorAction> timedActions(const EditorOptions& options);

extern const char* const kEditorUsage;
