// Whole-token number parsing for the command line and schedule files: trailing junk is an error,
// never silently ignored as the bare strto* functions would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Anything strtod takes, including nan and inf.
bool parseNumber(const std::string& text, double& value);

// Like parseNumber, but nan and inf are refused.
bool parseFiniteNumber(const std::string& text, double& value);

// Decimal digits only: no sign, no spaces.
bool parseCount(const std::string& text, int64_t& value);

// One to two hex digits.
bool parseHexByte(const std::string& text, uint8_t& value);

// Without the white space at either end.
std::string trimmed(const std::string& text);

// "a:b::c" on ':' gives {"a", "b", "", "c"}.
std::vector<std::string> split(const std::string& text, char separator);
