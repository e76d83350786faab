#include "tests/wave/thread_stream.h"

#include <chrono>
#include <cstring>

namespace wavetest {

using namespace platform;

namespace {

// A derived stream stops the thread in its own destructor, while Call() still exists.
class ThreadStream : public AudioStream {
 public:
  explicit ThreadStream(const std::atomic<bool>& lost) : m_lost(lost) {}
  unsigned Start() override {
    if (m_thread.joinable()) return MMSYSERR_ERROR;
    if (m_lost.load()) return MMSYSERR_NODRIVER;
    m_stop.store(false);
    BeforeRun();
    m_thread = std::thread([this] {
      while (!m_stop.load(std::memory_order_acquire) && !m_lost.load()) {
        Call();
        // A real device waits for its hardware here; a short pause lets the other side in.
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
    });
    return MMSYSERR_NOERROR;
  }
  void Stop() override {
    if (!m_thread.joinable()) return;
    m_stop.store(true, std::memory_order_release);
    m_thread.join();
  }
  bool IsRunning() const override { return m_thread.joinable() && !m_lost.load(); }

 protected:
  virtual void BeforeRun() {}
  virtual void Call() = 0;

 private:
  const std::atomic<bool>& m_lost;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace

class ThreadOutputStream final : public ThreadStream {
 public:
  ThreadOutputStream(ThreadStreamBackend& backend, PlaybackQueue& queue)
      : ThreadStream(backend.deviceLost), m_backend(backend), m_queue(queue), m_buffer(backend.m_bytesPerCall) {}
  ~ThreadOutputStream() override { Stop(); }

 private:
  void BeforeRun() override { m_backend.outputRuns.emplace_back(); }
  void Call() override {
    std::lock_guard lock(m_backend.m_runs);
    // Sounds two milliseconds from now, like a device with a short buffer.
    uint32_t data = m_queue.Render(m_buffer.data(), static_cast<uint32_t>(m_buffer.size()), SteadyNanos() + 2000000);
    std::vector<char>& run = m_backend.outputRuns.back();
    run.insert(run.end(), m_buffer.begin(), m_buffer.begin() + data);
  }

  ThreadStreamBackend& m_backend;
  PlaybackQueue& m_queue;
  std::vector<char> m_buffer;
};

class ThreadInputStream final : public ThreadStream {
 public:
  ThreadInputStream(ThreadStreamBackend& backend, CaptureQueue& queue)
      : ThreadStream(backend.deviceLost),
        m_backend(backend),
        m_queue(queue),
        m_buffer(backend.m_bytesPerCall / 4 * 4) {}
  ~ThreadInputStream() override { Stop(); }

 private:
  void Call() override {
    uint32_t frames = static_cast<uint32_t>(m_buffer.size() / 4);
    for (uint32_t i = 0; i < frames; ++i) {
      uint32_t number = m_backend.framesHeard + i;
      char bytes[4] = {char(number), char(number >> 8), char(number >> 16), char(number >> 24)};
      std::memcpy(m_buffer.data() + 4 * i, bytes, 4);
    }
    uint32_t stored = m_queue.Capture(m_buffer.data(), static_cast<uint32_t>(m_buffer.size()));
    m_backend.framesHeard += frames;
    m_backend.framesDropped += frames - stored / 4;
  }

  ThreadStreamBackend& m_backend;
  CaptureQueue& m_queue;
  std::vector<char> m_buffer;
};

unsigned ThreadStreamBackend::OpenOutputStream(unsigned deviceId, const WaveFormat&, PlaybackQueue& queue,
                                               std::unique_ptr<AudioStream>* stream) {
  if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  *stream = std::make_unique<ThreadOutputStream>(*this, queue);
  return MMSYSERR_NOERROR;
}

unsigned ThreadStreamBackend::OpenInputStream(unsigned deviceId, const WaveFormat&, CaptureQueue& queue,
                                              std::unique_ptr<AudioStream>* stream) {
  if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  *stream = std::make_unique<ThreadInputStream>(*this, queue);
  return MMSYSERR_NOERROR;
}

}  // namespace wavetest
