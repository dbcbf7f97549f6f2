// A plug-in for the validator's tests: a stereo low-pass with gain that does everything a host
// may ask of it right, unless VALIDATE_FAULT names one fault to commit, so each check can be seen
// to fail for the fault it is about:
//   unwritten   leaves output 1 unwritten in blocks of an odd length
//   overrun     writes one sample past the end of output 0
//   nan         lets NaN and huge input through to the output
//   loud        limits huge input only at 1e10, so that it comes out at +200 dBFS
//   allocates   allocates and frees in every process call
//   shared      keeps the filter state in one place for all instances
//   resumeOnly  silent until the first resume
//   underrun    writes the sample before output 1
//   writesInput clears the first sample of input 0 after reading it
//   slow        takes 20 ms over every process call
//   stalls      takes 60 ms over its 100th process call only
//   overread    reads four bytes past the end of every chunk it is given
//   hang        never returns from a chunk shorter than 8 bytes
//   drifting    reads every value from a chunk a little lower than it was written
//   namesLost   reads a bank without its program names
//   unclamped   takes values from chunks as they come, 0..1 or not
// It has an editor, a child window (on Windows with a timer; on Linux an X11 window on a display
// connection of its own, run from effEditIdle), and two more faults:
//   editorStays    effEditClose leaves the window, so reopening adds one
//   editorDangles  effClose leaves the window, whose timer then reaches the deleted effect (on
//                  Linux: the window and its display connection stay open)
//   scaleIgnored   says it takes the host's scale for its editor, and keeps its size
//   editorDeaf     its editor answers no press, drag or wheel
// and on Linux two more:
//   hostsHandler   leaves the X errors of its connection to the host's process-wide handler
//   menuDeadlock   effEditClose takes a lock that handling the window's destruction in
//                  effEditIdle also takes, in the other order: a close while a menu runs in an
//                  idle call on another thread never returns
// The Linux editor also lets the host tool's tests see its input arrive: a left press or drag sets
// gain from the height of the pointer in one gesture, a double click resets gain to 0.5, the wheel
// moves cutoff a tenth per notch, each turn a gesture; it shows gain as its grey level. A right
// press shows a popup menu that runs inside effEditIdle until a key or a press ends it.
// The Windows editor answers a left press or drag the same way.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "plugcore/VstAbi.h"

#if defined(_WIN32)
#include <windows.h>
#define FAULTY_PLUGIN_EXPORT extern "C" __attribute__((dllexport))
#else
#include <X11/Xlib.h>
// For XESetWireToError, the per-connection error hook. Its header defines min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max
#define FAULTY_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr VstInt32 kParams = 2;  // gain, cutoff
constexpr VstInt32 kPrograms = 4;
constexpr double kInputLimit = 100;

struct Program {
  char name[kVstMaxProgNameLen];
  float values[kParams];
};

struct Bank {
  VstInt32 current;
  Program programs[kPrograms];
};

double gSharedState[2];  // what the `shared` fault uses instead of each instance's own

struct Plugin {
  AEffect effect;
  audioMasterCallback host = nullptr;
  std::string fault;
  Bank bank;
  double rate = 44100;
  double coefficient = 0;
  double ownState[2] = {0, 0};
  double* state = ownState;
  bool resumed = false;
  int processCalls = 0;
  Bank chunk;  // what effGetChunk hands out
  void* editorWindow = nullptr;
  void* editorDisplay = nullptr;  // X11
  bool dragging = false;
  unsigned long lastPress = 0;  // X11: server time and place of the last left press
  int lastPressX = -100, lastPressY = -100;
  float painted = -1;  // the gain the window shows
  // X11: open, idle and close exclude each other (hosts call them from two threads); openLock is
  // the menuDeadlock fault's.
  std::recursive_mutex editorLock;
  std::mutex openLock;

  bool faulty(const char* name) const { return fault == name; }
  Program& current() { return bank.programs[bank.current]; }

  void setUp() {
    const double cutoff = 200 + 15000 * current().values[1];
    const double rateUsed = rate > 0 ? rate : 44100;
    coefficient = std::exp(-2 * 3.14159265358979 * std::fmin(cutoff, rateUsed / 2) / rateUsed);
  }
};

Plugin* of(AEffect* effect) { return static_cast<Plugin*>(effect->object); }

float clampValue(float value) {
  if (!(value >= 0)) return 0;  // NaN too
  return value > 1 ? 1 : value;
}

