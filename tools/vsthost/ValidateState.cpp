// State as hosts keep it: chunks written, read into a fresh instance and written again; every
// parameter and program through a bank; chunks cut short at every length and random bytes, read
// without a crash; indexes out of range ignored.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

#include "ValidateChecks.h"

namespace {

constexpr int kMaxPrograms = 16;
constexpr float kValueTolerance = 1e-4f;
constexpr size_t kEveryLengthUpTo = 4096;
constexpr int kRandomChunks = 300;

std::string byteDifference(const char* what, const std::vector<uint8_t>& before,
                           const std::vector<uint8_t>& after) {
  if (before.size() != after.size())
    return std::string(what) + " of " + std::to_string(before.size()) + " bytes came back as " +
           std::to_string(after.size()) + " bytes";
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    char text[160];
    std::snprintf(text, sizeof text, "%s differs at byte %zu of %zu (0x%02X, was 0x%02X)", what, i,
                  before.size(), after[i], before[i]);
    return text;
  }
  return "";
}

// The values must be parameter values still: finite and within 0..1.
std::string valuesProblem(const Instance& instance) {
  const std::vector<float> values = instance.values();
  for (size_t i = 0; i < values.size(); ++i) {
    if (std::isfinite(values[i]) && values[i] >= 0 && values[i] <= 1) continue;
    char text[96];
    std::snprintf(text, sizeof text, "parameter %zu reads %.9g", i, values[i]);
    return text;
  }
  return "";
}

// Some audio after the state changed: still written and finite.
std::string audioProblem(Instance& instance, Random& random) {
  instance.start(kRate, kBlock);
  AudioRig rig(*instance.record(), kBlock);
  std::string problem;
  for (Path path : replacingPaths(*instance.record())) {
    if (problem.empty())
      problem = runBlocks(instance, rig, path, {kBlock, kBlock}, Signal::noise, random);
  }
  instance.stop();
  return problem;
}

// How the chunk checks begin: the module loaded and a first instance at random values; false with
// `result` saying why, a skip when the module keeps no chunks.
bool chunkSource(CheckContext& context, LoadedModule& module, std::unique_ptr<Instance>& source,
                 CheckResult& result) {
  if (!context.facts.chunks) {
    result = CheckResult::skip("no chunks: programChunks flag clear");
    return false;
  }
  if (!loadModule(context, module, result)) return false;
  source = newInstance(module, result);
  if (!source) return false;
  source->randomize(context.random);
  return true;
}

CheckResult chunkRoundTrip(CheckContext& context) {
  LoadedModule module;
  CheckResult result;
  std::unique_ptr<Instance> first;
  if (!chunkSource(context, module, first, result)) return result;
  const std::vector<uint8_t> bank = first->chunk(true);
  const std::vector<uint8_t> program = first->chunk(false);
  if (bank.empty()) return CheckResult::fail("effGetChunk gave no bank chunk");
  // A VST 3 state is the whole bank: there is no program chunk to check.
  const bool programs = !context.facts.vst3;
  if (programs && program.empty()) return CheckResult::fail("effGetChunk gave no program chunk");
  first.reset();

  std::vector<std::string> problems;
  auto second = newInstance(module, result);
  if (!second) return result;
  second->setChunk(true, bank);
  const std::string bankProblem = byteDifference("the bank chunk", bank, second->chunk(true));
  if (!bankProblem.empty()) problems.push_back(bankProblem);
  if (!programs)
    return finish(problems, std::to_string(bank.size()) +
                                "-byte bank; a VST 3 state has no "
                                "program chunk");
  const std::string programProblem =
      byteDifference("the program chunk after the bank", program, second->chunk(false));
  if (!programProblem.empty()) problems.push_back(programProblem);
  second.reset();

  auto third = newInstance(module, result);
  if (!third) return result;
  third->setChunk(false, program);
  const std::string alone = byteDifference("the program chunk", program, third->chunk(false));
  if (!alone.empty()) problems.push_back(alone);
  return finish(problems, std::to_string(program.size()) + "-byte program, " +
                              std::to_string(bank.size()) + "-byte bank");
}

struct ProgramState {
  std::string name;
  std::vector<float> values;
};

