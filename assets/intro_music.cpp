#include "assets/intro_music.h"

#include "assets/synth_tools.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace intro_music {

namespace {

using synth::kRate;
using synth::kTwoPi;
static_assert(kRate == kSampleRate);
constexpr double kSecondsPerEighth = 60.0 / kTempo / 2.0;
constexpr int kEighthsPerBar = kBeatsPerBar * 2;
constexpr int kSixteenthsPerBar = kBeatsPerBar * 4;
constexpr uint32_t kFramesPerSixteenth = kFramesPerEighth / 2;
// The repeated four-bar progression and the bar that closes the piece.
constexpr int kProgressionBars = 12;
constexpr int kLastBar = kBars - 1;

// The chords of the progression Am, F, C, G, voiced close together around middle C so
// that each moves to the next by a step at most; the closing chord adds the A above.
constexpr std::array<std::array<int, 3>, 4> kChordVoicing = {{{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}}};
// The bass roots of the same chords: A1, F1, C2, G1.
constexpr std::array<int, 4> kBassRoots = {33, 29, 36, 31};

using synth::HighPass;
using synth::Noise;

// One cycle of a waveform built from its harmonics, normalised to a peak of 1 and read
// by phase (0 to 1) with linear interpolation.
class Wavetable {
 public:
  Wavetable(int harmonics, double (*amplitude)(int)) : m_samples(kSize + 1) {
    float peak = 0;
    for (int i = 0; i < kSize; ++i) {
      const double x = static_cast<double>(i) / kSize;
      double sum = 0;
      for (int k = 1; k <= harmonics; ++k) sum += amplitude(k) * std::sin(kTwoPi * k * x);
      m_samples[static_cast<size_t>(i)] = static_cast<float>(sum);
      peak = std::max(peak, std::abs(static_cast<float>(sum)));
    }
    for (float& sample : m_samples) sample /= peak;
    m_samples[kSize] = m_samples[0];
  }
  double At(double phase) const {
    const double position = phase * kSize;
    const auto index = static_cast<size_t>(position);
    const double fraction = position - static_cast<double>(index);
    return m_samples[index] + fraction * (m_samples[index + 1] - m_samples[index]);
  }

 private:
  static constexpr int kSize = 2048;
  std::vector<float> m_samples;
};

// Wavetables of one timbre, made once per number of harmonics.
class Timbre {
 public:
  explicit Timbre(double (*amplitude)(int)) : m_amplitude(amplitude) {}
  // The table for a note of this frequency with no harmonic above the limit (and none
  // near the Nyquist frequency, so that nothing folds back).
  const Wavetable& For(double frequency, double limit) {
    const int harmonics = std::max(1, static_cast<int>(std::min(limit, 0.45 * kRate) / frequency));
    auto found = m_tables.find(harmonics);
    if (found == m_tables.end()) found = m_tables.emplace(harmonics, Wavetable(harmonics, m_amplitude)).first;
    return found->second;
  }

