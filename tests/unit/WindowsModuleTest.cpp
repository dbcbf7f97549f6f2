// The DLL as a Windows host loads it: by file, through its exported entry names.
#include <gtest/gtest.h>
#include <windows.h>

#include "FakeHost.h"

namespace {

TEST(WindowsModule, EntryNamesAreOneFunctionThatMakesTheEffect) {
  HMODULE module = LoadLibraryA(QUORL_WINDOWS_MODULE);
  ASSERT_NE(module, nullptr) << "LoadLibraryA failed: " << GetLastError();
  FARPROC entry = GetProcAddress(module, "VSTPluginMain");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(GetProcAddress(module, "main"), entry);
  EXPECT_EQ(GetProcAddress(module, "MAIN"), entry);
  EXPECT_NE(GetProcAddress(module, "DllMain"), nullptr);

  FakeHost host;
  auto pluginMain = reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(entry));
  AEffect* effect = pluginMain(host.callback());
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->numParams, 8);
  EXPECT_EQ(static_cast<uint32_t>(effect->uniqueID), 0xFFFFEB70u);
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
