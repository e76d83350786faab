#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tour {

// Ends the process with a message and exit status 1 when it is still alive after the
// time given: whatever loop the tour got stuck in, a run of the tour always ends.
class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, std::string message);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_done = false;
  std::thread m_thread;
};

}  // namespace tour
