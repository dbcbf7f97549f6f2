#include "ValidateChecks.h"

#include <cmath>
#include <cstdio>
#include <cstring>

bool loadModule(const CheckContext& context, LoadedModule& module, CheckResult& result) {
  std::string error;
  if (module.load(context.facts.path, error)) return true;
  result = CheckResult::fail("cannot load the module: " + error);
  return false;
}

std::unique_ptr<Instance> newInstance(const LoadedModule& module, CheckResult& result) {
  auto instance = std::make_unique<Instance>(module);
  if (instance->ok()) return instance;
  result = CheckResult::fail(instance->error());
  return nullptr;
}

CheckResult withInstance(CheckContext& context,
                         const std::function<CheckResult(std::unique_ptr<Instance>&)>& body) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  auto instance = newInstance(module, result);
  if (!instance) return result;
  return body(instance);
}

bool startRunning(const LoadedModule& module, double rate, VstInt32 announced, VstInt32 capacity,
                  Running& out, CheckResult& result) {
  out.instance = newInstance(module, result);
  if (!out.instance) return false;
  out.instance->start(rate, announced);
  out.rig = std::make_unique<AudioRig>(*out.instance->record(), capacity);
  return true;
}

CheckResult forEachPath(CheckContext& context, const PathBody& body, std::string passDetail) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  std::vector<std::string> problems;
  for (Path path : replacingPaths(context.facts))
    if (!body(module, path, problems, result)) return result;
  return finish(problems, std::move(passDetail));
}

CheckResult finish(const std::vector<std::string>& problems, std::string passDetail) {
  if (!problems.empty()) return CheckResult::fail(joinProblems(problems));
  return CheckResult::pass(std::move(passDetail));
}

void recordNoise(AudioRig& rig, Path path, int blocks, uint64_t seed, bool inPlace,
                 std::vector<double>& out, std::string& problem) {
  Random random(seed);
  for (int block = 0; block < blocks && problem.empty(); ++block) {
    rig.fillInputs(path, Signal::noise, random, kBlock);
    rig.poisonOutputs();
    rig.call(path, kBlock, inPlace);
    if (!inPlace) problem = rig.inspect(path, kBlock);
    rig.appendOutputs(path, kBlock, out);
  }
}

std::string runBlocks(Instance&, AudioRig& rig, Path path, const std::vector<VstInt32>& sizes,
                      Signal signal, Random& random) {
  for (VstInt32 size : sizes) {
    const std::string problem = rig.process(path, size, signal, random);
    if (!problem.empty())
      return "block of " + std::to_string(size) + " (" + pathName(path) + "): " + problem;
  }
  return "";
}

std::vector<Path> replacingPaths(const ModuleFacts& facts) {
  std::vector<Path> paths;
  if (facts.replacing) paths.push_back(Path::float32);
  if (facts.doubleReplacing) paths.push_back(Path::float64);
  return paths;
}

bool allZero(const std::vector<double>& samples) {
  for (double sample : samples)
    if (sample != 0) return false;
  return true;
}

std::string firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size())
    return std::to_string(a.size()) + " samples against " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof a[i]) == 0) continue;
    char text[96];
    std::snprintf(text, sizeof text, "sample %zu: %.9g against %.9g", i, a[i], b[i]);
    return text;
  }
  return "";
}

std::string joinProblems(const std::vector<std::string>& problems) {
  std::string text;
  for (size_t i = 0; i < problems.size() && i < 3; ++i) text += (i ? "; " : "") + problems[i];
  if (problems.size() > 3) text += "; and " + std::to_string(problems.size() - 3) + " more";
  return text;
}
