#include "game/arithmetic.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Arithmetic, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
  EXPECT_EQ(RoundHalfEven(0.49999997), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5000001), 2.0);
  EXPECT_EQ(RoundHalfEven(1.4999999), 1.0);
  EXPECT_EQ(WholePart<uint8_t>(5.999999), 5);
  EXPECT_EQ(WholePart<int32_t>(-0.25), -1);
}

TEST(Arithmetic, OverflowIsRuntimeErrorSix) {
  EXPECT_EQ(CheckedAdd32(2147483000, 647), std::numeric_limits<int32_t>::max());
  try {
    CheckedAdd32(std::numeric_limits<int32_t>::max(), 1);
    FAIL() << "no overflow raised";
  } catch (const platform::RuntimeError& failure) {
    EXPECT_EQ(failure.Number(), 6);
    EXPECT_EQ(failure.Description(), "Overflow");
  }
  EXPECT_THROW(CheckedSubtract16(static_cast<int16_t>(-32768), static_cast<int16_t>(1)), platform::RuntimeError);
  EXPECT_THROW(CheckedMultiply16(static_cast<int16_t>(2), static_cast<int16_t>(20000)), platform::RuntimeError);
  EXPECT_THROW(ConvertRounded<uint8_t>(255.5), platform::RuntimeError);  // rounds to 256
  EXPECT_EQ(ConvertRounded<uint8_t>(254.5), 254);
  EXPECT_THROW(ConvertRounded<uint8_t>(-0.51), platform::RuntimeError);
}

}  // namespace
