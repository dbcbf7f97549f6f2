// The Linux plug-in as a host loads it: by file, through its exported entry names.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "FactoryBankCheck.h"
#include "FakeHost.h"

namespace {

TEST(LinuxModule, EntryNamesAreOneFunctionThatMakesTheEffect) {
  void* module = dlopen(QUORL_LINUX_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  void* entry = dlsym(module, "VSTPluginMain");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(dlsym(module, "main"), entry);
  EXPECT_EQ(dlsym(module, "MAIN"), entry);
  EXPECT_EQ(dlsym(module, "DllMain"), nullptr);  // nothing else leaks out of the module
  EXPECT_EQ(dlsym(module, "_ZN8PlugCore4PlugD0Ev"), nullptr);

  FakeHost host;
  auto* pluginMain = reinterpret_cast<VstPluginMainProc>(entry);
  AEffect* effect = pluginMain(host.callback());
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->numParams, 8);
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
  dlclose(module);
}

TEST(LinuxModule, AFreshInstanceHoldsTheFactoryPresetsAndNoneClips) {
  void* module = dlopen(QUORL_LINUX_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto* pluginMain = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
  FakeHost host;
  checkFactoryBank([&] { return pluginMain(host.callback()); }, QUORL_FACTORY_PRESETS,
                   QUORL_FACTORY_BANK);
  dlclose(module);
}

}  // namespace
