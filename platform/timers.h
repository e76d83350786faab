#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace platform {

class Clock;

// An object that receives window timer ticks.
class TimerOwner {
 public:
  virtual ~TimerOwner() = default;
  virtual void OnTimer(unsigned int id) = 0;
};

// Window timers: SetTimer starts (or restarts) timer id of owner with a period in
// milliseconds; ticks arrive on the interface thread through the message pump.
class Timers {
 public:
  virtual ~Timers() = default;
  virtual void SetTimer(TimerOwner* owner, unsigned int id, unsigned int periodMs) = 0;
  virtual void KillTimer(TimerOwner* owner, unsigned int id) = 0;
  // Kills every timer of an owner that is going away.
  virtual void KillTimers(TimerOwner* owner) = 0;
};

// The interface thread's message queue.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Dispatches at most one waiting message; false when none was waiting.
  virtual bool DispatchOne() = 0;
  // Dispatches messages as they arrive for the given time.
  virtual void PumpFor(unsigned int ms) = 0;
};

// Timers driven by a clock and fired from a pump loop: the console's timers, and
// with a manual clock the deterministic timers of tests. A tick is due when the
// clock has passed the timer's next deadline; each dispatch fires one due timer.
class PolledTimers : public Timers, public MessagePump {
 public:
  // sleep waits for the given milliseconds; by default the thread sleeps, a test
  // passes one that advances its manual clock.
  explicit PolledTimers(Clock& clock, std::function<void(unsigned int)> sleep = {});

  void SetTimer(TimerOwner* owner, unsigned int id, unsigned int periodMs) override;
  void KillTimer(TimerOwner* owner, unsigned int id) override;
  void KillTimers(TimerOwner* owner) override;

  bool DispatchOne() override;
  // Fires due timers until the clock has moved on by ms, sleeping between deadlines.
  void PumpFor(unsigned int ms) override;

  bool IsActive(TimerOwner* owner, unsigned int id) const;
  unsigned int PeriodOf(TimerOwner* owner, unsigned int id) const;

 private:
  struct Entry {
    unsigned int period;
    uint32_t due;
  };
  using Key = std::pair<TimerOwner*, unsigned int>;
  Clock& m_clock;
  std::function<void(unsigned int)> m_sleep;
  std::map<Key, Entry> m_timers;
};

}  // namespace platform
