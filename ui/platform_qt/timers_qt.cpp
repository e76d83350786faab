#include "ui/platform_qt/timers_qt.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace ui {

QtTimers::QtTimers() = default;

QtTimers::~QtTimers() {
  for (auto& [key, timer] : m_timers) delete timer;
}

void QtTimers::Release(QTimer* timer) {
  timer->stop();
  // The timer may be the one whose tick is being handled.
  timer->deleteLater();
}

void QtTimers::SetTimer(platform::TimerOwner* owner, unsigned int id, unsigned int periodMs) {
  if (!owner) return;
  QTimer*& timer = m_timers[{owner, id}];
  if (!timer) {
    timer = new QTimer;
    // The engines are serviced on this timer; a coarse timer would let 40 ms drift.
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [owner, id] { owner->OnTimer(id); });
  }
  timer->start(static_cast<int>(periodMs));
}

void QtTimers::KillTimer(platform::TimerOwner* owner, unsigned int id) {
  auto found = m_timers.find({owner, id});
  if (found == m_timers.end()) return;
  Release(found->second);
  m_timers.erase(found);
}

void QtTimers::KillTimers(platform::TimerOwner* owner) {
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    if (it->first.first == owner) {
      Release(it->second);
      it = m_timers.erase(it);
    } else {
      ++it;
    }
  }
}

bool QtTimers::IsActive(platform::TimerOwner* owner, unsigned int id) const {
  auto found = m_timers.find({owner, id});
  return found != m_timers.end() && found->second->isActive();
}

bool QtMessagePump::DispatchOne() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  return dispatcher && dispatcher->processEvents(QEventLoop::AllEvents);
}

void QtMessagePump::PumpFor(unsigned int ms) {
  if (ms == 0) {
    DispatchOne();
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace ui
