// A loaded VST 3 module as its host keeps it: started, its factory held and its audio class
// found; ended before it is unloaded.
#pragma once

#include <string>

#include "Platform.h"
#include "plugcore/VstAbi.h"
#include "vst3/Vst3Abi.h"

namespace vst3host {

// A bundle folder, or a file named like the module inside one (NAME.vst3 on Windows).
bool isBundlePath(const std::string& path);
// The module file of a bundle folder; any other path as it is.
std::string moduleFileOf(const std::string& path);

class Module {
 public:
  explicit Module(const ::Module& loaded) : loaded_(loaded) {}
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // The module's start call, its factory and the first audio class; false with why.
  bool open(std::string& error);
  AEffect* create(audioMasterCallback host) const;

 private:
  const ::Module& loaded_;
  bool entered_ = false;
  Vst3::IPluginFactory* factory_ = nullptr;
  Vst3::TUID classId_ = {0};
};

}  // namespace vst3host
