#include "platform/portaudio_wave_devices.h"

#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {

// The library's host layers print pages of probing noise (missing sound cards, no
// JACK server) while it starts; that output is dropped, the result is not.
bool InitializeQuietly() {
  std::fflush(stderr);
  int saved = dup(STDERR_FILENO);
  int null = open("/dev/null", O_WRONLY);
  if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  bool started = Pa_Initialize() == paNoError;
  std::fflush(stderr);
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  if (null >= 0) close(null);
  return started;
}

}  // namespace

bool StartPortAudio() {
  static const bool started = InitializeQuietly();
  return started;
}

namespace {

std::vector<std::string> DeviceNames(bool outputs) {
  std::vector<std::string> names;
  if (!StartPortAudio()) return names;
  int count = Pa_GetDeviceCount();
  for (int index = 0; index < count; ++index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (!info) continue;
    int channels = outputs ? info->maxOutputChannels : info->maxInputChannels;
    if (channels > 0) names.emplace_back(info->name ? info->name : "");
  }
  return names;
}

}  // namespace

std::vector<std::string> PortAudioWaveDevices::OutputNames() {
  return DeviceNames(true);
}
std::vector<std::string> PortAudioWaveDevices::InputNames() {
  return DeviceNames(false);
}

}  // namespace platform
