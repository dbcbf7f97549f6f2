// Everything in the host that differs between Linux and Windows: loading a plug-in module, looking
// up its exports, the line endings of our output, answering the plug-in's message boxes, and the
// window that holds the plug-in's editor.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Module {
 public:
  // Any exported function, cast to its real type by the caller.
  using Symbol = void (*)();

  Module() = default;
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // On failure returns false and puts the loader's own reason into `error`.
  bool load(const std::string& path, std::string& error);
  // Looks only inside this module, never in the host program.
  Symbol find(const char* name) const;
  // The system's handle (HMODULE, or what dlopen gave); null before a load.
  void* handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};

// VST 3 modules. The file inside a bundle folder that holds this system's code
// (Contents/x86_64-linux/NAME.so, Contents/x86_64-win/NAME.vst3), and the calls a loaded module
// gets first and last: ModuleEntry and ModuleExit on Linux, InitDll and ExitDll on Windows.
// `name` is the bundle folder's name without its ".vst3".
std::string vst3BinaryInBundle(const std::string& bundle, const std::string& name);
bool enterVst3Module(const Module& module, std::string& error);
void leaveVst3Module(const Module& module);
// Whether reading `fd` would not block now; never on Windows, where views watch no descriptors.
bool descriptorReadable(int fd);

// Plain \n on stdout and stderr everywhere, so Linux and Windows runs give the same bytes.
void useUnixLineEndings();

// The button --answer presses; the values are the system's own button ids.
enum MessageBoxButton { kNoAnswer = 0, kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

// From now on every modal message box shown on this thread is printed as `messageBox "caption"
// "text"` and closed with `button`, so an unattended run never waits for a user. On Linux: the
// plug-in's own X11 dialogs, on any thread, found on the display by a watcher of ours; without a
// display the plug-in answers its own and this does nothing.
void answerMessageBoxes(MessageBoxButton button);

// CPU time used so far, in seconds: by the whole process (every thread), and by the calling
// thread alone.
double processCpuSeconds();
double threadCpuSeconds();

// A message box the plug-in showed and we answered; the same question is counted once.
struct AskedBox {
  std::string caption;
  std::string text;
  size_t count = 0;
};

// Our top-level window with the plug-in's editor inside, its message loop, and what a test does to
// the editor: mouse input as window messages (X events on Linux) and its pixels read back.
class EditorHost {
 public:
  // False where there is no such window (on Linux: no X display); nothing else may be used then.
  static bool supported();
  // Input as a user's own mouse and keyboard give it (the X server's XTEST extension) instead of
  // events sent to the plug-in's window; only on X11.
  static bool realInputSupported();
  static void useRealInput(bool real);

  EditorHost() = default;
  ~EditorHost();
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // A visible window titled `title` whose client area is exactly width x height.
  bool create(const std::string& title, int width, int height, std::string& error);
  void* window() const { return window_; }
  // The plug-in's window: the first child of ours, or null.
  void* editorWindow() const;
  // Gives our window a client area of exactly width x height, as the plug-in asks; true once the
  // system shows it at that size (a window manager may keep it from it), else false with why.
  bool resize(int width, int height, std::string& error);
  // Our window's client area as the system has it now; false when there is none.
  bool clientSize(int& width, int& height) const;

  // Runs the message loop and calls `tick` from a timer about every 10 ms until `tick` returns
  // false or the user closes the window. A tick is never re-entered: while one waits in a modal
  // loop (a popup menu, a message box) the timer's other calls do nothing.
  void run(const std::function<bool()>& tick);
  bool closedByUser() const { return closedByUser_; }

  // Sent straight to the plug-in's window, at its client coordinates: see kEditorUsage.
  void click(int x, int y);
  void drag(int x, int y, int dx, int dy);
  void wheel(int x, int y, int notches);
  // What the system sends for a real double click of the left button.
  void doubleClick(int x, int y);
  // A popup menu the click opens runs its own loop inside the plug-in until closed: after 300 ms
  // it is dismissed, or with answerMenu > 0 gets Down that many times and Return. Its items are
  // printed first as `menuItem N "text"` (" grey" when disabled, `menuItem N --` for a separator),
  // then what happened as `input menu ...`.
  void rightClick(int x, int y, int answerMenu);

  // The plug-in's window repainted and read back: width * height RGB pixels, top row first.
  bool capture(std::vector<uint8_t>& rgb, int& width, int& height, std::string& error);
  // Whether the plug-in's window shows more than one colour now, without asking it to repaint:
  // its first frame is on screen.
  bool hasFrame();

  // From now on counts the frames the plug-in's window is given: on X11 its damage as the server
  // reports it (one per burst of drawing between two looks). -1 where that cannot be told.
  void countFrames();
  int framesCounted() const;

  // As a VST 3 host on X11 does: reads the XEmbed info of the plug-in's window (its version and
  // flags; false when it has none, and always where there is no XEmbed), and with `embed` tells
  // the window it is embedded, active and focused. Messages the plug-in sends back are printed as
  // `xembedMessage NAME` while the loop runs.
  bool xembed(bool embed, long& version, long& flags);

  // Our window goes; the editor must be closed first.
  void destroy();

  // Lets every window of this thread handle what it has been sent (paints, timers, destruction)
  // for `ms` milliseconds. On X11 only our own windows: the plug-in handles its events in
  // effEditIdle.
  static void pump(int ms);
  // The windows directly inside ours: one per open editor at most.
  int childCount() const;

 private:
  void* window_ = nullptr;
  bool closedByUser_ = false;
};