template <typename Sample>
void run(Plugin& plugin, Sample** inputs, Sample** outputs, VstInt32 frames, bool add) {
  if (frames <= 0) return;
  if (plugin.faulty("allocates")) {
    char* volatile scratch = new char[64];  // volatile: the pair must not be optimised away
    scratch[0] = 1;
    delete[] scratch;
  }
  if (plugin.faulty("resumeOnly") && !plugin.resumed) {
    for (int c = 0; c < 2; ++c) std::memset(outputs[c], 0, sizeof(Sample) * frames);
    return;
  }
  if (plugin.faulty("slow")) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (++plugin.processCalls == 100 && plugin.faulty("stalls"))
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const double gain = 2 * plugin.current().values[0];
  plugin.setUp();  // the rate or the cutoff may have changed since the last call
  for (int c = 0; c < 2; ++c) {
    if (c == 1 && plugin.faulty("unwritten") && frames % 2 == 1) continue;
    double& state = plugin.state[c];
    for (VstInt32 i = 0; i < frames; ++i) {
      double x = inputs[c][i];
      const double limit = plugin.faulty("loud") ? 1e10 : kInputLimit;
      if (!plugin.faulty("nan")) x = !std::isfinite(x) ? 0 : std::fmax(-limit, std::fmin(limit, x));
      state = x + plugin.coefficient * (state - x);
      if (std::fabs(state) < 1e-30) state = 0;  // no denormals in the feedback
      const Sample y = static_cast<Sample>(state * gain);
      outputs[c][i] = add ? static_cast<Sample>(outputs[c][i] + y) : y;
    }
    if (c == 0 && plugin.faulty("overrun")) outputs[c][frames] = 0;
    if (c == 1 && plugin.faulty("underrun")) outputs[c][-1] = 0;
  }
  if (plugin.faulty("writesInput")) inputs[0][0] = 0;
}

void processFloat(AEffect* effect, float** in, float** out, VstInt32 frames) {
  run(*of(effect), in, out, frames, false);
}
void processDouble(AEffect* effect, double** in, double** out, VstInt32 frames) {
  run(*of(effect), in, out, frames, false);
}
void processAdding(AEffect* effect, float** in, float** out, VstInt32 frames) {
  run(*of(effect), in, out, frames, true);
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
  if (index >= 0 && index < kParams) of(effect)->current().values[index] = clampValue(value);
}

float getParameter(AEffect* effect, VstInt32 index) {
  return index >= 0 && index < kParams ? of(effect)->current().values[index] : 0.0f;
}

// A program chunk is the current program; a bank chunk the current index and every program.
// Anything else is refused whole.
void readChunk(Plugin& plugin, bool isBank, const uint8_t* data, VstIntPtr size) {
  volatile bool spin = plugin.faulty("hang");
  while (spin && size < 8) {
  }
  if (plugin.faulty("overread")) {
    volatile uint8_t check = 0;
    for (VstIntPtr i = 0; i < size + 4; ++i) check = static_cast<uint8_t>(check ^ data[i]);
  }
  if (isBank && size == static_cast<VstIntPtr>(sizeof(Bank))) {
    Bank bank;
    std::memcpy(&bank, data, sizeof bank);
    if (bank.current < 0 || bank.current >= kPrograms) return;
    if (plugin.faulty("namesLost"))
      for (VstInt32 p = 0; p < kPrograms; ++p)
        std::memcpy(bank.programs[p].name, plugin.bank.programs[p].name, kVstMaxProgNameLen);
    plugin.bank = bank;
  } else if (!isBank && size == static_cast<VstIntPtr>(sizeof(Program))) {
    std::memcpy(&plugin.current(), data, sizeof(Program));
  } else {
    return;
  }
  for (Program& program : plugin.bank.programs) {
    program.name[kVstMaxProgNameLen - 1] = '\0';
    for (float& value : program.values) {
      if (plugin.faulty("drifting")) value *= 0.999f;
      if (!plugin.faulty("unclamped")) value = clampValue(value);
    }
  }
}

#if defined(_WIN32)
HINSTANCE gModule = nullptr;
const char kEditorClass[] = "FaultyPluginEditor";
ERect gEditorRect = {0, 0, 120, 200};

