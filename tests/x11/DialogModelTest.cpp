// The behaviour of our menus and message boxes that does not need a display: access keys, the
// selection the keys move, where a menu goes, the buttons and answers of a box, line breaks, and
// how their texts are read and drawn.
#include <gtest/gtest.h>

#include "gui/native/x11/PopupMenuModel.h"
#include "gui/native/x11/X11Canvas.h"
#include "platform/MessageBox.h"
#include "platform/linux/MessageBoxModel.h"
#include "text/TextEncoding.h"

namespace {

using Mintwerk::MenuEntry;
using Mintwerk::PopupMenuModel;

// Every character 7 pixels wide.
float fixedWidth(const std::u32string& text) { return 7.0f * static_cast<float>(text.size()); }

// A knob's menu with MIDI unlearn greyed, a separator and one more item.
std::vector<MenuEntry> knobMenu() {
  return {{"&Reset to default", 0, true, false},
          {"MIDI &Learn", 1, true, false},
          {"MIDI &Unlearn", 2, false, false},
          {"", 0, true, true},
          {"&Go to the web site", 3, true, false}};
}

TEST(MenuAccessKeys, MarkedLetterIsShownUnderlinedAndChosenByItsKey) {
  const auto save = Mintwerk::parseMnemonic("&Save defaults...");
  EXPECT_EQ(save.shown, U"Save defaults...");
  EXPECT_EQ(save.underline, 0);
  EXPECT_EQ(save.key, 's');
  const auto factory = Mintwerk::parseMnemonic("Load &factory defaults...");
  EXPECT_EQ(factory.shown, U"Load factory defaults...");
  EXPECT_EQ(factory.underline, 5);
  EXPECT_EQ(factory.key, 'f');
  // "&&" is an ampersand; a trailing "&" marks nothing; only the first mark counts.
  const auto both = Mintwerk::parseMnemonic("Salt && &Pepper &x&");
  EXPECT_EQ(both.shown, U"Salt & Pepper x");
  EXPECT_EQ(both.underline, 7);
  EXPECT_EQ(both.key, 'p');
  EXPECT_EQ(Mintwerk::parseMnemonic("plain").underline, -1);
}

// Texts are bytes from hosts and files, UTF-8 where they are valid UTF-8, else Windows-1252:
// "Größe Fïlter" spelt both ways. A character counts once, whatever its bytes.
const char* const kSpellings[] = {"Gr\303\266\303\237e F\303\257lter", "Gr\366\337e F\357lter"};
const auto perCharacter = [](const auto& text) { return 7.0f * static_cast<float>(text.size()); };

TEST(MenuAccessKeys, AccentedTextsCountCharactersInEitherEncoding) {
  for (const char* item : {"Gr\303\266&\303\237e", "Gr\366&\337e"}) {  // Grö&ße
    const auto text = Mintwerk::parseMnemonic(item);
    EXPECT_EQ(text.shown.size(), 5u);
    EXPECT_EQ(text.underline, 3);
    EXPECT_TRUE(text.key == U'\u00DF');
  }
  // An accented capital is chosen by its letter in either case; the widest item is 12 characters.
  PopupMenuModel menu({{"&\303\234ber", 0, true, false},
                       {kSpellings[0], 1, true, false},
                       {"F&\357lter", 2, true, false}},
                      perCharacter);
  EXPECT_EQ(menu.mnemonic(U'\u00FC'), 0);
  EXPECT_EQ(menu.mnemonic(U'\u00DC'), 0);
  EXPECT_EQ(menu.mnemonic(U'\u00CF'), 2);
  const Mintwerk::MenuMetrics m;
  EXPECT_EQ(menu.width(), 2 * m.border + m.textLeft + 12 * 7 + m.textRight);
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

  std::vector<MenuEntry> allGrey = {{"&A", 0, false, false}, {"", 0, true, true}};
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
  std::vector<MenuEntry> shared = {
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
  const int widest = static_cast<int>(fixedWidth(U"Go to the web site"));
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
  using Lines = std::vector<std::u32string>;
  EXPECT_EQ(wrapText(U"Saving new defaults for:\n - parameter values\n", 1000.0f, fixedWidth),
            (Lines{U"Saving new defaults for:", U" - parameter values"}));
  EXPECT_EQ(wrapText(U"one two three", 7.0f * 8, fixedWidth), (Lines{U"one two", U"three"}));
  EXPECT_EQ(wrapText(U"abcdefghij", 7.0f * 4, fixedWidth), (Lines{U"abcd", U"efgh", U"ij"}));
  EXPECT_EQ(wrapText(U"a\r\n\nb\tc", 1000.0f, fixedWidth), (Lines{U"a", U"", U"b c"}));
  EXPECT_EQ(wrapText(U"", 100.0f, fixedWidth), (Lines{U""}));
}

TEST(MessageBoxText, AccentedTextsBreakBetweenCharactersInEitherEncoding) {
  using Mintwerk::decodeText;
  using Lines = std::vector<std::u32string>;
  for (const char* text : kSpellings)
    EXPECT_EQ(Platform::wrapText(decodeText(text), 7.0f * 6, perCharacter),
              (Lines{U"Gr\u00F6\u00DFe", U"F\u00EFlter"}));
  // A word too long for a line is cut between characters, never inside one.
  EXPECT_EQ(
      Platform::wrapText(decodeText("\303\204\303\226\303\234\303\244"), 7.0f * 3, perCharacter),
      (Lines{U"\u00C4\u00D6\u00DC", U"\u00E4"}));
}

// Not UTF-8 is Windows-1252, as the same name shows on Windows: one stray byte decides, and
// overlong or cut-short forms are no UTF-8.
TEST(TextEncoding, Utf8WhenValidElseWindows1252) {
  using Mintwerk::decodeText;
  EXPECT_EQ(decodeText("\342\202\254 \360\237\216\265"), U"\u20AC \U0001F3B5");
  EXPECT_EQ(decodeText("\200 \223Bass\224 \226 \303\251 \351"),
            U"\u20AC \u201CBass\u201D \u2013 \u00C3\u00A9 \u00E9");
  EXPECT_EQ(decodeText("\300\257"), U"\u00C0\u00AF");
  EXPECT_EQ(decodeText("\303"), U"\u00C3");
  EXPECT_EQ(Mintwerk::encodeLatin1(decodeText("\303\266\342\202\254")), "\366?");
}

int inkOf(const Mintwerk::GlyphAtlas& font, const std::u32string& text) {
  Mintwerk::X11Canvas canvas(60, 30, 0xFFFFFF);
  canvas.drawText(font, text, 10.0f, 20.0f, 0x000000);
  int ink = 0;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) ink += (canvas.pixel(x, y) & 0xFF) < 0x80;
  return ink;
}

// A text's characters beyond ASCII get glyphs of their own, one the font lacks (Vera has no
// Cyrillic) its missing-glyph box, measured as drawn; controls are neither drawn nor measured.
TEST(DialogText, EveryCharacterOfTheTextIsDrawnAndMeasuredAsDrawn) {
  using Mintwerk::X11Canvas;
  Mintwerk::GlyphAtlas font;
  ASSERT_TRUE(Mintwerk::renderGlyphAtlas("Vera", 9.0f, font, {U"Gr\u00F6\u00DFe \u0424"}));
  EXPECT_EQ(X11Canvas::measureText(font, U"\u00F6"), X11Canvas::measureText(font, U"o"));
  EXPECT_GT(inkOf(font, U"\u00F6"), inkOf(font, U"o"));  // its two dots
  EXPECT_GT(inkOf(font, U"\u00DF"), 0);
  EXPECT_GT(inkOf(font, U"\u0424"), 0);
  const float box = X11Canvas::measureText(font, U"\u0424");
  EXPECT_GT(box, 0.0f);
  EXPECT_EQ(X11Canvas::measureText(font, U"a\u0424\u0085b"),
            X11Canvas::measureText(font, U"ab") + box);
  EXPECT_EQ(font.find(U'\u0416'), nullptr);  // not asked for
}

}  // namespace