// Every program's name and values, read as a host lists them: each selected in turn.
std::vector<ProgramState> programsOf(const Instance& instance, int programs) {
  std::vector<ProgramState> states;
  const VstIntPtr current = instance.dispatch(effGetProgram);
  for (int p = 0; p < programs; ++p) {
    instance.dispatch(effSetProgram, 0, p);
    char name[256] = {0};
    instance.dispatch(effGetProgramName, 0, 0, name);
    states.push_back({std::string(name, strnlen(name, kVstMaxProgNameLen)), instance.values()});
  }
  instance.dispatch(effSetProgram, 0, current);
  return states;
}

// Where two value lists differ by more than a chunk's rounding, or empty.
std::string valuesDifference(const std::string& where, const std::vector<float>& before,
                             const std::vector<float>& after) {
  for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (std::fabs(before[i] - after[i]) <= kValueTolerance) continue;
    char text[160];
    std::snprintf(text, sizeof text, "parameter %zu %s was %.9g, came back as %.9g", i,
                  where.c_str(), before[i], after[i]);
    return text;
  }
  return "";
}

// The state a host saves, taken as it lists it, from the one instance alive: a plug-in may keep
// its state in one place for all its instances, and that is not what this check is about.
CheckResult parametersSurvive(CheckContext& context) {
  LoadedModule module;
  CheckResult result;
  if (!loadModule(context, module, result)) return result;
  const int programs = std::max(1, std::min<int>(context.facts.numPrograms, kMaxPrograms));
  auto first = newInstance(module, result);
  if (!first) return result;
  for (int p = 0; p < programs; ++p) {
    first->dispatch(effSetProgram, 0, p);
    char name[kVstMaxProgNameLen] = {0};
    std::snprintf(name, sizeof name, "Check %d-%d", p, context.random.below(1000));
    first->dispatch(effSetProgramName, 0, 0, name);
    first->randomize(context.random);
  }
  const int current = context.random.below(programs);
  first->dispatch(effSetProgram, 0, current);
  first->randomize(context.random);  // live values that differ from the stored program's
  const std::vector<uint8_t> bank =
      context.facts.chunks ? first->chunk(true) : std::vector<uint8_t>();
  const VstIntPtr currentBefore = first->dispatch(effGetProgram);
  const std::vector<float> liveBefore = first->values();
  const std::vector<ProgramState> before = programsOf(*first, programs);
  first.reset();

  auto second = newInstance(module, result);
  if (!second) return result;
  const char* how = "through a bank chunk";
  if (context.facts.chunks) {
    second->setChunk(true, bank);
  } else {
    // What a host stores without chunks: each program's name and values, then the live ones.
    how = "as names and values";
    for (int p = 0; p < programs; ++p) {
      second->dispatch(effSetProgram, 0, p);
      char name[kVstMaxProgNameLen + 1] = {0};
      before[p].name.copy(name, kVstMaxProgNameLen);
      second->dispatch(effSetProgramName, 0, 0, name);
      for (size_t i = 0; i < before[p].values.size(); ++i)
        second->set(static_cast<VstInt32>(i), before[p].values[i]);
    }
    second->dispatch(effSetProgram, 0, currentBefore);
    for (size_t i = 0; i < liveBefore.size(); ++i)
      second->set(static_cast<VstInt32>(i), liveBefore[i]);
  }

  std::vector<std::string> problems;
  const VstIntPtr currentAfter = second->dispatch(effGetProgram);
  if (currentAfter != currentBefore)
    problems.push_back("program " + std::to_string(currentBefore) + " was current, " +
                       std::to_string(currentAfter) + " came back");
  const std::string live = valuesDifference("(live value)", liveBefore, second->values());
  if (!live.empty()) problems.push_back(live);
  const std::vector<ProgramState> after = programsOf(*second, programs);
  for (int p = 0; p < programs; ++p) {
    if (before[p].name != after[p].name)
      problems.push_back("program " + std::to_string(p) + " was named \"" + before[p].name +
                         "\", came back as \"" + after[p].name + "\"");
    const std::string values =
        valuesDifference("of program " + std::to_string(p), before[p].values, after[p].values);
    if (!values.empty()) problems.push_back(values);
  }
  if (!problems.empty()) return CheckResult::fail(std::string(how) + ": " + joinProblems(problems));
  return CheckResult::pass(
      std::to_string(programs) + " programs " + how +
      (context.facts.vst3 ? "; VST 3 gives a host no way to rename them" : ""));
}

