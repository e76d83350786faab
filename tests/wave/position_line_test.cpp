// The line from a device's byte positions to the times they sound or were captured:
// dates that jitter, jump and drift must not move it off the device's true clock.

#include "platform/wave/position_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using platform::DatedPosition;
using platform::PositionLine;

namespace {

constexpr uint64_t kRate = 176400;
constexpr uint64_t kPiece = 6615;  // 37.5 ms of the project format
constexpr int64_t kMs = 1000000;
// The device's true clock: 0.25% fast against the steady clock, its first byte at 10 s.
constexpr double kTrueNanosPerByte = 1e9 / (kRate * 1.0025);
constexpr int64_t kFirstNanos = 10000 * kMs;

int64_t TrueNanos(uint64_t bytes) {
  return kFirstNanos + std::llround(static_cast<double>(bytes) * kTrueNanosPerByte);
}

// How far (ms) line places the time of bytes from its true time, read back through
// BytesAt: positive when the line dates it late.
double LateMs(const PositionLine& line, uint64_t bytes) {
  const double at = line.BytesAt(TrueNanos(bytes));
  return (static_cast<double>(bytes) - at) * kTrueNanosPerByte / 1e6;
}

// count pieces' dates, each the true time plus error(i) ms.
template <typename Error>
std::vector<DatedPosition> Dates(size_t count, Error error) {
  std::vector<DatedPosition> dates;
  for (size_t i = 0; i < count; ++i) {
    const uint64_t bytes = i * kPiece;
    dates.push_back({bytes, TrueNanos(bytes) + std::llround(error(i) * kMs)});
  }
  return dates;
}

TEST(PositionLineTest, ExactDatesGiveTheDevicesOwnRateNotTheNominalOne) {
  const auto dates = Dates(60, [](size_t) { return 0.0; });
  for (auto fitTo : {PositionLine::FitTo::kMiddle, PositionLine::FitTo::kEarliest}) {
    const auto line = PositionLine::Fit(dates.data(), dates.size(), kRate, fitTo);
    ASSERT_TRUE(line.has_value());
    // Within the dates and a second beyond the last: at the nominal rate the line
    // would be 2.5 ms out there.
    EXPECT_NEAR(LateMs(*line, 30 * kPiece), 0, 0.001);
    EXPECT_NEAR(LateMs(*line, 59 * kPiece + kRate), 0, 0.001);
  }
}

TEST(PositionLineTest, DatesFarOffTheLineDoNotMoveIt) {
  // Jitter of +-0.4 ms, the first five dates 30 ms early (a stream's first buffers,
  // dated before the server knew its latency) and every thirteenth 8 ms late.
  const auto dates = Dates(100, [](size_t i) {
    if (i < 5) return -30.0;
    if (i % 13 == 0) return 8.0;
    return 0.4 * std::sin(static_cast<double>(i) * 2.1);
  });
  const auto line = PositionLine::Fit(dates.data(), dates.size(), kRate, PositionLine::FitTo::kMiddle);
  ASSERT_TRUE(line.has_value());
  EXPECT_NEAR(LateMs(*line, 50 * kPiece), 0, 0.1);
  EXPECT_NEAR(LateMs(*line, 99 * kPiece), 0, 0.1);
}

TEST(PositionLineTest, AlongTheEarliestDatesDatesThatDriftLateAndComeBackAreRight) {
  // Each date 0.05 ms later than the one before, put right every 30 pieces.
  const auto dates = Dates(120, [](size_t i) { return 0.05 * static_cast<double>(i % 30); });
  const auto earliest = PositionLine::Fit(dates.data(), dates.size(), kRate, PositionLine::FitTo::kEarliest);
  ASSERT_TRUE(earliest.has_value());
  // Through the middle the line is some 0.7 ms late; along the earliest dates it is
  // within a quarter of the drift's 1.45 ms.
  EXPECT_NEAR(LateMs(*earliest, 60 * kPiece), 0, 0.35);
  EXPECT_NEAR(LateMs(*earliest, 119 * kPiece), 0, 0.35);
  const auto middle = PositionLine::Fit(dates.data(), dates.size(), kRate, PositionLine::FitTo::kMiddle);
  ASSERT_TRUE(middle.has_value());
  EXPECT_GT(LateMs(*middle, 60 * kPiece), 0.5);
}

TEST(PositionLineTest, EachDateCountsAsMuchAsTheAudioItDates) {
  // Reads handed on in two pieces, 6535 bytes and 80: the long pieces dated right (with
  // a little jitter), the short ones 1.6 ms early. The line follows the audio, which the
  // long pieces carry; counted alike, the short ones would pull it 0.8 ms early.
  constexpr uint64_t kShort = 80;
  std::vector<DatedPosition> dates;
  for (size_t read = 0; read < 64; ++read) {
    const uint64_t longEnd = (read + 1) * kPiece - kShort;
    const uint64_t shortEnd = (read + 1) * kPiece;
    dates.push_back({longEnd, TrueNanos(longEnd) + std::llround(0.2 * std::sin(read * 1.7) * kMs)});
    dates.push_back({shortEnd, TrueNanos(shortEnd) - 16 * kMs / 10});
  }
  const auto line = PositionLine::Fit(dates.data(), dates.size(), kRate, PositionLine::FitTo::kMiddle);
  ASSERT_TRUE(line.has_value());
  EXPECT_NEAR(LateMs(*line, 32 * kPiece), 0, 0.1);
  EXPECT_NEAR(LateMs(*line, 64 * kPiece), 0, 0.1);
}

TEST(PositionLineTest, TooFewDatesOrARateThatMakesNoSenseGiveNoLine) {
  const auto exact = Dates(PositionLine::kMinFitPoints - 1, [](size_t) { return 0.0; });
  EXPECT_FALSE(PositionLine::Fit(exact.data(), exact.size(), kRate, PositionLine::FitTo::kMiddle));
  EXPECT_FALSE(PositionLine::Fit(nullptr, 0, kRate, PositionLine::FitTo::kMiddle));
  // Every date 20 ms later than the one before, on top of the 37.5 ms of its piece.
  const auto slow = Dates(20, [](size_t i) { return 20.0 * static_cast<double>(i); });
  EXPECT_FALSE(PositionLine::Fit(slow.data(), slow.size(), kRate, PositionLine::FitTo::kMiddle));
  // The same bytes dated at one time.
  std::vector<DatedPosition> still(20, DatedPosition{4000, kFirstNanos});
  EXPECT_FALSE(PositionLine::Fit(still.data(), still.size(), kRate, PositionLine::FitTo::kMiddle));
}

TEST(PositionLineTest, ThroughOneDateRunsAtTheNominalRate) {
  const PositionLine line = PositionLine::Through({8820, 1000 * kMs}, kRate);
  EXPECT_DOUBLE_EQ(line.BytesAt(1000 * kMs), 8820);
  EXPECT_DOUBLE_EQ(line.BytesAt(1050 * kMs), 8820 + 8820);
  EXPECT_DOUBLE_EQ(line.BytesAt(990 * kMs), 8820 - 1764);
}

TEST(PositionLineTest, AHeldPositionNeverGoesBackForALaterTime) {
  platform::HeldPosition held;
  EXPECT_EQ(held.Hold(100, 5000), 5000u);
  EXPECT_EQ(held.Hold(110, 4990), 5000u);
  EXPECT_EQ(held.Hold(120, 5100), 5100u);
  // A read for an earlier time is answered as it is.
  EXPECT_EQ(held.Hold(50, 1000), 1000u);
}

}  // namespace
