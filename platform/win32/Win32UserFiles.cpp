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
  if (GetLastError() == ERROR_PATH_NOT_FOUND) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && createFolder(path.substr(0, cut)) &&
        CreateDirectoryA(path.c_str(), nullptr))
      return true;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ReadResult readWholeFile(const std::string& path, std::size_t limit, std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadResult::kMissing;
  if (GetFileType(file) != FILE_TYPE_DISK) {  // a pipe or device is no settings file
    CloseHandle(file);
    return ReadResult::kFailed;
  }
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

namespace {

bool failed(std::string* whyNot, const char* reason) {
  if (whyNot) *whyNot = reason;
  return false;
}

// The system's own text for the error, without its closing full stop and line break.
bool failedWith(std::string* whyNot, DWORD error) {
  if (!whyNot) return false;
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  if (reason.empty()) {
    char code[32];
    std::snprintf(code, sizeof code, "System error %lu", static_cast<unsigned long>(error));
    reason = code;
  }
  *whyNot = reason;
  return false;
}

// The file an existing path finally names, links followed; the path itself when nothing is there.
// False for anything that is not a plain file on disk, with the reason in `whyNot`.
bool finalFile(const std::string& path, std::string& target, std::string* whyNot) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    target = path;
    return error == ERROR_FILE_NOT_FOUND || failedWith(whyNot, error);
  }
  BY_HANDLE_FILE_INFORMATION info;
  char final[MAX_PATH + 8] = {};
  const DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final, FILE_NAME_NORMALIZED);
  const bool plain = GetFileType(file) == FILE_TYPE_DISK &&
                     GetFileInformationByHandle(file, &info) &&
                     !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(file);
  if (!plain) return failed(whyNot, "Not a regular file");
  if (length == 0 || length >= sizeof final) return failed(whyNot, "The path is too long");
  // The answer carries the long-path prefix; the plain form is what the other calls here expect.
  target = final;
  if (target.compare(0, 8, "\\\\?\\UNC\\") == 0)
    target = "\\" + target.substr(7);
  else if (target.compare(0, 4, "\\\\?\\") == 0)
    target = target.substr(4);
  return true;
}

}  // namespace

bool replaceFile(const std::string& path, const uint8_t* data, std::size_t size,
                 std::string* whyNot) {
  std::string target;
  if (!finalFile(path, target, whyNot)) return false;
  static LONG serial = 0;
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%lu.%ld.tmp", GetCurrentProcessId(),
                InterlockedIncrement(&serial));
  // Beside the file it replaces: a move cannot cross volumes.
  const std::string temporary = target + suffix;

  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return failedWith(whyNot, GetLastError());
  DWORD error = 0;  // the first failure's
  for (std::size_t done = 0; done < size && !error;) {
    DWORD written = 0;
    if (!WriteFile(file, data + done, static_cast<DWORD>(size - done), &written, nullptr))
      error = GetLastError();
    else if (written == 0)
      error = ERROR_DISK_FULL;
    else
      done += written;
  }
  if (!error && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && !error) error = GetLastError();
  // An existing file hands what the user set on it to its replacement: the attributes here,
  // the security through the replace below.
  const DWORD oldAttributes = GetFileAttributesA(target.c_str());
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (!error && oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & kept))
    SetFileAttributesA(temporary.c_str(), oldAttributes & kept);
  if (!error) {
    if (ReplaceFileA(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr))
      return true;
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND &&
        GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
      if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
      error = GetLastError();
    }
  }
  DeleteFileA(temporary.c_str());
  return failedWith(whyNot, error);
}

}  // namespace Platform
