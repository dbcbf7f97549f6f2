// A plug-in module of either kind, loaded as its host loads it: a VST 2.4 library through its
// entry point, or a VST 3 bundle (or the module file inside one) through its factory, whose audio
// class is then presented as a VST 2.4 effect record. Every command loads plug-ins through here.
#pragma once

#include <memory>
#include <string>

#include "Platform.h"
#include "plugcore/VstAbi.h"

namespace vst3host {
class Module;
}

class PluginModule {
 public:
  PluginModule();
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // False with the reason in `error`: the loader's own, or which entry points are missing.
  bool load(const std::string& path, std::string& error);
  // A new effect record, or null (for a VST 3 class, with why on stderr).
  AEffect* create(audioMasterCallback host) const;
  // The entry point used: VSTPluginMain, main or MAIN, or GetPluginFactory.
  const char* entryName() const { return entryName_; }
  bool isVst3() const { return vst3_ != nullptr; }
  const Module& module() const { return module_; }

 private:
  // Declared first so that it is unloaded last.
  Module module_;
  VstPluginMainProc entry_ = nullptr;
  const char* entryName_ = nullptr;
  std::unique_ptr<vst3host::Module> vst3_;
};
