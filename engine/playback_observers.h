#pragma once

#include <cstdint>

class AudioPlayerNonThreaded;

// What the playback engine tells the waveform view. The window implements it over
// its view; without one the engine plays all the same (the command line).
class PlaybackViewObserver {
 public:
  virtual ~PlaybackViewObserver() = default;
  // Playback or monitoring has started: the view starts its own 40 ms timer for the
  // play line and the meters. The playback engine services its buffers from a timer
  // of its own, not from the view's.
  virtual void StartPlayTimer() = 0;
  // The play line runs from start to end (byte positions), following the clock.
  virtual void StartPlayLine(uint32_t start, uint32_t end) = 0;
  virtual void StopPlayLine() = 0;
  // Playback has stopped and the tracks stand at the current position again.
  virtual void RefreshClocks() {}
  // A transport command (Rewind, Fast Forward) moved the current position there: the
  // view brings it into sight.
  virtual void ShowPosition(uint32_t /*position*/) {}
};

// The output meters of the mixing board, fed from the engine's buffers.
class PlaybackMeterObserver {
 public:
  virtual ~PlaybackMeterObserver() = default;
  // Playback starts: the meters follow this player's buffers.
  virtual void AttachPlayer(AudioPlayerNonThreaded& player) = 0;
  // Playback stops: the meters drop to 0.
  virtual void DetachPlayer() = 0;
  // Every 40 ms while playing.
  virtual void UpdateMeters() = 0;
};

// What the playback engine asks of the program that owns it. Without one (a test) the
// engine stops itself and keeps its estimates to itself.
class PlaybackOwner {
 public:
  virtual ~PlaybackOwner() = default;
  // The tracks have played out, or delays broke the playback: the owner stops the
  // transport, which stops the engine.
  virtual void StopPlayback() = 0;
  // The estimated start tick (engine/start_tick.h) at which the last playback began to
  // sound; 0 from each start until its stop.
  virtual void SetPlayStartEstimate(uint32_t tick) = 0;
  // The output levels (0..99) for the mixing board's meters.
  virtual void ShowOutputLevels(int left, int right) = 0;
};
