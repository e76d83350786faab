#pragma once

#include <cstddef>
#include <cstdint>

namespace codec {

// A streaming rate converter for interleaved 16-bit stereo frames by linear
// interpolation. Output frame j is taken at input position j × inRate ÷ outRate, and a
// stream of n input frames gives round(n × outRate ÷ inRate) output frames, so the
// converted audio keeps its duration and its timing (no delay is added). Equal rates
// pass the frames through unchanged.
class StereoResampler {
 public:
  void Start(uint32_t inRate, uint32_t outRate) {
    m_inRate = inRate;
    m_outRate = outRate;
    m_received = 0;
    m_emitted = 0;
  }
  uint32_t InRate() const { return m_inRate; }
  uint64_t Emitted() const { return m_emitted; }

  // Takes count frames and emits every output frame they complete; emit(const
  // int16_t frame[2]) returns false to stop, and Push then returns false.
  template <class Emit>
  bool Push(const int16_t* frames, size_t count, Emit&& emit) {
    if (count == 0) return true;
    const uint64_t base = m_received, end = base + count;
    for (;;) {
      const uint64_t position = m_emitted * m_inRate;
      const uint64_t index = position / m_outRate;
      const uint64_t fraction = position % m_outRate;
      // Each output needs the frame after its position; the last one received waits
      // for the next push (or for Finish). Earlier pushes leave index >= base - 1.
      if (index + 1 >= end) break;
      const int16_t* a = index < base ? m_last : frames + 2 * (index - base);
      const int16_t* b = frames + 2 * (index + 1 - base);
      int16_t out[2] = {Between(a[0], b[0], fraction), Between(a[1], b[1], fraction)};
      if (!emit(out)) return false;
      ++m_emitted;
    }
    m_last[0] = frames[2 * (count - 1)];
    m_last[1] = frames[2 * (count - 1) + 1];
    m_received = end;
    return true;
  }

  // Emits the outputs still due at the end of the stream, holding the last frame.
  template <class Emit>
  bool Finish(Emit&& emit) {
    if (m_received == 0) return true;
    const uint64_t total = (m_received * m_outRate + m_inRate / 2) / m_inRate;
    while (m_emitted < total) {
      if (!emit(m_last)) return false;
      ++m_emitted;
    }
    return true;
  }

 private:
  int16_t Between(int16_t a, int16_t b, uint64_t fraction) const {
    if (fraction == 0) return a;
    // Rounded to the nearest value, in integers made non-negative by an offset.
    const int64_t out = m_outRate, f = static_cast<int64_t>(fraction);
    const int64_t sum = (a + 32768) * (out - f) + (b + 32768) * f;
    return static_cast<int16_t>((sum + out / 2) / out - 32768);
  }

  uint32_t m_inRate = 1, m_outRate = 1;
  uint64_t m_received = 0, m_emitted = 0;
  int16_t m_last[2] = {0, 0};
};

}  // namespace codec
