// The skeletons the check groups share: a module loaded with one instance for a check, a fresh
// running instance per case, a body run for every replacing path, and noise recorded for
// comparison.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Validate.h"

// Loads the module and hands `body` one fresh instance of it; a failed load or instance is the
// check's result.
CheckResult withInstance(CheckContext& context,
                         const std::function<CheckResult(std::unique_ptr<Instance>&)>& body);

// A fresh instance resumed at `rate` with `announced` frames, and a rig for up to `capacity`.
struct Running {
  std::unique_ptr<Instance> instance;
  std::unique_ptr<AudioRig> rig;
};
// False with `result` saying why when there is no instance.
bool startRunning(const LoadedModule& module, double rate, VstInt32 announced, VstInt32 capacity,
                  Running& out, CheckResult& result);

// Loads the module and hands `body` each replacing path the module offers, to add what it finds
// to `problems`; `body` returns false, with `result` set, when the check cannot go on.
using PathBody = std::function<bool(const LoadedModule& module, Path path,
                                    std::vector<std::string>& problems, CheckResult& result)>;
CheckResult forEachPath(CheckContext& context, const PathBody& body, std::string passDetail = "");

// A failure listing `problems`, or a pass when there are none.
CheckResult finish(const std::vector<std::string>& problems, std::string passDetail = "");

// `blocks` blocks of kBlock frames of noise from `seed`, each output appended to `out`, stopping
// after the first problem, which lands in `problem`. In place the outputs are the inputs, so only
// what separate buffers give is inspected.
void recordNoise(AudioRig& rig, Path path, int blocks, uint64_t seed, bool inPlace,
                 std::vector<double>& out, std::string& problem);
