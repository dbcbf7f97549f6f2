#include "EditorCommand.h"

#include <chrono>
#include <cstdio>

#include "EditorScale.h"
#include "EntryPoint.h"
#include "FactsPrinter.h"
#include "FileBytes.h"
#include "Format.h"
#include "HostCallback.h"
#include "MidiEventList.h"
#include "ParameterNames.h"
#include "Platform.h"
#include "PngWriter.h"
#include "PresetLoad.h"
#include "Vst3Frame.h"

namespace {

// What render would use by default, so the editor shows the state a rendering host leaves.
constexpr int kRate = 44100;
constexpr VstInt32 kBlockSize = 512;
constexpr VstInt32 kMidiFrames = 64;
constexpr int64_t kFirstFrameLimitMs = 5000;
// Window sizes travel in 16 signed bits on both systems.
constexpr VstIntPtr kMaxWindowSide = 32767;

void complain(const std::string& message) {
  std::fprintf(stderr, "vsthost: %s\n", message.c_str());
}

// "12.3 ms"
std::string milliseconds(std::chrono::steady_clock::duration span) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms",
                std::chrono::duration<double, std::milli>(span).count());
  return text;
}

std::string handleText(void* handle) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
  return text;
}

// The size the plug-in's editor says it has now; 0 x 0 when it gives none.
void editorRect(const Effect& effect, int& width, int& height) {
  ERect* rect = nullptr;
  effect.dispatch(effEditGetRect, 0, 0, &rect);
  width = rect ? rect->right - rect->left : 0;
  height = rect ? rect->bottom - rect->top : 0;
}

// Tells the plug-in its editor's scale and prints what it answered.
void tellScale(const Effect& effect, double factor) {
  const VstIntPtr answer = editorscale::notify(effect, factor);
  printFact("scale", number(factor) + " (answered " + std::to_string(answer) + ")");
}

// audioMasterSizeWindow: our window takes the size asked for, unless told to refuse; 1 once it
// has it. `host` is null until our window exists.
VstIntPtr sizeWindow(EditorHost* host, bool refuse, VstIntPtr width, VstIntPtr height) {
  const std::string asked = std::to_string(width) + " x " + std::to_string(height);
  std::string why;
  if (refuse) {
    why = "refused";
  } else if (width <= 0 || height <= 0 || width > kMaxWindowSide || height > kMaxWindowSide) {
    why = "refused: no such size";
  } else if (!host) {
    why = "refused: no window yet";
  } else if (!host->resize(static_cast<int>(width), static_cast<int>(height), why)) {
    why = "not resized: " + why;
  }
  printFact("sizeWindow", asked + " (" + (why.empty() ? "resized" : why) + ")");
  return why.empty() ? 1 : 0;
}

// The preset, then the parameters, as render sends them; names are checked before anything.
ExitCode prepare(const Effect& effect, EditorOptions& options) {
  std::vector<std::string> names;
  for (VstInt32 i = 0; i < effect.record().numParams; ++i)
    names.push_back(effect.text(effGetParamName, i));
  std::vector<ParamRef*> refs;
  for (ParamValue& param : options.params) refs.push_back(&param.param);
  for (EditorAction& action : options.actions)
    if (action.kind == EditorAction::Kind::set) refs.push_back(&action.change.param);
  for (ParamRef* ref : refs) {
    std::string error;
    if (!resolveParameter(*ref, names, error)) {
      complain(error);
      return kUsage;
    }
  }
  if (!options.preset.empty()) {
    if (const ExitCode code = loadPreset(effect, options.preset, options.anyId)) return code;
  }
  for (const ParamValue& param : options.params)
    effect.setParameter(param.param.index, static_cast<float>(param.value));
  return kOk;
}

// The open editor's run: idle calls, then each timed action once its moment has come.
class EditorRun {
 public:
  using Clock = std::chrono::steady_clock;

  // `opened`: when effEditOpen was called, for the time to the first frame.
  EditorRun(const Effect& effect, EditorHost& host, const EditorOptions& options,
            Clock::time_point opened)
      : effect_(effect),
        host_(host),
        options_(options),
        timed_(timedActions(options)),
        opened_(opened),
        lastIdle_(-options.idleMs) {}

  // Called from the host's timer; false once a run of fixed length is over.
  bool tick() {
    const int64_t now = elapsedMs();
    if (now - lastIdle_ >= options_.idleMs) {
      const double before = threadCpuSeconds();
      effect_.dispatch(effEditIdle);
      if (frameSeen_) {
        idleCpu_ += threadCpuSeconds() - before;
        ++idleCalls_;
      }
      lastIdle_ = now;
    }
    watchFirstFrame(now);
    while (next_ < timed_.size() && timed_[next_].atMs <= now) perform(timed_[next_++]);
    return !options_.haveSeconds || next_ < timed_.size() || now < options_.seconds * 1000;
  }

