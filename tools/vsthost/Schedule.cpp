#include "Schedule.h"

#include <cctype>
#include <sstream>

#include "TextParse.h"

namespace {

bool parseMidiBytes(const std::vector<std::string>& bytes, uint8_t (&midi)[3], std::string& error) {
  bool ok = bytes.size() == 3;
  for (size_t i = 0; ok && i < 3; ++i) ok = parseHexByte(bytes[i], midi[i]);
  // A status byte has its top bit set and data bytes do not; anything else is not MIDI.
  if (!ok || midi[0] < 0x80 || midi[1] > 0x7F || midi[2] > 0x7F) {
    error = "MIDI wants three hex bytes: a status 80-FF and two data bytes 00-7F";
    return false;
  }
  return true;
}

bool parsePosition(const std::string& text, int64_t& pos, std::string& error) {
  if (!parseCount(text, pos)) {
    error = "bad sample position '" + text + "'";
    return false;
  }
  return true;
}

// The line up to a '#' that starts a word, so a name such as "no#" survives.
std::string withoutComment(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
      return line.substr(0, i);
  }
  return line;
}

bool parseScheduleLine(const std::string& line, ScheduledEvent& event, std::string& error) {
  std::istringstream in(line);
  std::string posText, kind;
  in >> posText >> kind;
  if (!parsePosition(posText, event.pos, error)) return false;
  if (kind == "midi") {
    std::vector<std::string> bytes;
    for (std::string word; in >> word;) bytes.push_back(word);
    event.isMidi = true;
    return parseMidiBytes(bytes, event.midi, error);
  }
  if (kind != "param") {
    error = "expected 'param' or 'midi' after the position";
    return false;
  }
  std::string rest;
  std::getline(in, rest);
  rest = trimmed(rest);
  const size_t space = rest.find_last_of(" \t");
  const std::string valueText = space == std::string::npos ? "" : rest.substr(space + 1);
  event.change.param.text = space == std::string::npos ? "" : trimmed(rest.substr(0, space));
  if (event.change.param.text.empty() || !parseNumber(valueText, event.change.value)) {
    error = "param wants a parameter and a value";
    return false;
  }
  return true;
}

}  // namespace

bool parseParamValue(const std::string& text, ParamValue& out, std::string& error) {
  const size_t equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0 ||
      !parseNumber(text.substr(equals + 1), out.value)) {
    error = "expected P=V (a parameter index or name, and a number), not '" + text + "'";
    return false;
  }
  out.param = ParamRef{text.substr(0, equals)};
  return true;
}

bool parseSweep(const std::string& text, ParamSweep& out, std::string& error) {
  const size_t equals = text.rfind('=');
  const std::vector<std::string> values =
      split(equals == std::string::npos ? "" : text.substr(equals + 1), ':');
  if (equals == 0 || values.size() != 2 || !parseNumber(values[0], out.from) ||
      !parseNumber(values[1], out.to)) {
    error = "expected P=V0:V1, not '" + text + "'";
    return false;
  }
  out.param = ParamRef{text.substr(0, equals)};
  return true;
}

bool parseAt(const std::string& text, ScheduledEvent& out, std::string& error) {
  const size_t colon = text.find(':');
  out = ScheduledEvent();
  if (colon == std::string::npos) {
    error = "expected POS:P=V or POS:midi:S,D1,D2, not '" + text + "'";
    return false;
  }
  if (!parsePosition(text.substr(0, colon), out.pos, error)) return false;
  const std::string what = text.substr(colon + 1);
  if (what.compare(0, 5, "midi:") == 0) {
    out.isMidi = true;
    return parseMidiBytes(split(what.substr(5), ','), out.midi, error);
  }
  return parseParamValue(what, out.change, error);
}

bool parseSchedule(const std::string& text, std::vector<ScheduledEvent>& events,
                   std::string& error) {
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = trimmed(withoutComment(line));
    if (line.empty()) continue;
    ScheduledEvent event;
    std::string reason;
    if (!parseScheduleLine(line, event, reason)) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
    events.push_back(event);
  }
  return true;
}