LRESULT CALLBACK editorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* plugin = reinterpret_cast<Plugin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      // Through a pointer the effect holds: once it is deleted and its memory overwritten,
      // this is where a dangling window crashes.
      if (plugin) plugin->state[0] += 0;
      return 0;
    // A press or drag sets gain from the height of the pointer, one gesture from press to release.
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (plugin && !plugin->faulty("editorDeaf") &&
          (message != WM_MOUSEMOVE || (wParam & MK_LBUTTON))) {
        const float gain =
            1.0f - static_cast<float>(static_cast<short>(HIWORD(lParam))) / gEditorRect.bottom;
        if (message == WM_LBUTTONDOWN)
          plugin->host(&plugin->effect, audioMasterBeginEdit, 0, 0, nullptr, 0);
        plugin->current().values[0] = clampValue(gain);
        plugin->host(&plugin->effect, audioMasterAutomate, 0, 0, nullptr,
                     plugin->current().values[0]);
        if (message == WM_LBUTTONUP)
          plugin->host(&plugin->effect, audioMasterEndEdit, 0, 0, nullptr, 0);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      if (plugin && plugin->editorWindow == window) plugin->editorWindow = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void openEditor(Plugin& plugin, HWND parent) {
  if (plugin.editorWindow) return;
  HWND window = CreateWindowExA(0, kEditorClass, "", WS_CHILD | WS_VISIBLE, 0, 0, gEditorRect.right,
                                gEditorRect.bottom, parent, nullptr, gModule, nullptr);
  if (!window) return;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&plugin));
  SetTimer(window, 1, 10, nullptr);
  plugin.editorWindow = window;
}

void closeEditor(Plugin& plugin, bool keepWindow) {
  HWND window = static_cast<HWND>(plugin.editorWindow);
  plugin.editorWindow = nullptr;
  if (window && !keepWindow) DestroyWindow(window);
}
#else
ERect gEditorRect = {0, 0, 120, 200};
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kMenuWidth = 80, kMenuHeight = 40;
constexpr int kGrabTries = 50;
constexpr int kMenuPollMs = 5;
constexpr int kMenuMaxMs = 10000;  // a test plug-in never hangs its host for good

Display* displayOf(Plugin& plugin) { return static_cast<Display*>(plugin.editorDisplay); }

// A gesture of its own for one parameter change, as a user's edit is reported.
void edit(Plugin& plugin, VstInt32 index, float value, bool begin, bool end) {
  audioMasterCallback host = plugin.host;
  if (begin) host(&plugin.effect, audioMasterBeginEdit, index, 0, nullptr, 0);
  plugin.current().values[index] = clampValue(value);
  host(&plugin.effect, audioMasterAutomate, index, 0, nullptr, plugin.current().values[index]);
  if (end) host(&plugin.effect, audioMasterEndEdit, index, 0, nullptr, 0);
}

float gainAt(int y) { return 1.0f - static_cast<float>(y) / gEditorRect.bottom; }

void paint(Plugin& plugin) {
  Display* display = displayOf(plugin);
  const Window window = reinterpret_cast<uintptr_t>(plugin.editorWindow);
  const float gain = plugin.current().values[0];
  const unsigned long level = static_cast<unsigned long>(gain * 255.0f + 0.5f);
  GC gc = XCreateGC(display, window, 0, nullptr);
  XSetForeground(display, gc, level << 16 | level << 8 | level);
  XFillRectangle(display, window, gc, 0, 0, gEditorRect.right, gEditorRect.bottom);
  // A mark at cutoff's height, so that a frame is never a single colour.
  XSetForeground(display, gc, 0xFF0000);
  const int mark = static_cast<int>((1 - plugin.current().values[1]) * (gEditorRect.bottom - 4));
  XFillRectangle(display, window, gc, 0, mark, gEditorRect.right, 4);
  XFreeGC(display, gc);
  XFlush(display);
  plugin.painted = gain;
}

// As a context menu does: an override-redirect window of ours at the pointer that takes the
// keyboard, run here until a key or a press ends it or someone destroys it; events for other
// windows wait in the queue.
void runMenu(Plugin& plugin, int rootX, int rootY) {
  Display* display = displayOf(plugin);
  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;
  attributes.event_mask = KeyPressMask | ButtonPressMask | StructureNotifyMask;
  attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
  const Window menu = XCreateWindow(display, DefaultRootWindow(display), rootX, rootY, kMenuWidth,
                                    kMenuHeight, 1, CopyFromParent, InputOutput, CopyFromParent,
                                    CWOverrideRedirect | CWEventMask | CWBackPixel, &attributes);
  XMapRaised(display, menu);
  XSync(display, False);
  for (int tries = 0;
       tries < kGrabTries && XGrabKeyboard(display, menu, False, GrabModeAsync, GrabModeAsync,
                                           CurrentTime) != GrabSuccess;
       ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(kMenuPollMs));
  bool destroyed = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMenuMaxMs);
  while (std::chrono::steady_clock::now() < end) {
    XEvent event;
    if (XCheckTypedWindowEvent(display, menu, DestroyNotify, &event)) {
      destroyed = true;
      break;
    }
    if (XCheckWindowEvent(display, menu, KeyPressMask | ButtonPressMask, &event)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kMenuPollMs));
  }
  XUngrabKeyboard(display, CurrentTime);
  if (!destroyed) XDestroyWindow(display, menu);
  XSync(display, False);
}

