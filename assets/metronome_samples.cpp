#include "assets/metronome_samples.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "assets/synth_tools.h"

namespace metronome_samples {

namespace {

using synth::kRate;
using synth::kTwoPi;

constexpr uint32_t kFrames = kSampleBytes / 4;
// The loudest a click gets, as a fraction of full scale: an accent doubles it.
constexpr double kPeak = 0.45;
// The last few milliseconds fade out, so that no click ends on a step.
constexpr double kFadeSeconds = 0.006;

// Renders voice(t) for t in seconds into a click, scaled to kPeak, centred.
std::vector<uint8_t> Render(const std::function<double(double)>& voice) {
  std::vector<double> values(kFrames);
  double loudest = 0;
  for (uint32_t n = 0; n < kFrames; ++n) {
    const double t = n / kRate;
    const double remaining = (kFrames - 1 - n) / kRate;
    values[n] = voice(t) * std::min(1.0, remaining / kFadeSeconds);
    loudest = std::max(loudest, std::abs(values[n]));
  }
  std::vector<uint8_t> bytes(kSampleBytes);
  for (uint32_t n = 0; n < kFrames; ++n) {
    const auto value = static_cast<int16_t>(std::lround(values[n] / loudest * kPeak * 32767));
    const auto raw = static_cast<uint16_t>(value);
    for (uint32_t channel = 0; channel < 2; ++channel) {
      bytes[4 * n + 2 * channel] = static_cast<uint8_t>(raw & 0xff);
      bytes[4 * n + 2 * channel + 1] = static_cast<uint8_t>(raw >> 8);
    }
  }
  return bytes;
}

}  // namespace

// The stick laid across the rim: a hard knock of noise and two short wooden
// resonances, one high, one low.
std::vector<uint8_t> SideStick() {
  synth::Noise noise(0x5eed51c1u);
  synth::HighPass knock(2000);
  return Render([&](double t) {
    const double wood = std::sin(kTwoPi * 1750 * t) * std::exp(-t / 0.006) +
                        0.6 * std::sin(kTwoPi * 520 * t) * std::exp(-t / 0.012);
    return wood + 0.8 * knock(noise.Next()) * std::exp(-t / 0.0015);
  });
}

// The beater on the skin: a pitch that falls fast from about 160 Hz to 55 Hz under a
// short click.
std::vector<uint8_t> BassDrum() {
  synth::Noise noise(0xba55d12au);
  double phase = 0;
  return Render([&](double t) {
    const double frequency = 55.0 + 105.0 * std::exp(-t / 0.012);
    const double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.05);
    phase += frequency / kRate;
    phase -= std::floor(phase);
    return body + 0.15 * noise.Next() * std::exp(-t / 0.001);
  });
}

// The skin's tone under the rattle of the snares: two low partials and bright noise.
std::vector<uint8_t> SnareDrum() {
  synth::Noise noise(0x54a7e00du);
  synth::HighPass rattle(1500);
  return Render([&](double t) {
    const double skin = (0.6 * std::sin(kTwoPi * 185 * t) + 0.3 * std::sin(kTwoPi * 330 * t)) * std::exp(-t / 0.018);
    return skin + 0.9 * rattle(noise.Next()) * std::exp(-t / 0.022);
  });
}

// A closed hi-hat: noise above 7 kHz that dies away in a few milliseconds.
std::vector<uint8_t> HiHat() {
  synth::Noise noise(0x41ba7c3bu);
  synth::HighPass first(7000), second(7000);
  return Render([&](double t) { return second(first(noise.Next())) * std::exp(-t / 0.009); });
}

}  // namespace metronome_samples
