// State calls from two host threads at once (an autosave beside the GUI thread), with audio and
// parameter changes running: every chunk handed out stays whole until its thread asks again, and
// the audio thread's program change is never lost. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "effect/Quorl.h"

namespace {

using Bytes = std::vector<uint8_t>;

VstIntPtr dispatch(Quorl& effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
  return effect.getAeffect()->dispatcher(effect.getAeffect(), opcode, index, value, ptr, 0.0f);
}

TEST(StateThreads, TwoStateThreadsBesideAudioAndParameters) {
  Quorl effect(nullptr);
  effect.setSampleRate(48000.0f);
  effect.setBlockSize(64);
  effect.resume();
  Bytes program;
  effect.writeChunk(program, true);

  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, refused{0}, saves{0};
  // Saves and checks: the bytes handed out must not change under the caller while it copies
  // them, and must make a chunk that loads.
  const auto stateThread = [&](bool bank) {
    Quorl checker(nullptr);
    char name[32];
    Bytes loaded = program;
    for (int round = 0; !stop; ++round) {
      void* data = nullptr;
      const VstIntPtr size = dispatch(effect, effGetChunk, bank ? 0 : 1, 0, &data);
      const auto* bytes = static_cast<const uint8_t*>(data);
      const Bytes copy(bytes, bytes + size);
      std::this_thread::yield();
      if (std::memcmp(copy.data(), bytes, copy.size()) != 0) ++torn;
      if (dispatch(checker, effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(copy.size()),
                   const_cast<uint8_t*>(copy.data())) != 1)
        ++refused;
      ++saves;
      dispatch(effect, effSetChunk, 1, static_cast<VstIntPtr>(loaded.size()), loaded.data());
      std::snprintf(name, sizeof name, "%s %d", bank ? "Bank" : "Preset", round % 100);
      dispatch(effect, effSetProgramName, 0, 0, name);
      dispatch(effect, effGetProgramNameIndexed, round % 16, 0, name);
    }
  };
  std::thread autosave(stateThread, true), gui(stateThread, false);
  std::thread parameters([&] {
    for (int i = 0; !stop; ++i) {
      effect.setParameter(i % 8, static_cast<float>(i % 100) / 100.0f);
      effect.getParameter((i + 3) % 8);
    }
  });
  std::atomic<bool> audioDone{false};
  std::thread audio([&] {
    std::vector<double> in(64, 0.25), outL(64), outR(64);
    double* inputs[2] = {in.data(), in.data()};
    double* outputs[2] = {outL.data(), outR.data()};
    for (int block = 0; !stop; ++block) {
      effect.processDoubleReplacing(inputs, outputs, 64);
      if (block % 7 == 0) effect.setProgram(block % 16);  // as a VST 3 host's program change
    }
    effect.setProgram(5);  // the last change, made while the state threads still run
    audioDone = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  stop = true;
  audio.join();
  autosave.join();
  gui.join();
  parameters.join();
  std::vector<double> in(64, 0.0), out(64);
  double* inputs[2] = {in.data(), in.data()};
  double* outputs[2] = {out.data(), out.data()};
  effect.processDoubleReplacing(inputs, outputs, 64);

  EXPECT_TRUE(audioDone);
  EXPECT_GT(saves.load(), 20);
  EXPECT_EQ(torn.load(), 0) << "chunks changed under the thread that asked for them";
  EXPECT_EQ(refused.load(), 0) << "chunks handed out did not load";
  EXPECT_EQ(effect.getProgram(), 5);
}

}  // namespace
