// Where a take lands in the armed track: the start and end alignment from the two start
// estimates, punch-in between the markers, takes inside, at the end of and past the end
// of the track.

#include <gtest/gtest.h>

#include "app/recording/recording_dialog.h"
#include "document/recorded_take.h"

namespace {

constexpr uint32_t kSecond = 176400;

RecordedTake Take(uint32_t start, uint32_t length, uint32_t playTick = 1000000, uint32_t recordTick = 1000000) {
  RecordedTake take;
  take.recordStart = start;
  take.recordedLength = length;
  take.playStartEstimate = playTick;
  take.recordStartEstimate = recordTick;
  return take;
}

TEST(PlaceTake, ATakeReplacesItsStretchInsideAtTheEndOrPastTheEndOfTheTrack) {
  TakePlacement p;
  // Inside a longer track: exactly [P, P + R), the rest of the track kept.
  ASSERT_TRUE(PlaceTake(Take(kSecond, 2 * kSecond), 10 * kSecond, &p));
  EXPECT_EQ(p.join, kSecond);
  EXPECT_EQ(p.silence, 0u);
  EXPECT_EQ(p.readFrom, 0u);
  EXPECT_EQ(p.readTo, 2 * kSecond);
  EXPECT_EQ(p.written, 2 * kSecond);
  EXPECT_EQ(p.replacedFirst, kSecond);
  EXPECT_EQ(p.replacedLast, 3 * kSecond);
  EXPECT_EQ(p.keepsTail, 1);

  // At the end: the track grows by R; undo gives back the nothing there was.
  ASSERT_TRUE(PlaceTake(Take(kSecond, 2 * kSecond), kSecond, &p));
  EXPECT_EQ(p.join, kSecond);
  EXPECT_EQ(p.written, 2 * kSecond);
  EXPECT_EQ(p.replacedFirst, kSecond);
  EXPECT_EQ(p.replacedLast, kSecond);
  EXPECT_EQ(p.keepsTail, 0);

  // Across the end: the track's last second is replaced and the tail is not kept.
  ASSERT_TRUE(PlaceTake(Take(kSecond, 2 * kSecond), 2 * kSecond, &p));
  EXPECT_EQ(p.replacedLast, 2 * kSecond);
  EXPECT_EQ(p.keepsTail, 0);

  // Past the end: silence up to the start first.
  ASSERT_TRUE(PlaceTake(Take(3 * kSecond, kSecond), kSecond, &p));
  EXPECT_EQ(p.join, kSecond);
  EXPECT_EQ(p.silence, 2 * kSecond);
  EXPECT_EQ(p.written, 3 * kSecond);
  EXPECT_EQ(p.start, 3 * kSecond);
}

TEST(PlaceTake, ARecordingThatStartedEarlierLosesItsLeadAndOneThatStartedLaterGainsSilence) {
  TakePlacement p;
  // 10 ms early: the first 1764 bytes precede what was heard.
  ASSERT_TRUE(PlaceTake(Take(0, kSecond, 5010000, 5000000), 4 * kSecond, &p));
  EXPECT_EQ(p.readFrom, 1764u);
  EXPECT_EQ(p.silence, 0u);
  EXPECT_EQ(p.written, kSecond - 1764);
  EXPECT_EQ(p.replacedLast, kSecond - 1764);
  // 10 ms late: 1764 bytes of silence in front.
  ASSERT_TRUE(PlaceTake(Take(0, kSecond, 5000000, 5010000), 4 * kSecond, &p));
  EXPECT_EQ(p.readFrom, 0u);
  EXPECT_EQ(p.silence, 1764u);
  EXPECT_EQ(p.written, kSecond + 1764);
  // Estimates on both sides of the wrap of the start ticks.
  ASSERT_TRUE(PlaceTake(Take(0, kSecond, 0xFFFFFFFFu - 3999u, 6000), 4 * kSecond, &p));
  EXPECT_EQ(p.silence, 1764u);
  // A lag of 7 ms is 308.7 frames, of half a millisecond 22.05: the nearest whole frame.
  EXPECT_EQ(LagOf(Take(0, kSecond, 100000, 107000)).bytes, 1236u);
  EXPECT_EQ(LagOf(Take(0, kSecond, 100500, 100000)).bytes, 88u);
  EXPECT_TRUE(LagOf(Take(0, kSecond, 100500, 100000)).recordingEarlier);
  EXPECT_EQ(LagOf(Take(0, kSecond, 100000, 100011)).bytes, 0u);
}

TEST(PlaceTake, APunchTakeBringsOnlyWhatLiesBetweenTheMarkers) {
  RecordedTake take = Take(kSecond, 6 * kSecond);
  take.useMarkers = true;
  take.punchBegin = 4 * kSecond;
  take.punchEnd = 5 * kSecond;
  TakePlacement p;
  ASSERT_TRUE(PlaceTake(take, 10 * kSecond, &p));
  EXPECT_EQ(p.join, 4 * kSecond);
  EXPECT_EQ(p.readFrom, 3 * kSecond);
  EXPECT_EQ(p.readTo, 4 * kSecond);
  EXPECT_EQ(p.written, kSecond);
  EXPECT_EQ(p.replacedFirst, 4 * kSecond);
  EXPECT_EQ(p.replacedLast, 5 * kSecond);
  EXPECT_EQ(p.keepsTail, 1);

  // Lined up like a plain take: 10 ms early reads 1764 bytes further in.
  take.playStartEstimate = 1010000;
  ASSERT_TRUE(PlaceTake(take, 10 * kSecond, &p));
  EXPECT_EQ(p.readFrom, 3 * kSecond + 1764);
  EXPECT_EQ(p.written, kSecond);
  take.playStartEstimate = 1000000;

  // Without an end marker: from the begin marker to the end of the take.
  take.punchEnd = -1;
  ASSERT_TRUE(PlaceTake(take, 10 * kSecond, &p));
  EXPECT_EQ(p.readTo, 6 * kSecond);
  EXPECT_EQ(p.written, 3 * kSecond);

  // A take that did not reach half a second past the begin marker brings nothing.
  take.recordedLength = 3 * kSecond + 88196;
  EXPECT_FALSE(PlaceTake(take, 10 * kSecond, &p));
  take.recordedLength = 3 * kSecond + 88200;
  EXPECT_TRUE(PlaceTake(take, 10 * kSecond, &p));

  // Begin markers past the end of a shorter track still put the take at the marker.
  ASSERT_TRUE(PlaceTake(take, 2 * kSecond, &p));
  EXPECT_EQ(p.join, 2 * kSecond);
  EXPECT_EQ(p.silence, 2 * kSecond);
}

TEST(RecordingDialog, FreeSpaceReadsInMegabytesThenTenthsOfGigabytesThenGigabytes) {
  EXPECT_EQ(CRecordingDialog::FreeSpaceText(0), "0 MB");
  EXPECT_EQ(CRecordingDialog::FreeSpaceText(9999), "9999 MB");
  EXPECT_EQ(CRecordingDialog::FreeSpaceText(10000), "9.8 GB");
  EXPECT_EQ(CRecordingDialog::FreeSpaceText(998999), "975.6 GB");
  EXPECT_EQ(CRecordingDialog::FreeSpaceText(999000), "975 GB");
}

}  // namespace
