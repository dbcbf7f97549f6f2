#include <windows.h>

#include "platform/ModuleHandle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Platform::setModuleHandle(instance);
  return TRUE;
}
