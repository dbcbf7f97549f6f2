// Runs audio through an open effect the way a host does, from effSetSampleRate to the last
// effMainsChanged; opening and closing are left to the caller, which needs the open effect to
// resolve parameter names first.
#pragma once

#include <functional>
#include <vector>

#include "Audio.h"
#include "BlockPlan.h"
#include "Effect.h"

enum class SamplePath { float32, float64 };

struct RenderSettings {
  VstInt32 blockSize = 512;
  SamplePath path = SamplePath::float32;
  // Called after the block size is set, before the initial parameters: where a preset goes.
  std::function<void()> beforeParams;
  std::vector<ParamWrite> initialParams;  // set after the block size, before resume
};

// Input c of the plug-in reads source channel min(c, last); the first output goes left, the
// second (or the first again, for a mono plug-in) right. The host transport must already be
// started; it is moved to each block's start.
Audio render(const Effect& effect, const Audio& source, const std::vector<Block>& blocks,
             const RenderSettings& settings);
