#include "Vst3Module.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Vst3Effect.h"

namespace vst3host {

namespace {

constexpr const char* kSuffix = ".vst3";

bool endsWithSuffix(const std::string& text) {
  const size_t n = std::strlen(kSuffix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != kSuffix[i])
      return false;
  return true;
}

}  // namespace

bool isBundlePath(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error) || endsWithSuffix(path);
}

std::string moduleFileOf(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return path;
  std::string bundle = path;
  while (bundle.size() > 1 && (bundle.back() == '/' || bundle.back() == '\\')) bundle.pop_back();
  std::string name = std::filesystem::path(bundle).filename().string();
  if (endsWithSuffix(name)) name.resize(name.size() - std::strlen(kSuffix));
  return vst3BinaryInBundle(bundle, name);
}

Module::~Module() {
  if (factory_) factory_->release();
  if (entered_) leaveVst3Module(loaded_);
}

bool Module::open(std::string& error) {
  if (!enterVst3Module(loaded_, error)) return false;
  entered_ = true;
  const auto getFactory = reinterpret_cast<Vst3::GetFactoryProc>(loaded_.find("GetPluginFactory"));
  factory_ = getFactory ? getFactory() : nullptr;
  if (!factory_) {
    error =
        getFactory ? "GetPluginFactory gave no factory" : "the module exports no GetPluginFactory";
    return false;
  }
  for (int32_t i = 0; i < factory_->countClasses(); ++i) {
    Vst3::PClassInfo info{};
    if (factory_->getClassInfo(i, &info) != Vst3::kResultOk) continue;
    if (std::strncmp(info.category, Vst3::kVstAudioEffectClass, sizeof info.category) != 0)
      continue;
    std::memcpy(classId_, info.cid, sizeof classId_);
    return true;
  }
  error = "the factory has no audio class";
  return false;
}

AEffect* Module::create(audioMasterCallback host) const {
  std::string error;
  AEffect* record = Effect::create(factory_, classId_, host, error);
  if (!record) std::fprintf(stderr, "vsthost: VST 3 class: %s\n", error.c_str());
  return record;
}

}  // namespace vst3host
