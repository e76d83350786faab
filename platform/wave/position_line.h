#pragma once

// The straight line that maps a device's byte position to the time (nanoseconds) at which
// that byte sounds or was at the converter. A sound server dates each buffer by its own
// latency figures, which jitter by milliseconds from one buffer to the next and now and
// then jump; the device's clock itself runs steadily (if not at exactly its nominal
// rate). A line fitted through many buffers' dates gives every position the time the
// steady clock really stands for, where the last buffer's date alone would carry its
// jitter into the position.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// One buffer's date: its byte position (of the first byte, or the one after the last,
// as the caller chooses for all of them) and its time.
struct DatedPosition {
  uint64_t bytes = 0;
  int64_t nanos = 0;
};

class PositionLine {
 public:
  // The fewest dates a fit is made from.
  static constexpr size_t kMinFitPoints = 8;

  // Where among the dates the line runs. kMiddle: through them (for dates that scatter
  // either way). kEarliest: along the earliest of them, for dates that drift late and
  // come back: a sound server that works out its latency from the last timing report
  // it had, at the nominal rate, dates each buffer later and later until the next
  // report puts it right, so the true times are the earliest ones.
  enum class FitTo { kMiddle, kEarliest };

  // The line through point at the nominal rate.
  static PositionLine Through(DatedPosition point, uint64_t bytesPerSecond);
  // The least-squares line of time against position through points (oldest first),
  // each point weighted by the bytes from the point before it (the audio it dates),
  // fitted again without the dates that lie far off it (a jump of the server's figures,
  // a callback that ran late), so that most dates agree with it; for kEarliest, fitted
  // again through the earliest quarter of those. Nothing when fewer than kMinFitPoints
  // are given, or when the rate the line stands for is more than a tenth off the
  // nominal one (dates that make no sense).
  static std::optional<PositionLine> Fit(const DatedPosition* points, size_t count, uint64_t bytesPerSecond,
                                         FitTo fitTo);

  // The position (fractional, unbounded) at which the line stands at nanos.
  double BytesAt(int64_t nanos) const;

 private:
  PositionLine(DatedPosition reference, double offsetNanos, double nanosPerByte)
      : m_reference(reference), m_offsetNanos(offsetNanos), m_nanosPerByte(nanosPerByte) {}

  // The line's time at reference.bytes is reference.nanos + m_offsetNanos: positions
  // and times are taken relative to a date near them, so that doubles hold them exactly.
  DatedPosition m_reference;
  double m_offsetNanos;
  double m_nanosPerByte;
};

// A position read from a line at one time and another: a line fitted again with newer
// dates can stand a little lower, but a position read later never goes back. Reads
// for an earlier time than the last are answered as they come.
class HeldPosition {
 public:
  uint64_t Hold(int64_t nanos, uint64_t bytes) {
    if (m_read && nanos >= m_nanos && bytes < m_bytes) return m_bytes;
    m_read = true;
    m_nanos = nanos;
    m_bytes = bytes;
    return bytes;
  }

 private:
  bool m_read = false;
  int64_t m_nanos = 0;
  uint64_t m_bytes = 0;
};

}  // namespace platform
