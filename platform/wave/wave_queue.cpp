#include "platform/wave/wave_queue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

namespace platform {

namespace {

// Sets WHDR_DONE and clears WHDR_INQUEUE in one step; publishes everything written to
// the header (and by the callback) before it.
void MarkDone(WaveHeader* header) {
  uint32_t flags = header->flags.load(std::memory_order_relaxed);
  while (!header->flags.compare_exchange_weak(flags, (flags | WHDR_DONE) & ~WHDR_INQUEUE, std::memory_order_release,
                                              std::memory_order_relaxed)) {
  }
}

bool HasData(const WaveHeader* header) {
  return header->data != nullptr || header->bufferLength == 0;
}

// Reads the records of a ring that `written` records have gone into, newest first,
// while they are whole and not older than record `from`: copy(record) takes a record's
// fields, and keep(copied, n) is given them once the record's serial shows it was not
// rewritten meanwhile, n counting from 0 for the newest. Returns how many were kept.
template <typename Record, size_t N, typename Copy, typename Keep>
size_t ReadNewestFirst(const std::array<Record, N>& ring, uint64_t written, uint64_t from, Copy&& copy, Keep&& keep) {
  size_t count = 0;
  const uint64_t valid = written > from ? written - from : 0;
  for (uint64_t back = 1; back <= valid && back <= N; ++back, ++count) {
    const uint64_t serial = written - back;
    const Record& record = ring[serial % N];
    if (record.serial.load() != serial) break;
    const auto copied = copy(record);
    if (record.serial.load() != serial) break;
    keep(copied, count);
  }
  return count;
}

}  // namespace

unsigned PrepareWaveHeader(WaveHeader* header) {
  if (!header || !HasData(header)) return MMSYSERR_INVALPARAM;
  header->flags.fetch_or(WHDR_PREPARED, std::memory_order_relaxed);
  return MMSYSERR_NOERROR;
}

unsigned UnprepareWaveHeader(WaveHeader* header) {
  if (!header) return MMSYSERR_INVALPARAM;
  uint32_t flags = header->flags.load(std::memory_order_acquire);
  if (flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->flags.fetch_and(~WHDR_PREPARED, std::memory_order_relaxed);
  return MMSYSERR_NOERROR;
}

unsigned CheckQueueable(const WaveHeader* header) {
  if (!header || !HasData(header)) return MMSYSERR_INVALPARAM;
  uint32_t flags = header->flags.load(std::memory_order_acquire);
  if (!(flags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (flags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  return MMSYSERR_NOERROR;
}

void QueueGate::Shut() {
  m_open.store(false);
  // A render or capture takes microseconds.
  while (m_inside.load()) std::this_thread::yield();
}

bool HeaderRing::Push(WaveHeader* header) {
  uint32_t tail = m_tail.load(std::memory_order_relaxed);
  if (tail - m_head.load(std::memory_order_acquire) == kCapacity) return false;
  m_slots[tail % kCapacity] = header;
  m_tail.store(tail + 1, std::memory_order_release);
  return true;
}

WaveHeader* HeaderRing::Pop() {
  uint32_t head = m_head.load(std::memory_order_relaxed);
  if (head == m_tail.load(std::memory_order_acquire)) return nullptr;
  WaveHeader* header = m_slots[head % kCapacity];
  m_head.store(head + 1, std::memory_order_release);
  return header;
}

void PlaybackQueue::SetFormat(const WaveFormat& format) {
  m_bytesPerSecond = format.avgBytesPerSec;
  m_blockAlign = format.blockAlign ? format.blockAlign : 1;
  // Unsigned 8-bit samples are silent at their midpoint.
  m_silence = format.bitsPerSample == 8 ? static_cast<char>(0x80) : 0;
}

void PlaybackQueue::Finish(WaveHeader* header) {
  if (m_finished) m_finished(m_context, header);
  MarkDone(header);
}

uint32_t PlaybackQueue::Render(char* out, uint32_t bytes, int64_t startNanos) {
  uint32_t filled = 0;
  if (m_gate.Enter() && !m_paused.load(std::memory_order_acquire)) {
    while (filled < bytes) {
      if (!m_current) {
        m_current = m_ring.Pop();
        m_offset = 0;
        if (!m_current) break;
      }
      uint32_t take = std::min(m_current->bufferLength - m_offset, bytes - filled);
      if (take) std::memcpy(out + filled, m_current->data + m_offset, take);
      filled += take;
      m_offset += take;
      if (m_offset == m_current->bufferLength) {
        WaveHeader* used = m_current;
        m_current = nullptr;
        Finish(used);
      }
    }
  }
  if (filled < bytes) std::memset(out + filled, m_silence, bytes - filled);
  Publish(startNanos, filled, bytes);
  // After the counts: the interface side takes them as they stand once it is out.
  m_gate.Leave();
  return filled;
}

void PlaybackQueue::Publish(int64_t startNanos, uint32_t count, uint32_t bytes) {
  // A sequence lock per entry: the serial is invalid while the entry is rewritten, so
  // a reader that raced with the rewrite sees a changed serial and leaves the entry.
  // The entry's accesses are sequentially consistent (a handful per call), which makes
  // that so without fences.
  uint64_t serial = m_renders.load(std::memory_order_relaxed);
  uint64_t before = m_rendered.load(std::memory_order_relaxed);
  uint64_t device = m_output.load(std::memory_order_relaxed);
  RenderRecord& record = m_records[serial % kRecords];
  record.serial.store(~uint64_t{0});
  record.start.store(startNanos);
  record.before.store(before);
  record.device.store(device);
  record.count.store(count);
  record.serial.store(serial);
  m_rendered.store(before + count, std::memory_order_release);
  m_output.store(device + bytes, std::memory_order_relaxed);
  m_renders.store(serial + 1, std::memory_order_release);
}

uint64_t PlaybackQueue::PlayedBytes(int64_t nowNanos) const {
  // The valid records, newest first, and their dates (output position and start time)
  // oldest first for the fit.
  struct Rendered {
    uint64_t before;
    uint64_t device;
    uint32_t count;
  };
  std::array<Rendered, kRecords> rendered;
  std::array<DatedPosition, kRecords> dates;
  const size_t count = ReadNewestFirst(
      m_records, m_renders.load(std::memory_order_acquire), m_timesFrom,
      [](const RenderRecord& record) {
        return std::pair{Rendered{record.before.load(), record.device.load(), record.count.load()},
                         record.start.load()};
      },
      [&](const std::pair<Rendered, int64_t>& copied, size_t n) {
        rendered[n] = copied.first;
        dates[kRecords - 1 - n] = {copied.first.device, copied.second};
      });
  if (count == 0) return 0;
  const DatedPosition* oldest = dates.data() + (kRecords - count);
  // The start times are the library's latency figures, which drift late between the
  // server's timing reports: the line runs along the earliest of them.
  std::optional<PositionLine> line = PositionLine::Fit(oldest, count, m_bytesPerSecond, PositionLine::FitTo::kEarliest);
  if (!line) {
    // Too few dates to fit: the newest output that has begun to sound has sounded as
    // far as the time since its start reaches (the oldest one, when none has begun).
    size_t begun = count - 1;
    for (size_t i = 0; i < count; ++i) {
      if (dates[kRecords - 1 - i].nanos <= nowNanos) {
        begun = i;
        break;
      }
    }
    line = PositionLine::Through(dates[kRecords - 1 - begun], m_bytesPerSecond);
  }
  const double output = line->BytesAt(nowNanos);
  // The newest output that the line has reached: all data before it has sounded, and
  // of its own data as far as the line is into it. Still ahead of all of them: at most
  // what came before the oldest has sounded.
  uint64_t played = rendered[count - 1].before;
  for (size_t i = 0; i < count; ++i) {
    const Rendered& entry = rendered[i];
    const double into = output - static_cast<double>(entry.device);
    if (into < 0) continue;
    uint64_t sounded = static_cast<uint64_t>(std::llround(std::min(into, 4e9)));
    sounded -= sounded % m_blockAlign;
    played = entry.before + std::min<uint64_t>(entry.count, sounded);
    break;
  }
  // Data rendered before the last ReturnAll does not count.
  return m_heard.Hold(nowNanos, played > m_renderedBefore ? played - m_renderedBefore : 0);
}

void PlaybackQueue::ReturnAll() {
  if (m_current) {
    WaveHeader* current = m_current;
    m_current = nullptr;
    Finish(current);
  }
  while (WaveHeader* header = m_ring.Pop()) Finish(header);
  m_renderedBefore = m_rendered.load(std::memory_order_acquire);
  m_heard = {};
}

void CaptureQueue::Finish(WaveHeader* header, uint32_t bytes) {
  header->bytesRecorded = bytes;
  if (m_finished) m_finished(m_context, header);
  MarkDone(header);
}

void CaptureQueue::SetFormat(const WaveFormat& format) {
  m_bytesPerSecond = format.avgBytesPerSec ? format.avgBytesPerSec : 176400;
  m_blockAlign = format.blockAlign ? format.blockAlign : 4;
}

void CaptureQueue::PublishTime(uint64_t input, uint64_t captured, int64_t endNanos) {
  // The playback records' sequence lock, per entry.
  const uint64_t serial = m_times.load(std::memory_order_relaxed);
  TimeRecord& record = m_timeRecords[serial % kTimeRecords];
  record.serial.store(~uint64_t{0});
  record.input.store(input);
  record.captured.store(captured);
  record.end.store(endNanos);
  record.serial.store(serial);
  m_times.store(serial + 1, std::memory_order_release);
}

void CaptureQueue::ForgetTimes() {
  m_timesFrom = m_times.load(std::memory_order_acquire);
  m_converted = {};
}

uint64_t CaptureQueue::ConverterBytes(int64_t nowNanos) const {
  // The valid times, oldest first, on the line of all input; and what had been stored
  // by the newest.
  std::array<DatedPosition, kTimeRecords> dates;
  uint64_t capturedByNewest = 0;
  const size_t count = ReadNewestFirst(
      m_timeRecords, m_times.load(std::memory_order_acquire), m_timesFrom,
      [](const TimeRecord& record) {
        return std::pair{DatedPosition{record.input.load(), record.end.load()}, record.captured.load()};
      },
      [&](const std::pair<DatedPosition, uint64_t>& copied, size_t n) {
        dates[kTimeRecords - 1 - n] = copied.first;
        if (n == 0) capturedByNewest = copied.second;
      });
  if (count == 0 || !m_gate.IsOpen()) return CapturedBytes();
  const DatedPosition& newest = dates[kTimeRecords - 1];
  // The library hands each read of the server's input on in two pieces, a long one and
  // a short one, and dates the short ones some 1.5 ms early. Each date counts in the fit
  // as much as the audio it dates, so the line runs through the long pieces' dates.
  const std::optional<PositionLine> fitted =
      PositionLine::Fit(dates.data() + (kTimeRecords - count), count, m_bytesPerSecond, PositionLine::FitTo::kMiddle);
  const PositionLine line = fitted ? *fitted : PositionLine::Through(newest, m_bytesPerSecond);
  // What has been stored has passed the converter, whatever its times say; no capture
  // call waits a second, so beyond that the input has stopped. With the gate open,
  // the input that has passed since the newest time is stored as it arrives.
  const double ahead = std::clamp(line.BytesAt(nowNanos) - static_cast<double>(newest.bytes), 0.0,
                                  static_cast<double>(m_bytesPerSecond));
  const uint64_t stored = capturedByNewest > m_capturedBefore ? capturedByNewest - m_capturedBefore : 0;
  uint64_t bytes = stored + static_cast<uint64_t>(std::llround(ahead));
  return m_converted.Hold(nowNanos, bytes - bytes % m_blockAlign);
}

uint32_t CaptureQueue::Capture(const char* in, uint32_t bytes, int64_t startNanos) {
  uint32_t stored = 0;
  const bool open = m_gate.Enter();
  while (open && stored < bytes) {
    if (!m_current) {
      m_current = m_ring.Pop();
      m_offset = 0;
      if (!m_current) break;
    }
    uint32_t take = std::min(m_current->bufferLength - m_offset, bytes - stored);
    if (take) {
      if (in)
        std::memcpy(m_current->data + m_offset, in + stored, take);
      else
        std::memset(m_current->data + m_offset, 0, take);
    }
    stored += take;
    m_offset += take;
    if (m_offset == m_current->bufferLength) {
      WaveHeader* full = m_current;
      m_current = nullptr;
      Finish(full, full->bufferLength);
    }
  }
  const uint64_t captured = m_captured.load(std::memory_order_relaxed) + stored;
  m_captured.store(captured, std::memory_order_release);
  const uint64_t input = m_input.load(std::memory_order_relaxed) + bytes;
  m_input.store(input, std::memory_order_relaxed);
  if (startNanos >= 0 && bytes > 0)
    PublishTime(input, captured, startNanos + static_cast<int64_t>(uint64_t{bytes} * 1000000000u / m_bytesPerSecond));
  // After the counts: the interface side takes them as they stand once it is out.
  m_gate.Leave();
  return stored;
}

void CaptureQueue::ReturnCurrent() {
  if (m_current && m_offset > 0) {
    WaveHeader* current = m_current;
    m_current = nullptr;
    Finish(current, m_offset);
  }
}

void CaptureQueue::ReturnAll() {
  if (m_current) {
    WaveHeader* current = m_current;
    m_current = nullptr;
    Finish(current, m_offset);
  }
  while (WaveHeader* header = m_ring.Pop()) Finish(header, 0);
  m_capturedBefore = m_captured.load(std::memory_order_acquire);
  m_converted = {};
}

}  // namespace platform
