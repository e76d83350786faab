#pragma once

#include <array>
#include <cstdint>

// The metronome's clicks mixed into the playback buffers of a take: a side stick on
// every beat, or a bass drum and a snare drum on the beats with a hi-hat on every half
// beat; the first beat of a measure accented if wanted. A click that a buffer's end
// cuts goes on at the start of the next buffer.
class MetronomeClicks {
 public:
  static constexpr uint32_t kBufferBytes = 88200;  // half a second
  static constexpr uint32_t kClickBytes = 8192;
  static constexpr uint32_t kClickValues = kClickBytes / 2;
  using Click = std::array<int16_t, kClickValues>;
  enum Voice { kStick, kBass, kSnare, kHiHat, kVoiceCount };

  struct Settings {
    bool on = false;
    uint32_t bpm = 100;
    int measure = 1;  // 0 none, 1 four beats, 2 three beats
    bool accent = true;
    bool stick = true;
  };

  // The bytes from one beat to the next at a tempo (a tempo of 0 counts as 100).
  static uint32_t BeatBytes(uint32_t bpm);

  // The click of a voice, in the project's PCM (left and right interleaved); the
  // metronome stays silent while any voice has none.
  void SetClick(Voice voice, const Click& click);
  void SetClickMissing(Voice voice);
  bool ClicksMissing() const;

  // New settings; the beat count and the cut clicks start afresh.
  void Apply(const Settings& settings);
  // A tempo changed while the clicks sound.
  void SetTempo(uint32_t bpm);
  // A take starts: the beats are counted from its position again, so the accents fall
  // on the project's measures in every take.
  void StartTake();
  const Settings& Current() const { return m_settings; }

  // Adds the clicks that fall into the buffer of kBufferBytes whose first byte is the
  // project position `position`, at the level gain.
  void Mix(int16_t* buffer, uint32_t position, float gain);

 private:
  // One voice's clicks in the buffer; returns the bytes of its last click still to
  // come in the next buffer.
  uint32_t MixVoice(int16_t* buffer, uint32_t position, Voice main, Voice other, uint32_t interval, uint32_t carry,
                    bool counted, float gain);
  // The click and the factor of the beat numbered beat.
  void Choose(uint32_t beat, Voice main, Voice other, bool counted, Voice& voice, float& factor) const;
  static void Add(int16_t* out, const int16_t* click, uint32_t values, float scale);

  Settings m_settings;
  uint32_t m_beatBytes = BeatBytes(100);
  uint32_t m_stickCarry = 0;
  uint32_t m_beatCarry = 0;
  uint32_t m_hihatCarry = 0;
  uint32_t m_beatCounter = 0;
  std::array<Click, kVoiceCount> m_clicks{};
  std::array<bool, kVoiceCount> m_missing{true, true, true, true};
};
