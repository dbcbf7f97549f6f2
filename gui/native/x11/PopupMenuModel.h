// What a popup menu does, apart from X: its items' shown texts and access keys, the selection
// that the pointer and the keys move, the item layout and where the menu goes on the screen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/native/x11/X11Monitors.h"
#include "gui/native/x11/X11PopupMenu.h"

namespace Mintwerk {

// "&Save" shows "Save" with the S underlined and chosen by the key s; "&&" is a literal "&".
// The text is bytes as a host or file gave them, read as decodeText reads them.
struct MnemonicText {
  std::u32string shown;
  int underline = -1;  // index into `shown`
  char32_t key = 0;    // lower case; 0 for none
};
MnemonicText parseMnemonic(const std::string& text);

// The character an X key symbol types, for access keys: Latin-1 symbols are their own code
// points and Unicode symbols carry theirs; 0 for keys that type nothing we match.
char32_t typedCharacter(unsigned long keysym);

struct MenuMetrics {
  int itemHeight = 22;
  int separatorHeight = 9;
  int border = 2;      // frame and inner margin, all sides
  int textLeft = 28;   // from the inner edge to the text
  int textRight = 28;  // after the widest text
  int minWidth = 120;
};
// The metrics for a menu drawn at `scale` pixels per unit.
MenuMetrics scaledMetrics(float scale);

class PopupMenuModel {
 public:
  // `measure` gives a shown text's width in pixels.
  PopupMenuModel(const std::vector<MenuEntry>& entries,
                 const std::function<float(const std::u32string&)>& measure,
                 const MenuMetrics& metrics = MenuMetrics());

  int width() const { return menuWidth; }
  int height() const { return menuHeight; }
  int count() const { return static_cast<int>(items.size()); }
  const MenuEntry& entry(int index) const { return items[index].entry; }
  const MnemonicText& text(int index) const { return items[index].text; }
  int itemTop(int index) const { return items[index].top; }
  int itemHeight(int index) const { return items[index].height; }

  // Enabled items that are not separators.
  bool selectable(int index) const;
  int selected() const { return selection; }

  // The entry under a point in menu coordinates, or -1 (outside, frame).
  int hit(int x, int y) const;
  // The pointer over a point: selects the item there, or nothing.
  void hover(int x, int y);
  // Up (-1) and Down (+1): the next selectable item, wrapping; from no selection Down starts at
  // the top and Up at the bottom.
  void move(int step);
  // A typed character: the entry to choose now, or -1. When several selectable items share the
  // key, the selection steps through them and nothing is chosen yet. Either case chooses.
  int mnemonic(char32_t key);

 private:
  struct Item {
    MenuEntry entry;
    MnemonicText text;
    int top, height;
  };
  std::vector<Item> items;
  int menuWidth = 0, menuHeight = 0;
  int selection = -1;
  MenuMetrics metrics;
};

// The top-left corner of a menu of the given size centred horizontally on (x, y) with its top
// there, kept on the monitor's area: flipped above the point when it does not fit below.
void placeMenu(int x, int y, int width, int height, const ScreenArea& monitor, int& left, int& top);

}  // namespace Mintwerk
