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
  void* instance;
  WaveHeader* header;
  uint32_t flagsSeen;  // the header's flags while the callback ran
};

void Record(WaveOutDevice*, unsigned message, void* instance, WaveHeader* header) {
  auto* events = static_cast<std::vector<Event>*>(instance);
  events->push_back({message, instance, header, header ? header->flags.load() : 0});
}

std::vector<WaveHeader*> DoneHeaders(const std::vector<Event>& events) {
  std::vector<WaveHeader*> headers;
  for (const Event& event : events)
    if (event.message == MM_WOM_DONE) headers.push_back(event.header);
  return headers;
}

class VirtualWaveOutTest : public testing::Test {
 protected:
  VirtualWaveOutTest() : system(clock, {"Speakers", "Headphones"}, {"Mic"}), handle(system.CreateOutput()) {}

  VirtualWaveOut& Device() { return *system.Outputs().at(0); }
  void OpenDevice() { ASSERT_EQ(handle->Open(0, kProjectWaveFormat, &Record, &events), MMSYSERR_NOERROR); }
  void Queue(TestBuffer& buffer) {
    ASSERT_EQ(handle->Prepare(&buffer.header), MMSYSERR_NOERROR);
    ASSERT_EQ(handle->Write(&buffer.header), MMSYSERR_NOERROR);
  }
  void Play(uint32_t ms) {
    clock.Advance(ms);
    system.Pump();
  }
  uint32_t Position() {
    uint32_t bytes = 12345;
    EXPECT_EQ(handle->GetPosition(&bytes), MMSYSERR_NOERROR);
    return bytes;
  }

  ManualClock clock{1000};
  VirtualWaveSystem system;
  std::unique_ptr<WaveOutDevice> handle;
  std::vector<Event> events;
};

