#include "engine/delay_watch.h"

void DelayWatch::Start(uint32_t now) {
  m_lastFill = now;
  m_countedInGap = 0;
  m_lastFillLate = false;
  m_consecutive = m_accumulated = 0;
}

void DelayWatch::Filled(uint32_t now) {
  // A fill in time ends a run of late ones, unless it only catches up with the other
  // buffer right after a late fill.
  const bool late = m_countedInGap > 0;
  if (!late && !m_lastFillLate) m_consecutive = 0;
  m_lastFillLate = late;
  m_lastFill = now;
  m_countedInGap = 0;
}

const char* DelayWatch::Check(uint32_t now) {
  const uint32_t gap = now - m_lastFill;
  const uint32_t delays = gap == 0 ? 0 : (gap - 1) / kLimitMs;
  if (delays > m_countedInGap) {
    const auto added = static_cast<int32_t>(delays - m_countedInGap);
    m_consecutive += added;
    m_accumulated += added;
    m_countedInGap = delays;
  }
  if (m_consecutive >= kConsecutiveLimit) return "Consecutive Delays";
  if (m_accumulated >= kAccumulatedLimit) return "Accumulated Delays";
  return nullptr;
}