void handle(Plugin& plugin, const XEvent& event) {
  const bool pointer =
      event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify;
  if (pointer && plugin.faulty("editorDeaf")) return;
  switch (event.type) {
    case ButtonPress:
      if (event.xbutton.button == Button3) {
        runMenu(plugin, event.xbutton.x_root, event.xbutton.y_root);
      } else if (event.xbutton.button == Button1) {
        const bool twice = event.xbutton.time - plugin.lastPress < kDoubleClickMs &&
                           std::abs(event.xbutton.x - plugin.lastPressX) < 4 &&
                           std::abs(event.xbutton.y - plugin.lastPressY) < 4;
        plugin.lastPress = event.xbutton.time;
        plugin.lastPressX = event.xbutton.x;
        plugin.lastPressY = event.xbutton.y;
        if (twice) {
          plugin.lastPress = 0;
          edit(plugin, 0, 0.5f, true, true);
        } else {
          plugin.dragging = true;
          edit(plugin, 0, gainAt(event.xbutton.y), true, false);
        }
      } else if (event.xbutton.button == 4 || event.xbutton.button == 5) {
        const float step = event.xbutton.button == 4 ? 0.1f : -0.1f;
        edit(plugin, 1, plugin.current().values[1] + step, true, true);
      }
      break;
    case MotionNotify:
      if (plugin.dragging) edit(plugin, 0, gainAt(event.xmotion.y), false, false);
      break;
    case ButtonRelease:
      if (event.xbutton.button == Button1 && plugin.dragging) {
        plugin.dragging = false;
        edit(plugin, 0, gainAt(event.xbutton.y), false, true);
      }
      break;
    case Expose:
      plugin.painted = -1;
      break;
    case DestroyNotify:
      // Gone with the host's window.
      if (event.xdestroywindow.window == reinterpret_cast<uintptr_t>(plugin.editorWindow)) {
        if (plugin.faulty("menuDeadlock")) {
          std::lock_guard<std::mutex> open(plugin.openLock);
          plugin.editorWindow = nullptr;
        } else {
          plugin.editorWindow = nullptr;
        }
      }
      break;
  }
}

void idleEditor(Plugin& plugin) {
  Display* display = displayOf(plugin);
  if (!display) return;
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    handle(plugin, event);
  }
  if (plugin.editorWindow && plugin.painted != plugin.current().values[0]) paint(plugin);
}

// Every error of our connection stops here, before any process-wide handler the host has.
Bool dropError(Display*, XErrorEvent*, xError*) { return False; }

// A parent that is not a window fails the open here.
bool openEditor(Plugin& plugin, uintptr_t parent) {
  if (plugin.editorWindow) return true;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  if (!plugin.faulty("hostsHandler"))
    for (int code = 1; code < 256; ++code) XESetWireToError(display, code, dropError);
  XWindowAttributes attributes;
  if (!parent || !XGetWindowAttributes(display, parent, &attributes)) {
    XCloseDisplay(display);
    return false;
  }
  const Window window =
      XCreateSimpleWindow(display, parent, 0, 0, gEditorRect.right, gEditorRect.bottom, 0, 0, 0);
  XSelectInput(
      display, window,
      ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ExposureMask | StructureNotifyMask);
  XMapWindow(display, window);
  XSync(display, False);
  plugin.editorDisplay = display;
  plugin.editorWindow = reinterpret_cast<void*>(window);
  plugin.painted = -1;
  return true;
}