  // After the loop: what the user's early close cut off, then the screenshots for the end.
  void finish() {
    for (; next_ < timed_.size(); ++next_) {
      const EditorAction& action = timed_[next_];
      const std::string what = action.kind == EditorAction::Kind::screenshot
                                   ? "screenshot " + quoted(action.file)
                                   : "input " + action.text;
      complain("the window was closed before " + what + " at " + std::to_string(action.atMs) +
               " ms");
      if (action.kind == EditorAction::Kind::screenshot) code_ = kCannotWrite;
    }
    for (const EditorAction& action : options_.actions)
      if (action.atMs == kAtEnd) perform(action);
  }

  ExitCode code() const { return code_; }

  // What the run cost from the first frame on (before it, the editor sets up and draws): the
  // process's CPU time in all (ours and the plug-in's, its threads included), the share spent
  // inside effEditIdle, and the frames drawn.
  void printCost() const {
    if (!frameSeen_) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - firstFrameAt_).count();
    char text[160];
    std::snprintf(text, sizeof text, "%.3f s in %.1f s since the first frame",
                  processCpuSeconds() - cpuAtFirstFrame_, seconds);
    printFact("cpu", text);
    std::snprintf(text, sizeof text, "%d calls, %.3f s inside (%.0f us each)", idleCalls_, idleCpu_,
                  idleCalls_ ? idleCpu_ * 1e6 / idleCalls_ : 0.0);
    printFact("idleCalls", text);
    const int frames = host_.framesCounted();
    if (frames >= 0) printFact("frames", std::to_string(frames) + " drawn since the first");
  }

 private:
  int64_t elapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
  }

  // Until the editor shows a picture: the moment it does, from effEditOpen's call.
  void watchFirstFrame(int64_t now) {
    if (frameSeen_) return;
    if (host_.hasFrame()) {
      printFact("firstFrame", milliseconds(Clock::now() - opened_) + " after effEditOpen");
    } else if (now > kFirstFrameLimitMs) {
      printFact("firstFrame", "none within " + std::to_string(kFirstFrameLimitMs) + " ms");
    } else {
      return;
    }
    frameSeen_ = true;
    host_.countFrames();
    firstFrameAt_ = Clock::now();
    cpuAtFirstFrame_ = processCpuSeconds();
  }

  void perform(const EditorAction& action) {
    if (action.kind == EditorAction::Kind::screenshot) {
      screenshot(action.file);
      return;
    }
    printFact("input", action.text);
    switch (action.kind) {
      case EditorAction::Kind::click:
        host_.click(action.x, action.y);
        break;
      case EditorAction::Kind::drag:
        host_.drag(action.x, action.y, action.dx, action.dy);
        break;
      case EditorAction::Kind::wheel:
        host_.wheel(action.x, action.y, action.notches);
        break;
      case EditorAction::Kind::rightClick:
        host_.rightClick(action.x, action.y,
                         action.menuItem >= 0 ? action.menuItem : options_.answerMenu);
        break;
      case EditorAction::Kind::doubleClick:
        host_.doubleClick(action.x, action.y);
        break;
      case EditorAction::Kind::set:
        effect_.setParameter(action.change.param.index, static_cast<float>(action.change.value));
        break;
      case EditorAction::Kind::midi:
        sendMidi(action.midi);
        break;
      case EditorAction::Kind::scale:
        tellScale(effect_, action.factor);
        break;
      case EditorAction::Kind::screenshot:
        break;
    }
  }

  // As a playing host: the event goes first, then one short block of silence in which the
  // plug-in handles it. The list and the buffers outlive both calls.
  void sendMidi(const uint8_t (&bytes)[3]) {
    MidiMessage message = {0, {bytes[0], bytes[1], bytes[2]}};
    MidiEventList list;
    effect_.dispatch(effProcessEvents, 0, 0, list.fill({message}));
    const AEffect& record = effect_.record();
    if (!record.processReplacing) return;
    const auto channels = [](VstInt32 count) {
      return std::vector<std::vector<float>>(count > 0 ? count : 0,
                                             std::vector<float>(kMidiFrames, 0.0f));
    };
    std::vector<std::vector<float>> ins = channels(record.numInputs);
    std::vector<std::vector<float>> outs = channels(record.numOutputs);
    std::vector<float*> inPointers, outPointers;
    for (auto& channel : ins) inPointers.push_back(channel.data());
    for (auto& channel : outs) outPointers.push_back(channel.data());
    record.processReplacing(const_cast<AEffect*>(&record), inPointers.data(), outPointers.data(),
                            kMidiFrames);
  }

  // A failed shot is reported and the run goes on, so the others are still taken.
  void screenshot(const std::string& file) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    std::string error;
    if (!host_.capture(rgb, width, height, error)) {
      complain("cannot take screenshot '" + file + "': " + error);
      code_ = kCannotWrite;
      return;
    }
    const std::vector<uint8_t> png =
        encodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb);
    if (!writeFileBytes(file, png, error)) {
      complain("cannot write '" + file + "': " + error);
      code_ = kCannotWrite;
      return;
    }
    // What the plug-in says, what our window is and what was read can each be wrong alone.
    int rectWidth = 0, rectHeight = 0, ourWidth = 0, ourHeight = 0;
    editorRect(effect_, rectWidth, rectHeight);
    host_.clientSize(ourWidth, ourHeight);
    printFact("screenshot", quoted(file) + " " + editorscale::sizeText(width, height) +
                                " (effEditGetRect " + editorscale::sizeText(rectWidth, rectHeight) +
                                ", window " + editorscale::sizeText(ourWidth, ourHeight) + ")");
  }

  const Effect& effect_;
  EditorHost& host_;
  const EditorOptions& options_;
  const std::vector<EditorAction> timed_;
  const Clock::time_point opened_;
  const Clock::time_point start_ = Clock::now();
  Clock::time_point firstFrameAt_;
  double cpuAtFirstFrame_ = 0;
  int64_t lastIdle_;
  int idleCalls_ = 0;
  double idleCpu_ = 0;
  bool frameSeen_ = false;
  size_t next_ = 0;
  ExitCode code_ = kOk;
};

