#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

// Building blocks of the synthesised sounds that ship with the program (the intro
// music, the metronome's clicks), all at 44100 frames a second.
namespace synth {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
inline constexpr double kRate = 44100.0;

// Deterministic noise: a 32-bit xorshift generator.
class Noise {
 public:
  explicit Noise(uint32_t seed) : m_state(seed) {}
  // A value in [-1, 1).
  double Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return static_cast<double>(m_state) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t m_state;
};

// A first-order high-pass filter; coefficient a = RC / (RC + 1 / rate).
class HighPass {
 public:
  explicit HighPass(double cutoff) {
    const double rc = 1.0 / (kTwoPi * cutoff);
    m_a = rc / (rc + 1.0 / kRate);
  }
  double operator()(double x) {
    m_y = m_a * (m_y + x - m_x);
    m_x = x;
    return m_y;
  }

 private:
  double m_a = 0, m_x = 0, m_y = 0;
};

}  // namespace synth
