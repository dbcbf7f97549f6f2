#include "EditorArgs.h"

#include <algorithm>

#include "EditorScale.h"
#include "Format.h"
#include "TextParse.h"

namespace {

// Window messages carry coordinates and the wheel's delta (notches * 120) in 16 signed bits.
constexpr int64_t kMaxCoordinate = 32767;
constexpr int64_t kMaxNotches = 273;
constexpr int64_t kMaxMenuItem = 1000;
constexpr int64_t kMaxMs = int64_t(1) << 40;

bool parseInt(const std::string& text, int64_t limit, bool allowNegative, int& value) {
  const bool negative = allowNegative && !text.empty() && text[0] == '-';
  int64_t magnitude;
  if (!parseCount(negative ? text.substr(1) : text, magnitude) || magnitude > limit) return false;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

bool parsePair(const std::string& text, bool allowNegative, int& a, int& b) {
  const std::vector<std::string> parts = split(text, ',');
  return parts.size() == 2 && parseInt(parts[0], kMaxCoordinate, allowNegative, a) &&
         parseInt(parts[1], kMaxCoordinate, allowNegative, b);
}

const char* kindName(EditorAction::Kind kind) {
  switch (kind) {
    case EditorAction::Kind::click:
      return "click";
    case EditorAction::Kind::drag:
      return "drag";
    case EditorAction::Kind::wheel:
      return "wheel";
    case EditorAction::Kind::rightClick:
      return "right-click";
    case EditorAction::Kind::doubleClick:
      return "double-click";
    case EditorAction::Kind::set:
      return "set";
    case EditorAction::Kind::midi:
      return "midi";
    case EditorAction::Kind::scale:
      return "scale";
    case EditorAction::Kind::screenshot:
      break;
  }
  return "screenshot";
}

// "X,Y[@MS]", "X,Y:DX,DY[@MS]", "X,Y:N[@MS]", "P=V[@MS]" or "S,D1,D2[@MS]", by kind.
bool parseInput(EditorAction::Kind kind, const std::string& text, EditorAction& action) {
  action = EditorAction();
  action.kind = kind;
  std::string where = text;
  const size_t at = text.rfind('@');
  if (at != std::string::npos) {
    if (!parseCount(text.substr(at + 1), action.atMs) || action.atMs > kMaxMs) return false;
    where = text.substr(0, at);
  }
  action.text = std::string(kindName(kind)) + " " + where + "@" + std::to_string(action.atMs);
  std::string error;
  if (kind == EditorAction::Kind::set) return parseParamValue(where, action.change, error);
  if (kind == EditorAction::Kind::midi) {
    ScheduledEvent event;
    if (!parseAt("0:midi:" + where, event, error) || !event.isMidi) return false;
    std::copy(std::begin(event.midi), std::end(event.midi), action.midi);
    return true;
  }
  const std::vector<std::string> parts = split(where, ':');
  if (!parsePair(parts[0], false, action.x, action.y)) return false;
  switch (kind) {
    case EditorAction::Kind::drag:
      if (parts.size() != 2 || !parsePair(parts[1], true, action.dx, action.dy)) return false;
      break;
    case EditorAction::Kind::wheel:
      if (parts.size() != 2 || !parseInt(parts[1], kMaxNotches, true, action.notches)) return false;
      break;
    case EditorAction::Kind::rightClick:
      if (parts.size() > 2 ||
          (parts.size() == 2 && !parseInt(parts[1], kMaxMenuItem, false, action.menuItem)))
        return false;
      break;
    default:
      if (parts.size() != 1) return false;
  }
  return true;
}

struct InputOption {
  const char* name;
  EditorAction::Kind kind;
  const char* form;
};

const InputOption kInputOptions[] = {
    {"--click", EditorAction::Kind::click, "X,Y[@MS]"},
    {"--drag", EditorAction::Kind::drag, "X,Y:DX,DY[@MS]"},
    {"--wheel", EditorAction::Kind::wheel, "X,Y:NOTCHES[@MS]"},
    {"--right-click", EditorAction::Kind::rightClick, "X,Y[:ITEM][@MS]"},
    {"--double-click", EditorAction::Kind::doubleClick, "X,Y[@MS]"},
    {"--set", EditorAction::Kind::set, "P=V[@MS]"},
    {"--midi", EditorAction::Kind::midi, "S,D1,D2[@MS] (hex bytes)"},
};

// "F" for the factor before the editor opens, "F@MS" for one told to the open editor.
bool parseScale(const std::string& text, EditorOptions& options) {
  const size_t at = text.find('@');
  double factor = 0;
  if (!parseFiniteNumber(text.substr(0, at), factor) || factor < editorscale::kMin ||
      factor > editorscale::kMax)
    return false;
  if (at == std::string::npos) {
    options.scale = factor;
    return true;
  }
  EditorAction action;
  action.kind = EditorAction::Kind::scale;
  action.factor = factor;
  if (!parseCount(text.substr(at + 1), action.atMs) || action.atMs > kMaxMs) return false;
  action.text = "scale " + number(factor) + "@" + std::to_string(action.atMs);
  options.actions.push_back(action);
  return true;
}

// Every timed action must fall inside a run of fixed length; anything later would be dropped.
bool checkTimes(const EditorOptions& options, std::string& error) {
  if (!options.haveSeconds) return true;
  const double endMs = options.seconds * 1000;
  for (const EditorAction& action : options.actions) {
    if (action.atMs == kAtEnd || static_cast<double>(action.atMs) <= endMs) continue;
    error = std::string(kindName(action.kind)) + " at " + std::to_string(action.atMs) +
            " ms comes after the end of the run (--seconds " + number(options.seconds) + ")";
    return false;
  }
  return true;
}

}  // namespace

const char* const kEditorUsage =
    "  editor MODULE [--seconds S] [--screenshot FILE.png [--at MS]]... [INPUT]... [OPTION]...\n"
    "      Open MODULE's editor in a window of ours (on Linux an X11 window on $DISPLAY) and run\n"
    "      it. Prints the editor's size, our window, the plug-in's window inside it, how long\n"
    "      effEditOpen took and when the first frame was on screen, each input, each resize\n"
    "      the plug-in asks for, each screenshot with its size beside effEditGetRect's and our\n"
    "      window's, and at the end every call the plug-in made to the host, so gestures show as\n"
    "      automate (0), beginEdit (43) and endEdit (44). Times MS count from the moment the\n"
    "      editor opened.\n"
    "      --seconds S        close the editor after S seconds (default: when the user closes\n"
    "                         the window); no time given may lie beyond that\n"
    "      --screenshot FILE.png  save the editor's pixels as an RGB PNG just before the editor\n"
    "                         closes\n"
    "      --at MS            right after a --screenshot: take it at MS instead\n"
    "      --click X,Y[@MS]   move to X,Y in the editor, press and release the left button\n"
    "      --drag X,Y:DX,DY[@MS]  move to X,Y, press, move to X+DX,Y+DY in 10 steps, release\n"
    "      --wheel X,Y:N[@MS] turn the wheel N notches over X,Y (positive: away from the user)\n"
    "      --right-click X,Y[:ITEM][@MS]  move to X,Y, press and release the right button;\n"
    "                         a menu it opens gets ITEM as --answer-menu's N (0: dismissed)\n"
    "      --double-click X,Y[@MS]  move to X,Y and send what a double click of the left\n"
    "                         button gives: down, up, double-click, up\n"
    "      --set P=V[@MS]     the host sets parameter P (index or name) to V; not automation\n"
    "      --midi S,D1,D2[@MS]  one MIDI event (hex bytes) as a playing host sends it:\n"
    "                         effProcessEvents (25), then 64 frames of silence processed\n"
    "                         (inputs default to 0 ms; equal times go in the order written)\n"
    "      --answer-menu N    a popup menu still open 300 ms after a right click gets Down N\n"
    "                         times and Return, choosing its Nth item; without this option\n"
    "                         the menu is dismissed; either way its items are printed first\n"
    "      --idle-ms MS       call effEditIdle every MS milliseconds (default 30)\n"
    "      --real-input       X11: mouse and keys through the XTEST extension, as a user's,\n"
    "                         instead of events sent to the plug-in's window\n"
    "      --scale F[@MS]     tell the plug-in its editor is shown at F times its size (1 to 3):\n"
    "                         before effEditGetRect and effEditOpen, or with @MS to the open\n"
    "                         editor; effVendorSpecific (50) 'PreS' 'AeCs' with F in opt\n"
    "      --refuse-resize    answer the plug-in's audioMasterSizeWindow (15) with 0 and keep\n"
    "                         our window's size (canDo \"sizeWindow\" -1); without it our window\n"
    "                         takes the size asked for\n"
    "      --sleeping-loop    a VST 3 view's run loop as some hosts have it: asleep until a\n"
    "                         descriptor the view watches is readable, its timers served only\n"
    "                         then\n"
    "      --preset FILE, --any-id, --param P=V  as for render, before the editor opens\n";

bool parseEditorArgs(int argc, char** argv, EditorOptions& options, bool& help,
                     std::string& error) {
  options = EditorOptions();
  help = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    if (arg == "--any-id") {
      options.anyId = true;
      continue;
    }
    if (arg == "--real-input") {
      options.realInput = true;
      continue;
    }
    if (arg == "--refuse-resize") {
      options.refuseResize = true;
      continue;
    }
    if (arg == "--sleeping-loop") {
      options.sleepingLoop = true;
      continue;
    }
    if (arg.compare(0, 2, "--") != 0) {
      if (!options.module.empty()) {
        error = "unexpected argument '" + arg + "'";
        return false;
      }
      options.module = arg;
      continue;
    }
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    const auto input = std::find_if(std::begin(kInputOptions), std::end(kInputOptions),
                                    [&](const InputOption& o) { return arg == o.name; });
    bool ok = !value.empty();
    if (input != std::end(kInputOptions)) {
      options.actions.emplace_back();
      if (!parseInput(input->kind, value, options.actions.back())) {
        error = arg + " needs " + input->form + ", not '" + value + "'";
        return false;
      }
    } else if (arg == "--scale") {
      if (!parseScale(value, options)) {
        error = "--scale needs a factor from 1 to 3 (F, or F@MS for the open editor), not '" +
                value + "'";
        return false;
      }
    } else if (arg == "--screenshot") {
      options.actions.emplace_back();
      options.actions.back().kind = EditorAction::Kind::screenshot;
      options.actions.back().file = value;
      options.actions.back().atMs = kAtEnd;
    } else if (arg == "--at") {
      if (options.actions.empty() ||
          options.actions.back().kind != EditorAction::Kind::screenshot ||
          options.actions.back().atMs != kAtEnd) {
        error = "--at MS belongs right after --screenshot FILE";
        return false;
      }
      ok = parseCount(value, options.actions.back().atMs) && options.actions.back().atMs <= kMaxMs;
    } else if (arg == "--seconds") {
      ok =
          parseFiniteNumber(value, options.seconds) && options.seconds > 0 && options.seconds < 1e9;
      options.haveSeconds = true;
    } else if (arg == "--answer-menu") {
      int64_t item;
      ok = parseCount(value, item) && item >= 1 && item <= kMaxMenuItem;
      options.answerMenu = ok ? static_cast<int>(item) : 0;
    } else if (arg == "--idle-ms") {
      int64_t ms;
      ok = parseCount(value, ms) && ms >= 1 && ms <= kMaxIdleMs;
      options.idleMs = ok ? static_cast<int>(ms) : kDefaultIdleMs;
    } else if (arg == "--preset") {
      options.preset = value;
    } else if (arg == "--param") {
      options.params.emplace_back();
      if (!parseParamValue(value, options.params.back(), error)) return false;
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!ok) {
      error = "bad value '" + value + "' for " + arg;
      return false;
    }
  }
  if (options.module.empty()) {
    error = "editor needs a MODULE";
    return false;
  }
  return checkTimes(options, error);
}

std::vector<EditorAction> timedActions(const EditorOptions& options) {
  std::vector<EditorAction> timed;
  for (const EditorAction& action : options.actions)
    if (action.atMs != kAtEnd) timed.push_back(action);
  std::stable_sort(timed.begin(), timed.end(),
                   [](const EditorAction& a, const EditorAction& b) { return a.atMs < b.atMs; });
  return timed;
}
