#include "gui/native/x11/PopupMenuModel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "text/TextEncoding.h"

namespace Mintwerk {

MnemonicText parseMnemonic(const std::string& bytes) {
  const std::u32string text = decodeText(bytes);
  MnemonicText out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != U'&') {
      out.shown += text[i];
      continue;
    }
    if (i + 1 >= text.size()) break;  // a trailing "&" marks nothing
    if (text[i + 1] == U'&') {
      out.shown += U'&';
      ++i;
      continue;
    }
    if (out.underline < 0) {  // the first mark counts, as with the system's menus
      out.underline = static_cast<int>(out.shown.size());
      out.key = lowerCase(text[i + 1]);
    }
  }
  return out;
}

char32_t typedCharacter(unsigned long keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    return static_cast<char32_t>(keysym);
  if ((keysym & 0xFF000000u) == 0x01000000u) return static_cast<char32_t>(keysym & 0x00FFFFFFu);
  return 0;
}

PopupMenuModel::PopupMenuModel(const std::vector<MenuEntry>& entries,
                               const std::function<float(const std::u32string&)>& measure,
                               const MenuMetrics& metrics)
    : metrics(metrics) {
  int y = metrics.border;
  float widest = 0.0f;
  for (const MenuEntry& entry : entries) {
    Item item{entry, entry.separator ? MnemonicText() : parseMnemonic(entry.text), y,
              entry.separator ? metrics.separatorHeight : metrics.itemHeight};
    if (!entry.separator) widest = std::max(widest, measure(item.text.shown));
    y += item.height;
    items.push_back(item);
  }
  menuHeight = y + metrics.border;
  menuWidth =
      std::max(metrics.minWidth, 2 * metrics.border + metrics.textLeft +
                                     static_cast<int>(std::ceil(widest)) + metrics.textRight);
}

bool PopupMenuModel::selectable(int index) const {
  return index >= 0 && index < count() && !items[index].entry.separator &&
         items[index].entry.enabled;
}

int PopupMenuModel::hit(int x, int y) const {
  if (x < metrics.border || x >= menuWidth - metrics.border) return -1;
  for (int i = 0; i < count(); ++i)
    if (y >= items[i].top && y < items[i].top + items[i].height) return i;
  return -1;
}

void PopupMenuModel::hover(int x, int y) {
  const int index = hit(x, y);
  selection = selectable(index) ? index : -1;
}

void PopupMenuModel::move(int step) {
  const int n = count();
  if (n == 0) return;
  int index = selection;
  for (int tries = 0; tries < n; ++tries) {
    if (index < 0)
      index = step > 0 ? 0 : n - 1;
    else
      index = (index + (step > 0 ? 1 : n - 1)) % n;
    if (selectable(index)) {
      selection = index;
      return;
    }
  }
}

int PopupMenuModel::mnemonic(char32_t key) {
  key = lowerCase(key);
  if (!key) return -1;
  std::vector<int> matches;
  for (int i = 0; i < count(); ++i)
    if (selectable(i) && items[i].text.key == key) matches.push_back(i);
  if (matches.empty()) return -1;
  if (matches.size() == 1) return matches[0];
  const auto next = std::upper_bound(matches.begin(), matches.end(), selection);
  selection = next == matches.end() ? matches.front() : *next;
  return -1;
}

void placeMenu(int x, int y, int width, int height, const ScreenArea& monitor, int& left,
               int& top) {
  const int right = monitor.x + monitor.width, bottom = monitor.y + monitor.height;
  left = x - width / 2;
  left = std::max(monitor.x, std::min(left, right - width));
  top = y;
  if (top + height > bottom) top = y - height >= monitor.y ? y - height : bottom - height;
  top = std::max(monitor.y, top);
}

MenuMetrics scaledMetrics(float scale) {
  MenuMetrics metrics;
  auto scaled = [scale](int length) { return static_cast<int>(std::lround(length * scale)); };
  for (int* length : {&metrics.itemHeight, &metrics.separatorHeight, &metrics.border,
                      &metrics.textLeft, &metrics.textRight, &metrics.minWidth})
    *length = scaled(*length);
  return metrics;
}

}  // namespace Mintwerk
