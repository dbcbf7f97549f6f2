// What the checks of `vsthost validate` drive a plug-in with: a seeded random source, the module
// and its entry, one instance handled as a host handles it, and the audio side with buffers that
// show a sample left unwritten or written out of bounds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"
#include "PluginModule.h"
#include "plugcore/VstAbi.h"

// xorshift64*: the same values on every platform for the same seed, so a failure can be rerun.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  uint64_t next();
  double unit();        // [0, 1)
  double signedUnit();  // [-1, 1)
  int below(int n);     // [0, n), n > 0
  // A normalized parameter value: now and then exactly 0 or 1, as hosts send them.
  float parameter();

 private:
  uint64_t state_;
};

// The seed of one check: the run's seed mixed with the check's name, so `--only` reproduces what
// the full run did.
uint64_t seedFor(uint64_t runSeed, const std::string& checkName);

// A VST 2.4 module and its entry point, or a VST 3 bundle through its factory.
class LoadedModule {
 public:
  bool load(const std::string& path, std::string& error);
  // FreeLibrary or dlclose now; instances must be closed first.
  void unload();
  bool loaded() const { return module_ != nullptr; }
  AEffect* create() const;
  const Module& module() const { return module_->module(); }
  bool isVst3() const { return module_ && module_->isVst3(); }

 private:
  std::unique_ptr<PluginModule> module_;
};

// One effect instance, opened on creation and, when it goes, stopped if started and closed unless
// closed before. Everything a host sends goes through here.
class Instance {
 public:
  explicit Instance(const LoadedModule& module);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool ok() const { return record_ != nullptr; }
  // Why there is no instance: a null record or a bad magic.
  const std::string& error() const { return error_; }
  AEffect* record() const { return record_; }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const;
  float get(VstInt32 index) const;
  void set(VstInt32 index, float value) const;
  std::vector<float> values() const;
  // Every parameter at a random value.
  void randomize(Random& random) const;

  // effSetSampleRate, effSetBlockSize, effMainsChanged 1 and effStartProcess, the transport
  // reporting the same rate; and back with effStopProcess and effMainsChanged 0.
  void start(double sampleRate, VstInt32 blockSize);
  void stop();
  // effClose alone, whatever state the instance is in; the record is gone after it.
  void close();

  // A copy of what effGetChunk hands out (empty when it hands out nothing).
  std::vector<uint8_t> chunk(bool bank) const;
  // effSetChunk with the bytes right before unreadable memory, so an over-read crashes.
  void setChunk(bool bank, const std::vector<uint8_t>& bytes, size_t size) const;
  void setChunk(bool bank, const std::vector<uint8_t>& bytes) const {
    setChunk(bank, bytes, bytes.size());
  }

 private:
  AEffect* record_ = nullptr;
  bool started_ = false;
  std::string error_;
};

enum class Path { float32, float64, accumulating };
const char* pathName(Path path);
// processReplacing and processDoubleReplacing, where the record offers them.
std::vector<Path> replacingPaths(const AEffect& record);

enum class Signal { silence, noise, nan, infinity, negativeInfinity, huge, denormal, mixed };
const char* signalName(Signal signal);

// Planar input and output buffers for up to `capacity` frames, with guard samples on both sides.
// Outputs start each call filled with a NaN of our own, so a sample the plug-in did not write is
// told apart from any it computed.
class AudioRig {
 public:
  AudioRig(const AEffect& record, VstInt32 capacity);

  // Fills the inputs with `signal`, poisons the outputs, makes one process call and inspects the
  // result: empty when every output sample in range was written and finite, nothing was written
  // out of range and the inputs are as given; else what went wrong first.
  std::string process(Path path, VstInt32 frames, Signal signal, Random& random);

  // The pieces, for checks that need them apart.
  void fillInputs(Path path, Signal signal, Random& random, VstInt32 frames);
  void poisonOutputs();
  // Outputs given these values first (the accumulating path adds to them).
  void setOutputs(const std::vector<std::vector<double>>& values);
  // With `inPlace` the outputs are the input buffers themselves, as some hosts hand them.
  void call(Path path, VstInt32 frames, bool inPlace = false);
  std::string inspect(Path path, VstInt32 frames, bool checkInputs = true) const;
  // The first `frames` samples of output `channel` of the last call, widened.
  std::vector<double> output(Path path, VstInt32 channel, VstInt32 frames) const;
  // Every output channel's first `frames` samples of the last call, one after the other.
  void appendOutputs(Path path, VstInt32 frames, std::vector<double>& to) const;

  // Measured over every call so far: the time of each, and with counting on, what the calling
  // thread allocated and freed inside the calls.
  void countAllocations(bool on) { counting_ = on; }
  size_t allocations() const { return allocations_; }
  size_t frees() const { return frees_; }
  const std::vector<double>& callMicroseconds() const { return micros_; }

 private:
  template <typename Sample>
  struct Bus {
    std::vector<std::vector<Sample>> channels;
    std::vector<Sample*> pointers;
  };
  template <typename Sample>
  Bus<Sample>& inputs();
  template <typename Sample>
  Bus<Sample>& outputs();
  template <typename Sample>
  void fill(Signal signal, Random& random, VstInt32 frames);
  template <typename Sample>
  std::string inspectBuses(const Bus<Sample>& ins, const Bus<Sample>& outs, VstInt32 frames,
                           bool checkInputs, bool checkWritten) const;

  const AEffect& record_;
  VstInt32 capacity_;
  Bus<float> floatIn_, floatOut_;
  Bus<double> doubleIn_, doubleOut_;
  // What the inputs were given, to tell whether the plug-in wrote into them.
  std::vector<std::vector<double>> given_;
  double position_ = 0;
  bool lastInPlace_ = false;
  bool counting_ = false;
  size_t allocations_ = 0, frees_ = 0;
  std::vector<double> micros_;
};

constexpr VstInt32 kGuardSamples = 64;
