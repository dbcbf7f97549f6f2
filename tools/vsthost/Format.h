// Output conventions of the host: one `key value` line per fact, values spelled the same on every
// platform so tests can compare Linux and Windows runs line by line.
#pragma once

#include <cstdint>
#include <string>

// Prints `key value` with the key padded to a column, and flushes, so whatever a crashing plug-in
// let us print is still there.
void printFact(const char* key, const std::string& value);

// Double-quoted, with C escapes; any byte outside printable ASCII as three-digit octal.
std::string quoted(const std::string& text);

// %.9g (round-trips a float), with nan, inf and the sign of zero spelled alike everywhere.
std::string number(double value);

// "0x0000ABCD", or "0xABCD" unpadded.
std::string hex(uint32_t value, bool padded = true);

// "'VstP'" when all four bytes (high byte first) are printable, else empty.
std::string fourChars(uint32_t value);
