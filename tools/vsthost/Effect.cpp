#include "Effect.h"

#include <cstring>

namespace {
constexpr size_t kTextBufferSize = 256;
}

VstIntPtr Effect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                           float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string Effect::text(VstInt32 opcode, VstInt32 index, VstIntPtr* answer) const {
  char buffer[kTextBufferSize] = {0};
  const VstIntPtr result = dispatch(opcode, index, 0, buffer);
  if (answer) *answer = result;
  // A plug-in that fills the whole buffer gets no terminator from us, so bound the read.
  const void* end = std::memchr(buffer, 0, sizeof buffer);
  return std::string(buffer, end ? static_cast<const char*>(end) - buffer : sizeof buffer);
}

VstIntPtr Effect::canDo(const char* capability) const {
  return dispatch(effCanDo, 0, 0, const_cast<char*>(capability));
}

bool Effect::pinProperties(bool input, VstInt32 index, VstPinProperties& pin) const {
  std::memset(&pin, 0, sizeof pin);
  return dispatch(input ? effGetInputProperties : effGetOutputProperties, index, 0, &pin) != 0;
}

float Effect::getParameter(VstInt32 index) const { return effect_->getParameter(effect_, index); }

void Effect::setParameter(VstInt32 index, float value) const {
  effect_->setParameter(effect_, index, value);
}
