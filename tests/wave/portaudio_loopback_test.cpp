// Plays a signal through the PortAudio devices into the test server's null sink while
// capturing the sink's monitor, and checks that the capture holds the signal byte for
// byte: no gap, no repeat, no glitch. Needs the server that scripts/pulse-test-server.sh
// starts (./test.sh does); without it the test is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/wave/portaudio_wave_system.h"
#include "tests/support/prerequisites.h"
#include "tests/wave/wave_test_support.h"

#ifndef WAVE_LOOPBACK_SECONDS
#define WAVE_LOOPBACK_SECONDS 2
#endif

using namespace platform;
using namespace wavetest;

namespace {

struct Capture {
  std::array<std::unique_ptr<TestBuffer>, 16> buffers;
  std::vector<char> bytes;
};

void CollectInput(WaveInDevice& device, Capture& capture, bool requeue) {
  for (auto& buffer : capture.buffers) {
    if (!buffer->Done() || buffer->Queued()) continue;
    std::vector<char> recorded = buffer->Recorded();
    capture.bytes.insert(capture.bytes.end(), recorded.begin(), recorded.end());
    // Cleared so that it is not taken twice.
    buffer->header.flags.fetch_and(~WHDR_DONE);
    if (requeue) {
      ASSERT_EQ(device.AddBuffer(&buffer->header), MMSYSERR_NOERROR);
    }
  }
}

bool AllZero(std::vector<char>::const_iterator from, std::vector<char>::const_iterator to) {
  return std::all_of(from, to, [](char c) { return c == 0; });
}

TEST(PortAudioLoopbackTest, WhatIsPlayedComesBackFromTheMonitorByteForByte) {
  REQUIRE_TEST_SERVER();
  PortAudioWaveSystem system;
  ASSERT_GT(system.OutputCount(), 0u) << "the test server runs, yet the audio library finds no output";
  ASSERT_GT(system.InputCount(), 0u) << "the test server runs, yet the audio library finds no input";

  const std::vector<char> signal = PatternBytes(11, uint64_t{WAVE_LOOPBACK_SECONDS} * 176400);

  // Capture first, in 50 ms pieces, so that the whole signal lands in it.
  auto input = system.CreateInput();
  ASSERT_EQ(input->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_NOERROR);
  Capture capture;
  for (auto& buffer : capture.buffers) {
    buffer = std::make_unique<TestBuffer>(8820);
    ASSERT_EQ(input->Prepare(&buffer->header), MMSYSERR_NOERROR);
    ASSERT_EQ(input->AddBuffer(&buffer->header), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(input->Start(), MMSYSERR_NOERROR);

  // Play the way the playback engine does: two half-second headers, queued while
  // paused, refilled and requeued as they come back.
  auto output = system.CreateOutput();
  ASSERT_EQ(output->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_NOERROR);
  ASSERT_EQ(output->Pause(), MMSYSERR_NOERROR);
  std::array<TestBuffer, 2> played = {TestBuffer(88200), TestBuffer(88200)};
  size_t next = 0;
  uint64_t written = 0;
  auto refill = [&](TestBuffer& buffer) {
    size_t length = std::min<size_t>(88200, signal.size() - next);
    std::copy(signal.begin() + next, signal.begin() + next + length, buffer.bytes.begin());
    buffer.header.bufferLength = static_cast<uint32_t>(length);
    next += length;
    written += length;
    ASSERT_EQ(output->Prepare(&buffer.header), MMSYSERR_NOERROR);
    ASSERT_EQ(output->Write(&buffer.header), MMSYSERR_NOERROR);
  };
  for (TestBuffer& buffer : played) refill(buffer);
  ASSERT_EQ(output->Restart(), MMSYSERR_NOERROR);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10 + 3 * WAVE_LOOPBACK_SECONDS);
  uint32_t position = 0, last = 0;
  while (position < signal.size()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "playback stalled at byte " << position;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (TestBuffer& buffer : played) {
      if (!buffer.Done() || next == signal.size()) continue;
      ASSERT_EQ(output->Unprepare(&buffer.header), MMSYSERR_NOERROR);
      refill(buffer);
    }
    CollectInput(*input, capture, true);
    ASSERT_EQ(output->GetPosition(&position), MMSYSERR_NOERROR);
    ASSERT_GE(position, last);
    ASSERT_LE(position, written) << "the position ran ahead of what was written";
    last = position;
  }
  EXPECT_EQ(position, signal.size());
  // A quarter of a second more, to see that nothing follows the signal.
  const size_t enough = capture.bytes.size() + 44100;
  while (capture.bytes.size() < enough) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "capture stalled";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CollectInput(*input, capture, true);
  }
  ASSERT_EQ(input->Reset(), MMSYSERR_NOERROR);
  CollectInput(*input, capture, false);
  EXPECT_EQ(input->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(output->Close(), MMSYSERR_NOERROR);

  // Line up: the first 64 bytes of the signal occur once in noise like this.
  auto start = std::search(capture.bytes.begin(), capture.bytes.end(), signal.begin(), signal.begin() + 64);
  ASSERT_NE(start, capture.bytes.end()) << "the signal's start is not in the " << capture.bytes.size()
                                        << " bytes captured";
  size_t offset = static_cast<size_t>(start - capture.bytes.begin());
  EXPECT_EQ(offset % 4, 0u);
  EXPECT_TRUE(AllZero(capture.bytes.begin(), start)) << "something sounded before the signal";
  ASSERT_GE(capture.bytes.size() - offset, signal.size()) << "the capture ends inside the signal";
  auto end = start + static_cast<std::ptrdiff_t>(signal.size());
  auto mismatch = std::mismatch(signal.begin(), signal.end(), start);
  if (mismatch.first != signal.end()) {
    // Where the rest of the signal turns up again tells a gap from a loss.
    size_t at = static_cast<size_t>(mismatch.first - signal.begin());
    size_t probe = std::min<size_t>(64, signal.size() - at);
    auto again = std::search(mismatch.second, capture.bytes.end(), mismatch.first, mismatch.first + probe);
    long shift = again == capture.bytes.end() ? 0 : static_cast<long>(again - mismatch.second);
    ADD_FAILURE() << "the capture leaves the signal at byte " << at << " of " << signal.size() << "; it goes on "
                  << (again == capture.bytes.end() ? "nowhere" : std::to_string(shift) + " bytes later");
  }
  EXPECT_TRUE(AllZero(end, capture.bytes.cend())) << "something sounded after the signal";
}

}  // namespace
