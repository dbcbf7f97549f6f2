// The behaviour of our menus and message boxes that does not need a display: access keys, the
// selection the keys move, where a menu goes, the buttons and answers of a box, and line breaks.
#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "platform/linux/MessageBoxModel.h"
#include "platform/linux/PopupMenuModel.h"

namespace {

using Mintwerk::PopupMenuEntry;
using Mintwerk::PopupMenuModel;

// Every character 7 pixels wide.
float fixedWidth(const std::string& text) { return 7.0f * static_cast<float>(text.size()); }

// A knob's menu with MIDI unlearn greyed, a separator and one more item.
std::vector<PopupMenuEntry> knobMenu() {
  return {{"&Reset to default", 0, true, false},
          {"MIDI &Learn", 1, true, false},
          {"MIDI &Unlearn", 2, false, false},
          {"", 0, true, true},
          {"&Go to the web site", 3, true, false}};
}

TEST(MenuAccessKeys, MarkedLetterIsShownUnderlinedAndChosenByItsKey) {
  const auto save = Mintwerk::parseMnemonic("&Save defaults...");
  EXPECT_EQ(save.shown, "Save defaults...");
  EXPECT_EQ(save.underline, 0);
  EXPECT_EQ(save.key, 's');
  const auto factory = Mintwerk::parseMnemonic("Load &factory defaults...");
  EXPECT_EQ(factory.shown, "Load factory defaults...");
  EXPECT_EQ(factory.underline, 5);
  EXPECT_EQ(factory.key, 'f');
  // "&&" is an ampersand; a trailing "&" marks nothing; only the first mark counts.
  const auto both = Mintwerk::parseMnemonic("Salt && &Pepper &x&");
  EXPECT_EQ(both.shown, "Salt & Pepper x");
  EXPECT_EQ(both.underline, 7);
  EXPECT_EQ(both.key, 'p');
  EXPECT_EQ(Mintwerk::parseMnemonic("plain").underline, -1);
}

TEST(MenuSelection, UpAndDownSkipSeparatorsAndGreyItemsAndWrap) {
  PopupMenuModel menu(knobMenu(), fixedWidth);
  EXPECT_EQ(menu.selected(), -1);
  menu.move(1);
  EXPECT_EQ(menu.selected(), 0);
  menu.move(1);
  EXPECT_EQ(menu.selected(), 1);
  menu.move(1);  // past the grey item and the separator
  EXPECT_EQ(menu.selected(), 4);
  menu.move(1);
  EXPECT_EQ(menu.selected(), 0);
  menu.move(-1);
  EXPECT_EQ(menu.selected(), 4);

  PopupMenuModel fromNothing(knobMenu(), fixedWidth);
  fromNothing.move(-1);
  EXPECT_EQ(fromNothing.selected(), 4);

  std::vector<PopupMenuEntry> allGrey = {{"&A", 0, false, false}, {"", 0, true, true}};
  PopupMenuModel none(allGrey, fixedWidth);
  none.move(1);
  none.move(-1);
  EXPECT_EQ(none.selected(), -1);
}

TEST(MenuSelection, AccessKeysChooseOnlyEnabledItemsAndStepThroughShared) {
  PopupMenuModel menu(knobMenu(), fixedWidth);
  EXPECT_EQ(menu.mnemonic('L'), 1);
  EXPECT_EQ(menu.mnemonic('u'), -1);  // greyed
  EXPECT_EQ(menu.mnemonic('z'), -1);
  std::vector<PopupMenuEntry> shared = {
      {"&Save", 0, true, false}, {"&Send", 1, true, false}, {"&Quit", 2, true, false}};
  PopupMenuModel twins(shared, fixedWidth);
  EXPECT_EQ(twins.mnemonic('s'), -1);
  EXPECT_EQ(twins.selected(), 0);
  EXPECT_EQ(twins.mnemonic('s'), -1);
  EXPECT_EQ(twins.selected(), 1);
  EXPECT_EQ(twins.mnemonic('s'), -1);
  EXPECT_EQ(twins.selected(), 0);
}

TEST(MenuLayout, ItemsStackAndThePointerSelectsOnlyChoosableItems) {
  Mintwerk::MenuMetrics metrics;
  PopupMenuModel menu(knobMenu(), fixedWidth, metrics);
  EXPECT_EQ(menu.height(), 2 * metrics.border + 4 * metrics.itemHeight + metrics.separatorHeight);
  const int widest = static_cast<int>(fixedWidth("Go to the web site"));
  EXPECT_EQ(menu.width(), 2 * metrics.border + metrics.textLeft + widest + metrics.textRight);
  const int x = menu.width() / 2;
  EXPECT_EQ(menu.hit(x, menu.itemTop(1)), 1);
  EXPECT_EQ(menu.hit(x, menu.itemTop(1) - 1), 0);
  EXPECT_EQ(menu.hit(x, 0), -1);  // the frame
  EXPECT_EQ(menu.hit(-1, menu.itemTop(0)), -1);
  menu.hover(x, menu.itemTop(0) + 3);
  EXPECT_EQ(menu.selected(), 0);
  menu.hover(x, menu.itemTop(2) + 3);  // greyed
  EXPECT_EQ(menu.selected(), -1);
  menu.hover(x, menu.itemTop(3) + 3);  // separator
  EXPECT_EQ(menu.selected(), -1);
}

TEST(MenuPlacement, CentredOnThePointAndKeptOnItsMonitor) {
  int left, top;
  const Mintwerk::ScreenArea first{0, 0, 1280, 800}, second{1280, 200, 1024, 768};
  Mintwerk::placeMenu(500, 300, 200, 100, first, left, top);
  EXPECT_EQ(left, 400);
  EXPECT_EQ(top, 300);
  Mintwerk::placeMenu(30, 300, 200, 100, first, left, top);
  EXPECT_EQ(left, 0);
  Mintwerk::placeMenu(1270, 300, 200, 100, first, left, top);
  EXPECT_EQ(left, 1080);
  Mintwerk::placeMenu(500, 750, 200, 100, first, left, top);  // above the point
  EXPECT_EQ(top, 650);
  Mintwerk::placeMenu(500, 50, 200, 900, first, left, top);  // taller than the screen
  EXPECT_EQ(top, 0);
  // On a second monitor right of the first and lower: never over the edge onto the first.
  Mintwerk::placeMenu(1300, 900, 200, 100, second, left, top);
  EXPECT_EQ(left, 1280);
  EXPECT_EQ(top, 800);
  Mintwerk::placeMenu(2300, 210, 200, 900, second, left, top);
  EXPECT_EQ(left, 2104);
  EXPECT_EQ(top, 200);
}

TEST(MessageBoxAnswers, ButtonsEscapeAndTheAnswerWithoutADisplay) {
  using namespace Platform;
  const unsigned confirm = 0x2021, question = 0x2024, error = 0x2010;
  ASSERT_EQ(dialogButtons(confirm).size(), 2u);
  EXPECT_EQ(dialogButtons(confirm)[0].answer, kIdOk);
  EXPECT_EQ(dialogButtons(confirm)[1].answer, kIdCancel);
  EXPECT_EQ(dialogButtons(question)[0].answer, kIdYes);
  EXPECT_EQ(dialogButtons(question)[1].answer, kIdNo);
  ASSERT_EQ(dialogButtons(error).size(), 1u);
  EXPECT_EQ(dialogButtons(0x3).size(), 3u);
  EXPECT_EQ(escapeAnswer(confirm), kIdCancel);
  EXPECT_EQ(escapeAnswer(question), kIdNo);
  EXPECT_EQ(escapeAnswer(error), kIdOk);
  EXPECT_EQ(conservativeAnswer(confirm), kIdCancel);
  EXPECT_EQ(conservativeAnswer(question), kIdNo);
  EXPECT_EQ(conservativeAnswer(error), kIdOk);
  EXPECT_EQ(defaultButton(question), 0);
  EXPECT_EQ(defaultButton(question | 0x100), 1);
  EXPECT_EQ(defaultButton(error | 0x100), 0);  // no second button
}

TEST(MessageBoxText, BreaksAtNewlinesAndBetweenWordsAndCutsOnlyOverlongWords) {
  using Platform::wrapText;
  EXPECT_EQ(wrapText("Saving new defaults for:\n - parameter values\n", 1000.0f, fixedWidth),
            (std::vector<std::string>{"Saving new defaults for:", " - parameter values"}));
  EXPECT_EQ(wrapText("one two three", 7.0f * 8, fixedWidth),
            (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(wrapText("abcdefghij", 7.0f * 4, fixedWidth),
            (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(wrapText("a\r\n\nb\tc", 1000.0f, fixedWidth),
            (std::vector<std::string>{"a", "", "b c"}));
  EXPECT_EQ(wrapText("", 100.0f, fixedWidth), (std::vector<std::string>{""}));
}

}  // namespace
