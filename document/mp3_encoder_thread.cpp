#include "document/mp3_encoder_thread.h"

#include <cstring>

CMp3EncoderThread::CMp3EncoderThread(const LameEncoderFunctions& functions, LameEncoder* encoder, size_t blockBytes)
    : m_functions(functions),
      m_encoder(encoder),
      m_blocks(kQueuedBlocks, std::vector<uint8_t>(blockBytes)),
      m_sizes(kQueuedBlocks, 0) {
  for (size_t n = 0; n < kQueuedBlocks; ++n) m_free.push_back(n);
  m_thread = std::thread(&CMp3EncoderThread::Run, this);
}

CMp3EncoderThread::~CMp3EncoderThread() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_abandon = true;
  }
  Stop();
  if (m_encoder) m_functions.free(m_encoder);
}

bool CMp3EncoderThread::Push(const uint8_t* bytes, size_t count) {
  std::unique_lock<std::mutex> hold(m_lock);
  m_changed.wait(hold, [this] { return !m_free.empty() || m_result != kCodecDone; });
  if (m_result != kCodecDone) return false;
  const size_t block = m_free.back();
  m_free.pop_back();
  hold.unlock();
  // The block is the maker's alone until it is queued.
  std::memcpy(m_blocks[block].data(), bytes, count);
  m_sizes[block] = count;
  hold.lock();
  m_queued.push_back(block);
  m_changed.notify_all();
  return true;
}

int CMp3EncoderThread::Finish() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_closing = true;
  }
  Stop();
  LameEncoder* encoder = m_encoder;
  m_encoder = nullptr;
  const int finished = m_functions.finish(encoder);
  return m_result != kCodecDone ? m_result : finished;
}

void CMp3EncoderThread::Stop() {
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void CMp3EncoderThread::Run() {
  std::unique_lock<std::mutex> hold(m_lock);
  for (;;) {
    m_changed.wait(hold, [this] { return m_abandon || m_closing || !m_queued.empty(); });
    if (m_abandon || m_queued.empty()) return;
    const size_t block = m_queued.front();
    m_queued.pop_front();
    hold.unlock();
    const int result = m_functions.write(m_encoder, m_blocks[block].data(), m_sizes[block]);
    hold.lock();
    m_free.push_back(block);
    if (result != kCodecDone) {
      m_result = result;
      m_changed.notify_all();
      return;
    }
    m_changed.notify_all();
  }
}
