#include "platform/timers.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace platform {

namespace {
// Wrap-safe "a is at or after b" for 32-bit millisecond counts.
bool Reached(uint32_t now, uint32_t deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}
}  // namespace

PolledTimers::PolledTimers(Clock& clock, std::function<void(unsigned int)> sleep)
    : m_clock(clock), m_sleep(std::move(sleep)) {
  if (!m_sleep) {
    m_sleep = [](unsigned int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  }
}

void PolledTimers::SetTimer(TimerOwner* owner, unsigned int id, unsigned int periodMs) {
  m_timers[{owner, id}] = Entry{periodMs, m_clock.GetTickCount() + periodMs};
}

void PolledTimers::KillTimer(TimerOwner* owner, unsigned int id) {
  m_timers.erase({owner, id});
}

void PolledTimers::KillTimers(TimerOwner* owner) {
  std::erase_if(m_timers, [owner](const auto& item) { return item.first.first == owner; });
}

bool PolledTimers::DispatchOne() {
  uint32_t now = m_clock.GetTickCount();
  // The most overdue timer goes first so that no timer starves another.
  auto due = m_timers.end();
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
    if (Reached(now, it->second.due) &&
        (due == m_timers.end() || static_cast<int32_t>(it->second.due - due->second.due) < 0)) {
      due = it;
    }
  }
  if (due == m_timers.end()) return false;
  Key key = due->first;
  // Like a window timer, a late timer fires once and then keeps its period from now.
  due->second.due = now + due->second.period;
  key.first->OnTimer(key.second);
  return true;
}

void PolledTimers::PumpFor(unsigned int ms) {
  uint32_t end = m_clock.GetTickCount() + ms;
  for (;;) {
    while (DispatchOne()) {
    }
    uint32_t now = m_clock.GetTickCount();
    if (Reached(now, end)) return;
    uint32_t wait = end - now;
    for (const auto& item : m_timers) {
      int32_t until = static_cast<int32_t>(item.second.due - now);
      if (until >= 0) wait = std::min(wait, static_cast<uint32_t>(until));
    }
    m_sleep(std::max(wait, 1u));
  }
}

bool PolledTimers::IsActive(TimerOwner* owner, unsigned int id) const {
  return m_timers.count({owner, id}) != 0;
}

unsigned int PolledTimers::PeriodOf(TimerOwner* owner, unsigned int id) const {
  auto it = m_timers.find({owner, id});
  return it == m_timers.end() ? 0 : it->second.period;
}

}  // namespace platform
