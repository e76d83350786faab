#include "platform/wave/queued_wave_device.h"

#include "platform/wave/stream_wave_device.h"

namespace platform {

namespace {

// Marks header queued; the queue's release publishes it together with the header.
void MarkQueued(WaveHeader* header) {
  uint32_t flags = header->flags.load(std::memory_order_relaxed);
  header->flags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE, std::memory_order_relaxed);
}

void MarkNotQueued(WaveHeader* header) {
  header->flags.fetch_and(~WHDR_INQUEUE, std::memory_order_relaxed);
}

// Hands a checked header to the queue and counts it; MMSYSERR_NOMEM, with the header
// as it was, when the queue is full.
template <typename Queue>
unsigned Enqueue(Queue& queue, std::atomic<unsigned>& queued, WaveHeader* header) {
  MarkQueued(header);
  queued.fetch_add(1, std::memory_order_acq_rel);
  if (!queue.Push(header)) {
    queued.fetch_sub(1, std::memory_order_acq_rel);
    MarkNotQueued(header);
    return MMSYSERR_NOMEM;
  }
  return MMSYSERR_NOERROR;
}

}  // namespace

QueuedWaveOut::QueuedWaveOut() : m_queue(&QueuedWaveOut::OnFinished, this) {}

void QueuedWaveOut::OnFinished(void* context, WaveHeader* header) {
  auto* self = static_cast<QueuedWaveOut*>(context);
  if (self->m_callback) self->m_callback(self, MM_WOM_DONE, self->m_instance, header);
  self->m_queued.fetch_sub(1, std::memory_order_acq_rel);
}

unsigned QueuedWaveOut::Open(unsigned deviceId, const WaveFormat& format, WaveOutCallback callback, void* instance) {
  if (m_open) return MMSYSERR_ALLOCATED;
  if (!IsSupportedWaveFormat(format)) return WAVERR_BADFORMAT;
  m_queue.SetFormat(format);
  m_queue.ReturnAll();
  m_queue.ForgetTimes();
  m_queue.SetPaused(false);
  if (unsigned result = OpenDevice(deviceId, format)) return result;
  m_open = true;
  m_paused = false;
  m_format = format;
  m_callback = callback;
  m_instance = instance;
  m_queued.store(0, std::memory_order_relaxed);
  if (m_callback) m_callback(this, MM_WOM_OPEN, m_instance, nullptr);
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveOut::Close() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  if (QueuedCount() > 0) return WAVERR_STILLPLAYING;
  Halt();
  CloseDevice();
  m_open = false;
  WaveOutCallback callback = m_callback;
  m_callback = nullptr;
  if (callback) callback(this, MM_WOM_CLOSE, m_instance, nullptr);
  return MMSYSERR_NOERROR;
}

void QueuedWaveOut::Shutdown() {
  if (!m_open) return;
  Halt();
  CloseDevice();
  m_open = false;
  m_callback = nullptr;
}

unsigned QueuedWaveOut::Prepare(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  return PrepareWaveHeader(header);
}

unsigned QueuedWaveOut::Unprepare(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  return UnprepareWaveHeader(header);
}

unsigned QueuedWaveOut::Write(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  if (unsigned result = CheckQueueable(header)) return result;
  CatchUp();
  if (unsigned result = Enqueue(m_queue, m_queued, header)) return result;
  return m_paused ? MMSYSERR_NOERROR : Resume();
}

unsigned QueuedWaveOut::Pause() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  m_paused = true;
  m_queue.SetPaused(true);
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveOut::Restart() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  m_paused = false;
  m_queue.SetPaused(false);
  return QueuedCount() > 0 ? Resume() : MMSYSERR_NOERROR;
}

unsigned QueuedWaveOut::Reset() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  Halt();
  m_queue.ReturnAll();
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveOut::GetPosition(uint32_t* bytes) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  if (!bytes) return MMSYSERR_INVALPARAM;
  CatchUp();
  // The position wraps at 2^32 bytes, like the interface's 32-bit counts.
  *bytes = static_cast<uint32_t>(m_queue.PlayedBytes(NowNanos()));
  return MMSYSERR_NOERROR;
}

QueuedWaveIn::QueuedWaveIn() : m_queue(&QueuedWaveIn::OnFinished, this) {}

void QueuedWaveIn::OnFinished(void* context, WaveHeader* header) {
  auto* self = static_cast<QueuedWaveIn*>(context);
  if (self->m_callback) self->m_callback(self, MM_WIM_DATA, self->m_instance, header);
  self->m_queued.fetch_sub(1, std::memory_order_acq_rel);
}

unsigned QueuedWaveIn::Open(unsigned deviceId, const WaveFormat& format, WaveInCallback callback, void* instance) {
  if (m_open) return MMSYSERR_ALLOCATED;
  if (!IsSupportedWaveFormat(format)) return WAVERR_BADFORMAT;
  m_queue.ReturnAll();
  m_queue.ForgetTimes();
  m_queue.SetFormat(format);
  if (unsigned result = OpenDevice(deviceId, format)) return result;
  m_open = true;
  m_started = false;
  m_format = format;
  m_callback = callback;
  m_instance = instance;
  m_queued.store(0, std::memory_order_relaxed);
  if (m_callback) m_callback(this, MM_WIM_OPEN, m_instance, nullptr);
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveIn::Close() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  if (QueuedCount() > 0) return WAVERR_STILLPLAYING;
  if (m_started) Halt();
  m_started = false;
  CloseDevice();
  m_open = false;
  WaveInCallback callback = m_callback;
  m_callback = nullptr;
  if (callback) callback(this, MM_WIM_CLOSE, m_instance, nullptr);
  return MMSYSERR_NOERROR;
}

void QueuedWaveIn::Shutdown() {
  if (!m_open) return;
  if (m_started) Halt();
  m_started = false;
  CloseDevice();
  m_open = false;
  m_callback = nullptr;
}

unsigned QueuedWaveIn::Prepare(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  return PrepareWaveHeader(header);
}

unsigned QueuedWaveIn::Unprepare(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  return UnprepareWaveHeader(header);
}

unsigned QueuedWaveIn::AddBuffer(WaveHeader* header) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  if (unsigned result = CheckQueueable(header)) return result;
  CatchUp();
  header->bytesRecorded = 0;
  return Enqueue(m_queue, m_queued, header);
}

unsigned QueuedWaveIn::Start() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  if (m_started) return MMSYSERR_NOERROR;
  if (unsigned result = Resume()) return result;
  m_started = true;
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveIn::Stop() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  if (m_started) Halt();
  m_started = false;
  m_queue.ReturnCurrent();
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveIn::Reset() {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  CatchUp();
  if (m_started) Halt();
  m_started = false;
  m_queue.ReturnAll();
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveIn::GetPosition(uint32_t* bytes) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  if (!bytes) return MMSYSERR_INVALPARAM;
  CatchUp();
  *bytes = static_cast<uint32_t>(m_queue.CapturedBytes());
  return MMSYSERR_NOERROR;
}

unsigned QueuedWaveIn::GetConverterPosition(uint32_t* bytes) {
  if (!m_open) return MMSYSERR_INVALHANDLE;
  if (!bytes) return MMSYSERR_INVALPARAM;
  CatchUp();
  *bytes = static_cast<uint32_t>(m_queue.ConverterBytes(SteadyNanos()));
  return MMSYSERR_NOERROR;
}

}  // namespace platform
