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

std::vector<std::u32string> wrapText(const std::u32string& text, float maxWidth,
                                     const std::function<float(const std::u32string&)>& measure) {
  std::vector<std::u32string> lines;
  std::u32string paragraph;
  auto wrapParagraph = [&](const std::u32string& p) {
    std::u32string line;
    std::size_t i = 0;
    while (i < p.size()) {
      // The next word with the spaces before it.
      std::size_t end = i;
      while (end < p.size() && p[end] == U' ') ++end;
      while (end < p.size() && p[end] != U' ') ++end;
      const std::u32string piece = p.substr(i, end - i);
      if (line.empty() || measure(line + piece) <= maxWidth) {
        line += piece;
      } else {
        lines.push_back(line);
        line = piece.substr(piece.find_first_not_of(U' ') == std::u32string::npos
                                ? piece.size()
                                : piece.find_first_not_of(U' '));
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
  for (char32_t c : text) {
    if (c == U'\r') continue;
    if (c == U'\n') {
      wrapParagraph(paragraph);
      paragraph.clear();
    } else {
      paragraph += c == U'\t' ? U' ' : c;
    }
  }
  wrapParagraph(paragraph);
  // The text's closing line break makes no empty line of its own.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace Platform
