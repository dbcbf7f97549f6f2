// The checks of `vsthost validate`: what each one is, what it learns about the module before any
// check runs, and how a check says what it found. No group is known here: each group's file
// includes this, and ValidateRegistry alone lists the groups.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PlatformValidate.h"
#include "ValidateRig.h"
#include "plugcore/VstAbi.h"

// Read once from a first instance, so checks can size their buffers and skip what the module
// does not offer.
struct ModuleFacts {
  std::string path;
  VstInt32 flags = 0;
  VstInt32 numInputs = 0;
  VstInt32 numOutputs = 0;
  VstInt32 numParams = 0;
  VstInt32 numPrograms = 0;
  bool accumulating = false;  // the deprecated `process` entry is there
  bool replacing = false;
  bool doubleReplacing = false;
  bool chunks = false;
  bool editor = false;
  // A VST 3 bundle through the adapter: no program chunks, no audio before the first resume.
  bool vst3 = false;
};

struct CheckResult {
  CheckCode code = kCheckPassed;
  std::string detail;

  static CheckResult pass(std::string detail = "") { return {kCheckPassed, std::move(detail)}; }
  static CheckResult fail(std::string detail) { return {kCheckFailed, std::move(detail)}; }
  static CheckResult skip(std::string detail) { return {kCheckSkipped, std::move(detail)}; }
};

struct CheckContext {
  const ModuleFacts& facts;
  Random random;  // seeded from the run's seed and the check's name
};

struct Check {
  const char* name;    // "group.check"
  const char* proves;  // one line for --list
  bool needsEditor;    // skipped without an editor or a window to put it in
  CheckResult (*run)(CheckContext& context);
};

// --- steps shared by the checks ---

// What a host uses when nothing else is asked for.
constexpr double kRate = 44100;
constexpr VstInt32 kBlock = 512;
constexpr VstInt32 kMaxBlock = 4096;

// Loads the module under test; false with `result` saying why.
bool loadModule(const CheckContext& context, LoadedModule& module, CheckResult& result);
// A new instance; null with `result` saying why.
std::unique_ptr<Instance> newInstance(const LoadedModule& module, CheckResult& result);

// One process call per entry of `sizes`, each inspected; the first problem, prefixed with the
// call's size, or empty.
std::string runBlocks(Instance& instance, AudioRig& rig, Path path,
                      const std::vector<VstInt32>& sizes, Signal signal, Random& random);

// The replacing entries the module offers, as found before the checks ran.
std::vector<Path> replacingPaths(const ModuleFacts& facts);

bool allZero(const std::vector<double>& samples);
// Where two runs' outputs first differ, or empty when they are the same bits.
std::string firstDifference(const std::vector<double>& a, const std::vector<double>& b);

std::string joinProblems(const std::vector<std::string>& problems);
