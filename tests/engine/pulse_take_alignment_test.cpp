// Takes recorded for real through the audio library: the project's track 1 holds
// clicks and plays into the test server's null sink while track 2 records the sink's
// monitor; the take must land within 1 ms (44 samples) of the clicks, and the test
// prints where it landed. Needs the server of scripts/pulse-test-server.sh; without it
// the test is skipped.
//
// A null sink's monitor hears the audio when the sink takes it, which is the sink's
// latency (tens of milliseconds, and varying) before the sink counts it as played. A
// stream of silence that asks for a latency of a millisecond holds the sink's latency
// down (to half a millisecond) while the test runs, so that the monitor hears what
// sounds when it sounds.
//
// Where a take lands rests on the times the library gives for the sink's and the
// monitor's buffers, which jitter by milliseconds from one buffer to the next: the
// sink's drift later and later between the server's timing reports and fall back at
// each, the monitor's come in a long piece and a short one per read, the short one
// dated some 1.5 ms early. The devices read their positions from lines fitted through
// many buffers' times, each counting as much as the audio it dates (platform/wave/
// position_line.h). A stream's times are off by up to some milliseconds for its first
// seconds; the devices' streams run from their open on, and the test records once they
// have run for ten seconds, as a musician's takes come. On the test server 57 takes so
// made, 12 of them with two busy loops beside them, all landed within 19 samples.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "platform/wave/portaudio_wave_system.h"
#include "tests/support/document_fixture.h"
#include "tests/engine/loopback_take.h"
#include "tests/support/prerequisites.h"

namespace {

constexpr uint32_t kSecond = 176400;
constexpr int kLimitSamples = 44;

class PulseTakeAlignmentTest : public DocumentTest {
 protected:
  void SetUp() override {
    REQUIRE_TEST_SERVER();
    DocumentTest::SetUp();
    LoadTrack(0, ClickTrack(10 * kSecond));
    const char* argv[] = {"pacat", "--playback", "--latency-msec=1", "--rate=44100", "--channels=2",
                          "--format=s16le", "/dev/zero", nullptr};
    ASSERT_EQ(posix_spawnp(&m_silence, "pacat", nullptr, nullptr, const_cast<char**>(argv), environ), 0)
        << "pacat (pulseaudio-utils) is needed";
    ASSERT_TRUE(UseRealDevices(*app, clock, timers, wave));
    // The streams' times settle.
    std::this_thread::sleep_for(std::chrono::seconds(10));
  }
  void TearDown() override {
    app.reset();
    if (m_silence > 0) {
      kill(m_silence, SIGTERM);
      waitpid(m_silence, nullptr, 0);
    }
  }

  pid_t m_silence = 0;
  platform::SteadyClock clock;
  platform::PolledTimers timers{clock};
  platform::PortAudioWaveSystem wave;
};

TEST_F(PulseTakeAlignmentTest, TakesLandWhereTheClicksWereHeard) {
  const LoopbackCase cases[] = {
      {"at the project start", 0},
      {"from the middle", 3 * kSecond + 4000},
      {"punched in between markers", kSecond, 4 * kSecond, 6 * kSecond, 6},
  };
  for (const LoopbackCase& loopbackCase : cases) {
    std::string why;
    const std::optional<int> offset = MeasureLoopbackTake(*app, loopbackCase, why);
    ASSERT_TRUE(offset.has_value()) << loopbackCase.name << ": " << why;
    std::cout << "residual offset " << loopbackCase.name << ": " << *offset << " samples\n";
    EXPECT_LE(std::abs(*offset), kLimitSamples) << loopbackCase.name;
    for (const std::string& shown : system->dialogs.shown) EXPECT_NE(shown, "audio_failure_dialog") << loopbackCase.name;
  }
}

}  // namespace
