// The playback queue's position: what has sounded by a given time, from the start times
// the stream gives each rendered buffer — not what was handed to the device.

#include "platform/wave/wave_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/wave/wave_test_support.h"

using namespace platform;
using namespace wavetest;

namespace {

constexpr int64_t kMs = 1000000;

// Hands buffer to queue as a device's Write or AddBuffer would.
template <typename Queue>
void QueueBuffer(Queue& queue, TestBuffer& buffer) {
  buffer.header.flags = WHDR_PREPARED | WHDR_INQUEUE;
  ASSERT_TRUE(queue.Push(&buffer.header));
}

class PlaybackQueueTest : public testing::Test {
 protected:
  PlaybackQueueTest() : queue(nullptr, nullptr) { queue.SetFormat(kProjectWaveFormat); }

  void Push(TestBuffer& buffer) { QueueBuffer(queue, buffer); }
  // Renders ms milliseconds of output that sounds from startMs on.
  uint32_t Render(int64_t startMs, uint32_t ms) {
    std::vector<char> out(ms * 4410 / 25);
    uint32_t data = queue.Render(out.data(), static_cast<uint32_t>(out.size()), startMs * kMs);
    played.insert(played.end(), out.begin(), out.end());
    return data;
  }

  PlaybackQueue queue;
  std::vector<char> played;
};

TEST_F(PlaybackQueueTest, CountsOnlyWhatHasSoundedByNow) {
  TestBuffer buffer(88200);
  Push(buffer);
  ASSERT_EQ(Render(1000, 100), 17640u);
  EXPECT_EQ(queue.RenderedBytes(), 17640u);
  // Handed over, but not yet sounding.
  EXPECT_EQ(queue.PlayedBytes(500 * kMs), 0u);
  EXPECT_EQ(queue.PlayedBytes(1000 * kMs), 0u);
  EXPECT_EQ(queue.PlayedBytes(1050 * kMs), 8820u);
  EXPECT_EQ(queue.PlayedBytes(1100 * kMs), 17640u);
  // Never beyond what was rendered.
  EXPECT_EQ(queue.PlayedBytes(9000 * kMs), 17640u);
}

TEST_F(PlaybackQueueTest, ABufferQueuedBehindOthersCountsOnceTheyHaveSounded) {
  TestBuffer buffer(88200);
  Push(buffer);
  Render(1000, 20);
  Render(1020, 20);
  Render(1040, 20);
  EXPECT_EQ(queue.PlayedBytes(1030 * kMs), 3528u + 1764u);
  EXPECT_EQ(queue.PlayedBytes(1050 * kMs), 2u * 3528u + 1764u);
  // Only whole frames count: 5 ms are 220.5 frames.
  EXPECT_EQ(queue.PlayedBytes(1005 * kMs), 880u);
}

TEST_F(PlaybackQueueTest, SilenceOfAnUnderrunOrAPauseIsNotCounted) {
  TestBuffer first(4410), second(88200);
  Fill(first, 1);
  Fill(second, 2);
  Push(first);
  // 25 ms of data, then 25 ms of silence in the same buffer.
  ASSERT_EQ(Render(0, 50), 4410u);
  ASSERT_EQ(Render(50, 50), 0u);
  Push(second);
  queue.SetPaused(true);
  ASSERT_EQ(Render(100, 50), 0u);
  queue.SetPaused(false);
  ASSERT_EQ(Render(150, 50), 8820u);

  EXPECT_EQ(queue.PlayedBytes(40 * kMs), 4410u);
  EXPECT_EQ(queue.PlayedBytes(140 * kMs), 4410u);
  EXPECT_EQ(queue.PlayedBytes(170 * kMs), 4410u + 3528u);
  EXPECT_EQ(queue.PlayedBytes(200 * kMs), 4410u + 8820u);
  // The silence went out as zeros between the data.
  std::vector<char> expected = Concat({PatternBytes(1, 4410), std::vector<char>(4410 + 8820 + 8820), PatternBytes(2, 8820)});
  EXPECT_EQ(played, expected);
}

TEST_F(PlaybackQueueTest, StartTimesThatDriftLateDoNotMoveThePosition) {
  // 37.5 ms pieces whose start times drift 0.05 ms later each until every 30th is
  // right again, as a sound server's latency figures do between its timing reports.
  constexpr uint32_t kPiece = 6616;
  constexpr uint32_t kPieces = 90;
  TestBuffer buffer(kPiece * kPieces);
  Push(buffer);
  std::vector<char> out(kPiece);
  auto trueStart = [](uint32_t piece) { return 1000 * kMs + int64_t{piece} * kPiece * 1000000000 / 176400; };
  for (uint32_t i = 0; i < kPieces; ++i) {
    ASSERT_EQ(queue.Render(out.data(), kPiece, trueStart(i) + (i % 30) * kMs / 20), kPiece);
  }
  // Half-way into the last piece but one, whose own start time is 1.4 ms late: within
  // a quarter of the drift, 0.35 ms (62 bytes), of the truth.
  const int64_t at = trueStart(kPieces - 2) + (trueStart(kPieces - 1) - trueStart(kPieces - 2)) / 2;
  const auto truth = static_cast<int64_t>((kPieces - 2) * kPiece + kPiece / 2);
  EXPECT_NEAR(static_cast<double>(queue.PlayedBytes(at)), static_cast<double>(truth), 62);
}

// Times of 40-ms pieces from 1000 ms on: right, 0.5 ms late and 1 ms late in turn, as
// a playback's drift; alternately 1 ms late and 1 ms early, as a capture's scatter.
int64_t LateStart(int64_t piece) {
  return 1000 * kMs + piece * 40 * kMs + (piece + 2) % 3 * kMs / 2;
}
int64_t ScatteredStart(int64_t piece) {
  return 1000 * kMs + piece * 40 * kMs + (piece % 2 ? kMs : -kMs);
}

TEST_F(PlaybackQueueTest, BehindTheShutGateItPlaysSilenceAndKeepsTheTimesForTheNextData) {
  TestBuffer early(7056), data(2 * 7056);
  Fill(early, 1);
  Fill(data, 2);
  Push(early);
  std::vector<char> out(7056);
  ASSERT_EQ(queue.Render(out.data(), 7056, LateStart(0)), 7056u);
  // Taken back: the header returns done, nothing of it counts.
  queue.Gate().Shut();
  queue.ReturnAll();
  EXPECT_EQ(early.header.flags.load() & WHDR_DONE, WHDR_DONE);
  EXPECT_EQ(queue.RenderedBytes(), 0u);
  EXPECT_EQ(queue.PlayedBytes(9000 * kMs), 0u);
  // The stream goes on: while shut, a header queued is left alone.
  Push(data);
  for (int64_t i = 1; i < 60; ++i) ASSERT_EQ(queue.Render(out.data(), 7056, LateStart(i)), 0u);
  EXPECT_EQ(data.header.flags.load() & WHDR_DONE, 0u);
  queue.Gate().Open();
  ASSERT_EQ(queue.Render(out.data(), 7056, LateStart(60)), 7056u);
  EXPECT_EQ(out, PatternBytes(2, 7056));
  // The data's first render started at 3400 ms, though dated 1 ms late: 10 ms later
  // 1764 bytes of it have sounded, by the line through the times of the silence.
  EXPECT_NEAR(static_cast<double>(queue.PlayedBytes(3410 * kMs)), 1764, 20);
}

}  // namespace