 private:
  double (*m_amplitude)(int);
  std::map<int, Wavetable> m_tables;
};

double Sawtooth(int k) {
  return 1.0 / k;
}
// Soft and hollow: the odd harmonics of a triangle with weaker even ones between.
double Pad(int k) {
  return (k % 2 ? 1.0 : 0.35) / (static_cast<double>(k) * k);
}
// A rounded lead: a strong fundamental and a few quickly falling overtones.
double Lead(int k) {
  constexpr std::array<double, 6> kWeights = {1.0, 0.45, 0.28, 0.12, 0.07, 0.03};
  return k <= static_cast<int>(kWeights.size()) ? kWeights[static_cast<size_t>(k - 1)] : 0.0;
}

// An attack-decay-sustain-release envelope at t seconds into a note held for gate
// seconds; the release falls with the square of its progress, softly to zero.
double Envelope(double t, double gate, double attack, double decay, double sustain, double release) {
  if (t < 0) return 0;
  const double held = std::min(t, gate);
  double level = held < attack           ? held / attack
                 : held < attack + decay ? 1.0 - (1.0 - sustain) * (held - attack) / decay
                                         : sustain;
  if (t > gate) {
    const double progress = (t - gate) / release;
    if (progress >= 1) return 0;
    level *= (1 - progress) * (1 - progress);
  }
  return level;
}

// Equal-power panning: 0 is hard left, 0.5 the centre, 1 hard right.
std::pair<double, double> Pan(double position) {
  return {std::cos(position * std::numbers::pi / 2), std::sin(position * std::numbers::pi / 2)};
}

void Add(StereoTrack& track, size_t frame, double left, double right) {
  if (frame >= track.left.size()) return;
  track.left[frame] += static_cast<float>(left);
  track.right[frame] += static_cast<float>(right);
}

size_t FrameOfEighth(int eighth) {
  return static_cast<size_t>(eighth) * kFramesPerEighth;
}

// The gate of a note: detached in the progression, held to the end in the closing bar.
double Gate(const Note& note, double legato) {
  const double seconds = note.length * kSecondsPerEighth;
  return note.start >= kLastBar * kEighthsPerBar ? seconds : seconds * legato;
}

// --- The drums -------------------------------------------------------------------

enum class Drum { Kick, Snare, ClosedHat, OpenHat, Crash };

struct Hit {
  int sixteenth;  // from the start of the piece
  Drum drum;
  double velocity;
};

std::vector<Hit> DrumPattern() {
  std::vector<Hit> hits;
  for (int bar = 0; bar < kProgressionBars; ++bar) {
    const int at = bar * kSixteenthsPerBar;
    const bool fill = bar == kProgressionBars - 1;
    if (bar % 4 == 0) hits.push_back({at, Drum::Crash, bar == 0 ? 0.8 : 1.0});
    // Kick on one and three, pushed on the "and" of three every other bar.
    hits.push_back({at, Drum::Kick, 1.0});
    hits.push_back({at + 8, Drum::Kick, 0.9});
    if (bar % 2 == 1) hits.push_back({at + 10, Drum::Kick, 0.7});
    // The backbeat from the second bar on.
    if (bar > 0) hits.push_back({at + 4, Drum::Snare, 0.9});
    if (bar > 0 && !fill) hits.push_back({at + 12, Drum::Snare, 1.0});
    // Eighth-note hats, the ones on the beat a little louder; an open hat closes
    // every fourth bar.
    for (int eighth = 0; eighth < 8; ++eighth) {
      const int sixteenth = at + 2 * eighth;
      if (fill && eighth >= 6) break;
      const bool open = bar % 4 == 3 && eighth == 7 && !fill;
      hits.push_back({sixteenth, open ? Drum::OpenHat : Drum::ClosedHat, eighth % 2 ? 0.6 : 1.0});
    }
    // A snare fill of sixteenths into the closing bar.
    if (fill) {
      for (int i = 0; i < 4; ++i) hits.push_back({at + 12 + i, Drum::Snare, 0.55 + 0.15 * i});
    }
  }
  const int last = kLastBar * kSixteenthsPerBar;
  hits.push_back({last, Drum::Kick, 1.0});
  hits.push_back({last, Drum::Crash, 1.0});
  return hits;
}

void RenderKick(StereoTrack& out, size_t at, double velocity, Noise& noise) {
  const auto frames = static_cast<size_t>(0.45 * kRate);
  double phase = 0;
  for (size_t n = 0; n < frames; ++n) {
    const double t = static_cast<double>(n) / kRate;
    // The pitch falls quickly from about 150 Hz to 48 Hz: the thump of a kick.
    const double frequency = 48.0 + 100.0 * std::exp(-t / 0.035);
    const double body = std::sin(kTwoPi * phase) * std::exp(-t / 0.2);
    const double click = 0.2 * noise.Next() * std::exp(-t / 0.002);
    const double value = velocity * (body + click);
    Add(out, at + n, value * 0.707, value * 0.707);
    phase += frequency / kRate;
    phase -= std::floor(phase);
  }
}

void RenderSnare(StereoTrack& out, size_t at, double velocity, Noise& noise) {
  const auto frames = static_cast<size_t>(0.3 * kRate);
  HighPass filter(1500);
  const auto [left, right] = Pan(0.48);
  for (size_t n = 0; n < frames; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double rattle = 0.5 * filter(noise.Next()) * std::exp(-t / 0.09);
    const double body = 0.4 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t / 0.04);
    const double value = velocity * (rattle + body);
    Add(out, at + n, value * left, value * right);
  }
}