void closeEditor(Plugin& plugin, bool keepWindow) {
  Display* display = displayOf(plugin);
  const Window window = reinterpret_cast<uintptr_t>(plugin.editorWindow);
  plugin.editorDisplay = nullptr;
  plugin.editorWindow = nullptr;
  plugin.dragging = false;
  if (!display || keepWindow) return;
  if (window) XDestroyWindow(display, window);
  XCloseDisplay(display);
}
#endif

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
  Plugin& plugin = *of(effect);
  switch (opcode) {
    case effClose: {
      std::unique_lock<std::recursive_mutex> editor(plugin.editorLock);
      closeEditor(plugin, plugin.faulty("editorDangles"));
      editor.unlock();
      delete &plugin;
      return 1;
    }
    case effEditGetRect:
      *static_cast<ERect**>(ptr) = &gEditorRect;
      return 1;
    case effVendorSpecific:
      // The editor's scale ('PreS' 'AeCs'), which the right plug-in does not take.
      return plugin.faulty("scaleIgnored") && index == 0x50726553 && value == 0x41654373 ? 1 : 0;
#if defined(_WIN32)
    case effEditOpen:
      openEditor(plugin, static_cast<HWND>(ptr));
      return 1;
    case effEditClose:
      closeEditor(plugin, plugin.faulty("editorStays"));
      return 0;
#else
    case effEditOpen: {
      std::lock_guard<std::recursive_mutex> editor(plugin.editorLock);
      return openEditor(plugin, reinterpret_cast<uintptr_t>(ptr)) ? 1 : 0;
    }
    case effEditIdle: {
      std::lock_guard<std::recursive_mutex> editor(plugin.editorLock);
      idleEditor(plugin);
      return 0;
    }
    case effEditClose: {
      std::unique_lock<std::mutex> open(plugin.openLock, std::defer_lock);
      if (plugin.faulty("menuDeadlock")) open.lock();
      std::lock_guard<std::recursive_mutex> editor(plugin.editorLock);
      closeEditor(plugin, plugin.faulty("editorStays"));
      return 0;
    }
#endif
    case effSetProgram:
      if (value >= 0 && value < kPrograms) plugin.bank.current = static_cast<VstInt32>(value);
      return 0;
    case effGetProgram:
      return plugin.bank.current;
    case effSetProgramName:
      std::strncpy(plugin.current().name, static_cast<const char*>(ptr), kVstMaxProgNameLen - 1);
      return 0;
    case effGetProgramName:
      std::memcpy(ptr, plugin.current().name, kVstMaxProgNameLen);
      return 0;
    case effGetEffectName:
      std::strcpy(static_cast<char*>(ptr), "Faulty");
      return 1;
    case effSetSampleRate:
      plugin.rate = opt;
      return 0;
    case effMainsChanged:
      if (value) {
        plugin.resumed = true;
        plugin.state[0] = plugin.state[1] = 0;
      }
      return 0;
    case effGetChunk:
      plugin.chunk = plugin.bank;
      *static_cast<void**>(ptr) = index == 0 ? static_cast<void*>(&plugin.chunk)
                                             : &plugin.chunk.programs[plugin.bank.current];
      return index == 0 ? sizeof(Bank) : sizeof(Program);
    case effSetChunk:
      readChunk(plugin, index == 0, static_cast<const uint8_t*>(ptr), value);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

FAULTY_PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  if (!host || !host(nullptr, audioMasterVersion, 0, 0, nullptr, 0)) return nullptr;
  auto* plugin = new Plugin();
  plugin->host = host;
  const char* fault = std::getenv("VALIDATE_FAULT");
  plugin->fault = fault ? fault : "";
  if (plugin->faulty("shared")) plugin->state = gSharedState;
  for (VstInt32 p = 0; p < kPrograms; ++p) {
    Program& program = plugin->bank.programs[p];
    std::memset(program.name, 0, sizeof program.name);
    std::strcpy(program.name, "Init");
    program.values[0] = 0.5f;
    program.values[1] = 1.0f;
  }
  plugin->bank.current = 0;
  AEffect& effect = plugin->effect;
  std::memset(&effect, 0, sizeof effect);
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.process = processAdding;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.numPrograms = kPrograms;
  effect.numParams = kParams;
  effect.numInputs = 2;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;
  effect.flags |= effFlagsHasEditor;
  effect.ioRatio = 1;
  effect.object = plugin;
  effect.uniqueID = 0x51466C74;  // 'QFlt'
  effect.version = 1;
  effect.processReplacing = processFloat;
  effect.processDoubleReplacing = processDouble;
  return &effect;
}

#if defined(_WIN32)
// The editor's window class lives exactly as long as the module.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = module;
    WNDCLASSEXA description = {};
    description.cbSize = sizeof description;
    description.lpfnWndProc = editorProcedure;
    description.hInstance = module;
    description.lpszClassName = kEditorClass;
    RegisterClassExA(&description);
  } else if (reason == DLL_PROCESS_DETACH) {
    UnregisterClassA(kEditorClass, module);
  }
  return TRUE;
}
#endif
