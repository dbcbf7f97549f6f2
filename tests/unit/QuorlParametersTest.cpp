// The effect's parameter table and display texts as the host reads them.
#include <gtest/gtest.h>

#include <string>

#include "FakeHost.h"
#include "effect/Quorl.h"

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

TEST_F(QuorlParameters, PercentDisplaysTruncate) {
  EXPECT_EQ(display(2, 0.505f), "50");
  EXPECT_EQ(display(2, 0.999f), "99");
  EXPECT_EQ(display(5, 1.0f), "100");
  EXPECT_EQ(display(3, 0.0f), "0");
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

}  // namespace
