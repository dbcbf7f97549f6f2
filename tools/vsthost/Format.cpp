#include "Format.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr int kKeyWidth = 15;

bool printable(unsigned char c) { return c >= 0x20 && c < 0x7F; }
}  // namespace

void printFact(const char* key, const std::string& value) {
  std::printf("%-*s %s\n", kKeyWidth, key, value.c_str());
  std::fflush(stdout);
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (printable(c)) {
          out += static_cast<char>(c);
        } else {
          // Octal, not \x: a hex escape would swallow a following hex digit.
          char esc[5];
          std::snprintf(esc, sizeof esc, "\\%03o", c);
          out += esc;
        }
    }
  }
  return out + "\"";
}

std::string number(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string hex(uint32_t value, bool padded) {
  char text[16];
  std::snprintf(text, sizeof text, padded ? "0x%08X" : "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string fourChars(uint32_t value) {
  std::string out = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(value >> shift);
    if (!printable(c)) return "";
    out += static_cast<char>(c);
  }
  return out + "'";
}