TEST_F(VirtualWaveOutTest, DeviceIdsFormatsAndTheDeviceList) {
  EXPECT_EQ(system.OutputNames(), (std::vector<std::string>{"Speakers", "Headphones"}));
  WaveOutCaps caps;
  EXPECT_EQ(system.GetOutputCaps(WAVE_MAPPER, &caps), MMSYSERR_NOERROR);
  EXPECT_EQ(caps.productName, "Speakers");
  EXPECT_EQ(system.GetOutputCaps(2, &caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(handle->Open(2, kProjectWaveFormat, &Record, &events), MMSYSERR_BADDEVICEID);
  WaveFormat wrongBlock = kProjectWaveFormat, notPcm = kProjectWaveFormat;
  wrongBlock.blockAlign = 2;
  notPcm.formatTag = 3;
  EXPECT_EQ(handle->Open(1, wrongBlock, &Record, &events), WAVERR_BADFORMAT);
  EXPECT_EQ(handle->Open(1, notPcm, &Record, &events), WAVERR_BADFORMAT);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(handle->Open(1, WaveFormat{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8}, &Record, &events), MMSYSERR_NOERROR);
  EXPECT_EQ(Device().DeviceId(), 1u);

  VirtualWaveSystem none(clock, {}, {});
  auto output = none.CreateOutput();
  EXPECT_EQ(output->Open(0, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(output->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_NODRIVER);
}

TEST_F(VirtualWaveOutTest, BadCallsGiveTheirResults) {
  TestBuffer buffer(400), other(400);
  uint32_t bytes;
  EXPECT_EQ(handle->Write(&buffer.header), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(handle->Reset(), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(handle->GetPosition(&bytes), MMSYSERR_INVALHANDLE);
  OpenDevice();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].message, MM_WOM_OPEN);
  EXPECT_EQ(events[0].instance, &events);
  EXPECT_EQ(handle->Open(0, kProjectWaveFormat, &Record, &events), MMSYSERR_ALLOCATED);
  EXPECT_EQ(handle->GetPosition(nullptr), MMSYSERR_INVALPARAM);
  EXPECT_EQ(handle->Write(nullptr), MMSYSERR_INVALPARAM);
  EXPECT_EQ(handle->Write(&buffer.header), WAVERR_UNPREPARED);
  EXPECT_EQ(handle->Unprepare(&buffer.header), MMSYSERR_NOERROR);
  WaveHeader noData;
  noData.bufferLength = 4;
  EXPECT_EQ(handle->Prepare(&noData), MMSYSERR_INVALPARAM);

  Queue(buffer);
  EXPECT_EQ(buffer.header.flags.load(), WHDR_PREPARED | WHDR_INQUEUE);
  EXPECT_EQ(handle->Write(&buffer.header), WAVERR_STILLPLAYING);
  EXPECT_EQ(handle->Unprepare(&buffer.header), WAVERR_STILLPLAYING);
  EXPECT_EQ(handle->Close(), WAVERR_STILLPLAYING);
  Play(10);
  EXPECT_EQ(buffer.header.flags.load(), WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(handle->Unprepare(&buffer.header), MMSYSERR_NOERROR);
  EXPECT_EQ(buffer.header.flags.load(), WHDR_DONE);

  EXPECT_EQ(handle->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(events.back().message, MM_WOM_CLOSE);
  EXPECT_EQ(handle->Write(&other.header), MMSYSERR_INVALHANDLE);
  // A reopened device starts from nothing.
  OpenDevice();
  EXPECT_EQ(Position(), 0u);
  EXPECT_TRUE(Device().Played().empty());
}

TEST_F(VirtualWaveOutTest, QueueHoldsSixtyFourHeaders) {
  OpenDevice();
  ASSERT_EQ(handle->Pause(), MMSYSERR_NOERROR);
  std::vector<std::unique_ptr<TestBuffer>> buffers;
  for (int i = 0; i < 65; ++i) {
    buffers.push_back(std::make_unique<TestBuffer>(4));
    ASSERT_EQ(handle->Prepare(&buffers.back()->header), MMSYSERR_NOERROR);
  }
  for (int i = 0; i < 64; ++i) ASSERT_EQ(handle->Write(&buffers[i]->header), MMSYSERR_NOERROR);
  EXPECT_EQ(handle->Write(&buffers[64]->header), MMSYSERR_NOMEM);
  EXPECT_FALSE(buffers[64]->Queued());
  ASSERT_EQ(handle->Reset(), MMSYSERR_NOERROR);
  EXPECT_EQ(DoneHeaders(events).size(), 64u);
}

TEST_F(VirtualWaveOutTest, PlaysAtTheByteRateAndHandsBackUsedUpHeaders) {
  OpenDevice();
  TestBuffer first(88200), second(88200);
  Fill(first, 1);
  Fill(second, 2);
  Queue(first);
  Queue(second);
  Play(250);
  EXPECT_EQ(Position(), 44100u);
  EXPECT_EQ(Device().Played(), PatternBytes(1, 44100));
  EXPECT_TRUE(DoneHeaders(events).empty());

  Play(250);
  EXPECT_EQ(Position(), 88200u);
  ASSERT_EQ(DoneHeaders(events), std::vector<WaveHeader*>{&first.header});
  EXPECT_EQ(events.back().instance, &events);
  // The callback runs before the header is marked done.
  EXPECT_EQ(events.back().flagsSeen, WHDR_PREPARED | WHDR_INQUEUE);
  EXPECT_TRUE(first.Done());

  // Past the end of what was queued the position stops.
  Play(700);
  EXPECT_EQ(Position(), 176400u);
  EXPECT_EQ(DoneHeaders(events), (std::vector<WaveHeader*>{&first.header, &second.header}));
  EXPECT_EQ(Device().Played(), Concat({PatternBytes(1, 88200), PatternBytes(2, 88200)}));
  EXPECT_TRUE(Device().Gaps().empty());
}

TEST_F(VirtualWaveOutTest, KeepsTheFractionsOfFramesOfManySmallSteps) {
  OpenDevice();
  TestBuffer buffer(200000);
  Queue(buffer);
  // 44.1 frames a millisecond: a thousand 1 ms steps are 44100 frames, not 44000.
  for (int ms = 0; ms < 1000; ++ms) Play(1);
  EXPECT_EQ(Position(), 176400u);
}

TEST_F(VirtualWaveOutTest, PauseHoldsPlaybackWhereItIsUntilRestart) {
  OpenDevice();
  // Paused before the first write, as the playback engine opens it.
  ASSERT_EQ(handle->Pause(), MMSYSERR_NOERROR);
  TestBuffer buffer(88200);
  Fill(buffer, 3);
  Queue(buffer);
  Play(1000);
  EXPECT_EQ(Position(), 0u);
  ASSERT_EQ(handle->Restart(), MMSYSERR_NOERROR);
  Play(100);
  ASSERT_EQ(handle->Pause(), MMSYSERR_NOERROR);
  Play(5000);
  EXPECT_EQ(Position(), 17640u);
  ASSERT_EQ(handle->Restart(), MMSYSERR_NOERROR);
  EXPECT_EQ(handle->Restart(), MMSYSERR_NOERROR);
  Play(400);
  EXPECT_EQ(Position(), 88200u);
  EXPECT_EQ(Device().Played(), PatternBytes(3, 88200));
  EXPECT_TRUE(Device().Gaps().empty());
}

TEST_F(VirtualWaveOutTest, ResetHandsBackEveryQueuedHeaderInOrder) {
  OpenDevice();
  TestBuffer first(88200), second(88200), third(88200);
  Fill(first, 1);
  Queue(first);
  Queue(second);
  Queue(third);
  Play(100);
  ASSERT_EQ(handle->Reset(), MMSYSERR_NOERROR);
  EXPECT_EQ(DoneHeaders(events), (std::vector<WaveHeader*>{&first.header, &second.header, &third.header}));
  for (TestBuffer* buffer : {&first, &second, &third})
    EXPECT_EQ(buffer->header.flags.load(), WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(Position(), 0u);
  Play(1000);
  EXPECT_EQ(Device().Played(), PatternBytes(1, 17640));

  // The next header plays from its start, counted from 0; the silence since the reset
  // is no gap.
  TestBuffer next(8820);
  Fill(next, 4);
  Queue(next);
  Play(50);
  EXPECT_EQ(Position(), 8820u);
  EXPECT_EQ(Device().Played(), Concat({PatternBytes(1, 17640), PatternBytes(4, 8820)}));
  EXPECT_TRUE(Device().Gaps().empty());

  // A paused device stays paused.
  ASSERT_EQ(handle->Pause(), MMSYSERR_NOERROR);
  ASSERT_EQ(handle->Reset(), MMSYSERR_NOERROR);
  Queue(next);
  Play(100);
  EXPECT_FALSE(next.Done());
}

TEST_F(VirtualWaveOutTest, AnUnderrunIsSilenceThatThePositionDoesNotCount) {
  OpenDevice();
  TestBuffer first(17640), second(17640);
  Fill(first, 1);
  Fill(second, 2);
  Queue(first);
  Play(300);
  Queue(second);
  Play(100);
  EXPECT_EQ(Position(), 35280u);
  EXPECT_EQ(Device().Played(), Concat({PatternBytes(1, 17640), PatternBytes(2, 17640)}));
  EXPECT_EQ(Device().Gaps(), (std::vector<VirtualWaveOut::Gap>{{17640, 35280}}));
}

TEST_F(VirtualWaveOutTest, HeadersOfAnyLengthPlayBackToBack) {
  OpenDevice();
  TestBuffer odd(7), empty(0), rest(5);
  Fill(odd, 1);
  Fill(rest, 3);
  for (TestBuffer* buffer : {&odd, &empty, &rest}) Queue(*buffer);
  Play(1);
  EXPECT_EQ(DoneHeaders(events), (std::vector<WaveHeader*>{&odd.header, &empty.header, &rest.header}));
  EXPECT_EQ(Device().Played(), Concat({PatternBytes(1, 7), PatternBytes(3, 5)}));
  EXPECT_EQ(Position(), 12u);
}

}  // namespace
