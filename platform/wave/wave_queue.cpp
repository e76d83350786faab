#include "platform/wave/wave_queue.h"

#include <algorithm>
#include <cstring>

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
  if (!m_paused.load(std::memory_order_acquire)) {
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
  Publish(startNanos, filled);
  return filled;
}

void PlaybackQueue::Publish(int64_t startNanos, uint32_t count) {
  // A sequence lock per entry: the serial is invalid while the entry is rewritten, so
  // a reader that raced with the rewrite sees a changed serial and leaves the entry.
  // The entry's accesses are sequentially consistent (a handful per call), which makes
  // that so without fences.
  uint64_t serial = m_renders.load(std::memory_order_relaxed);
  uint64_t before = m_rendered.load(std::memory_order_relaxed);
  RenderRecord& record = m_records[serial % kRecords];
  record.serial.store(~uint64_t{0});
  record.start.store(startNanos);
  record.before.store(before);
  record.count.store(count);
  record.serial.store(serial);
  m_rendered.store(before + count, std::memory_order_release);
  m_renders.store(serial + 1, std::memory_order_release);
}

uint64_t PlaybackQueue::PlayedBytes(int64_t nowNanos) const {
  uint64_t renders = m_renders.load(std::memory_order_acquire);
  uint64_t played = 0;
  // Newest first: the newest output that has begun to sound has sounded as far as the
  // time since its start reaches; all data before it has sounded.
  for (uint64_t back = 1; back <= renders && back <= kRecords; ++back) {
    uint64_t serial = renders - back;
    const RenderRecord& record = m_records[serial % kRecords];
    if (record.serial.load() != serial) break;
    int64_t start = record.start.load();
    uint64_t before = record.before.load();
    uint32_t count = record.count.load();
    if (record.serial.load() != serial) break;
    if (start <= nowNanos) {
      uint64_t elapsed = static_cast<uint64_t>(nowNanos - start);
      // No single render lasts a second, so beyond that the whole record has sounded
      // (and the product below cannot overflow).
      uint64_t sounded = elapsed >= 1000000000u ? count : elapsed * m_bytesPerSecond / 1000000000u;
      sounded -= sounded % m_blockAlign;
      return before + std::min<uint64_t>(count, sounded);
    }
    // Still ahead: at most what came before it has sounded.
    played = before;
  }
  return played;
}

void PlaybackQueue::ReturnAll() {
  if (m_current) {
    WaveHeader* current = m_current;
    m_current = nullptr;
    Finish(current);
  }
  while (WaveHeader* header = m_ring.Pop()) Finish(header);
  m_rendered.store(0, std::memory_order_relaxed);
  m_renders.store(0, std::memory_order_release);
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

void CaptureQueue::PublishTime(uint64_t captured, int64_t endNanos) {
  // Sequentially consistent steps: a reader that sees the same even number before and
  // after its reads has read one record whole.
  const uint64_t serial = m_timeSerial.load();
  m_timeSerial.store(serial + 1);
  m_timedBytes.store(captured);
  m_timedEnd.store(endNanos);
  m_timeSerial.store(serial + 2);
  m_timed.store(true);
}

uint64_t CaptureQueue::ConverterBytes(int64_t nowNanos) const {
  if (!m_timed.load()) return CapturedBytes();
  for (int attempt = 0; attempt < 8; ++attempt) {
    const uint64_t serial = m_timeSerial.load();
    if (serial % 2) continue;
    const uint64_t bytes = m_timedBytes.load();
    const int64_t end = m_timedEnd.load();
    if (m_timeSerial.load() != serial) continue;
    if (nowNanos <= end) return bytes;
    // No capture call waits a second; beyond it the input has stopped.
    const auto since = static_cast<uint64_t>(std::min<int64_t>(nowNanos - end, 1000000000));
    uint64_t ahead = since * m_bytesPerSecond / 1000000000u;
    ahead -= ahead % m_blockAlign;
    return bytes + ahead;
  }
  return CapturedBytes();
}

uint32_t CaptureQueue::Capture(const char* in, uint32_t bytes, int64_t startNanos) {
  uint32_t stored = 0;
  while (stored < bytes) {
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
  if (stored) {
    const uint64_t captured = m_captured.load(std::memory_order_relaxed) + stored;
    m_captured.store(captured, std::memory_order_release);
    if (startNanos >= 0)
      PublishTime(captured, startNanos + static_cast<int64_t>(uint64_t{stored} * 1000000000u / m_bytesPerSecond));
  }
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
  m_captured.store(0, std::memory_order_release);
  m_timed.store(false);
}

}  // namespace platform
