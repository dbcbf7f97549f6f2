// The DLL as a Windows host loads it: by file, through its exported entry names.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FactoryBankCheck.h"
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

TEST(WindowsModule, CarriesItsImagesAndFontAsResources) {
  HMODULE module = LoadLibraryA(QUORL_WINDOWS_MODULE);
  ASSERT_NE(module, nullptr);
  struct Expected {
    const char* type;
    const char* name;
    DWORD minimumSize;
  } resources[] = {
      {"PNG", "commonTextures", 1000}, {"PNG", "texture", 1000}, {"TTF", "Vera", 65932}};
  for (const Expected& r : resources) {
    HRSRC found = FindResourceA(module, r.name, r.type);  // names match without regard to case
    ASSERT_NE(found, nullptr) << r.name;
    EXPECT_GE(SizeofResource(module, found), r.minimumSize) << r.name;
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(bytes, nullptr);
    if (std::string(r.type) == "PNG") {
      EXPECT_EQ(bytes[1], 'P');
    }
  }
  HRSRC vera = FindResourceExA(module, "TTF", "VERA", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_NE(vera, nullptr);
  EXPECT_EQ(SizeofResource(module, vera), 65932u);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(WindowsModule, AFreshInstanceHoldsTheFactoryPresetsAndNoneClips) {
  HMODULE module = LoadLibraryA(QUORL_WINDOWS_MODULE);
  ASSERT_NE(module, nullptr);
  auto pluginMain = reinterpret_cast<VstPluginMainProc>(
      reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
  FakeHost host;
  checkFactoryBank([&] { return pluginMain(host.callback()); }, QUORL_FACTORY_PRESETS,
                   QUORL_FACTORY_BANK);
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
