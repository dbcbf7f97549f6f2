#include "HostCallback.h"

namespace hostcallback {
namespace {

constexpr VstIntPtr kHostVersion = 2400;

bool gAnswerVersion = true;
std::vector<CallbackCall> gCalls;

}  // namespace

void reset(bool answerVersion) {
  gAnswerVersion = answerVersion;
  gCalls.clear();
}

VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
  gCalls.push_back({opcode, index, value, ptr != nullptr, opt});
  switch (opcode) {
    case audioMasterVersion:
      return gAnswerVersion ? kHostVersion : 0;
    case audioMasterGetTime:
      return 0;  // no transport yet: a null VstTimeInfo
    default:
      return 0;
  }
}

const std::vector<CallbackCall>& calls() { return gCalls; }

}  // namespace hostcallback
