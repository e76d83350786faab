// The stream devices with their audio on another thread: every byte written is played
// once and in order, every header comes back exactly once, whatever the interface
// thread does meanwhile. Built a second time with ThreadSanitizer, where these runs
// also prove the handover free of data races.

#include "platform/wave/stream_wave_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "tests/wave/thread_stream.h"
#include "tests/wave/wave_test_support.h"

using namespace platform;
using namespace wavetest;

namespace {

constexpr uint32_t kWrites = 600;

// What the callbacks saw, written from the audio thread.
struct Returns {
  std::array<std::atomic<int>, kWrites> perWrite{};
  std::atomic<int> doneBeforeCallback{0};
};

void CountReturn(WaveOutDevice*, unsigned message, void* instance, WaveHeader* header) {
  if (message != MM_WOM_DONE) return;
  auto* returns = static_cast<Returns*>(instance);
  // The header is still the device's while the callback runs.
  if (header->flags.load(std::memory_order_acquire) & WHDR_DONE) returns->doneBeforeCallback.fetch_add(1);
  returns->perWrite[header->user].fetch_add(1);
}

// Lengths that cross the stream's 512-byte calls at every offset, a frame and less.
uint32_t LengthOf(uint32_t serial) {
  static const uint32_t lengths[] = {1000, 37, 4096, 2, 513, 0, 88};
  return lengths[serial % 7];
}

// Guards the waiting loops against a device that stops handing headers back.
class Deadline {
 public:
  Deadline() : m_end(std::chrono::steady_clock::now() + std::chrono::seconds(20)) {}
  bool Passed() const { return std::chrono::steady_clock::now() > m_end; }

 private:
  std::chrono::steady_clock::time_point m_end;
};

class StreamWaveOutTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(device.Open(0, kProjectWaveFormat, &CountReturn, &returns), MMSYSERR_NOERROR);
    for (auto& buffer : buffers) {
      buffer = std::make_unique<TestBuffer>(4096);
      ASSERT_EQ(device.Prepare(&buffer->header), MMSYSERR_NOERROR);
    }
  }

  // Writes the next serial into buffer.
  void WriteNext(TestBuffer& buffer) {
    buffer.header.bufferLength = LengthOf(serial);
    std::vector<char> bytes = PatternBytes(serial, buffer.header.bufferLength);
    std::copy(bytes.begin(), bytes.end(), buffer.bytes.begin());
    buffer.header.user = serial;
    ASSERT_EQ(device.Write(&buffer.header), MMSYSERR_NOERROR);
    written += bytes.size();
    ++serial;
  }

  uint32_t Position() {
    uint32_t bytes = 0;
    EXPECT_EQ(device.GetPosition(&bytes), MMSYSERR_NOERROR);
    return bytes;
  }

  ThreadStreamBackend backend{512};
  StreamWaveOut device{backend};
  Returns returns;
  std::array<std::unique_ptr<TestBuffer>, 4> buffers;
  uint32_t serial = 0;
  uint64_t written = 0;
};

