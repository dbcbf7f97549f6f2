// Texts from hosts and files carry no name of their encoding: a program name typed into a host,
// a name read from a chunk. We read such bytes as UTF-8 when they are valid UTF-8 (plain ASCII
// is), and as Windows-1252 otherwise: the characters the same bytes show in a Western Windows
// system's boxes and menus, which is Latin-1 with printable characters where Latin-1 has its
// C1 controls (0x80..0x9F). The text is decoded once, into code points, and drawn and measured
// as such.
#pragma once

#include <string>

namespace Mintwerk {

std::u32string decodeText(const std::string& bytes);

std::string encodeUtf8(const std::u32string& text);
// For X's STRING properties: code points above 0xFF, which Latin-1 lacks, become "?".
std::string encodeLatin1(const std::u32string& text);

// The small letter of a capital, for access keys: ASCII and Latin-1 letters; others unchanged.
char32_t lowerCase(char32_t c);

}  // namespace Mintwerk
