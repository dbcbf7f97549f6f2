// Files of the user's own: where per-user settings live, and whole-file reads and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

// The user's settings folder: the application-data folder on Windows, $XDG_CONFIG_HOME (or
// ~/.config) elsewhere. False when there is none.
bool userSettingsFolder(std::string& folder);

extern const char kPathSeparator;

// Creates the folder and any missing folders above it; true when the folder exists afterwards.
bool createFolder(const std::string& path);

enum class ReadResult { kOk, kMissing, kTooLarge, kFailed };

// Reads a whole regular file of fewer than `limit` bytes. Never waits on what lies at the path:
// a FIFO, device or folder there is refused (kFailed).
ReadResult readWholeFile(const std::string& path, std::size_t limit, std::vector<uint8_t>& bytes);

// Replaces the file with the bytes, all or nothing: they go to a temporary file in the same
// folder, which then takes the old file's place. On any failure the old file stays as it was.
// A link at the path is followed and stays a link; the file it names is replaced, keeping its
// permissions. A link to a missing file creates that file when its folder exists (on Windows
// such a save fails instead). Anything but a regular file at the end is left alone and the call
// fails, and so is a read-only file (on POSIX systems: no write bit in its mode for anyone).
// On failure `whyNot`, when given, receives the reason as the user may read it: the system's own
// text for its error ("No space left on device"), or what was found at the path.
bool replaceFile(const std::string& path, const uint8_t* data, std::size_t size,
                 std::string* whyNot = nullptr);

}  // namespace Platform
