#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The music of the intro project: one short piece in A minor at 100 beats per minute,
// four bars of the progression Am - F - C - G played three times and a closing bar of
// A minor, as four parts that are synthesised here from nothing but oscillators and
// noise.
namespace intro_music {

inline constexpr int kSampleRate = 44100;
inline constexpr int kTempo = 100;  // beats per minute; the metronome's default too
inline constexpr int kBeatsPerBar = 4;
inline constexpr int kBars = 13;
// 100 beats per minute at 44100 Hz gives whole frames for every eighth and sixteenth.
inline constexpr uint32_t kFramesPerBeat = kSampleRate * 60 / kTempo;
inline constexpr uint32_t kFramesPerEighth = kFramesPerBeat / 2;
inline constexpr uint32_t kFramesPerBar = kFramesPerBeat * kBeatsPerBar;
inline constexpr uint32_t kFrames = kFramesPerBar * kBars;
// The loudest the four parts reach together, as a fraction of full scale. The rest is
// headroom for the MP3 round trip, whose peaks can lie a little above the source's.
inline constexpr double kMixPeak = 0.7;
// The closing fade-out and the short fade-in at the very start.
inline constexpr double kFadeOutSeconds = 2.0;
inline constexpr double kFadeInSeconds = 0.01;

enum Part { kDrums, kBass, kChords, kMelody, kPartCount };
inline constexpr std::array<const char*, kPartCount> kPartNames = {"Drums", "Bass", "Chords", "Melody"};

// A note of the score: its start and length in eighths from the start of the piece,
// and its MIDI key number (69 is the A at 440 Hz).
struct Note {
  int start;
  int length;
  int key;
};

// The pitched parts of the score, in time order.
std::vector<Note> BassLine();
std::vector<Note> ChordNotes();
std::vector<Note> MelodyLine();

// The equal-tempered frequency of a MIDI key.
double Frequency(int key);

// One part as stereo samples; full scale is 1.0.
struct StereoTrack {
  std::vector<float> left, right;
};

// The four parts, kFrames frames each, in the order of Part, scaled together so that
// their sum peaks at kMixPeak. The same every time.
std::array<StereoTrack, kPartCount> Synthesise();

// The project's PCM format: 16-bit little-endian stereo frames, left first; samples
// beyond full scale are held at it.
std::vector<uint8_t> ToPcm16(const StereoTrack& track);

}  // namespace intro_music
