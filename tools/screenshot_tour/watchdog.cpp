#include "tools/screenshot_tour/watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tour {

Watchdog::Watchdog(std::chrono::seconds limit, std::string message) {
  m_thread = std::thread([this, limit, message = std::move(message)] {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_wake.wait_for(lock, limit, [this] { return m_done; })) return;
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(1);
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
  }
  m_wake.notify_one();
  m_thread.join();
}

}  // namespace tour
