#include "ValidateRig.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "PlatformValidate.h"
#include "ValidateHost.h"

uint64_t Random::next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545F4914F6CDD1Dull;
}

double Random::unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double Random::signedUnit() { return unit() * 2 - 1; }

int Random::below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

float Random::parameter() {
  switch (below(10)) {
    case 0:
      return 0.0f;
    case 1:
      return 1.0f;
    default:
      return static_cast<float>(unit());
  }
}

uint64_t seedFor(uint64_t runSeed, const std::string& checkName) {
  uint64_t hash = 0xCBF29CE484222325ull ^ runSeed;  // FNV-1a over the name
  for (unsigned char c : checkName) hash = (hash ^ c) * 0x100000001B3ull;
  return hash;
}

// --- module and instance ---

bool LoadedModule::load(const std::string& path, std::string& error) {
  module_ = std::make_unique<PluginModule>();
  if (!module_->load(path, error)) {
    module_.reset();
    return false;
  }
  validateplatform::watchModule(module_->module());
  return true;
}

void LoadedModule::unload() { module_.reset(); }

AEffect* LoadedModule::create() const {
  return module_ ? module_->create(validatehost::callback) : nullptr;
}

Instance::Instance(const LoadedModule& module) {
  AEffect* record = module.create();
  if (!record) {
    error_ = "the entry point returned no effect";
    return;
  }
  if (record->magic != kEffectMagic) {
    error_ = "the effect record's magic is not 'VstP'";
    return;
  }
  record_ = record;
  dispatch(effOpen);
}

Instance::~Instance() {
  if (record_ && started_) stop();
  close();
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) const {
  return record_->dispatcher(record_, opcode, index, value, ptr, opt);
}

float Instance::get(VstInt32 index) const { return record_->getParameter(record_, index); }

void Instance::set(VstInt32 index, float value) const {
  record_->setParameter(record_, index, value);
}

std::vector<float> Instance::values() const {
  std::vector<float> values;
  for (VstInt32 i = 0; i < record_->numParams; ++i) values.push_back(get(i));
  return values;
}

void Instance::randomize(Random& random) const {
  for (VstInt32 i = 0; i < record_->numParams; ++i) set(i, random.parameter());
}

void Instance::start(double sampleRate, VstInt32 blockSize) {
  validatehost::setTransport(sampleRate, blockSize);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  dispatch(effSetBlockSize, 0, blockSize);
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  started_ = true;
}

void Instance::stop() {
  dispatch(effStopProcess);
  dispatch(effMainsChanged, 0, 0);
  started_ = false;
}

