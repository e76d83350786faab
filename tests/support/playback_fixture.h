#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/audio_player.h"
#include "tests/support/document_fixture.h"

// Stereo 16-bit audio from left and right sample values.
std::string Frames(const std::vector<std::pair<int16_t, int16_t>>& frames);
// frames copies of one frame.
std::string Constant(uint32_t frames, int16_t left, int16_t right);
// The samples of 16-bit stereo bytes, left then right of each frame.
std::vector<int16_t> Samples(const std::string& bytes);

// A started application playing through the scripted system's virtual output, with
// time moved by hand: the device plays and the engine's 40 ms timer fires only when
// the test lets time pass.
class PlaybackTest : public DocumentTest {
 protected:
  void SetUp() override;

  platform::VirtualWaveOut& Output();
  // Lets ms pass in steps of 10 ms: the device plays, then due timers fire.
  void Run(uint32_t ms);
  // Runs until playback has stopped (at most limitMs); true when it stopped.
  bool RunUntilStopped(uint32_t limitMs = 60000);
  // Moves the clock without the device or the timers getting a turn: the interface
  // thread stalls.
  void Stall(uint32_t ms) { system->clock.Advance(ms); }
  // Bytes the device played since the last call.
  std::string NewlyPlayed();
  // The layouts of the failure dialogs shown, with their captions and paragraphs.
  struct FailureShown {
    std::string caption, text, link;
  };
  std::vector<FailureShown> failures;

  // Distinct frames whose samples stay inside +-32700, so that one track at unity
  // plays back exactly.
  static std::string Tone(uint32_t bytes, uint8_t seed);

  AudioPlayerNonThreaded& player() { return app->m_player; }
  size_t m_playedSeen = 0;
};
