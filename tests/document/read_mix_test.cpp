// The playback mix of one buffer: gains, clamps, solo and mute, short tracks, and the
// track files kept in step.

#include <algorithm>

#include "document/mix_samples.h"
#include "tests/support/playback_fixture.h"

namespace {

class ReadMixTest : public PlaybackTest {
 protected:
  // The mix of length bytes at position, as samples.
  std::vector<int16_t> Mix(uint32_t length, uint32_t position) {
    std::string buffer(length, '\x55');
    EXPECT_EQ(doc->ReadMix(buffer.data(), length, position), 1);
    return Samples(buffer);
  }
  long FilePosition(int track) { return std::ftell(doc->Track(track).m_PCM.fp); }
  void SeekAll(uint32_t position) { ASSERT_EQ(doc->TrackSeekOnLeftButton(position), 1); }
};

TEST_F(ReadMixTest, SoloAndMuteSilenceTracksWhileEveryFileAdvances) {
  LoadTrack(0, Constant(1000, 100, -100));
  LoadTrack(1, Constant(1000, 2000, -2000));
  LoadTrack(2, Constant(1000, 30, 40));
  SeekAll(0);
  EXPECT_EQ(Mix(400, 0), Samples(Constant(100, 2130, -2060)));

  // A soloed track is heard alone; the others are read all the same.
  doc->Track(1).m_bSolo = 1;
  EXPECT_EQ(Mix(400, 400), Samples(Constant(100, 2000, -2000)));
  for (int track = 0; track < 3; ++track) EXPECT_EQ(FilePosition(track), 800) << track;

  // Muted and soloed at once: silent, and nothing else is heard either.
  doc->Track(1).m_bMuted = 1;
  EXPECT_EQ(Mix(400, 800), Samples(Constant(100, 0, 0)));

  // Without solo, a muted track drops out of the sum.
  doc->Track(1).m_bSolo = 0;
  EXPECT_EQ(Mix(400, 1200), Samples(Constant(100, 130, -60)));
  for (int track = 0; track < 3; ++track) EXPECT_EQ(FilePosition(track), 1600) << track;
}

TEST_F(ReadMixTest, SumsAndFullScaleSamplesClampAt32700) {
  LoadTrack(0, Frames({{30000, -30000}, {32767, -32768}, {100, -100}}));
  LoadTrack(1, Frames({{30000, -30000}, {0, 0}, {32700, -32700}}));
  SeekAll(0);
  EXPECT_EQ(Mix(12, 0), (std::vector<int16_t>{32700, -32700, 32700, -32700, 32700, -32700}));
}

TEST_F(ReadMixTest, LevelTenIsUnityAndSixtySilences) {
  const std::string pattern = Frames({{12345, -23456}, {-1, 1}, {32000, -32000}, {7, -7}});
  LoadTrack(0, pattern);
  SeekAll(0);
  EXPECT_EQ(Mix(16, 0), Samples(pattern));

  SeekAll(0);
  app->m_boardTracks.SetTrackLevel(0, kSilentLevel, kLevelLeft);
  EXPECT_EQ(Mix(16, 0), Samples(Frames({{0, -23456}, {0, 1}, {0, -32000}, {0, -7}})));

  SeekAll(0);
  app->m_boardTracks.SetTrackLevel(0, kUnityLevel, kLevelLeft);
  app->m_boardMain.SetMasterLevel(kSilentLevel, kLevelRight);
  EXPECT_EQ(Mix(16, 0), Samples(Frames({{12345, 0}, {-1, 0}, {32000, 0}, {7, 0}})));
}

TEST_F(ReadMixTest, TrackAndMasterGainsMultiplyAndTruncate) {
  LoadTrack(0, Frames({{1000, -1000}, {3, -3}}));
  SeekAll(0);
  app->m_boardTracks.SetTrackLevel(0, 4, kLevelBoth);  // +6 dB: 1.99
  app->m_boardMain.SetMasterLevel(16, kLevelBoth);     // -6 dB: 0.50
  // 1000 x 1.99 = 1990, x 0.5 = 995; 3 x 1.99 = 5.97 -> 5, x 0.5 = 2.5 -> 2.
  EXPECT_EQ(Mix(8, 0), (std::vector<int16_t>{995, -995, 2, -2}));
}

TEST_F(ReadMixTest, AShortTrackStopsContributingAtItsLength) {
  LoadTrack(0, Constant(250, 1000, 1000));  // 1000 bytes
  LoadTrack(1, Constant(2000, 10, 20));
  SeekAll(0);
  std::vector<int16_t> mix = Mix(4000, 0);
  EXPECT_EQ(std::vector<int16_t>(mix.begin(), mix.begin() + 500), Samples(Constant(250, 1010, 1020)));
  EXPECT_EQ(std::vector<int16_t>(mix.begin() + 500, mix.end()), Samples(Constant(750, 10, 20)));
  // Past its end the short track's file is not read at all.
  EXPECT_EQ(FilePosition(0), 1000);
  EXPECT_EQ(Mix(400, 4000), Samples(Constant(100, 10, 20)));
  EXPECT_EQ(FilePosition(0), 1000);
  EXPECT_EQ(FilePosition(1), 4400);
}

TEST_F(ReadMixTest, AFileOutOfStepIsReadAtThePositionAsked) {
  LoadTrack(0, Frames({{1, 2}, {3, 4}, {5, 6}}));
  SeekAll(0);
  EXPECT_EQ(Mix(4, 8), (std::vector<int16_t>{5, 6}));
}

TEST_F(ReadMixTest, RefusesAMissingBufferAndMoreThanHalfASecond) {
  LoadTrack(0, Constant(30000, 1, 1));
  std::string big(88204, '\0');
  EXPECT_EQ(doc->ReadMix(nullptr, 4, 0), 0);
  EXPECT_EQ(doc->ReadMix(big.data(), 88204, 0), 0);
  EXPECT_EQ(doc->ReadMix(big.data(), 88200, 0), 1);
}

TEST(MixSamples, SixteenBitUnitySumsClampLikeWideOnesAtEveryPlace) {
  // Every sum from the extremes inwards, at every lane and in the tail past the last
  // whole group of eight.
  const int16_t inputs[] = {32767, -32768, 32700, -32700, 1, -1, 0, 16000, -16001, 100};
  const int16_t mixes[] = {32700, -32700, 0, 32699, -32699, 32600, -100, 16701};
  std::vector<int16_t> in, narrow;
  std::vector<int> wide, start;
  auto add = [&](int16_t sample, int16_t mix) {
    in.push_back(sample), narrow.push_back(mix), wide.push_back(mix), start.push_back(mix);
  };
  for (int16_t sample : inputs) {
    for (int16_t mix : mixes) add(sample, mix);
  }
  add(-32768, -32700);
  AddScaledSamples(narrow.data(), in.data(), in.size(), {1.0f, 1.0f});
  AddScaledSamples(wide.data(), in.data(), in.size(), {1.0f, 1.0f});
  for (size_t s = 0; s < in.size(); ++s) {
    EXPECT_EQ(narrow[s], wide[s]) << "sample " << s;
    EXPECT_EQ(wide[s], std::clamp(start[s] + in[s], -32700, 32700)) << "sample " << s;
  }
}

TEST(MixSamples, ShareOneArithmeticForIntAndSixteenBitMixes) {
  const std::string bytes = Frames({{20000, -20000}, {-5, 5}});
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  int16_t narrow[4] = {20000, -20000, 0, 0};
  int wide[4] = {20000, -20000, 0, 0};
  AddScaledSamples(narrow, data, 4, {1.0f, 0.5f});
  AddScaledSamples(wide, data, 4, {1.0f, 0.5f});
  EXPECT_EQ(std::vector<int>(narrow, narrow + 4), std::vector<int>(wide, wide + 4));
  EXPECT_EQ(std::vector<int>(wide, wide + 4), (std::vector<int>{32700, -30000, -5, 2}));
  ApplyMasterGain(wide, 4, {2.0f, 0.0f});
  EXPECT_EQ(std::vector<int>(wide, wide + 4), (std::vector<int>{32700, 0, -10, 0}));
  EXPECT_EQ(LevelGain(-1), 1.0f);
  EXPECT_EQ(LevelGain(61), 1.0f);
  EXPECT_EQ(LevelGain(kUnityLevel), 1.0f);
  EXPECT_EQ(LevelGain(kSilentLevel), 0.0f);
}

}  // namespace

namespace {

TEST_F(ReadMixTest, TheMetronomeIsSilentInPlainPlaybackWhateverItsSettings) {
  MetronomeClicks::Click click;
  click.fill(5000);
  for (int voice = 0; voice < MetronomeClicks::kVoiceCount; ++voice) {
    app->m_metronomeDialog.Clicks().SetClick(static_cast<MetronomeClicks::Voice>(voice), click);
  }
  app->m_metronomeDialog.Accept({1, 1, 0, 1, 120, 0});
  ASSERT_TRUE(app->m_metronomeDialog.IsOn());
  const std::string pattern = Constant(22050, 100, -100);
  LoadTrack(0, pattern);
  SeekAll(0);
  EXPECT_EQ(Mix(88200, 0), Samples(pattern));
}

}  // namespace