void RenderHat(StereoTrack& out, size_t at, double velocity, double decay, Noise& noise) {
  const auto frames = static_cast<size_t>(decay * 7 * kRate);
  HighPass first(7000), second(7000);
  const auto [left, right] = Pan(0.66);
  for (size_t n = 0; n < frames; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double value = velocity * 0.3 * second(first(noise.Next())) * std::exp(-t / decay);
    Add(out, at + n, value * left, value * right);
  }
}

// A wide cymbal: separate noise in each channel.
void RenderCrash(StereoTrack& out, size_t at, double velocity, Noise& noise) {
  const auto frames = static_cast<size_t>(2.4 * kRate);
  HighPass left(4000), right(4000);
  for (size_t n = 0; n < frames; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double level = velocity * 0.22 * std::min(1.0, t / 0.002) * std::exp(-t / 0.7);
    const double l = left(noise.Next()), r = right(noise.Next());
    Add(out, at + n, level * l, level * r);
  }
}

void RenderDrums(StereoTrack& out) {
  Noise noise(0x1d872b41u);
  for (const Hit& hit : DrumPattern()) {
    const size_t at = static_cast<size_t>(hit.sixteenth) * kFramesPerSixteenth;
    switch (hit.drum) {
      case Drum::Kick: RenderKick(out, at, hit.velocity, noise); break;
      case Drum::Snare: RenderSnare(out, at, hit.velocity, noise); break;
      case Drum::ClosedHat: RenderHat(out, at, hit.velocity, 0.025, noise); break;
      case Drum::OpenHat: RenderHat(out, at, hit.velocity, 0.16, noise); break;
      case Drum::Crash: RenderCrash(out, at, hit.velocity, noise); break;
    }
  }
}

// --- The pitched parts -------------------------------------------------------------

// A plucked bass: a sawtooth whose upper harmonics die away within a note, like a
// closing filter, over a sine at the same pitch for weight.
void RenderBass(StereoTrack& out) {
  Timbre saw(Sawtooth);
  constexpr double kRelease = 0.06;
  for (const Note& note : BassLine()) {
    const double frequency = Frequency(note.key);
    const Wavetable& bright = saw.For(frequency, 2500);
    const Wavetable& dark = saw.For(frequency, 350);
    const double gate = Gate(note, 0.85);
    const auto frames = static_cast<size_t>((gate + kRelease) * kRate);
    const size_t at = FrameOfEighth(note.start);
    double phase = 0;
    for (size_t n = 0; n < frames; ++n) {
      const double t = static_cast<double>(n) / kRate;
      const double brightness = std::exp(-t / 0.12);
      const double tone = dark.At(phase) + brightness * (bright.At(phase) - dark.At(phase));
      const double value =
          (0.7 * tone + 0.4 * std::sin(kTwoPi * phase)) * Envelope(t, gate, 0.004, 0.2, 0.75, kRelease);
      Add(out, at + n, value * 0.707, value * 0.707);
      phase += frequency / kRate;
      phase -= std::floor(phase);
    }
  }
}

// A soft pad: two slightly detuned voices per note, one to each side, for width.
void RenderChords(StereoTrack& out) {
  Timbre pad(Pad);
  constexpr double kRelease = 0.45;
  constexpr double kDetune = 0.0035;  // about six cents
  const auto [farLeft, nearRight] = Pan(0.2);
  const auto [nearLeft, farRight] = Pan(0.8);
  for (const Note& note : ChordNotes()) {
    const double gate = Gate(note, 1.0);
    const auto frames = static_cast<size_t>((gate + kRelease) * kRate);
    const size_t at = FrameOfEighth(note.start);
    const double low = Frequency(note.key) * (1 - kDetune), high = Frequency(note.key) * (1 + kDetune);
    const Wavetable& lowTable = pad.For(low, 3000);
    const Wavetable& highTable = pad.For(high, 3000);
    double lowPhase = 0, highPhase = 0.37;
    for (size_t n = 0; n < frames; ++n) {
      const double t = static_cast<double>(n) / kRate;
      const double level = 0.5 * Envelope(t, gate, 0.3, 0.5, 0.8, kRelease);
      const double a = level * lowTable.At(lowPhase), b = level * highTable.At(highPhase);
      Add(out, at + n, a * farLeft + b * nearLeft, a * nearRight + b * farRight);
      lowPhase += low / kRate;
      lowPhase -= std::floor(lowPhase);
      highPhase += high / kRate;
      highPhase -= std::floor(highPhase);
    }
  }
}

