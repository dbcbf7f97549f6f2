// The objects a VST 3 host hands to a plug-in: the host application, a memory stream for state,
// parameter change lists and an event list. Each lives inside its owner for the instance's whole
// life, so reference counts are answered but never free anything; the change lists have fixed room
// and never allocate, since they are filled and read on the audio thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vst3/Vst3Abi.h"

namespace vst3host {

// UTF-16 from a plug-in, as UTF-8 for our output, up to the first zero or `capacity` units.
std::string utf8(const Vst3::TChar* text, size_t capacity);
// The first `capacity - 1` bytes of `text` and a zero into `out`.
void copyText(const std::string& text, char* out, size_t capacity);

// queryInterface for an object that is nothing but `iid` (and FUnknown).
Vst3::tresult answerOnly(Vst3::FUnknown* self, const Vst3::Uid& iid, const Vst3::TUID asked,
                         void** object);

class HostApplication : public Vst3::IHostApplication {
 public:
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  Vst3::tresult getName(Vst3::String128 name) override;
  Vst3::tresult createInstance(Vst3::TUID, Vst3::TUID, void** object) override;
};

class MemoryStream : public Vst3::IBStream {
 public:
  MemoryStream() = default;
  MemoryStream(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  Vst3::tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override;
  Vst3::tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override;
  Vst3::tresult seek(int64_t pos, int32_t mode, int64_t* result) override;
  Vst3::tresult tell(int64_t* pos) override;

  void clear() {
    bytes_.clear();
    position_ = 0;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

// One parameter's points in a block, in offset order.
class ParamQueue : public Vst3::IParamValueQueue {
 public:
  static constexpr int32_t kMaxPoints = 512;
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  Vst3::ParamID getParameterId() override { return id_; }
  int32_t getPointCount() override { return count_; }
  Vst3::tresult getPoint(int32_t index, int32_t& sampleOffset, Vst3::ParamValue& value) override;
  Vst3::tresult addPoint(int32_t sampleOffset, Vst3::ParamValue value, int32_t& index) override;

  void reset(Vst3::ParamID id) {
    id_ = id;
    count_ = 0;
  }
  Vst3::ParamID id() const { return id_; }
  int32_t count() const { return count_; }
  // The value of the last point; the queue must have one.
  Vst3::ParamValue lastValue() const { return points_[count_ - 1].value; }

 private:
  struct Point {
    int32_t offset;
    Vst3::ParamValue value;
  };
  Vst3::ParamID id_ = 0;
  int32_t count_ = 0;
  Point points_[kMaxPoints];
};

class ParameterChanges : public Vst3::IParameterChanges {
 public:
  static constexpr int32_t kMaxQueues = 64;
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  int32_t getParameterCount() override { return count_; }
  Vst3::IParamValueQueue* getParameterData(int32_t index) override;
  Vst3::IParamValueQueue* addParameterData(const Vst3::ParamID& id, int32_t& index) override;

  void clear() { count_ = 0; }
  // Adds a point at `offset` to the parameter's queue; false when there is no more room.
  bool add(Vst3::ParamID id, int32_t offset, Vst3::ParamValue value);
  const ParamQueue& queue(int32_t index) const { return queues_[index]; }

 private:
  int32_t count_ = 0;
  ParamQueue queues_[kMaxQueues];
};

// The events a VST 2.4 host sends are turned into parameter changes, so the list stays empty and
// takes nothing.
class EmptyEventList : public Vst3::IEventList {
 public:
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  int32_t getEventCount() override { return 0; }
  Vst3::tresult getEvent(int32_t, Vst3::Event&) override { return Vst3::kResultFalse; }
  Vst3::tresult addEvent(Vst3::Event&) override { return Vst3::kResultFalse; }
};

}  // namespace vst3host
