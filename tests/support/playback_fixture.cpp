#include "tests/support/playback_fixture.h"

#include "engine/audio_failure_dialog.h"

std::string Frames(const std::vector<std::pair<int16_t, int16_t>>& frames) {
  std::string bytes;
  for (auto [left, right] : frames) {
    for (int16_t value : {left, right}) {
      bytes += static_cast<char>(static_cast<uint16_t>(value) & 0xFF);
      bytes += static_cast<char>(static_cast<uint16_t>(value) >> 8);
    }
  }
  return bytes;
}

std::string Constant(uint32_t frames, int16_t left, int16_t right) {
  std::string one = Frames({{left, right}});
  std::string bytes;
  bytes.reserve(frames * 4);
  for (uint32_t n = 0; n < frames; ++n) bytes += one;
  return bytes;
}

std::vector<int16_t> Samples(const std::string& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t s = 0; s < samples.size(); ++s) {
    samples[s] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * s]) | static_cast<uint8_t>(bytes[2 * s + 1]) << 8);
  }
  return samples;
}

std::string PlaybackTest::Tone(uint32_t bytes, uint8_t seed) {
  std::string data = Pattern(bytes, seed);
  for (size_t i = 1; i < data.size(); i += 2) data[i] = static_cast<char>(data[i] & 0x3F);
  return data;
}

void PlaybackTest::SetUp() {
  DocumentTest::SetUp();
  ASSERT_TRUE(app->m_player.IsOpen());
  ASSERT_EQ(system->wave.Outputs().size(), 1u);
  system->dialogs.OnShow("audio_failure_dialog",
                         [this](platform::DialogLogic&, platform::MemoryDialogSurface& surface) {
                           failures.push_back({surface.Caption(), surface.Control(IDC_FAILURE_TEXT)->GetText(),
                                               surface.Control(IDC_FAILURE_LINK)->GetText()});
                         });
}

platform::VirtualWaveOut& PlaybackTest::Output() {
  return *system->wave.Outputs().front();
}

void PlaybackTest::Run(uint32_t ms) {
  for (uint32_t done = 0; done < ms; done += 10) {
    system->clock.Advance(10);
    system->wave.Pump();
    while (system->timers.DispatchOne()) {
    }
  }
}

bool PlaybackTest::RunUntilStopped(uint32_t limitMs) {
  for (uint32_t done = 0; done < limitMs && app->m_bPlaying; done += 10) Run(10);
  return !app->m_bPlaying && player().State() == PlayerIdle;
}

std::string PlaybackTest::NewlyPlayed() {
  const std::vector<char>& played = Output().Played();
  std::string fresh(played.begin() + static_cast<std::ptrdiff_t>(m_playedSeen), played.end());
  m_playedSeen = played.size();
  return fresh;
}
