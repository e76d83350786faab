#include "engine/metronome_clicks.h"

#include <algorithm>

namespace {

constexpr int kSampleLimit = 32700;

}  // namespace

uint32_t MetronomeClicks::BeatBytes(uint32_t bpm) {
  if (bpm == 0) bpm = 100;
  const auto bytes = static_cast<uint32_t>(60.0 / bpm * 176400.0);
  return bytes - bytes % 4;
}

void MetronomeClicks::SetClick(Voice voice, const Click& click) {
  m_clicks[voice] = click;
  m_missing[voice] = false;
}

void MetronomeClicks::SetClickMissing(Voice voice) {
  m_clicks[voice].fill(0);
  m_missing[voice] = true;
}

bool MetronomeClicks::ClicksMissing() const {
  return std::any_of(m_missing.begin(), m_missing.end(), [](bool missing) { return missing; });
}

void MetronomeClicks::Apply(const Settings& settings) {
  m_settings = settings;
  if (ClicksMissing()) m_settings.on = false;
  m_beatBytes = BeatBytes(settings.bpm);
  StartTake();
}

void MetronomeClicks::SetTempo(uint32_t bpm) {
  m_settings.bpm = bpm;
  m_beatBytes = BeatBytes(bpm);
}

void MetronomeClicks::StartTake() {
  m_beatCounter = 0;
  m_stickCarry = m_beatCarry = m_hihatCarry = 0;
}

void MetronomeClicks::Mix(int16_t* buffer, uint32_t position, float gain) {
  if (m_settings.stick) {
    m_stickCarry = MixVoice(buffer, position, kStick, kStick, m_beatBytes, m_stickCarry, true, gain);
  } else {
    m_beatCarry = MixVoice(buffer, position, kBass, kSnare, m_beatBytes, m_beatCarry, true, gain);
    m_hihatCarry = MixVoice(buffer, position, kHiHat, kHiHat, m_beatBytes / 2, m_hihatCarry, false, gain);
  }
}

void MetronomeClicks::Choose(uint32_t beat, Voice main, Voice other, bool counted, Voice& voice,
                             float& factor) const {
  voice = main;
  factor = 1.0f;
  if (!counted) return;
  const int measure = m_settings.measure;
  if (measure == 2) {
    voice = beat % 3 == 0 ? main : other;
  } else if (beat % 2 == 1) {
    voice = other;
  }
  const bool first = (measure == 1 && beat % 4 == 0) || (measure == 2 && beat % 3 == 0);
  if (m_settings.accent && first) factor = 2.0f;
}

void MetronomeClicks::Add(int16_t* out, const int16_t* click, uint32_t values, float scale) {
  for (uint32_t i = 0; i < values; ++i) {
    const auto sum = static_cast<int>(static_cast<float>(click[i]) * scale + static_cast<float>(out[i]));
    out[i] = static_cast<int16_t>(std::clamp(sum, -kSampleLimit, kSampleLimit));
  }
}

uint32_t MetronomeClicks::MixVoice(int16_t* buffer, uint32_t position, Voice main, Voice other, uint32_t interval,
                                   uint32_t carry, bool counted, float gain) {
  if (!m_settings.on || ClicksMissing() || !buffer || interval == 0) return 0;
  if (counted && m_beatCounter == 0 && position != 0) m_beatCounter = (position + interval - 1) / interval;
  Voice voice;
  float factor;
  Choose(m_beatCounter, main, other, counted, voice, factor);
  if (carry != 0) {
    Add(buffer, m_clicks[voice].data() + (kClickBytes - carry) / 2, carry / 2, gain * factor);
    if (counted) ++m_beatCounter;
  }
  uint32_t left = 0;
  uint64_t beat = position % interval == 0 ? position : uint64_t{interval} * (position / interval + 1);
  for (; beat < uint64_t{position} + kBufferBytes; beat += interval) {
    const auto offset = static_cast<uint32_t>(beat - position) & ~1u;
    Choose(m_beatCounter, main, other, counted, voice, factor);
    const uint32_t length = std::min(kClickBytes, kBufferBytes - offset);
    Add(buffer + offset / 2, m_clicks[voice].data(), length / 2, gain * factor);
    if (length == kClickBytes && counted) ++m_beatCounter;
    left = kClickBytes - length;
  }
  return left;
}
