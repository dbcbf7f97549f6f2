// Whole files in and out of memory. Inputs are parsed from the buffer, never from the stream, so a
// lying header can only point outside a vector whose size we know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kMaxFileBytes = size_t(1) << 31;

// False with the reason in `error` when the file cannot be read or is larger than `cap`.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                   size_t cap = kMaxFileBytes);

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
