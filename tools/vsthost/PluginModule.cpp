#include "PluginModule.h"

#include "Vst3Module.h"

namespace {
// Older modules export only main or MAIN; the first name found wins.
const char* const kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};
const char* const kFactoryName = "GetPluginFactory";
}  // namespace

PluginModule::PluginModule() = default;

PluginModule::~PluginModule() { vst3_.reset(); }

bool PluginModule::load(const std::string& path, std::string& error) {
  const bool bundle = vst3host::isBundlePath(path);
  if (!module_.load(bundle ? vst3host::moduleFileOf(path) : path, error)) return false;
  if (!bundle) {
    for (const char* name : kEntryNames) {
      if (Module::Symbol symbol = module_.find(name)) {
        entryName_ = name;
        entry_ = reinterpret_cast<VstPluginMainProc>(symbol);
        return true;
      }
    }
  }
  // A VST 3 module by its name or, a file with no VST 2.4 entry, by its factory.
  if (!bundle && !module_.find(kFactoryName)) {
    error = "the module exports none of VSTPluginMain, main, MAIN";
    return false;
  }
  vst3_ = std::make_unique<vst3host::Module>(module_);
  if (!vst3_->open(error)) {
    vst3_.reset();
    return false;
  }
  entryName_ = kFactoryName;
  return true;
}

AEffect* PluginModule::create(audioMasterCallback host) const {
  if (vst3_) return vst3_->create(host);
  return entry_ ? entry_(host) : nullptr;
}
