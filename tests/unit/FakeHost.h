// A host callback for tests: records every call and answers the version query as told. The
// protocol's callback carries no context, so one recorder is active at a time.
#pragma once

#include <vector>

#include "plugcore/VstAbi.h"

struct HostCall {
  AEffect* effect;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
};

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();

  audioMasterCallback callback() const { return &FakeHost::answer; }
  std::vector<HostCall> callsWith(VstInt32 opcode) const;

  std::vector<HostCall> calls;
  VstIntPtr versionAnswer = 2400;
  VstTimeInfo* timeInfo = nullptr;
  VstIntPtr processLevel = 0;  // 4: rendering offline

 private:
  static VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                          void* ptr, float opt);
};
