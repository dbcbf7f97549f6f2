#include <shlobj.h>
#include <windows.h>

#include <cstdio>

#include "platform/UserFiles.h"

namespace Platform {

const char kPathSeparator = '\\';

bool userSettingsFolder(std::string& folder) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
    return false;
  folder = path;
  return true;
}

bool createFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ReadResult readWholeFile(const std::string& path, std::size_t limit, std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadResult::kMissing;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) >= limit) {
    CloseHandle(file);
    return ReadResult::kTooLarge;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                  nullptr) ||
        got == 0)
      break;
    done += got;
  }
  CloseHandle(file);
  if (done != bytes.size()) {
    bytes.clear();
    return ReadResult::kFailed;
  }
  return ReadResult::kOk;
}

bool replaceFile(const std::string& path, const uint8_t* data, std::size_t size) {
  static LONG serial = 0;
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%lu.%ld.tmp", GetCurrentProcessId(),
                InterlockedIncrement(&serial));
  const std::string temporary = path + suffix;

  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool complete = true;
  for (std::size_t done = 0; done < size && complete;) {
    DWORD written = 0;
    if (!WriteFile(file, data + done, static_cast<DWORD>(size - done), &written, nullptr) ||
        written == 0)
      complete = false;
    else
      done += written;
  }
  if (complete && !FlushFileBuffers(file)) complete = false;
  if (!CloseHandle(file)) complete = false;
  if (complete && MoveFileExA(temporary.c_str(), path.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace Platform
