#include "Vst3HostObjects.h"

#include <cstring>

namespace vst3host {

using namespace Vst3;

std::string utf8(const TChar* text, size_t capacity) {
  std::string out;
  for (size_t i = 0; i < capacity && text[i]; ++i) {
    uint32_t code = text[i];
    // A surrogate pair is one code point; a lone half is taken as it is.
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < capacity && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

void copyText(const std::string& text, char* out, size_t capacity) {
  if (!out || capacity == 0) return;
  const size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

tresult answerOnly(FUnknown* self, const Uid& iid, const TUID asked, void** object) {
  if (sameUid(asked, iid) || sameUid(asked, kFUnknownIid)) {
    *object = self;
    return kResultOk;
  }
  *object = nullptr;
  return kNoInterface;
}

// --- host application ---

tresult HostApplication::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIHostApplicationIid, iid, object);
}

tresult HostApplication::getName(String128 name) {
  const char* ours = "vsthost";
  size_t i = 0;
  for (; ours[i]; ++i) name[i] = static_cast<TChar>(ours[i]);
  name[i] = 0;
  return kResultOk;
}

// We make no objects for the plug-in: it gets no messages or attribute lists from us.
tresult HostApplication::createInstance(TUID, TUID, void** object) {
  *object = nullptr;
  return kResultFalse;
}

// --- memory stream ---

tresult MemoryStream::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIBStreamIid, iid, object);
}

tresult MemoryStream::read(void* buffer, int32_t numBytes, int32_t* numBytesRead) {
  if (numBytes < 0 || (numBytes > 0 && !buffer)) return kInvalidArgument;
  const size_t left = bytes_.size() - position_;
  const size_t count = static_cast<size_t>(numBytes) < left ? static_cast<size_t>(numBytes) : left;
  if (count) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  if (numBytesRead) *numBytesRead = static_cast<int32_t>(count);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) {
  if (numBytes < 0 || (numBytes > 0 && !buffer)) return kInvalidArgument;
  const size_t end = position_ + static_cast<size_t>(numBytes);
  if (end > bytes_.size()) bytes_.resize(end);
  if (numBytes) std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(numBytes));
  position_ = end;
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult MemoryStream::seek(int64_t pos, int32_t mode, int64_t* result) {
  int64_t base = 0;
  if (mode == kIBSeekCur)
    base = static_cast<int64_t>(position_);
  else if (mode == kIBSeekEnd)
    base = static_cast<int64_t>(bytes_.size());
  else if (mode != kIBSeekSet)
    return kInvalidArgument;
  const int64_t target = base + pos;
  if (target < 0) return kInvalidArgument;
  // Past the end is allowed; a write there fills the gap with zeros.
  position_ = static_cast<size_t>(target);
  if (position_ > bytes_.size()) bytes_.resize(position_);
  if (result) *result = target;
  return kResultOk;
}

tresult MemoryStream::tell(int64_t* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64_t>(position_);
  return kResultOk;
}

// --- parameter changes ---

tresult ParamQueue::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIParamValueQueueIid, iid, object);
}

tresult ParamQueue::getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= count_) return kInvalidArgument;
  sampleOffset = points_[index].offset;
  value = points_[index].value;
  return kResultOk;
}

tresult ParamQueue::addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) {
  // A second point at the same offset takes the place of the first: only the last one counts.
  int32_t at = count_;
  while (at > 0 && points_[at - 1].offset > sampleOffset) --at;
  if (at > 0 && points_[at - 1].offset == sampleOffset) {
    points_[at - 1].value = value;
    index = at - 1;
    return kResultOk;
  }
  if (count_ == kMaxPoints) return kResultFalse;
  for (int32_t i = count_; i > at; --i) points_[i] = points_[i - 1];
  points_[at] = {sampleOffset, value};
  ++count_;
  index = at;
  return kResultOk;
}

tresult ParameterChanges::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIParameterChangesIid, iid, object);
}

IParamValueQueue* ParameterChanges::getParameterData(int32_t index) {
  return index >= 0 && index < count_ ? &queues_[index] : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32_t& index) {
  for (int32_t i = 0; i < count_; ++i) {
    if (queues_[i].getParameterId() == id) {
      index = i;
      return &queues_[i];
    }
  }
  if (count_ == kMaxQueues) return nullptr;
  queues_[count_].reset(id);
  index = count_;
  return &queues_[count_++];
}

bool ParameterChanges::add(ParamID id, int32_t offset, ParamValue value) {
  int32_t index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  return queue && queue->addPoint(offset, value, index) == kResultOk;
}

// --- events ---

tresult EmptyEventList::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIEventListIid, iid, object);
}

}  // namespace vst3host