void Instance::close() {
  if (!record_) return;
  AEffect* record = record_;
  record_ = nullptr;
  record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

std::vector<uint8_t> Instance::chunk(bool bank) const {
  void* data = nullptr;
  const VstIntPtr size = dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

void Instance::setChunk(bool bank, const std::vector<uint8_t>& bytes, size_t size) const {
  validateplatform::GuardedBytes guarded(bytes.data(), size);
  dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(size), guarded.data());
}

// --- audio ---

const char* pathName(Path path) {
  switch (path) {
    case Path::float32:
      return "float";
    case Path::float64:
      return "double";
    case Path::accumulating:
      return "accumulating";
  }
  return "?";
}

std::vector<Path> replacingPaths(const AEffect& record) {
  std::vector<Path> paths;
  if (record.processReplacing) paths.push_back(Path::float32);
  if (record.processDoubleReplacing && (record.flags & effFlagsCanDoubleReplacing))
    paths.push_back(Path::float64);
  return paths;
}

const char* signalName(Signal signal) {
  switch (signal) {
    case Signal::silence:
      return "silence";
    case Signal::noise:
      return "full-scale noise";
    case Signal::nan:
      return "NaN";
    case Signal::infinity:
      return "+infinity";
    case Signal::negativeInfinity:
      return "-infinity";
    case Signal::huge:
      return "1e30";
    case Signal::denormal:
      return "denormals";
    case Signal::mixed:
      return "a mix of all of these";
  }
  return "?";
}

namespace {

// NaNs with payloads of our own: no arithmetic result carries them by chance.
float floatPoison() {
  const uint32_t bits = 0x7FC0DEADu;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
double doublePoison() {
  const uint64_t bits = 0x7FF8DEADBEEFDEADull;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
template <typename Sample>
Sample poison();
template <>
float poison<float>() {
  return floatPoison();
}
template <>
double poison<double>() {
  return doublePoison();
}

template <typename Sample>
bool sameBits(Sample a, Sample b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

template <typename Sample>
Sample sampleOf(Signal signal, Random& random) {
  switch (signal) {
    case Signal::silence:
      return 0;
    case Signal::noise:
      return static_cast<Sample>(random.signedUnit());
    case Signal::nan:
      return std::numeric_limits<Sample>::quiet_NaN();
    case Signal::infinity:
      return std::numeric_limits<Sample>::infinity();
    case Signal::negativeInfinity:
      return -std::numeric_limits<Sample>::infinity();
    case Signal::huge:
      return static_cast<Sample>(random.below(2) ? 1e30 : -1e30);
    case Signal::denormal:
      return std::numeric_limits<Sample>::min() * static_cast<Sample>(random.signedUnit());
    case Signal::mixed:
      return sampleOf<Sample>(static_cast<Signal>(random.below(7)), random);
  }
  return 0;
}

template <typename Sample>
void sizeBus(std::vector<std::vector<Sample>>& channels, std::vector<Sample*>& pointers,
             VstInt32 count, VstInt32 capacity) {
  channels.assign(count > 0 ? count : 0,
                  std::vector<Sample>(static_cast<size_t>(capacity) + 2 * kGuardSamples));
  // At least one pointer, so a plug-in never sees a null array.
  pointers.assign(channels.size() > 0 ? channels.size() : 1, nullptr);
  for (size_t c = 0; c < channels.size(); ++c) pointers[c] = channels[c].data() + kGuardSamples;
}

std::string describe(double value) {
  if (std::isnan(value)) return "nan";
  return value > 0 ? "+inf" : "-inf";
}

}  // namespace

AudioRig::AudioRig(const AEffect& record, VstInt32 capacity)
    : record_(record), capacity_(capacity) {
  sizeBus(floatIn_.channels, floatIn_.pointers, record.numInputs, capacity);
  sizeBus(floatOut_.channels, floatOut_.pointers, record.numOutputs, capacity);
  sizeBus(doubleIn_.channels, doubleIn_.pointers, record.numInputs, capacity);
  sizeBus(doubleOut_.channels, doubleOut_.pointers, record.numOutputs, capacity);
  given_.assign(floatIn_.channels.size(), std::vector<double>(capacity, 0.0));
  micros_.reserve(1 << 14);
}

template <>
AudioRig::Bus<float>& AudioRig::inputs<float>() {
  return floatIn_;
}
template <>
AudioRig::Bus<double>& AudioRig::inputs<double>() {
  return doubleIn_;
}
template <>
AudioRig::Bus<float>& AudioRig::outputs<float>() {
  return floatOut_;
}
template <>
AudioRig::Bus<double>& AudioRig::outputs<double>() {
  return doubleOut_;
}

template <typename Sample>
void AudioRig::fill(Signal signal, Random& random, VstInt32 frames) {
  Bus<Sample>& bus = inputs<Sample>();
  for (size_t c = 0; c < bus.channels.size(); ++c) {
    std::vector<Sample>& channel = bus.channels[c];
    std::fill(channel.begin(), channel.end(), poison<Sample>());
    for (VstInt32 i = 0; i < frames; ++i) {
      const Sample value = sampleOf<Sample>(signal, random);
      channel[kGuardSamples + i] = value;
      given_[c][i] = value;
    }
  }
}

void AudioRig::fillInputs(Path path, Signal signal, Random& random, VstInt32 frames) {
  if (path == Path::float64)
    fill<double>(signal, random, frames);
  else
    fill<float>(signal, random, frames);
}

void AudioRig::poisonOutputs() {
  for (auto& channel : floatOut_.channels)
    std::fill(channel.begin(), channel.end(), poison<float>());
  for (auto& channel : doubleOut_.channels)
    std::fill(channel.begin(), channel.end(), poison<double>());
}

void AudioRig::setOutputs(const std::vector<std::vector<double>>& values) {
  poisonOutputs();
  for (size_t c = 0; c < floatOut_.channels.size() && c < values.size(); ++c) {
    for (size_t i = 0; i < values[c].size() && i < static_cast<size_t>(capacity_); ++i) {
      floatOut_.channels[c][kGuardSamples + i] = static_cast<float>(values[c][i]);
      doubleOut_.channels[c][kGuardSamples + i] = values[c][i];
    }
  }
}

void AudioRig::call(Path path, VstInt32 frames, bool inPlace) {
  AEffect* record = const_cast<AEffect*>(&record_);
  validatehost::moveTransport(position_);
  lastInPlace_ = inPlace;
  // In place: every output that has an input of the same number is that input's buffer.
  std::vector<float*> floatOuts = floatOut_.pointers;
  std::vector<double*> doubleOuts = doubleOut_.pointers;
  if (inPlace) {
    for (size_t c = 0; c < floatOut_.channels.size() && c < floatIn_.channels.size(); ++c) {
      floatOuts[c] = floatIn_.pointers[c];
      doubleOuts[c] = doubleIn_.pointers[c];
    }
  }
  using Clock = std::chrono::steady_clock;
  if (counting_) validateplatform::startCountingAllocations();
  const Clock::time_point begin = Clock::now();
  switch (path) {
    case Path::float32:
      record->processReplacing(record, floatIn_.pointers.data(), floatOuts.data(), frames);
      break;
    case Path::float64:
      record->processDoubleReplacing(record, doubleIn_.pointers.data(), doubleOuts.data(), frames);
      break;
    case Path::accumulating:
      record->process(record, floatIn_.pointers.data(), floatOuts.data(), frames);
      break;
  }
  const Clock::time_point end = Clock::now();
  if (counting_) {
    size_t allocations = 0, frees = 0;
    validateplatform::stopCountingAllocations(allocations, frees);
    allocations_ += allocations;
    frees_ += frees;
  }
  if (micros_.size() < micros_.capacity())
    micros_.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
  position_ += frames > 0 ? frames : 0;
}

template <typename Sample>
std::string AudioRig::inspectBuses(const Bus<Sample>& ins, const Bus<Sample>& outs, VstInt32 frames,
                                   bool checkInputs, bool checkWritten) const {
  const Sample marker = poison<Sample>();
  const size_t body = static_cast<size_t>(frames > 0 ? frames : 0);
  for (size_t c = 0; c < outs.channels.size(); ++c) {
    const std::vector<Sample>& channel = outs.channels[c];
    const std::string name = "output " + std::to_string(c);
    for (size_t i = 0; i < kGuardSamples; ++i)
      if (!sameBits(channel[i], marker)) return name + " written before its first sample";
    for (size_t i = 0; i < body; ++i) {
      const Sample value = channel[kGuardSamples + i];
      if (checkWritten && sameBits(value, marker))
        return name + " not written (sample " + std::to_string(i) + " of " + std::to_string(body) +
               ")";
      if (!std::isfinite(value))
        return name + " not finite at sample " + std::to_string(i) + " (" +
               describe(static_cast<double>(value)) + ")";
    }
    for (size_t i = kGuardSamples + body; i < channel.size(); ++i)
      if (!sameBits(channel[i], marker))
        return name + " written past its " + std::to_string(body) + " frames (at sample " +
               std::to_string(i - kGuardSamples) + ")";
  }
  if (!checkInputs) return "";
  for (size_t c = 0; c < ins.channels.size(); ++c) {
    const std::vector<Sample>& channel = ins.channels[c];
    for (size_t i = 0; i < channel.size(); ++i) {
      const bool inside = i >= kGuardSamples && i < kGuardSamples + body;
      const Sample expected = inside ? static_cast<Sample>(given_[c][i - kGuardSamples]) : marker;
      if (!sameBits(channel[i], expected))
        return "input " + std::to_string(c) + " changed by the plug-in";
    }
  }
  return "";
}

std::string AudioRig::inspect(Path path, VstInt32 frames, bool checkInputs) const {
  if (path == Path::float64) return inspectBuses(doubleIn_, doubleOut_, frames, checkInputs, true);
  // Accumulated outputs held our values before the call, so none can look unwritten.
  return inspectBuses(floatIn_, floatOut_, frames, checkInputs, path == Path::float32);
}

std::string AudioRig::process(Path path, VstInt32 frames, Signal signal, Random& random) {
  fillInputs(path, signal, random, frames);
  poisonOutputs();
  call(path, frames);
  return inspect(path, frames);
}

std::vector<double> AudioRig::output(Path path, VstInt32 channel, VstInt32 frames) const {
  const bool fromInput = lastInPlace_ && static_cast<size_t>(channel) < floatIn_.channels.size();
  const Bus<float>& floats = fromInput ? floatIn_ : floatOut_;
  const Bus<double>& doubles = fromInput ? doubleIn_ : doubleOut_;
  std::vector<double> out;
  for (VstInt32 i = 0; i < frames; ++i) {
    out.push_back(path == Path::float64
                      ? doubles.channels[channel][kGuardSamples + i]
                      : static_cast<double>(floats.channels[channel][kGuardSamples + i]));
  }
  return out;
}

void AudioRig::appendOutputs(Path path, VstInt32 frames, std::vector<double>& to) const {
  for (size_t c = 0; c < floatOut_.channels.size(); ++c) {
    const std::vector<double> channel = output(path, static_cast<VstInt32>(c), frames);
    to.insert(to.end(), channel.begin(), channel.end());
  }
}