TEST_F(StreamWaveOutTest, PlaysEveryByteOnceAndInOrderAcrossPauses) {
  Deadline deadline;
  uint32_t last = 0;
  for (uint32_t spin = 1; serial < kWrites || device.QueuedCount() > 0; ++spin) {
    ASSERT_FALSE(deadline.Passed()) << "headers stopped coming back at write " << serial;
    for (auto& buffer : buffers)
      if (!buffer->Queued() && serial < kWrites) WriteNext(*buffer);
    if (spin % 40 == 0) {
      ASSERT_EQ(device.Pause(), MMSYSERR_NOERROR);
    }
    if (spin % 40 == 20) {
      ASSERT_EQ(device.Restart(), MMSYSERR_NOERROR);
    }
    uint32_t position = Position();
    ASSERT_GE(position, last);
    ASSERT_LE(position, written);
    last = position;
    std::this_thread::yield();
  }
  // What was played sounds in the end, and the position gets there.
  while (Position() < written) ASSERT_FALSE(deadline.Passed()) << "position stuck at " << Position();
  EXPECT_EQ(Position(), written);

  ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
  ASSERT_EQ(device.Close(), MMSYSERR_NOERROR);
  std::vector<char> played, expected;
  for (const auto& run : backend.outputRuns) played.insert(played.end(), run.begin(), run.end());
  for (uint32_t s = 0; s < kWrites; ++s) {
    std::vector<char> bytes = PatternBytes(s, LengthOf(s));
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  EXPECT_EQ(played.size(), expected.size());
  EXPECT_TRUE(played == expected) << "the played bytes differ from the written ones";
  for (uint32_t s = 0; s < kWrites; ++s) ASSERT_EQ(returns.perWrite[s].load(), 1) << "write " << s;
  EXPECT_EQ(returns.doneBeforeCallback.load(), 0);
}

TEST_F(StreamWaveOutTest, ResetHandsEveryHeaderBackOnceAndNothingOfItPlaysAfterwards) {
  std::vector<std::vector<uint32_t>> epochs(1);
  Deadline deadline;
  while (serial < kWrites) {
    ASSERT_FALSE(deadline.Passed());
    for (auto& buffer : buffers) {
      if (buffer->Queued() || serial >= kWrites) continue;
      epochs.back().push_back(serial);
      WriteNext(*buffer);
    }
    if (epochs.back().size() >= 40) {
      ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
      for (auto& buffer : buffers) ASSERT_EQ(buffer->header.flags.load(), WHDR_PREPARED | WHDR_DONE);
      ASSERT_EQ(device.QueuedCount(), 0u);
      ASSERT_EQ(Position(), 0u);
      written = 0;
      backend.BeginRun();
      epochs.emplace_back();
    }
    std::this_thread::yield();
  }
  ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
  ASSERT_EQ(device.Close(), MMSYSERR_NOERROR);
  for (uint32_t s = 0; s < kWrites; ++s) ASSERT_EQ(returns.perWrite[s].load(), 1) << "write " << s;

  // The stream ran from the open to the close, a run per epoch. Each run played whole
  // headers of its epoch in order, then perhaps the start of the one playing when
  // Reset came, and nothing more.
  ASSERT_EQ(backend.outputRuns.size(), epochs.size());
  for (size_t e = 0; e < epochs.size(); ++e) {
    const std::vector<char>& run = backend.outputRuns[e];
    size_t at = 0;
    for (uint32_t s : epochs[e]) {
      std::vector<char> bytes = PatternBytes(s, LengthOf(s));
      size_t compare = std::min(bytes.size(), run.size() - at);
      ASSERT_TRUE(std::equal(bytes.begin(), bytes.begin() + compare, run.begin() + at))
          << "epoch " << e << ", write " << s << " played wrong bytes";
      at += compare;
      if (compare < bytes.size()) break;
    }
    EXPECT_EQ(at, run.size()) << "epoch " << e << " played more than its headers held";
  }
}

TEST_F(StreamWaveOutTest, AStreamThatStoppedByItselfSaysSoAtTheNextWriteUntilOpenedAgain) {
  Deadline deadline;
  WriteNext(*buffers[0]);
  while (buffers[0]->Queued()) ASSERT_FALSE(deadline.Passed());
  // The sound server goes away while nothing plays: the write says so, and the header
  // stays queued until the reset.
  backend.deviceLost = true;
  EXPECT_EQ(device.Write(&buffers[1]->header), MMSYSERR_NODRIVER);
  ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
  EXPECT_EQ(device.QueuedCount(), 0u);
  // It is back: opened again, the device plays.
  backend.deviceLost = false;
  ASSERT_EQ(device.Close(), MMSYSERR_NOERROR);
  ASSERT_EQ(device.Open(0, kProjectWaveFormat, &CountReturn, &returns), MMSYSERR_NOERROR);
  WriteNext(*buffers[2]);
  while (buffers[2]->Queued()) ASSERT_FALSE(deadline.Passed()) << "the device did not play";
  ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
  ASSERT_EQ(device.Close(), MMSYSERR_NOERROR);
  ASSERT_EQ(backend.outputRuns.size(), 2u);
  EXPECT_EQ(backend.outputRuns[0], PatternBytes(0, LengthOf(0)));
  EXPECT_EQ(backend.outputRuns[1], PatternBytes(1, LengthOf(1)));
}

// Input: headers of 1000 bytes against stream calls of 256 bytes.
struct Captures {
  std::atomic<int> calls{0};
};

// Numbers each header in the order it comes back: the header is still the device's,
// and so the callback's to write, until it is marked done.
void CountCapture(WaveInDevice*, unsigned message, void* instance, WaveHeader* header) {
  if (message == MM_WIM_DATA) header->user = static_cast<Captures*>(instance)->calls.fetch_add(1);
}

TEST(StreamWaveInTest, StoresEveryFrameItHearsOnceAndInOrderAcrossStopsAndResets) {
  ThreadStreamBackend backend(256);
  StreamWaveIn device(backend);
  Captures captures;
  ASSERT_EQ(device.Open(0, kProjectWaveFormat, &CountCapture, &captures), MMSYSERR_NOERROR);
  std::array<std::unique_ptr<TestBuffer>, 6> buffers;
  std::array<bool, 6> added{};
  auto add = [&](size_t i) {
    ASSERT_EQ(device.AddBuffer(&buffers[i]->header), MMSYSERR_NOERROR);
    added[i] = true;
  };
  for (size_t i = 0; i < buffers.size(); ++i) {
    buffers[i] = std::make_unique<TestBuffer>(1000);
    ASSERT_EQ(device.Prepare(&buffers[i]->header), MMSYSERR_NOERROR);
    add(i);
  }

  std::vector<uint32_t> numbers;  // the frame numbers stored, in the order they came back
  uint64_t sinceReset = 0;
  int returned = 0;
  auto collect = [&](size_t i) {
    TestBuffer& buffer = *buffers[i];
    ASSERT_EQ(buffer.header.bytesRecorded % 4, 0u);
    for (uint32_t at = 0; at < buffer.header.bytesRecorded; at += 4) {
      const auto* b = reinterpret_cast<const unsigned char*>(buffer.bytes.data() + at);
      numbers.push_back(b[0] | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24);
    }
    sinceReset += buffer.header.bytesRecorded;
    added[i] = false;
    ++returned;
  };
  // Several headers may have come back since the last look: they are taken in the
  // order they came back.
  auto collectDone = [&] {
    std::vector<size_t> done;
    for (size_t i = 0; i < buffers.size(); ++i)
      if (added[i] && buffers[i]->Done()) done.push_back(i);
    std::sort(done.begin(), done.end(),
              [&](size_t a, size_t b) { return buffers[a]->header.user < buffers[b]->header.user; });
    for (size_t i : done) collect(i);
  };

  ASSERT_EQ(device.Start(), MMSYSERR_NOERROR);
  Deadline deadline;
  for (int round = 1; returned < 1500; ++round) {
    ASSERT_FALSE(deadline.Passed());
    collectDone();
    uint32_t position = 0;
    ASSERT_EQ(device.GetPosition(&position), MMSYSERR_NOERROR);
    ASSERT_GE(position, sinceReset);
    if (round % 300 == 0) {
      ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
      collectDone();
      ASSERT_EQ(device.QueuedCount(), 0u);
      ASSERT_EQ(device.GetPosition(&position), MMSYSERR_NOERROR);
      ASSERT_EQ(position, 0u);
      sinceReset = 0;
      ASSERT_EQ(device.Start(), MMSYSERR_NOERROR);
    } else if (round % 100 == 0) {
      ASSERT_EQ(device.Stop(), MMSYSERR_NOERROR);
      collectDone();
      ASSERT_EQ(device.Start(), MMSYSERR_NOERROR);
    }
    for (size_t i = 0; i < buffers.size(); ++i)
      if (!added[i]) add(i);
    std::this_thread::yield();
  }
  ASSERT_EQ(device.Reset(), MMSYSERR_NOERROR);
  collectDone();
  ASSERT_EQ(device.Close(), MMSYSERR_NOERROR);

  EXPECT_EQ(captures.calls.load(), returned);
  // Strictly rising numbers below the count heard, as many as were heard and not
  // dropped: every frame stored at most once, in order, and none lost.
  for (size_t i = 1; i < numbers.size(); ++i) ASSERT_LT(numbers[i - 1], numbers[i]) << "at frame " << i;
  ASSERT_FALSE(numbers.empty());
  EXPECT_LT(numbers.back(), backend.framesHeard);
  EXPECT_EQ(numbers.size() + backend.framesDropped, backend.framesHeard);
}

}  // namespace
