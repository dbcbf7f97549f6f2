#include "platform/linux/MessageBoxModel.h"

#include "platform/MessageBox.h"

namespace Platform {

namespace {
constexpr unsigned kButtonSet = 0xF;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kDefaultButtonShift = 8;  // 0x100: the second, 0x200: the third
}  // namespace

std::vector<DialogButton> dialogButtons(unsigned flags) {
  switch (flags & kButtonSet) {
    case kMbOkCancel:
      return {{"OK", kIdOk}, {"Cancel", kIdCancel}};
    case kMbYesNo:
      return {{"&Yes", kIdYes}, {"&No", kIdNo}};
    case kMbYesNoCancel:
      return {{"&Yes", kIdYes}, {"&No", kIdNo}, {"Cancel", kIdCancel}};
    default:
      return {{"OK", kIdOk}};
  }
}

int defaultButton(unsigned flags) {
  const int index = static_cast<int>((flags >> kDefaultButtonShift) & 0xF);
  const int count = static_cast<int>(dialogButtons(flags).size());
  return index < count ? index : 0;
}

int escapeAnswer(unsigned flags) {
  switch (flags & kButtonSet) {
    case kMbOkCancel:
    case kMbYesNoCancel:
      return kIdCancel;
    case kMbYesNo:
      return kIdNo;
    default:
      return kIdOk;
  }
}

int conservativeAnswer(unsigned flags) { return escapeAnswer(flags); }

std::vector<std::string> wrapText(const std::string& text, float maxWidth,
                                  const std::function<float(const std::string&)>& measure) {
  std::vector<std::string> lines;
  std::string paragraph;
  auto wrapParagraph = [&](const std::string& p) {
    std::string line;
    std::size_t i = 0;
    while (i < p.size()) {
      // The next word with the spaces before it.
      std::size_t end = i;
      while (end < p.size() && p[end] == ' ') ++end;
      while (end < p.size() && p[end] != ' ') ++end;
      const std::string piece = p.substr(i, end - i);
      if (line.empty() || measure(line + piece) <= maxWidth) {
        line += piece;
      } else {
        lines.push_back(line);
        line = piece.substr(piece.find_first_not_of(' ') == std::string::npos
                                ? piece.size()
                                : piece.find_first_not_of(' '));
      }
      // A word wider than a line is cut where it must be.
      while (measure(line) > maxWidth && line.size() > 1) {
        std::size_t fit = 1;
        while (fit < line.size() && measure(line.substr(0, fit + 1)) <= maxWidth) ++fit;
        lines.push_back(line.substr(0, fit));
        line.erase(0, fit);
      }
      i = end;
    }
    lines.push_back(line);
  };
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      wrapParagraph(paragraph);
      paragraph.clear();
    } else {
      paragraph += c == '\t' ? ' ' : c;
    }
  }
  wrapParagraph(paragraph);
  // The text's closing line break makes no empty line of its own.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace Platform
