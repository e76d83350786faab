#pragma once

// The part of a device that every backend shares: the handle's state, the header rules,
// the callbacks and the queue. A backend supplies where the audio goes (or comes from)
// and when rendering runs.

#include <atomic>

#include "platform/wave/wave_device.h"
#include "platform/wave/wave_queue.h"

namespace platform {

class QueuedWaveOut : public WaveOutDevice {
 public:
  QueuedWaveOut();

  unsigned Open(unsigned deviceId, const WaveFormat& format, WaveOutCallback callback, void* instance) final;
  unsigned Close() final;
  unsigned Prepare(WaveHeader* header) final;
  unsigned Unprepare(WaveHeader* header) final;
  unsigned Write(WaveHeader* header) final;
  unsigned Pause() final;
  unsigned Restart() final;
  unsigned Reset() final;
  unsigned GetPosition(uint32_t* bytes) final;

  bool IsOpen() const { return m_open; }
  bool IsPaused() const { return m_paused; }
  const WaveFormat& Format() const { return m_format; }
  // Headers written and not yet handed back.
  unsigned QueuedCount() const { return m_queued.load(std::memory_order_acquire); }

 protected:
  // Opens the backend's side; the queue has the format already.
  virtual unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) = 0;
  // Called after Halt, when the handle closes.
  virtual void CloseDevice() = 0;
  // Rendering is wanted: the device is unpaused and has headers queued.
  virtual unsigned Resume() = 0;
  // Returns once nothing renders and nothing will until the next Resume.
  virtual void Halt() = 0;
  // Lets a device that keeps its own time render what is due before a call acts.
  virtual void CatchUp() {}
  // The time Render's start times are measured in.
  virtual int64_t NowNanos() = 0;

  // For the derived destructor: halts and closes an open device without callbacks
  // (the client may be gone by then).
  void Shutdown();

  PlaybackQueue& Queue() { return m_queue; }

 private:
  static void OnFinished(void* context, WaveHeader* header);

  PlaybackQueue m_queue;
  bool m_open = false;
  bool m_paused = false;
  WaveFormat m_format;
  WaveOutCallback m_callback = nullptr;
  void* m_instance = nullptr;
  std::atomic<unsigned> m_queued{0};
};

class QueuedWaveIn : public WaveInDevice {
 public:
  QueuedWaveIn();

  unsigned Open(unsigned deviceId, const WaveFormat& format, WaveInCallback callback, void* instance) final;
  unsigned Close() final;
  unsigned Prepare(WaveHeader* header) final;
  unsigned Unprepare(WaveHeader* header) final;
  unsigned AddBuffer(WaveHeader* header) final;
  unsigned Start() final;
  unsigned Stop() final;
  unsigned Reset() final;
  unsigned GetPosition(uint32_t* bytes) final;
  unsigned GetConverterPosition(uint32_t* bytes) final;

  bool IsOpen() const { return m_open; }
  bool IsStarted() const { return m_started; }
  const WaveFormat& Format() const { return m_format; }
  unsigned QueuedCount() const { return m_queued.load(std::memory_order_acquire); }

 protected:
  virtual unsigned OpenDevice(unsigned deviceId, const WaveFormat& format) = 0;
  virtual void CloseDevice() = 0;
  // Capturing begins.
  virtual unsigned Resume() = 0;
  // Returns once nothing captures and nothing will until the next Resume.
  virtual void Halt() = 0;
  virtual void CatchUp() {}

  void Shutdown();

  CaptureQueue& Queue() { return m_queue; }

 private:
  static void OnFinished(void* context, WaveHeader* header);

  CaptureQueue m_queue;
  bool m_open = false;
  bool m_started = false;
  WaveFormat m_format;
  WaveInCallback m_callback = nullptr;
  void* m_instance = nullptr;
  std::atomic<unsigned> m_queued{0};
};

}  // namespace platform
