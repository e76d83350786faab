#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/delay_watch.h"
#include "engine/playback_meters.h"
#include "engine/playback_observers.h"
#include "engine/start_tick.h"
#include "platform/timers.h"
#include "platform/wave/wave_device.h"

class CMixerDoc;

// States shared with the recording engine and the recording dialog.
enum PlayerState : int32_t {
  PlayerPlaying = 2,
  PlayerRecording = 3,
  PlayerStopping = 4,
  PlayerIdle = 5,
  PlayerMonitoring = 7,
};

// The playback engine: one output device for the life of the process and two
// half-second buffers, refilled from the project's mix whenever the device hands one
// back. It has no thread: a 40 ms window timer on the interface thread services it,
// and the device callback only advances two counters.
class AudioPlayerNonThreaded : public platform::TimerOwner {
 public:
  static constexpr uint32_t kBufferBytes = 88200;  // half a second of the project format
  static constexpr unsigned kServiceTimer = 1;
  static constexpr unsigned kServicePeriodMs = 40;

  AudioPlayerNonThreaded();
  ~AudioPlayerNonThreaded() override;
  AudioPlayerNonThreaded(const AudioPlayerNonThreaded&) = delete;
  AudioPlayerNonThreaded& operator=(const AudioPlayerNonThreaded&) = delete;

  // Opens output device deviceId of the system's wave devices, paused (an index beyond
  // the devices that exist opens the default one). 1, or 0 after the failure was
  // reported.
  int SetupPlayer(PlaybackOwner* owner, unsigned deviceId);
  // Resets and closes the device (stopping a playback first); 1, or 0 on a failed close.
  int Stop();
  // Starts playback at the document's current position; 1, or 0 without a device or
  // while a playback runs.
  int Play(CMixerDoc* doc);
  // Stops playback at once; 1.
  int EndPlay();
  // Refills and requeues finished buffers; ends playback when it is over.
  void ServiceBuffers();
  // For the meters: while playing, buffer index's data and current length, 16 bits and
  // 2 channels; otherwise all 0.
  void GetBufferInfo(int index, const char** data, uint32_t* length, uint16_t* bitsPerSample, uint16_t* channels) const;

  void OnTimer(unsigned int id) override;

  // The view to tell about playback (null: none) and the meters to feed (null: the
  // mixing board's, the default).
  void SetView(PlaybackViewObserver* view) { m_view = view; }
  PlaybackViewObserver* View() const { return m_view; }
  void SetMeters(PlaybackMeterObserver* meters) { m_meters = meters ? meters : &m_boardMeters; }

  bool IsOpen() const { return m_hWaveOut != nullptr; }
  bool IsPlaying() const { return m_isPlaying; }
  int32_t State() const { return m_state; }
  uint32_t ReadPosition() const { return m_readPosition; }
  uint32_t StartPosition() const { return m_startPosition; }
  uint32_t EndPosition() const { return m_endPosition; }
  uint32_t StartTick() const { return m_startTick; }
  uint32_t StartTickSampleCount() const { return m_startTickSampleCount; }
  const uint32_t* StartTickSamples() const { return m_startTickSamples.data(); }
  uint32_t BuffersQueuedAtStart() const { return m_buffersQueuedAtStart; }
  int32_t ConsecutiveDelays() const { return m_delays.Consecutive(); }
  int32_t AccumulatedDelays() const { return m_delays.Accumulated(); }
  // Whether this playback accompanies a take: it then plays on past the end of the
  // project.
  bool PlaysForTake() const;
  // Adds an estimate of when the device began to sound to the start-tick samples, from
  // its position read now, at tick t0 (a take's session reads it together with the
  // input's; a playback alone samples itself).
  // True when the position was trusted.
  bool SampleStartTick(uint32_t t0);
  // The device callback's counters: ms of audio finished, and the multimedia time of
  // the last finished buffer.
  uint32_t PlayedMs() const { return m_playedMs.load(std::memory_order_relaxed); }
  uint32_t LastDoneTime() const { return m_lastDoneTime.load(std::memory_order_relaxed); }
  platform::WaveOutDevice* Device() const { return m_hWaveOut.get(); }

 private:
  static void DeviceCallback(platform::WaveOutDevice* device, unsigned message, void* instance,
                             platform::WaveHeader* header);
  // Fills header h with the next part of the mix; false when the delay check stopped
  // playback instead (the header is left as it was).
  bool FillBuffer(int h);
  // Counts a stall of the refills and stops playback with the failure dialog when
  // there were too many; true to go on.
  bool CheckForDelays();
  // Whether the buffers still wait for more of the mix.
  bool RefillsDue() const;
  bool HeaderDone(int h) const {
    return (m_headers[h].flags.load(std::memory_order_acquire) & platform::WHDR_DONE) != 0;
  }
  uint32_t Now() const;

  uint32_t m_readPosition = 0;
  uint32_t m_startTick = 0;
  std::array<uint32_t, kMaxStartTickSamples> m_startTickSamples{};
  uint32_t m_startTickSampleCount = 0;
  // Written by the device callback on the audio thread.
  std::atomic<uint32_t> m_playedMs{0};
  std::atomic<uint32_t> m_lastDoneTime{0};
  bool m_delayReported = false;
  DelayWatch m_delays;
  bool m_endReached = false;
  uint32_t m_endPosition = 0;
  uint32_t m_startPosition = 0;
  uint32_t m_buffersQueuedAtStart = 0;
  // Service calls spent at the end waiting for the device to sound its last bytes.
  uint32_t m_tailWaitTicks = 0;
  static constexpr uint32_t kTailWaitLimit = 50;
  int32_t m_state = PlayerIdle;
  std::array<platform::WaveHeader, 2> m_headers;
  std::array<std::vector<char>, 2> m_blocks;
  PlaybackOwner* m_owner = nullptr;
  CMixerDoc* m_doc = nullptr;
  PlaybackViewObserver* m_view = nullptr;
  // The board's meters show through the owner.
  CPlaybackMeters m_boardMeters{[this](int left, int right) {
    if (m_owner) m_owner->ShowOutputLevels(left, right);
  }};
  PlaybackMeterObserver* m_meters = &m_boardMeters;
  bool m_isPlaying = false;
  std::unique_ptr<platform::WaveOutDevice> m_hWaveOut;
  uint32_t m_bufferSize = kBufferBytes;
};
