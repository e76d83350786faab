#pragma once

#include <map>
#include <memory>
#include <utility>

#include "platform/timers.h"

class QTimer;

namespace ui {

// Window timers as QTimers on the interface thread's event loop, one per owner and id.
class QtTimers : public platform::Timers {
 public:
  QtTimers();
  ~QtTimers() override;
  QtTimers(const QtTimers&) = delete;
  QtTimers& operator=(const QtTimers&) = delete;

  void SetTimer(platform::TimerOwner* owner, unsigned int id, unsigned int periodMs) override;
  void KillTimer(platform::TimerOwner* owner, unsigned int id) override;
  void KillTimers(platform::TimerOwner* owner) override;

  bool IsActive(platform::TimerOwner* owner, unsigned int id) const;

 private:
  using Key = std::pair<platform::TimerOwner*, unsigned int>;
  void Release(QTimer* timer);
  std::map<Key, QTimer*> m_timers;
};

// The event loop of the interface thread.
class QtMessagePump : public platform::MessagePump {
 public:
  // One pass over the events waiting now, without waiting for more.
  bool DispatchOne() override;
  // Runs the event loop for ms milliseconds.
  void PumpFor(unsigned int ms) override;
};

}  // namespace ui