// The lead: a rounded tone with a vibrato that grows into long notes, a little left
// of centre, with an echo a dotted eighth later on the right and twice that on the left.
void RenderMelody(StereoTrack& out) {
  Timbre lead(Lead);
  constexpr double kRelease = 0.15;
  std::vector<double> dry(out.left.size(), 0.0);
  for (const Note& note : MelodyLine()) {
    const double frequency = Frequency(note.key);
    const Wavetable& table = lead.For(frequency, 6000);
    const double gate = Gate(note, 0.92);
    const auto frames = static_cast<size_t>((gate + kRelease) * kRate);
    const size_t at = FrameOfEighth(note.start);
    double phase = 0;
    for (size_t n = 0; n < frames && at + n < dry.size(); ++n) {
      const double t = static_cast<double>(n) / kRate;
      const double depth = 0.004 * std::clamp((t - 0.18) / 0.25, 0.0, 1.0);
      dry[at + n] += table.At(phase) * Envelope(t, gate, 0.012, 0.3, 0.55, kRelease);
      phase += frequency * (1 + depth * std::sin(kTwoPi * 5.2 * t)) / kRate;
      phase -= std::floor(phase);
    }
  }
  const size_t delay = kFramesPerEighth * 3 / 2;
  const auto [left, right] = Pan(0.42);
  for (size_t n = 0; n < dry.size(); ++n) {
    const double once = n >= delay ? dry[n - delay] : 0.0;
    const double twice = n >= 2 * delay ? dry[n - 2 * delay] : 0.0;
    Add(out, n, dry[n] * left + 0.16 * twice, dry[n] * right + 0.26 * once);
  }
}

StereoTrack Silent() {
  return {std::vector<float>(kFrames, 0.0f), std::vector<float>(kFrames, 0.0f)};
}

}  // namespace