namespace {

// The capture queue's converter position: what has passed the converter by a given
// time, from the times the stream gives each captured piece.
class CaptureQueueTest : public testing::Test {
 protected:
  CaptureQueueTest() : queue(nullptr, nullptr) { queue.SetFormat(kProjectWaveFormat); }

  CaptureQueue queue;
  std::vector<char> in = std::vector<char>(7056);  // 40 ms
};

TEST_F(CaptureQueueTest, CountsWhatThePassedConverterHeardByNow) {
  TestBuffer buffer(88200);
  QueueBuffer(queue, buffer);
  // Without times the position is what the headers hold.
  ASSERT_EQ(queue.Capture(in.data(), 7056), 7056u);
  EXPECT_EQ(queue.ConverterBytes(500 * kMs), 7056u);
  // 40 ms that were at the converter from 1000 ms on: by 1070 ms 30 ms more have
  // passed it that the next piece will bring.
  ASSERT_EQ(queue.Capture(in.data(), 7056, 1000 * kMs), 7056u);
  EXPECT_EQ(queue.CapturedBytes(), 14112u);
  EXPECT_EQ(queue.ConverterBytes(1040 * kMs), 14112u);
  EXPECT_EQ(queue.ConverterBytes(1070 * kMs), 14112u + 5292u);
  // The input stopped: no more than a second beyond the last piece counts.
  EXPECT_EQ(queue.ConverterBytes(9000 * kMs), 14112u + 176400u);
  // Taken back behind the shut gate, the queue counts from 0 again.
  queue.Gate().Shut();
  queue.ReturnAll();
  EXPECT_EQ(queue.CapturedBytes(), 0u);
  EXPECT_EQ(queue.ConverterBytes(1070 * kMs), 0u);
}

TEST_F(CaptureQueueTest, TimesThatScatterDoNotMoveTheConverterPosition) {
  TestBuffer buffer(7056 * 80);
  QueueBuffer(queue, buffer);
  // Times alternately 1 ms late and 1 ms early, and every ninth 10 ms late.
  for (int64_t i = 0; i < 60; ++i) {
    const int64_t error = i % 9 == 0 ? 10 * kMs : (i % 2 ? kMs : -kMs);
    ASSERT_EQ(queue.Capture(in.data(), 7056, 1000 * kMs + i * 40 * kMs + error), 7056u);
  }
  // The last piece's true end is at 3400 ms; 10 ms later 1764 bytes more have passed.
  EXPECT_NEAR(static_cast<double>(queue.ConverterBytes(3410 * kMs)), 60.0 * 7056 + 1764, 20);
  // Once the input has stopped its times no longer count: the position is what was
  // stored until new times come.
  queue.ForgetTimes();
  EXPECT_EQ(queue.ConverterBytes(3410 * kMs), 60u * 7056u);
}

TEST_F(CaptureQueueTest, BehindTheShutGateItDropsTheInputAndKeepsItsTimesForTheNextTake) {
  TestBuffer buffer(88200);
  QueueBuffer(queue, buffer);
  queue.Gate().Shut();
  for (int64_t i = 0; i < 60; ++i) ASSERT_EQ(queue.Capture(in.data(), 7056, ScatteredStart(i)), 0u);
  EXPECT_EQ(queue.CapturedBytes(), 0u);
  EXPECT_EQ(queue.ConverterBytes(3410 * kMs), 0u);
  queue.Gate().Open();
  ASSERT_EQ(queue.Capture(in.data(), 7056, ScatteredStart(60)), 7056u);
  EXPECT_EQ(queue.CapturedBytes(), 7056u);
  // The stored piece was at the converter from 3400 ms to 3440 ms, though dated 1 ms
  // early; 10 ms after its end 1764 bytes more have passed, by the line through the
  // times of the input that was dropped.
  EXPECT_NEAR(static_cast<double>(queue.ConverterBytes(3450 * kMs)), 7056 + 1764, 20);
}

}  // namespace
