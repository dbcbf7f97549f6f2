// Two threads at once, as in every host: audio on one, and on the other the host's own parameter
// changes, reads, program changes and state saves, or a user working the editor.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "ValidateChecks.h"
#include "ValidateHost.h"

namespace {

constexpr int kMinMs = 300;
constexpr int kMaxMs = 3000;
constexpr size_t kMinBlocks = 64;
constexpr size_t kMinChanges = 500;
// The editor is worked cell by cell, so every control larger than a cell is dragged and turned.
constexpr int kGestureColumns = 10, kGestureRows = 6;
constexpr size_t kMinGestures = 2 * kGestureColumns * kGestureRows;
// Its first frames may take most of a second (a software GL): drawn before the clock starts.
constexpr int kFirstFrameIdles = 3;
constexpr int kEditorMaxMs = 15000;

// Processes blocks of noise on a thread of its own until told to stop or something goes wrong.
class AudioThread {
 public:
  AudioThread(Instance& instance, uint64_t seed) : rig_(*instance.record(), kBlock) {
    paths_ = replacingPaths(*instance.record());
    thread_ = std::thread([this, seed] { run(seed); });
  }
  ~AudioThread() { stop(); }

  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  size_t blocks() const { return blocks_; }
  bool failed() const { return failed_; }
  // Read once stopped.
  const std::string& problem() const { return problem_; }

 private:
  void run(uint64_t seed) {
    Random random(seed);
    while (!stop_ && !paths_.empty()) {
      for (Path path : paths_) {
        std::string problem = rig_.process(path, kBlock, Signal::noise, random);
        if (!problem.empty()) {
          problem_ = std::string(pathName(path)) + ": " + problem;
          failed_ = true;
          return;
        }
      }
      ++blocks_;
    }
  }

  AudioRig rig_;
  std::vector<Path> paths_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> failed_{false};
  std::atomic<size_t> blocks_{0};
  std::string problem_;
};

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point since) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

std::string readProblem(const Instance& instance, VstInt32 index) {
  const float value = instance.get(index);
  if (std::isfinite(value) && value >= 0 && value <= 1) return "";
  char text[96];
  std::snprintf(text, sizeof text, "parameter %d read %.9g while audio ran", index, value);
  return text;
}

CheckResult paramsWhileProcessing(CheckContext& context) {
  return withInstance(context, [&](std::unique_ptr<Instance>& instance) {
    instance->start(kRate, kBlock);
    const std::vector<uint8_t> bank =
        context.facts.chunks ? instance->chunk(true) : std::vector<uint8_t>();
    Random& random = context.random;
    const VstInt32 params = context.facts.numParams;
    std::string problem;
    size_t changes = 0;
    AudioThread audio(*instance, random.next());
    const Clock::time_point start = Clock::now();
    while (!audio.failed() && problem.empty() && elapsedMs(start) < kMaxMs &&
           (elapsedMs(start) < kMinMs || audio.blocks() < kMinBlocks || changes < kMinChanges)) {
      if (params > 0) {
        const VstInt32 index = random.below(params);
        instance->set(index, random.parameter());
        problem = readProblem(*instance, random.below(params));
        char text[256] = {0};
        instance->dispatch(effGetParamDisplay, index, 0, text);
      }
      // Now and then what a host does besides: a program change, a state save, a state load.
      if (changes % 97 == 0 && context.facts.numPrograms > 0)
        instance->dispatch(effSetProgram, 0, random.below(context.facts.numPrograms));
      if (changes % 53 == 0 && context.facts.chunks) instance->chunk(random.below(2) == 0);
      if (changes % 211 == 0 && !bank.empty()) instance->setChunk(true, bank);
      ++changes;
      if (changes % 16 == 0) std::this_thread::yield();
    }
    audio.stop();
    if (audio.failed()) return CheckResult::fail(audio.problem());
    if (!problem.empty()) return CheckResult::fail(problem);
    return CheckResult::pass(std::to_string(changes) + " changes during " +
                             std::to_string(audio.blocks()) + " blocks");
  });
}

