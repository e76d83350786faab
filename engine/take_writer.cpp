#include "engine/take_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

TakeWriter::TakeWriter(uint32_t blockBytes) : m_slots(kSlots, std::vector<char>(blockBytes)), m_lengths(kSlots, 0) {}

TakeWriter::~TakeWriter() { Finish(); }

bool TakeWriter::Start(std::FILE* fp) {
  Finish();
  m_fp = fp;
  m_first = m_count = 0;
  m_finishing = false;
  m_error.store(0, std::memory_order_release);
  try {
    m_thread = std::thread(&TakeWriter::Run, this);
  } catch (const std::system_error& error) {
    errno = error.code().value();
    return false;
  }
  return true;
}

bool TakeWriter::WaitForSlot() {
  if (!m_thread.joinable()) return false;
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return m_count < kSlots || Error() != 0; });
  return Error() == 0;
}

bool TakeWriter::Append(const char* data, uint32_t bytes) {
  if (!WaitForSlot()) return false;
  size_t slot = 0;
  {
    std::lock_guard lock(m_mutex);
    slot = (m_first + m_count) % kSlots;
  }
  bytes = std::min<uint32_t>(bytes, static_cast<uint32_t>(m_slots[slot].size()));
  std::memcpy(m_slots[slot].data(), data, bytes);
  {
    std::lock_guard lock(m_mutex);
    if (Error() != 0) return false;
    m_lengths[slot] = bytes;
    ++m_count;
  }
  m_changed.notify_all();
  return true;
}

void TakeWriter::Finish() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_finishing = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void TakeWriter::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_count > 0 || m_finishing; });
    if (m_count == 0) return;
    const size_t slot = m_first;
    const uint32_t bytes = m_lengths[slot];
    lock.unlock();
    errno = 0;
    const bool written = std::fwrite(m_slots[slot].data(), 1, bytes, m_fp) == bytes && std::fflush(m_fp) == 0;
    const int code = errno != 0 ? errno : EIO;
    lock.lock();
    if (written) {
      m_first = (m_first + 1) % kSlots;
      --m_count;
    } else {
      m_count = 0;
      m_error.store(code, std::memory_order_release);
    }
    m_changed.notify_all();
    if (!written) return;
  }
}
