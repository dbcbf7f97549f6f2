// Feeds arbitrary bytes to the VST 3 component's and controller's setState, through the factory as
// a host reaches them, from a stream that hands them over in pieces of a size the input chooses.
// Whatever state either side then writes, it must read back.
//   byte 0, bits 0-1: which entry reads the rest (0 the component, 1 the controller's
//                     setComponentState, 2 the controller's own state, 3 the component and then
//                     the controller's setComponentState, as a host loading a project does)
//   bit 2:            Yes or No to the question the chunk reader may ask
//   bits 3-7:         the most bytes one read hands over (0: as many as asked for)
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/MessageBox.h"
#include "vst3/Factory.h"
#include "vst3/Vst3Abi.h"

using namespace Vst3;

namespace {

class Stream : public IBStream {
 public:
  Stream(const uint8_t* data, size_t size, int32_t mostPerRead)
      : data_(data), size_(size), mostPerRead_(mostPerRead) {}
  Stream() = default;

  tresult queryInterface(const TUID, void** object) override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override {
    if (numBytes < 0) return kInvalidArgument;
    size_t count = std::min<size_t>(static_cast<size_t>(numBytes), size() - position_);
    if (mostPerRead_ > 0) count = std::min<size_t>(count, static_cast<size_t>(mostPerRead_));
    if (count) std::memcpy(buffer, bytes() + position_, count);
    position_ += count;
    if (numBytesRead) *numBytesRead = static_cast<int32_t>(count);
    return kResultOk;
  }
  tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) override {
    if (numBytes < 0 || data_) return kInvalidArgument;
    const uint8_t* from = static_cast<const uint8_t*>(buffer);
    written_.insert(written_.end(), from, from + numBytes);
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
  }
  tresult seek(int64_t pos, int32_t mode, int64_t* result) override {
    const int64_t base = mode == kIBSeekCur   ? static_cast<int64_t>(position_)
                         : mode == kIBSeekEnd ? static_cast<int64_t>(size())
                                              : 0;
    if (base + pos < 0 || base + pos > static_cast<int64_t>(size())) return kInvalidArgument;
    position_ = static_cast<size_t>(base + pos);
    if (result) *result = static_cast<int64_t>(position_);
    return kResultOk;
  }
  tresult tell(int64_t* pos) override {
    if (pos) *pos = static_cast<int64_t>(position_);
    return kResultOk;
  }
  const std::vector<uint8_t>& written() const { return written_; }

 private:
  const uint8_t* bytes() const { return data_ ? data_ : written_.data(); }
  size_t size() const { return data_ ? size_ : written_.size(); }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  int32_t mostPerRead_ = 0;
  size_t position_ = 0;
  std::vector<uint8_t> written_;
};

int answerBox(void* context, const char*, const char*, unsigned flags) {
  const bool yes = *static_cast<const bool*>(context);
  if ((flags & 0xF) == Platform::kMbYesNo) return yes ? Platform::kIdYes : Platform::kIdNo;
  return Platform::kIdOk;
}

// The state a side writes now, read back into it.
void roundTrip(tresult (*save)(void*, IBStream*), tresult (*load)(void*, IBStream*), void* side) {
  Stream out;
  if (save(side, &out) != kResultOk) return;
  Stream in(out.written().data(), out.written().size(), 0);
  if (!out.written().empty() && load(side, &in) != kResultOk) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("XDG_CONFIG_HOME", "/nonexistent/quorl-fuzz", 1);  // no user defaults in the way
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  bool yes = (mode & 4) != 0;
  Platform::setMessageBoxHandler(answerBox, &yes);
  // Exactly as large as the state, so that a read one byte past it is caught.
  uint8_t* copy = size > 1 ? static_cast<uint8_t*>(std::malloc(size - 1)) : nullptr;
  if (copy) std::memcpy(copy, data + 1, size - 1);

  IPluginFactory* factory = Vst3Glue::moduleFactory();
  PClassInfo info{};
  void* object = nullptr;
  if (factory->getClassInfo(0, &info) != kResultOk ||
      factory->createInstance(info.cid, kIComponentIid.tuid(), &object) != kResultOk)
    std::abort();
  auto* component = static_cast<IComponent*>(object);
  component->initialize(nullptr);
  component->queryInterface(kIEditControllerIid.tuid(), &object);
  auto* controller = static_cast<IEditController*>(object);

  const int32_t mostPerRead = mode >> 3;
  const int target = mode & 3;
  if (target == 0 || target == 3) {
    Stream state(copy, size - 1, mostPerRead);
    component->setState(&state);
  }
  if (target == 1 || target == 3) {
    Stream state(copy, size - 1, mostPerRead);
    controller->setComponentState(&state);
  }
  if (target == 2) {
    Stream state(copy, size - 1, mostPerRead);
    controller->setState(&state);
  }
  yes = true;  // our own state is ours: nothing to ask about
  roundTrip([](void* c, IBStream* s) { return static_cast<IComponent*>(c)->getState(s); },
            [](void* c, IBStream* s) { return static_cast<IComponent*>(c)->setState(s); },
            component);
  roundTrip([](void* c, IBStream* s) { return static_cast<IEditController*>(c)->getState(s); },
            [](void* c, IBStream* s) { return static_cast<IEditController*>(c)->setState(s); },
            controller);

  controller->release();
  component->terminate();
  component->release();
  std::free(copy);
  Platform::setMessageBoxHandler(nullptr, nullptr);
  return 0;
}
