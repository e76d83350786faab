#pragma once

// The handover of headers between the interface thread and a device's audio thread.
// The interface thread queues headers; the audio thread takes them in order, copies
// audio out of them (playback) or into them (capture) and hands each one back when it
// is used up. The two sides meet only in atomics: no lock, no allocation and no system
// call on the audio side. A side that wants to take the queue back (Reset, Stop) first
// makes sure nothing renders or captures any more: it shuts the queue's gate, or stops
// the stream, which returns only after its callback has returned for the last time.

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/wave/position_line.h"
#include "platform/wave/wave_device.h"

namespace platform {

// Header flag rules shared by every device.
unsigned PrepareWaveHeader(WaveHeader* header);
unsigned UnprepareWaveHeader(WaveHeader* header);
// MMSYSERR_NOERROR when header may be queued now.
unsigned CheckQueueable(const WaveHeader* header);

// A fixed-capacity ring of header pointers for one producer and one consumer.
class HeaderRing {
 public:
  static constexpr uint32_t kCapacity = 64;

  // Producer side. False when the ring is full.
  bool Push(WaveHeader* header);
  // Consumer side. Null when the ring is empty.
  WaveHeader* Pop();

 private:
  std::array<WaveHeader*, kCapacity> m_slots{};
  std::atomic<uint32_t> m_head{0};  // next slot to pop, written by the consumer
  std::atomic<uint32_t> m_tail{0};  // next slot to fill, written by the producer
};

// Lets the interface thread take a queue back from a stream that goes on running, so
// that the stream's times carry on from one use to the next. While the gate is shut the
// audio side leaves the headers alone and only counts and dates what passes. The sides
// meet in two flags, as in Dekker's exclusion: the audio side says it is inside before
// it looks at the gate, the interface side shuts the gate before it looks whether the
// audio side is inside, so at least one of them sees the other.
class QueueGate {
 public:
  // Audio side: whether the headers may be used now. Leave follows either way.
  bool Enter() {
    m_inside.store(true);
    return m_open.load();
  }
  void Leave() { m_inside.store(false); }

  // Interface side. Open publishes what was queued before it.
  void Open() { m_open.store(true); }
  // Returns once the audio side has left the headers; it takes them up again only
  // after Open.
  void Shut();
  bool IsOpen() const { return m_open.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> m_open{true};
  std::atomic<bool> m_inside{false};
};

// Told about each header a queue is done with, on the side that finished it, before
// the header is marked done.
using HeaderFinished = void (*)(void* context, WaveHeader* header);

// Playback: headers in, a stream of bytes out.
class PlaybackQueue {
 public:
  PlaybackQueue(HeaderFinished finished, void* context) : m_finished(finished), m_context(context) {}
  PlaybackQueue(const PlaybackQueue&) = delete;
  PlaybackQueue& operator=(const PlaybackQueue&) = delete;

  // Set while nothing renders.
  void SetFormat(const WaveFormat& format);

  // Interface thread.
  bool Push(WaveHeader* header) { return m_ring.Push(header); }
  void SetPaused(bool paused) { m_paused.store(paused, std::memory_order_release); }
  QueueGate& Gate() { return m_gate; }

  // Audio side: fills out with bytes of audio that will sound from startNanos on (the
  // steady clock's nanoseconds, or a virtual device's own time). Queued data comes
  // first; while paused, while the gate is shut or when the queue runs dry the rest is
  // silence. Returns the bytes of queued data that went out.
  uint32_t Render(char* out, uint32_t bytes, int64_t startNanos);

  // Interface thread, while nothing renders from the headers: every queued header goes
  // back, the one playing first, and the counts start again from 0. The start times
  // are kept: the output goes on.
  void ReturnAll();
  // Interface thread, while nothing renders: the start times so far are forgotten (the
  // output starts again later, and its times with it).
  void ForgetTimes() { m_timesFrom = m_renders.load(std::memory_order_acquire); }

  // Interface thread: the bytes of queued data that have sounded by nowNanos, by the
  // line fitted through the start times Render was given (by the newest start alone
  // while there are too few of them). Silence is not counted; a later time never
  // counts less.
  uint64_t PlayedBytes(int64_t nowNanos) const;
  // The bytes of queued data handed to the device so far.
  uint64_t RenderedBytes() const { return m_rendered.load(std::memory_order_acquire) - m_renderedBefore; }

 private:
  // What one Render call put out: `count` bytes of data from `start` on, after
  // `before` bytes of data and `device` bytes of output (data and silence). `serial` is
  // the call's number while the entry is valid.
  struct RenderRecord {
    std::atomic<uint64_t> serial{~uint64_t{0}};
    std::atomic<int64_t> start{0};
    std::atomic<uint64_t> before{0};
    std::atomic<uint64_t> device{0};
    std::atomic<uint32_t> count{0};
  };
  static constexpr uint32_t kRecords = 128;

