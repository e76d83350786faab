#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CMixerApp;
namespace platform {
class Clock;
class PolledTimers;
class WaveSystem;
}  // namespace platform

// Moves the running application onto real time, real timers and the audio library's
// devices, and opens its engines on the default devices; false when they did not open.
bool UseRealDevices(CMixerApp& app, platform::Clock& clock, platform::PolledTimers& timers,
                    platform::WaveSystem& wave);

// Takes recorded from the test server's monitor of what the project's playback put into
// its sink: the take must land where the played track holds the same sound.

// Audio of bytes length: short clicks at irregular distances (no two alike), so that
// only one shift lines a stretch of it up with itself.
std::string ClickTrack(uint32_t bytes);

// The shift, in frames, of take against reference at which their left channels agree
// best over reference's frames [from, to), searched within +-maxLag frames; a positive
// shift means the take lies later. Nothing when the stretch holds no click.
std::optional<int> ResidualOffset(const std::string& reference, const std::string& take, uint32_t from, uint32_t to,
                                  int maxLag);

struct LoopbackCase {
  const char* name;
  uint32_t position;  // the record start position
  int32_t punchBegin = -1;
  int32_t punchEnd = -1;
  uint32_t seconds = 3;
};

// Records one case into track 2 of app while track 1 holds ClickTrack and plays (the
// devices must be open on the test server, the metronome off), and measures where the
// take landed. why tells what went wrong when nothing could be measured.
std::optional<int> MeasureLoopbackTake(CMixerApp& app, const LoopbackCase& loopbackCase, std::string& why);
