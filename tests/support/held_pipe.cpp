#include "tests/support/held_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

HeldPipe::HeldPipe(std::string path, std::chrono::milliseconds hold, Then then, std::function<void()> onRelease)
    : m_path(std::move(path)) {
  m_sigpipe = std::signal(SIGPIPE, SIG_IGN);
  if (mkfifo(m_path.c_str(), 0600) != 0) return;
  // Opened without waiting for a writer, then made to block like a disk.
  m_fd = open(m_path.c_str(), O_RDONLY | O_NONBLOCK);
  if (m_fd < 0) return;
  fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
  m_opened = true;
  m_reader = std::thread(&HeldPipe::Read, this, hold, then, std::move(onRelease));
}

HeldPipe::~HeldPipe() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  if (m_reader.joinable()) m_reader.join();
  if (m_fd >= 0) close(m_fd);
  unlink(m_path.c_str());
  std::signal(SIGPIPE, m_sigpipe);
}

void HeldPipe::Release() {
  {
    std::lock_guard lock(m_mutex);
    m_released = true;
  }
  m_changed.notify_all();
}

bool HeldPipe::ReadAny() { return Received() > 0; }

size_t HeldPipe::Received() {
  std::lock_guard lock(m_mutex);
  return m_read.size();
}

size_t HeldPipe::Unread() {
  std::lock_guard lock(m_mutex);
  int bytes = 0;
  return m_fd >= 0 && ioctl(m_fd, FIONREAD, &bytes) == 0 ? static_cast<size_t>(bytes) : 0;
}

std::string HeldPipe::ReadToEnd() {
  std::unique_lock lock(m_mutex);
  m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_ended; });
  return m_read;
}

void HeldPipe::Read(std::chrono::milliseconds hold, Then then, std::function<void()> onRelease) {
  {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, hold, [this] { return m_released || m_stopping; });
    if (m_stopping) return;
  }
  if (onRelease) onRelease();
  if (then == Then::Break) {
    std::lock_guard lock(m_mutex);
    close(m_fd);
    m_fd = -1;
    m_ended = true;
    m_changed.notify_all();
    return;
  }
  char chunk[4096];
  for (;;) {
    {
      std::lock_guard lock(m_mutex);
      if (m_stopping) return;
    }
    pollfd readable{m_fd, POLLIN, 0};
    if (poll(&readable, 1, 50) <= 0) continue;
    {
      // Read under the lock (poll said it will not wait), so that no byte is out of
      // the pipe and not yet among those read.
      std::lock_guard lock(m_mutex);
      const ssize_t got = read(m_fd, chunk, sizeof chunk);
      if (got <= 0) {
        m_ended = true;
        m_changed.notify_all();
        return;
      }
      m_read.append(chunk, static_cast<size_t>(got));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}
