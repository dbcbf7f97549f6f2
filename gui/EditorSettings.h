// The user's own editor settings, in a small text file beside the defaults file (the defaults
// file keeps its bank chunk): for now the editor's size, "size=150" or "size=host".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Mintwerk {

// The size the file at `path` chooses, in percent; 0 (follow the host) for a missing, unreadable
// or garbled file and for a size that is not one of the choices.
int readSizeChoice(const std::string& path);
int parseSizeChoice(const uint8_t* bytes, std::size_t size);

// Writes the file whole or not at all; false when it could not be written. Two editors saving
// at once leave one complete file or the other.
bool writeSizeChoice(const std::string& path, int percent);

}  // namespace Mintwerk
