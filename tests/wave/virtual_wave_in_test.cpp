#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/wave/virtual_wave_device.h"
#include "tests/wave/wave_test_support.h"

using namespace platform;
using namespace wavetest;

namespace {

struct Event {
  unsigned message;
  WaveHeader* header;
  uint32_t bytesRecorded;
};

void Record(WaveInDevice*, unsigned message, void* instance, WaveHeader* header) {
  static_cast<std::vector<Event>*>(instance)->push_back({message, header, header ? header->bytesRecorded : 0});
}

class VirtualWaveInTest : public testing::Test {
 protected:
  VirtualWaveInTest() : system(clock), handle(system.CreateInput()) {
    // The source is the pattern of seed 7, byte after byte.
    Device().SetSource([this](char* out, uint32_t bytes) {
      for (uint32_t i = 0; i < bytes; ++i) out[i] = PatternByte(7, heard++);
    });
  }

  VirtualWaveIn& Device() { return *system.Inputs().at(0); }
  void OpenDevice() { ASSERT_EQ(handle->Open(0, kProjectWaveFormat, &Record, &events), MMSYSERR_NOERROR); }
  void Add(TestBuffer& buffer) {
    ASSERT_EQ(handle->Prepare(&buffer.header), MMSYSERR_NOERROR);
    ASSERT_EQ(handle->AddBuffer(&buffer.header), MMSYSERR_NOERROR);
  }
  void Hear(uint32_t ms) {
    clock.Advance(ms);
    system.Pump();
  }
  uint32_t Position() {
    uint32_t bytes = 12345;
    EXPECT_EQ(handle->GetPosition(&bytes), MMSYSERR_NOERROR);
    return bytes;
  }
  std::vector<WaveHeader*> DataHeaders() const {
    std::vector<WaveHeader*> headers;
    for (const Event& event : events)
      if (event.message == MM_WIM_DATA) headers.push_back(event.header);
    return headers;
  }

  ManualClock clock{500};
  VirtualWaveSystem system;
  std::unique_ptr<WaveInDevice> handle;
  std::vector<Event> events;
  uint64_t heard = 0;
};

TEST_F(VirtualWaveInTest, StartsStoppedAndGuardsItsQueue) {
  TestBuffer buffer(8820);
  EXPECT_EQ(handle->Start(), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(handle->Open(1, kProjectWaveFormat, &Record, &events), MMSYSERR_BADDEVICEID);
  OpenDevice();
  EXPECT_EQ(events.at(0).message, MM_WIM_OPEN);
  EXPECT_EQ(handle->AddBuffer(&buffer.header), WAVERR_UNPREPARED);
  Add(buffer);
  EXPECT_EQ(handle->AddBuffer(&buffer.header), WAVERR_STILLPLAYING);
  EXPECT_EQ(handle->Unprepare(&buffer.header), WAVERR_STILLPLAYING);
  // Not started: time passes and nothing is heard.
  Hear(1000);
  EXPECT_EQ(heard, 0u);
  EXPECT_EQ(handle->Close(), WAVERR_STILLPLAYING);
  ASSERT_EQ(handle->Reset(), MMSYSERR_NOERROR);
  EXPECT_EQ(handle->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(events.back().message, MM_WIM_CLOSE);
}

TEST_F(VirtualWaveInTest, FillsQueuedHeadersInOrderAndDropsWhatFindsNone) {
  OpenDevice();
  ASSERT_EQ(handle->Start(), MMSYSERR_NOERROR);
  Hear(100);
  EXPECT_EQ(Device().DroppedBytes(), 17640u);
  EXPECT_EQ(Position(), 0u);

  TestBuffer first(8820), second(8820);
  Add(first);
  Add(second);
  Hear(30);
  EXPECT_EQ(Position(), 5292u);
  EXPECT_TRUE(DataHeaders().empty());
  Hear(20);
  ASSERT_EQ(DataHeaders(), std::vector<WaveHeader*>{&first.header});
  EXPECT_EQ(events.back().bytesRecorded, 8820u);
  EXPECT_EQ(first.header.flags.load(), WHDR_PREPARED | WHDR_DONE);
  // What was heard after the header arrived, not the start of the input.
  EXPECT_EQ(first.Recorded(), PatternBytes(7, 8820, 17640));
  Hear(50);
  EXPECT_EQ(second.Recorded(), PatternBytes(7, 8820, 17640 + 8820));
  EXPECT_EQ(Position(), 17640u);
}

TEST_F(VirtualWaveInTest, StopHandsBackThePartlyFilledHeaderAndKeepsTheEmptyOnes) {
  OpenDevice();
  TestBuffer first(8820), second(8820);
  Add(first);
  Add(second);
  ASSERT_EQ(handle->Start(), MMSYSERR_NOERROR);
  Hear(20);
  ASSERT_EQ(handle->Stop(), MMSYSERR_NOERROR);
  ASSERT_EQ(DataHeaders(), std::vector<WaveHeader*>{&first.header});
  EXPECT_EQ(first.Recorded(), PatternBytes(7, 3528));
  EXPECT_TRUE(second.Queued());
  // Stopped, it hears nothing; started again, it fills the header still queued.
  Hear(1000);
  EXPECT_EQ(heard, 3528u);
  ASSERT_EQ(handle->Start(), MMSYSERR_NOERROR);
  Hear(50);
  EXPECT_EQ(second.Recorded(), PatternBytes(7, 8820, 3528));
  EXPECT_EQ(Position(), 12348u);
}

TEST_F(VirtualWaveInTest, ResetHandsBackEveryHeaderAndZeroesThePosition) {
  OpenDevice();
  TestBuffer first(8820), second(8820), third(8820);
  Add(first);
  Add(second);
  Add(third);
  ASSERT_EQ(handle->Start(), MMSYSERR_NOERROR);
  Hear(60);
  ASSERT_EQ(handle->Reset(), MMSYSERR_NOERROR);
  EXPECT_EQ(DataHeaders(), (std::vector<WaveHeader*>{&first.header, &second.header, &third.header}));
  EXPECT_EQ(second.header.bytesRecorded, 1764u);
  EXPECT_EQ(third.header.bytesRecorded, 0u);
  EXPECT_EQ(third.header.flags.load(), WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(Position(), 0u);
  // Reset also stops the device.
  Hear(100);
  EXPECT_EQ(heard, 10584u);
}

}  // namespace
