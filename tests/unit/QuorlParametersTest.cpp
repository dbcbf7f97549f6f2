// The effect's parameter table and display texts as the host reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "effect/Quorl.h"
#include "plugcore/ChunkFormat.h"

namespace {

class QuorlParameters : public ::testing::Test {
 protected:
  std::string display(int32_t index, float value) {
    char text[64] = "untouched";
    effect.formatParameter(index, text, value);
    return text;
  }
  FakeHost host;
  Quorl effect{host.callback()};
};

TEST_F(QuorlParameters, FreshInstanceHoldsTheDefaults) {
  const float defaults[] = {0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f};
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(effect.getParameter(i), defaults[i]) << i;
    EXPECT_EQ(effect.parameters()[i].defaultValue, defaults[i]) << i;
    EXPECT_EQ(effect.parameters()[i].flags, 0) << i;
  }
  EXPECT_EQ(effect.getLatency(), 0);
}

TEST_F(QuorlParameters, DecibelDisplays) {
  EXPECT_EQ(display(0, 0.0f), "-20.00");
  EXPECT_EQ(display(0, 0.5f), "+0.00");
  EXPECT_EQ(display(0, 1.0f), "+20.00");
  EXPECT_EQ(display(6, 1.0f), "+10.00");
  EXPECT_EQ(display(6, 0.0f), "-10.00");
}

TEST_F(QuorlParameters, CutoffDisplayPicksItsPrecisionFromTheValue) {
  EXPECT_EQ(display(1, 0.0f), "20.0");
  EXPECT_EQ(display(1, 1.0f), "26000");
  EXPECT_EQ(display(1, 0.5f), "721");  // 20 * sqrt(1300) = 721.1
  EXPECT_EQ(display(1, 0.2f), "83.9");
}

// The percent knobs say the whole number nearest their value: at every wheel step from either
// end, and at every whole percent as a chunk stores it (64000ths, cut).
TEST_F(QuorlParameters, PercentDisplaysRoundAtWheelStepsAndChunkValues) {
  EXPECT_EQ(display(2, 0.504f), "50");
  EXPECT_EQ(display(2, 0.996f), "100");
  EXPECT_EQ(display(3, 0.0f), "0");
  for (int32_t index : {2, 3, 4, 5}) {
    float down = 1.0f, up = 0.0f;
    for (int step = 0; step <= 20; ++step) {
      EXPECT_EQ(display(index, down), std::to_string(100 - 5 * step)) << index << " " << down;
      EXPECT_EQ(display(index, up), std::to_string(5 * step)) << index << " " << up;
      down = std::max(0.0f, down - 1.0f / 20.0f);
      up = std::min(1.0f, up + 1.0f / 20.0f);
    }
    for (int whole = 0; whole <= 100; ++whole) {
      const auto raw = static_cast<uint32_t>(whole / 100.0f * PlugCore::Chunk::kValueScale);
      const float stored = static_cast<float>(raw) * PlugCore::Chunk::kValueUnit;
      EXPECT_EQ(display(index, stored), std::to_string(whole)) << index << " " << stored;
    }
  }
}

TEST_F(QuorlParameters, QRangeSwitchesAtOneHalf) {
  EXPECT_EQ(display(7, 0.49f), "safe");
  EXPECT_EQ(display(7, 0.5f), "full");
  EXPECT_EQ(display(8, 0.5f), "untouched");
}

TEST_F(QuorlParameters, ParameterTextJoinsValueAndUnit) {
  char text[64];
  effect.getParameterText(0, 0.5f, text);
  EXPECT_STREQ(text, "+0.00 dB");
  effect.getParameterText(7, 1.0f, text);
  EXPECT_STREQ(text, "full");
}

// Qt and GTK hosts switch the whole process to the user's locale (setlocale(LC_ALL, "")); the
// texts a host and the editor show must not follow it. Only locales that really change the C
// library's decimal point count, so that the test cannot pass by finding none of them changed.
TEST_F(QuorlParameters, TextsKeepTheirPointWhateverLocaleTheHostSets) {
  // A comma, and a decimal point of two bytes in UTF-8 (U+066B); scripts/setup.sh makes both.
  const char* const locales[] = {"de_DE.UTF-8", "ps_AF.UTF-8", "German_Germany.1252"};
  const float values[] = {0.0f, 0.001f, 0.1f,  0.123f, 0.25f, 0.4999f,
                          0.5f, 0.505f, 0.75f, 0.999f, 1.0f};
  auto allTexts = [&] {
    std::vector<std::string> texts;
    for (int32_t index = 0; index < 8; ++index)
      for (float value : values) {
        char text[64] = {};
        effect.getParameterText(index, value, text);
        texts.push_back(text);
        effect.setParameter(index, value);
        effect.dispatcher(effGetParamDisplay, index, 0, text, 0.0f);
        texts.push_back(text);
      }
    return texts;
  };
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const std::vector<std::string> inC = allTexts();
  EXPECT_EQ(inC[0], "-20.00 dB");
  int changed = 0;
  for (const char* name : locales) {
    if (!std::setlocale(LC_ALL, name)) continue;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    if (std::string(probe) == "0.5") continue;
    ++changed;
    EXPECT_EQ(allTexts(), inC) << "in the locale " << name << ", where 0.5 prints as " << probe;
  }
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_GT(changed, 0)
      << "no locale with another decimal point here (scripts/setup.sh makes them)";
}

}  // namespace
