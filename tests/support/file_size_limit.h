#pragma once

#include <sys/resource.h>

#include <csignal>

// Limits the size of the files this process writes for its lifetime, so that a write
// beyond the limit fails as on a full disk (SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_handler);
  }
  bool Set() const { return m_set; }

 private:
  rlimit m_previous{};
  void (*m_handler)(int) = nullptr;
  bool m_set = false;
};