// The lengths to cut a chunk of `size` bytes at: all of them up to a bound, then a spread.
std::vector<size_t> cutLengths(size_t size) {
  std::vector<size_t> lengths;
  for (size_t length = 0; length < size && length < kEveryLengthUpTo; ++length)
    lengths.push_back(length);
  const size_t step = size / 256 + 1;
  for (size_t length = kEveryLengthUpTo; length < size; length += step) lengths.push_back(length);
  return lengths;
}

// What survives garbage: the values are values, audio is still fine, and the whole chunk still
// loads and restores what it holds.
std::string afterGarbage(Instance& target, const std::vector<uint8_t>& bank,
                         const std::vector<float>& expected, Random& random) {
  std::string problem = valuesProblem(target);
  if (problem.empty()) problem = audioProblem(target, random);
  if (!problem.empty()) return problem;
  target.setChunk(true, bank);
  const std::vector<float> values = target.values();
  for (size_t i = 0; i < values.size() && i < expected.size(); ++i) {
    if (std::fabs(values[i] - expected[i]) <= kValueTolerance) continue;
    char text[160];
    std::snprintf(text, sizeof text,
                  "a whole bank read after the broken ones left parameter %zu at %.9g, not %.9g", i,
                  values[i], expected[i]);
    return text;
  }
  return "";
}

// What a garbage check feeds `target`: a program chunk and a bank chunk, in that order.
using ChunkPair = std::vector<uint8_t>[2];
// `feed` gives `target` its garbage, counts it in `fed` and says what went wrong first.
using Feed = std::function<std::string(Instance& target, const ChunkPair& chunks, size_t& fed)>;

// Both garbage checks: real chunks from one instance at random values, garbage built from them fed
// to a second with stderr quiet, and then afterGarbage. `noun` names what was fed, with its count
// in a pass and, when `withCount`, in a failure after the feeding.
CheckResult garbageCheck(CheckContext& context, const char* noun, bool withCount,
                         const Feed& feed) {
  LoadedModule module;
  CheckResult result;
  std::unique_ptr<Instance> source;
  if (!chunkSource(context, module, source, result)) return result;
  const ChunkPair chunks = {source->chunk(false), source->chunk(true)};
  const std::vector<float> expected = source->values();
  source.reset();
  auto target = newInstance(module, result);
  if (!target) return result;
  size_t fed = 0;
  std::string problem;
  {
    validateplatform::QuietStderr quiet;
    problem = feed(*target, chunks, fed);
  }
  if (!problem.empty()) return CheckResult::fail(problem);
  const std::string count = std::to_string(fed) + " ";
  problem = afterGarbage(*target, chunks[1], expected, context.random);
  if (!problem.empty())
    return CheckResult::fail("after " + (withCount ? count : "") + noun + ", " + problem);
  return CheckResult::pass(count + noun);
}

CheckResult truncatedChunks(CheckContext& context) {
  return garbageCheck(
      context, "cut chunks", true, [](Instance& target, const ChunkPair& chunks, size_t& tried) {
        for (int bank = 0; bank < 2; ++bank) {
          for (size_t length : cutLengths(chunks[bank].size())) {
            target.setChunk(bank != 0, chunks[bank], length);
            ++tried;
            const std::string problem = valuesProblem(target);
            if (!problem.empty())
              return "after the " + std::string(bank ? "bank" : "program") + " chunk cut to " +
                     std::to_string(length) + " bytes, " + problem;
          }
        }
        return std::string();
      });
}

