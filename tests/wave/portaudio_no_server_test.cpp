// The audio library with no sound server to reach: it must find no device, opening must
// fail with the proper result, and nothing may crash. The server is taken away before
// the library starts, so this runs as a program of its own.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/wave/portaudio_wave_system.h"

using namespace platform;

namespace {

TEST(PortAudioWithoutServerTest, FindsNoDeviceAndOpeningFailsWithTheProperResult) {
  PortAudioWaveSystem system;
  if (system.OutputCount() > 0 || system.InputCount() > 0)
    GTEST_SKIP() << "this machine has sound devices that need no server";
  EXPECT_TRUE(system.OutputNames().empty());
  EXPECT_TRUE(system.InputNames().empty());
  WaveOutCaps caps;
  EXPECT_EQ(system.GetOutputCaps(0, &caps), MMSYSERR_BADDEVICEID);

  auto output = system.CreateOutput();
  EXPECT_EQ(output->Open(0, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(output->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_NODRIVER);
  uint32_t bytes;
  EXPECT_EQ(output->GetPosition(&bytes), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(output->Close(), MMSYSERR_INVALHANDLE);

  auto input = system.CreateInput();
  EXPECT_EQ(input->Open(0, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(input->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr), MMSYSERR_NODRIVER);
  EXPECT_EQ(input->Start(), MMSYSERR_INVALHANDLE);
}

}  // namespace

int main(int argc, char** argv) {
  // A server named by a socket that does not exist: the client library neither finds
  // the test server nor starts one of its own.
  setenv("PULSE_SERVER", "unix:/nonexistent/trackwright-no-server", 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