double Frequency(int key) {
  return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

std::vector<Note> BassLine() {
  // Per bar: the root, again, its octave, the root, the fifth and the octave.
  constexpr std::array<std::array<int, 3>, 6> kFigure = {
      {{0, 2, 0}, {2, 1, 0}, {3, 1, 12}, {4, 2, 0}, {6, 1, 7}, {7, 1, 12}}};
  std::vector<Note> notes;
  for (int bar = 0; bar < kProgressionBars; ++bar) {
    const int root = kBassRoots[static_cast<size_t>(bar % 4)];
    for (const auto& [start, length, interval] : kFigure) {
      notes.push_back({bar * kEighthsPerBar + start, length, root + interval});
    }
  }
  notes.push_back({kLastBar * kEighthsPerBar, kEighthsPerBar, kBassRoots[0]});
  return notes;
}

std::vector<Note> ChordNotes() {
  std::vector<Note> notes;
  for (int bar = 0; bar < kProgressionBars; ++bar) {
    for (int key : kChordVoicing[static_cast<size_t>(bar % 4)]) {
      notes.push_back({bar * kEighthsPerBar, kEighthsPerBar, key});
    }
  }
  for (int key : kChordVoicing[0]) notes.push_back({kLastBar * kEighthsPerBar, kEighthsPerBar, key});
  notes.push_back({kLastBar * kEighthsPerBar, kEighthsPerBar, 69});
  return notes;
}

std::vector<Note> MelodyLine() {
  // Three four-bar phrases over the progression, each bar as (start, length, key)
  // within the bar, and the closing A.
  const std::vector<std::vector<std::array<int, 3>>> kBars = {
      {{0, 2, 69}, {2, 1, 72}, {3, 3, 76}, {6, 1, 74}, {7, 1, 72}},
      {{0, 3, 69}, {3, 1, 72}, {4, 2, 77}, {6, 2, 76}},
      {{0, 3, 72}, {3, 1, 74}, {4, 2, 76}, {6, 2, 79}},
      {{0, 4, 74}, {4, 2, 71}, {6, 2, 67}},
      {{0, 2, 76}, {2, 1, 76}, {3, 1, 74}, {4, 2, 72}, {6, 1, 71}, {7, 1, 72}},
      {{0, 3, 69}, {3, 1, 72}, {4, 4, 77}},
      {{0, 2, 76}, {2, 2, 79}, {4, 2, 76}, {6, 2, 72}},
      {{0, 4, 74}, {4, 2, 71}, {6, 2, 74}},
      {{0, 3, 81}, {3, 1, 79}, {4, 2, 76}, {6, 2, 72}},
      {{0, 2, 77}, {2, 1, 76}, {3, 1, 74}, {4, 2, 72}, {6, 2, 69}},
      {{0, 2, 67}, {2, 2, 72}, {4, 2, 76}, {6, 2, 79}},
      {{0, 2, 79}, {2, 1, 77}, {3, 1, 76}, {4, 2, 74}, {6, 2, 71}},
      {{0, 8, 69}},
  };
  std::vector<Note> notes;
  for (size_t bar = 0; bar < kBars.size(); ++bar) {
    for (const auto& [start, length, key] : kBars[bar]) {
      notes.push_back({static_cast<int>(bar) * kEighthsPerBar + start, length, key});
    }
  }
  return notes;
}

std::array<StereoTrack, kPartCount> Synthesise() {
  std::array<StereoTrack, kPartCount> parts = {Silent(), Silent(), Silent(), Silent()};
  RenderDrums(parts[kDrums]);
  RenderBass(parts[kBass]);
  RenderChords(parts[kChords]);
  RenderMelody(parts[kMelody]);

  // The balance of the parts, then one gain for all four so that their sum peaks at
  // kMixPeak, with the fades applied to every part alike.
  constexpr std::array<double, kPartCount> kBalance = {1.12, 0.6, 0.24, 0.7};
  const auto fadeIn = static_cast<size_t>(kFadeInSeconds * kRate);
  const auto fadeOut = static_cast<size_t>(kFadeOutSeconds * kRate);
  std::vector<double> fade(kFrames, 1.0);
  for (size_t n = 0; n < fadeIn; ++n) fade[n] = static_cast<double>(n) / fadeIn;
  for (size_t n = 0; n < fadeOut; ++n) {
    // A raised-cosine fade reaching zero at the last frame.
    const double progress = static_cast<double>(n + 1) / fadeOut;
    fade[kFrames - fadeOut + n] = 0.5 * (1 + std::cos(std::numbers::pi * progress));
  }
  double peak = 0;
  for (size_t n = 0; n < kFrames; ++n) {
    double left = 0, right = 0;
    for (int p = 0; p < kPartCount; ++p) {
      left += kBalance[static_cast<size_t>(p)] * parts[static_cast<size_t>(p)].left[n];
      right += kBalance[static_cast<size_t>(p)] * parts[static_cast<size_t>(p)].right[n];
    }
    peak = std::max({peak, std::abs(left * fade[n]), std::abs(right * fade[n])});
  }
  const double gain = peak > 0 ? kMixPeak / peak : 1.0;
  for (int p = 0; p < kPartCount; ++p) {
    StereoTrack& part = parts[static_cast<size_t>(p)];
    const double partGain = gain * kBalance[static_cast<size_t>(p)];
    for (size_t n = 0; n < kFrames; ++n) {
      part.left[n] = static_cast<float>(part.left[n] * partGain * fade[n]);
      part.right[n] = static_cast<float>(part.right[n] * partGain * fade[n]);
    }
  }
  return parts;
}

std::vector<uint8_t> ToPcm16(const StereoTrack& track) {
  const size_t frames = std::min(track.left.size(), track.right.size());
  std::vector<uint8_t> bytes(frames * 4);
  auto put = [&bytes](size_t at, float value) {
    const auto sample = static_cast<int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    const auto bits = static_cast<uint16_t>(sample);
    bytes[at] = static_cast<uint8_t>(bits & 0xff);
    bytes[at + 1] = static_cast<uint8_t>(bits >> 8);
  };
  for (size_t n = 0; n < frames; ++n) {
    put(4 * n, track.left[n]);
    put(4 * n + 2, track.right[n]);
  }
  return bytes;
}

}  // namespace intro_music