CheckResult randomChunks(CheckContext& context) {
  Random& random = context.random;
  const auto feed = [&](Instance& target, const ChunkPair& chunks, size_t& fed) {
    const char* const kinds[] = {"random bytes", "a damaged chunk", "a chunk with bytes after it"};
    for (int i = 0; i < kRandomChunks; ++i) {
      const bool bank = random.below(2) != 0;
      std::vector<uint8_t> bytes = chunks[bank];
      switch (i % 3) {
        case 0:  // nothing but noise
          bytes.resize(static_cast<size_t>(random.below(static_cast<int>(2 * bytes.size() + 16))));
          for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random.next());
          break;
        case 1:  // a real chunk with a few bytes changed
          for (int n = 1 + random.below(8); n > 0 && !bytes.empty(); --n)
            bytes[random.below(static_cast<int>(bytes.size()))] =
                static_cast<uint8_t>(random.next());
          break;
        default:  // a real chunk with noise after it
          for (int n = 1 + random.below(64); n > 0; --n)
            bytes.push_back(static_cast<uint8_t>(random.next()));
          break;
      }
      target.setChunk(bank, bytes);
      ++fed;
      const std::string problem = valuesProblem(target);
      if (!problem.empty())
        return "after chunk " + std::to_string(i + 1) + " (" + kinds[i % 3] + ", " +
               std::to_string(bytes.size()) + " bytes), " + problem;
    }
    return std::string();
  };
  return garbageCheck(context, "random chunks", false, feed);
}

CheckResult badIndexes(CheckContext& context) {
  return withInstance(context, [&](std::unique_ptr<Instance>& instance) {
    instance->randomize(context.random);
    const VstInt32 params = context.facts.numParams;
    const VstInt32 programs = context.facts.numPrograms;
    const VstIntPtr program = instance->dispatch(effGetProgram);
    const std::vector<float> values = instance->values();
    const VstInt32 badParams[] = {-1, params, params + 1, std::numeric_limits<VstInt32>::max(),
                                  std::numeric_limits<VstInt32>::min()};
    for (VstInt32 index : badParams) {
      instance->set(index, 0.5f);
      instance->get(index);
      for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        char text[256] = {0};
        instance->dispatch(opcode, index, 0, text);
      }
      instance->dispatch(effCanBeAutomated, index);
    }
    for (VstIntPtr index : {VstIntPtr(-1), VstIntPtr(programs), VstIntPtr(programs) + 1}) {
      instance->dispatch(effSetProgram, 0, index);
      char text[256] = {0};
      instance->dispatch(effGetProgramNameIndexed, static_cast<VstInt32>(index), 0, text);
    }
    for (VstInt32 pin : {-1, 1000}) {
      VstPinProperties properties = {};
      instance->dispatch(effGetInputProperties, pin, 0, &properties);
      instance->dispatch(effGetOutputProperties, pin, 0, &properties);
    }
    char empty[1] = {0};
    instance->dispatch(effCanDo, 0, 0, empty);
    std::string longText(4000, 'x');
    instance->dispatch(effCanDo, 0, 0, &longText[0]);

    std::vector<std::string> problems;
    if (instance->dispatch(effGetProgram) != program)
      problems.push_back("program " + std::to_string(program) + " became " +
                         std::to_string(instance->dispatch(effGetProgram)));
    const std::vector<float> after = instance->values();
    for (size_t i = 0; i < values.size(); ++i) {
      if (std::memcmp(&values[i], &after[i], sizeof values[i]) == 0) continue;
      char text[128];
      std::snprintf(text, sizeof text, "parameter %zu changed from %.9g to %.9g", i, values[i],
                    after[i]);
      problems.push_back(text);
    }
    if (!problems.empty())
      return CheckResult::fail("out-of-range indexes: " + joinProblems(problems));
    return CheckResult::pass();
  });
}

}  // namespace

void addStateChecks(std::vector<Check>& checks) {
  checks.push_back({"state.chunkRoundTrip",
                    "program and bank chunks read into a fresh instance are written again byte "
                    "for byte",
                    false, chunkRoundTrip});
  checks.push_back({"state.parametersSurvive",
                    "random values and names in every program, and the live values, survive "
                    "into a fresh instance",
                    false, parametersSurvive});
  checks.push_back({"state.truncatedChunks",
                    "chunks cut at every length are refused without a crash and leave a working "
                    "effect",
                    false, truncatedChunks});
  checks.push_back({"state.randomChunks",
                    "random bytes, damaged and overlong chunks are read without a crash", false,
                    randomChunks});
  checks.push_back({"state.badIndexes",
                    "parameter, program and pin indexes out of range change nothing", false,
                    badIndexes});
}
