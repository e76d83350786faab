#pragma once

#include <cstdint>

// Watches whether the interface thread keeps an engine's two buffers coming: a buffer
// filled (or written) more than kLimitMs after the previous fill of either buffer is
// late. A stall counts once however many checks see it, and once more for every
// further kLimitMs it lasts. Two late fills in a row (the fill of the other buffer that
// follows a late one at once does not break the row), or five in one run, end the run.
class DelayWatch {
 public:
  static constexpr uint32_t kLimitMs = 1200;
  static constexpr int32_t kConsecutiveLimit = 2;
  static constexpr int32_t kAccumulatedLimit = 5;

  // A run begins at now, which counts as its first fill.
  void Start(uint32_t now);
  // A buffer was filled at now.
  void Filled(uint32_t now);
  // Counts the stall under way at now, if any; the cause ("Consecutive Delays" or
  // "Accumulated Delays") when the run must end, else null.
  const char* Check(uint32_t now);

  int32_t Consecutive() const { return m_consecutive; }
  int32_t Accumulated() const { return m_accumulated; }

 private:
  uint32_t m_lastFill = 0;
  // The delays counted for the present gap since the last fill.
  uint32_t m_countedInGap = 0;
  bool m_lastFillLate = false;
  int32_t m_consecutive = 0;
  int32_t m_accumulated = 0;
};
