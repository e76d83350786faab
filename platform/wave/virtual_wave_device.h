#pragma once

// Wave devices in memory for tests, paced by a platform::Clock (a ManualClock in tests).
// Time moves only when the clock does, and a device acts on it only when it is called
// or pumped: every call first plays (or captures) what the time since the last one
// allows, at the format's byte rate, and Pump() does just that. Headers are handed back
// and callbacks run on the caller's thread, so a test sees them at a point of its choosing.

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/wave/queued_wave_device.h"

namespace platform {

class VirtualWaveSystem;

// Plays into memory: Played() holds every byte of queued data it has played since it
// was opened. Audio sounds the moment it is played, so the position is what Played()
// has gained since the last reset.
class VirtualWaveOut final : public QueuedWaveOut {
 public:
  // A silence between two stretches of played data, where the queue ran dry while the
  // device was playing: `bytes` of silence before Played()[at].
  struct Gap {
    uint64_t at;
    uint64_t bytes;
    bool operator==(const Gap&) const = default;
  };

  // deviceCount is how many device ids it accepts (0 to deviceCount - 1, WAVE_MAPPER).
  explicit VirtualWaveOut(Clock& clock, unsigned deviceCount = 1) : m_clock(clock), m_deviceCount(deviceCount) {}
  ~VirtualWaveOut() override;

  void Pump();

  const std::vector<char>& Played() const { return m_played; }
  const std::vector<Gap>& Gaps() const { return m_gaps; }
  unsigned DeviceId() const { return m_deviceId; }

 private:
  friend class VirtualWaveSystem;

  unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) override;
  void CloseDevice() override {}
  unsigned Resume() override { return MMSYSERR_NOERROR; }
  void Halt() override;
  void CatchUp() override { Pump(); }
  int64_t NowNanos() override;

  Clock& m_clock;
  unsigned m_deviceCount;
  VirtualWaveSystem* m_system = nullptr;
  unsigned m_deviceId = 0;
  uint32_t m_lastMs = 0;
  uint64_t m_frameRemainder = 0;  // thousandths of a frame carried between pumps
  int64_t m_nanos = 0;            // the device's own time since it was opened
  std::vector<char> m_scratch;
  std::vector<char> m_played;
  std::vector<Gap> m_gaps;
  uint64_t m_silence = 0;  // silence played since the last data
  bool m_playedSinceReset = false;
};

// Captures from a source function: the source is asked for every byte the device hears
// while started, whether or not a header is there to take it.
class VirtualWaveIn final : public QueuedWaveIn {
 public:
  // Fills out with the next bytes of input.
  using Source = std::function<void(char* out, uint32_t bytes)>;

  explicit VirtualWaveIn(Clock& clock, unsigned deviceCount = 1) : m_clock(clock), m_deviceCount(deviceCount) {}
  ~VirtualWaveIn() override;

  // Without a source the device hears silence.
  void SetSource(Source source) { m_source = std::move(source); }
  void Pump();

  // Input heard while no header was queued.
  uint64_t DroppedBytes() const { return m_dropped; }
  unsigned DeviceId() const { return m_deviceId; }

 private:
  friend class VirtualWaveSystem;

  unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) override;
  void CloseDevice() override {}
  unsigned Resume() override;
  void Halt() override {}
  void CatchUp() override { Pump(); }

  Clock& m_clock;
  unsigned m_deviceCount;
  VirtualWaveSystem* m_system = nullptr;
  unsigned m_deviceId = 0;
  uint32_t m_lastMs = 0;
  uint64_t m_frameRemainder = 0;
  std::vector<char> m_scratch;
  Source m_source;
  uint64_t m_dropped = 0;
};

// Named virtual devices. It keeps track of the devices it made, so that a test can reach
// the ones an engine opened. A device may outlive the system that made it.
class VirtualWaveSystem final : public WaveSystem {
 public:
  explicit VirtualWaveSystem(Clock& clock, std::vector<std::string> outputs = {"Virtual Output"},
                             std::vector<std::string> inputs = {"Virtual Input"});
  ~VirtualWaveSystem() override;
  VirtualWaveSystem(const VirtualWaveSystem&) = delete;
  VirtualWaveSystem& operator=(const VirtualWaveSystem&) = delete;

  unsigned OutputCount() override { return static_cast<unsigned>(m_outputNames.size()); }
  unsigned InputCount() override { return static_cast<unsigned>(m_inputNames.size()); }
  unsigned GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) override;
  unsigned GetInputCaps(unsigned deviceId, WaveInCaps* caps) override;
  std::unique_ptr<WaveOutDevice> CreateOutput() override;
  std::unique_ptr<WaveInDevice> CreateInput() override;

  // Every device it made catches up with the clock.
  void Pump();
  // The devices it made that still exist, oldest first.
  const std::vector<VirtualWaveOut*>& Outputs() const { return m_outputs; }
  const std::vector<VirtualWaveIn*>& Inputs() const { return m_inputs; }

 private:
  friend class VirtualWaveOut;
  friend class VirtualWaveIn;

  Clock& m_clock;
  std::vector<std::string> m_outputNames, m_inputNames;
  std::vector<VirtualWaveOut*> m_outputs;
  std::vector<VirtualWaveIn*> m_inputs;
};

}  // namespace platform
