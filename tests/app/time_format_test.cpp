#include "core/time_format.h"

#include <gtest/gtest.h>

namespace {

std::string Format(uint32_t position, int type, uint32_t bpm = 120, uint32_t bytesPerSecond = kBytesPerSecond) {
  std::string text = "untouched";
  FormatPosition(position, bytesPerSecond, text, bpm, type);
  return text;
}

TEST(FormatPosition, TimeFields) {
  EXPECT_EQ(Format(0, kDisplayTime), "00:00.000");
  // One minute, five seconds and twenty milliseconds.
  EXPECT_EQ(Format(65 * kBytesPerSecond + 20 * 176400 / 1000, kDisplayTime), "01:05.020");
  EXPECT_EQ(Format(100 * 60 * kBytesPerSecond, kDisplayTime), "100:00.000");
  EXPECT_EQ(Format(kBytesPerSecond / 2, kDisplayTime), "00:00.500");
  EXPECT_EQ(Format(12345, kDisplayTime, 120, 0), "0");
}

TEST(FormatPosition, MillisecondsRoundHalfUpAndCarry) {
  // 1 frame is 22.7 microseconds: 0.0227 ms rounds down, 44 frames (0.9977 ms) up to 1.
  EXPECT_EQ(Format(4, kDisplayTime), "00:00.000");
  EXPECT_EQ(Format(44 * 4, kDisplayTime), "00:00.001");
  // Just below two seconds the milliseconds reach 1000 and carry into the seconds.
  EXPECT_EQ(Format(2 * kBytesPerSecond - 4, kDisplayTime), "00:02.000");
  // Just below a whole minute the minutes come from the unrounded seconds.
  EXPECT_EQ(Format(60 * kBytesPerSecond - 4, kDisplayTime), "00:60.000");
}

TEST(FormatPosition, BeatsAndSamples) {
  EXPECT_EQ(Format(0, kDisplayBeats), "0.000");
  EXPECT_EQ(Format(kBytesPerSecond, kDisplayBeats, 120), "2.000");
  EXPECT_EQ(Format(kBytesPerSecond * 3, kDisplayBeats, 100), "5.000");
  EXPECT_EQ(Format(kBytesPerSecond * 3, kDisplayBeats, 0), "0.000");
  EXPECT_EQ(Format(0, kDisplaySamples), "0");
  EXPECT_EQ(Format(7, kDisplaySamples), "3");
  EXPECT_EQ(Format(4000000000u, kDisplaySamples), "2000000000");
}

TEST(FormatPosition, UnknownTypeLeavesTextAlone) {
  EXPECT_EQ(Format(1000, 3), "untouched");
  EXPECT_EQ(Format(1000, -1), "untouched");
}

}  // namespace