  void Finish(WaveHeader* header);
  void Publish(int64_t startNanos, uint32_t count, uint32_t bytes);

  HeaderFinished m_finished;
  void* m_context;
  HeaderRing m_ring;
  QueueGate m_gate;
  std::atomic<bool> m_paused{false};
  uint64_t m_bytesPerSecond = 176400;
  uint16_t m_blockAlign = 4;
  char m_silence = 0;

  // Owned by the audio side while it renders.
  WaveHeader* m_current = nullptr;
  uint32_t m_offset = 0;

  std::atomic<uint64_t> m_rendered{0};
  std::atomic<uint64_t> m_output{0};  // data and silence, written by the audio side only
  std::atomic<uint64_t> m_renders{0};
  std::array<RenderRecord, kRecords> m_records;
  // Interface thread: the data rendered before the last ReturnAll, and the first
  // render whose start time counts.
  uint64_t m_renderedBefore = 0;
  uint64_t m_timesFrom = 0;
  mutable HeldPosition m_heard;
};

// Capture: a stream of bytes in, filled headers out.
class CaptureQueue {
 public:
  CaptureQueue(HeaderFinished finished, void* context) : m_finished(finished), m_context(context) {}
  CaptureQueue(const CaptureQueue&) = delete;
  CaptureQueue& operator=(const CaptureQueue&) = delete;

  // Interface thread.
  bool Push(WaveHeader* header) { return m_ring.Push(header); }
  QueueGate& Gate() { return m_gate; }

  // Set while nothing captures.
  void SetFormat(const WaveFormat& format);

  // Audio side: copies bytes of input (silence when in is null) into the queued
  // headers and hands back each one that is full. Input that finds no header, or comes
  // while the gate is shut, is dropped. startNanos, when not negative, is the time (the
  // steady clock's nanoseconds) at which the first of the bytes was at the converter.
  // Returns the bytes stored.
  uint32_t Capture(const char* in, uint32_t bytes, int64_t startNanos = -1);

  // Interface thread, while nothing captures into the headers: the header being filled
  // goes back with what it holds, unless it holds nothing.
  void ReturnCurrent();
  // Interface thread, while nothing captures into the headers: every queued header goes
  // back and the count starts again from 0. The times of the input are kept: the input
  // goes on.
  void ReturnAll();

  // Interface thread, while nothing captures: the times of the input so far are
  // forgotten (the input starts again later, and its times with it).
  void ForgetTimes();

  // The bytes stored into headers since the last ReturnAll.
  uint64_t CapturedBytes() const { return m_captured.load(std::memory_order_acquire) - m_capturedBefore; }
  // The bytes the converter has taken in by nowNanos, by the line fitted through the
  // times of the input (by the newest time alone while there are too few of them): at
  // least those stored, and, while the gate is open, those that have passed it since
  // the last stored byte and are still on their way; a later time never counts less.
  // Without the times of the input, the bytes stored.
  uint64_t ConverterBytes(int64_t nowNanos) const;

 private:
  // When the byte before `input` (counting all input, stored or not) passed the
  // converter, and the bytes stored by then. `serial` is the number of the time while
  // the entry is valid.
  struct TimeRecord {
    std::atomic<uint64_t> serial{~uint64_t{0}};
    std::atomic<uint64_t> input{0};
    std::atomic<uint64_t> captured{0};
    std::atomic<int64_t> end{0};
  };
  static constexpr uint32_t kTimeRecords = 128;

  void Finish(WaveHeader* header, uint32_t bytes);
  void PublishTime(uint64_t input, uint64_t captured, int64_t endNanos);

  HeaderFinished m_finished;
  void* m_context;
  HeaderRing m_ring;
  QueueGate m_gate;

  // Owned by the audio side while it captures.
  WaveHeader* m_current = nullptr;
  uint32_t m_offset = 0;

  std::atomic<uint64_t> m_captured{0};
  uint64_t m_bytesPerSecond = 176400;
  uint16_t m_blockAlign = 4;
  // All input and its times, written by the audio side.
  std::atomic<uint64_t> m_input{0};
  std::atomic<uint64_t> m_times{0};
  std::array<TimeRecord, kTimeRecords> m_timeRecords;
  // Interface thread: the bytes stored before the last ReturnAll, and the first time
  // that counts.
  uint64_t m_capturedBefore = 0;
  uint64_t m_timesFrom = 0;
  mutable HeldPosition m_converted;
};

}  // namespace platform
