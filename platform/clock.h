#pragma once

#include <cstdint>

namespace platform {

// The millisecond tick count and the multimedia timer time. Both wrap at 2^32 ms.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t GetTickCount() = 0;
  virtual uint32_t TimeGetTime() = 0;
};

// Milliseconds of the system's monotonic clock.
class SteadyClock : public Clock {
 public:
  uint32_t GetTickCount() override;
  uint32_t TimeGetTime() override;
};

// A clock that moves only when a test moves it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(uint32_t start = 0) : m_now(start) {}
  uint32_t GetTickCount() override { return m_now; }
  uint32_t TimeGetTime() override { return m_now; }
  void Set(uint32_t now) { m_now = now; }
  void Advance(uint32_t ms) { m_now += ms; }

 private:
  uint32_t m_now;
};

}  // namespace platform
