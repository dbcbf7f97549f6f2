#include "FakeHost.h"

#include <cassert>

namespace {
FakeHost* activeHost = nullptr;
}

FakeHost::FakeHost() {
  assert(!activeHost);
  activeHost = this;
}

FakeHost::~FakeHost() { activeHost = nullptr; }

std::vector<HostCall> FakeHost::callsWith(VstInt32 opcode) const {
  std::vector<HostCall> found;
  for (const HostCall& call : calls)
    if (call.opcode == opcode) found.push_back(call);
  return found;
}

VstIntPtr FakeHost::answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt) {
  FakeHost* host = activeHost;
  if (!host) return 0;
  host->calls.push_back({effect, opcode, index, value, ptr, opt});
  switch (opcode) {
    case audioMasterVersion:
      return host->versionAnswer;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(host->timeInfo);
    case audioMasterGetCurrentProcessLevel:
      return host->processLevel;
    default:
      return 0;
  }
}
