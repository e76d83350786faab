#include "modules/stereo_resampler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using codec::StereoResampler;

// Resamples the frames fed in pieces of the given size.
std::vector<int16_t> Resample(const std::vector<int16_t>& frames, uint32_t inRate, uint32_t outRate, size_t piece) {
  std::vector<int16_t> out;
  auto emit = [&out](const int16_t frame[2]) {
    out.push_back(frame[0]);
    out.push_back(frame[1]);
    return true;
  };
  StereoResampler resampler;
  resampler.Start(inRate, outRate);
  for (size_t at = 0; at < frames.size() / 2; at += piece) {
    size_t count = std::min(piece, frames.size() / 2 - at);
    EXPECT_TRUE(resampler.Push(frames.data() + 2 * at, count, emit));
  }
  EXPECT_TRUE(resampler.Finish(emit));
  return out;
}

std::vector<int16_t> Ramp(size_t frames) {
  std::vector<int16_t> samples;
  for (size_t i = 0; i < frames; ++i) {
    samples.push_back(static_cast<int16_t>(i * 97 % 60000 - 30000));
    samples.push_back(static_cast<int16_t>(20000 - static_cast<int>(i * 31 % 40000)));
  }
  return samples;
}

TEST(StereoResamplerTest, LengthFollowsTheRatioWhateverThePieces) {
  std::vector<int16_t> input = Ramp(10007);
  for (uint32_t rate : {8000u, 11025u, 12000u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u}) {
    std::vector<int16_t> whole = Resample(input, rate, 44100, input.size());
    uint64_t expected = (10007ull * 44100 + rate / 2) / rate;
    EXPECT_EQ(whole.size(), 2 * expected) << rate;
    for (size_t piece : {1u, 7u, 1152u}) EXPECT_EQ(Resample(input, rate, 44100, piece), whole) << rate << " " << piece;
  }
  EXPECT_TRUE(Resample({}, 22050, 44100, 10).empty());
}

TEST(StereoResamplerTest, EqualRatesPassThroughAndDoublingInterpolates) {
  std::vector<int16_t> input = Ramp(3000);
  EXPECT_EQ(Resample(input, 44100, 44100, 333), input);

  std::vector<int16_t> doubled = Resample(input, 22050, 44100, 100);
  ASSERT_EQ(doubled.size(), 2 * input.size());
  for (size_t j = 0; j + 2 < input.size(); ++j) {
    size_t frame = j / 2;
    for (size_t c = 0; c < 2; ++c) {
      int a = input[2 * frame + c], b = input[2 * (frame + 1) + c];
      int want = j % 2 == 0 ? a : (a + 32768 + b + 32768 + 1) / 2 - 32768;  // the midpoint, rounded up
      ASSERT_EQ(doubled[2 * j + c], want) << j;
    }
  }
  // The last input frame is held to the end.
  EXPECT_EQ(doubled[doubled.size() - 2], input[input.size() - 2]);
  EXPECT_EQ(doubled.back(), input.back());
}

}  // namespace
