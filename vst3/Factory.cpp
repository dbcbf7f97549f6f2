#include "vst3/Factory.h"

#include <cstring>
#include <new>

#include "vst3/EffectComponent.h"
#include "vst3/ModuleFacts.h"
#include "vst3/Vst3Text.h"

namespace Vst3Glue {

using namespace Vst3;

namespace {

// The class records share their first fields; the two extended ones have the same further fields,
// in bytes or in UTF-16.
template <typename Info>
tresult describeClass(int32_t index, Info* info) {
  if (index != 0 || !info) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, EffectComponent::kClassId.bytes, sizeof info->cid);
  info->cardinality = kManyInstances;
  copyText(info->category, kVstAudioEffectClass);
  copyText(info->name, kEffectName);
  return kResultOk;
}

template <typename Info>
tresult describe(int32_t index, Info* info) {
  if (describeClass(index, info) != kResultOk) return kInvalidArgument;
  info->classFlags = kDistributable;
  copyText(info->subCategories, kSubCategories);
  copyText(info->vendor, kVendor);
  copyText(info->version, kVersion);
  copyText(info->sdkVersion, kInterfaceVersion);
  return kResultOk;
}

class Factory final : public IPluginFactory3 {
 public:
  tresult queryInterface(const TUID iid, void** object) override {
    if (!object) return kInvalidArgument;
    if (sameUid(iid, kFUnknownIid) || sameUid(iid, kIPluginFactoryIid) ||
        sameUid(iid, kIPluginFactory2Iid) || sameUid(iid, kIPluginFactory3Iid)) {
      *object = static_cast<IPluginFactory3*>(this);
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  // The factory lives as long as the module.
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }

  tresult getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    copyText(info->vendor, kVendor);
    copyText(info->url, kUrl);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }

  int32_t countClasses() override { return 1; }

  tresult getClassInfo(int32_t index, PClassInfo* info) override {
    return describeClass(index, info);
  }

  tresult getClassInfo2(int32_t index, PClassInfo2* info) override { return describe(index, info); }
  tresult getClassInfoUnicode(int32_t index, PClassInfoW* info) override {
    return describe(index, info);
  }

  tresult createInstance(FIDString cid, FIDString iid, void** object) override {
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (!cid || !iid || !sameUid(cid, EffectComponent::kClassId)) return kNoInterface;
    EffectComponent* component = new (std::nothrow) EffectComponent();
    if (!component) return kOutOfMemory;
    const tresult result = component->queryInterface(iid, object);
    component->release();
    return result;
  }

  tresult setHostContext(FUnknown*) override { return kResultOk; }
};

Factory factory;

}  // namespace

IPluginFactory* moduleFactory() { return &factory; }

}  // namespace Vst3Glue