CheckResult editorWhileProcessing(CheckContext& context) {
  return withInstance(context, [&](std::unique_ptr<Instance>& instance) {
    instance->start(kRate, kBlock);
    ERect* rect = nullptr;
    instance->dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect && rect->right > rect->left ? rect->right - rect->left : 400;
    const int height = rect && rect->bottom > rect->top ? rect->bottom - rect->top : 300;
    EditorHost host;
    std::string error;
    if (!host.create("vsthost validate", width, height, error))
      return CheckResult::fail("no host window: " + error);
    instance->dispatch(effEditOpen, 0, 0, host.window());
    EditorHost::pump(100);
    for (int i = 0; i < kFirstFrameIdles; ++i) {
      instance->dispatch(effEditIdle);
      EditorHost::pump(30);
    }
    const bool hasWindow = host.editorWindow() != nullptr;

    Random& random = context.random;
    const validatehost::Counts before = validatehost::counts();
    std::string problem;
    size_t gestures = 0, blocks = 0;
    {
      AudioThread audio(*instance, random.next());
      const Clock::time_point start = Clock::now();
      while (hasWindow && !audio.failed() && problem.empty() && elapsedMs(start) < kEditorMaxMs &&
             (elapsedMs(start) < 2 * kMinMs || audio.blocks() < kMinBlocks ||
              gestures < kMinGestures)) {
        // The user: drags and wheel turns all over the editor, never a right click (menus would
        // wait for an answer).
        const int cell = static_cast<int>(gestures % (kGestureColumns * kGestureRows));
        const int cellWidth = std::max(1, width / kGestureColumns);
        const int cellHeight = std::max(1, height / kGestureRows);
        const int x = (cell % kGestureColumns) * cellWidth + random.below(cellWidth);
        const int y = (cell / kGestureColumns) * cellHeight + random.below(cellHeight);
        if (random.below(4) == 0)
          host.wheel(x, y, random.below(2) ? 1 : -1);
        else
          host.drag(x, y, random.below(81) - 40, random.below(81) - 40);
        ++gestures;
        // The host: automation it plays back, shown by the editor.
        if (context.facts.numParams > 0) {
          instance->set(random.below(context.facts.numParams), random.parameter());
          problem = readProblem(*instance, random.below(context.facts.numParams));
        }
        instance->dispatch(effEditIdle);
        EditorHost::pump(10);
      }
      audio.stop();
      if (audio.failed()) problem = audio.problem();
      blocks = audio.blocks();
    }
    instance->dispatch(effEditClose);
    EditorHost::pump(30);
    instance.reset();
    host.destroy();
    EditorHost::pump(30);
    if (!problem.empty()) return CheckResult::fail(problem);
    const validatehost::Counts after = validatehost::counts();
    const std::string done = std::to_string(gestures) + " gestures, " +
                             std::to_string(after.automate - before.automate) +
                             " automation calls from the editor, " + std::to_string(blocks) +
                             " blocks";
    // A gesture no control answered, or one while no audio ran, proves nothing about threads.
    if (!hasWindow) return CheckResult::fail("the editor put no window into the host's");
    if (after.automate == before.automate)
      return CheckResult::fail(done + ": the editor never moved a parameter");
    if (gestures < kMinGestures || blocks < kMinBlocks)
      return CheckResult::fail(done + ": too few in " + std::to_string(kEditorMaxMs / 1000) + " s");
    return CheckResult::pass(done);
  });
}

}  // namespace

void addThreadChecks(std::vector<Check>& checks) {
  checks.push_back({"threads.paramsWhileProcessing",
                    "parameters set and read, programs changed and state saved and loaded from "
                    "another thread while audio runs",
                    false, paramsWhileProcessing});
  checks.push_back({"threads.editorWhileProcessing",
                    "mouse gestures in the open editor and host automation while audio runs", true,
                    editorWhileProcessing});
}