// A VST 3 view on X11 is embedded by XEmbed, and hosts that embed so refuse a window that does
// not announce it. What a window announces is printed whatever its format.
ExitCode embedView(EditorHost& host, bool vst3) {
  long version = 0, flags = 0;
  if (host.xembed(vst3, version, flags)) {
    printFact("xembed", "version " + std::to_string(version) + " flags " + std::to_string(flags));
    return kOk;
  }
#if !defined(_WIN32)
  if (vst3) {
    complain("the view's window carries no _XEMBED_INFO: it cannot be embedded");
    return kNoEditor;
  }
#endif
  return kOk;
}

// From the editor's size to its close; our window is gone when this returns.
ExitCode showEditor(const Effect& effect, const EditorOptions& options, bool vst3) {
  const bool refuse = options.refuseResize;
  hostcallback::onSizeWindow([refuse](VstIntPtr width, VstIntPtr height) {
    return sizeWindow(nullptr, refuse, width, height);
  });
  // Before the size is asked: the plug-in answers with the size it will open at.
  if (options.scale > 0) tellScale(effect, options.scale);
  int width = 0, height = 0;
  editorRect(effect, width, height);
  if (width <= 0 || height <= 0) {
    complain("the plug-in gives no editor size (effEditGetRect)");
    return kNoEditor;
  }
  printFact("editor", std::to_string(width) + "x" + std::to_string(height));

  EditorHost host;
  std::string error;
  if (!host.create("vsthost: " + effect.text(effGetEffectName), width, height, error)) {
    complain("cannot open a window for the editor: " + error);
    return kNoEditor;
  }
  printFact("window", handleText(host.window()));
  hostcallback::onSizeWindow([&host, refuse](VstIntPtr width, VstIntPtr height) {
    return sizeWindow(&host, refuse, width, height);
  });
  const auto opened = std::chrono::steady_clock::now();
  effect.dispatch(effEditOpen, 0, 0, host.window());
  printFact("openTime", milliseconds(std::chrono::steady_clock::now() - opened));
  ExitCode code = kOk;
  if (void* editorWindow = host.editorWindow()) {
    printFact("editorWindow", handleText(editorWindow));
    code = embedView(host, vst3);
    if (!code) {
      EditorRun run(effect, host, options, opened);
      host.run([&] { return run.tick(); });
      run.printCost();
      run.finish();
      code = run.code();
    }
  } else {
    printFact("editorWindow", "none");
    complain("the plug-in opened no window inside ours");
    code = kNoEditor;
  }
  effect.dispatch(effEditClose);
  hostcallback::onSizeWindow(nullptr);
  host.destroy();
  return code;
}

}  // namespace

int runEditor(const EditorOptions& given) {
  if (!EditorHost::supported()) {
    complain("no window for the editor here (on Linux: no X display; is DISPLAY set?)");
    return kUsage;
  }
  if (given.realInput && !EditorHost::realInputSupported()) {
    complain("--real-input needs an X display with the XTEST extension");
    return kUsage;
  }
  EditorHost::useRealInput(given.realInput);
  EditorOptions options = given;
  hostcallback::reset(true);
  hostcallback::startTransport(kRate, kBlockSize, false);
  hostcallback::announceSizeWindow(options.refuseResize ? -1 : 1);
  vst3host::Frame::sleepOnDescriptors(options.sleepingLoop);
  // Declared before the effect is made, so it is unloaded only after the effect is closed.
  PluginModule module;
  if (const ExitCode code = loadEntry(module, options.module)) return code;
  AEffect* record = module.create(hostcallback::callback);
  if (!record) {
    complain("module '" + options.module + "' returned no effect");
    return kNullEffect;
  }
  if (const ExitCode code = checkMagic(*record, options.module)) return code;

  const Effect effect(record);
  effect.open();
  effect.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  effect.dispatch(effSetBlockSize, 0, kBlockSize);
  ExitCode code = kOk;
  if (!(record->flags & effFlagsHasEditor)) {
    complain("the plug-in has no editor (no hasEditor flag 0x1)");
    code = kNoEditor;
  }
  if (!code) code = prepare(effect, options);
  if (!code) {
    effect.dispatch(effMainsChanged, 0, 1);
    code = showEditor(effect, options, module.isVst3());
    effect.dispatch(effMainsChanged, 0, 0);
  }
  effect.close();
  printCallbacks();
  return code;
}
