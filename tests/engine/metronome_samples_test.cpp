#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "assets/metronome_samples.h"

namespace {

using metronome_samples::kSamples;

std::vector<int> Left(const std::vector<uint8_t>& bytes) {
  std::vector<int> values;
  for (size_t i = 0; i + 3 < bytes.size(); i += 4) values.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
  return values;
}

// Sign changes per second: a rough measure of how high a sound is.
double Crossings(const std::vector<int>& values) {
  int changes = 0;
  for (size_t i = 1; i < values.size(); ++i) changes += (values[i - 1] < 0) != (values[i] < 0);
  return changes * 44100.0 / static_cast<double>(values.size());
}

TEST(MetronomeSamplesTest, EachClickIsLoudWithRoomForTheAccentAndEndsInSilence) {
  for (const auto& sample : kSamples) {
    const std::vector<uint8_t> bytes = sample.make();
    ASSERT_EQ(bytes.size(), metronome_samples::kSampleBytes) << sample.fileName;
    const std::vector<int> values = Left(bytes);
    int peak = 0;
    for (int value : values) peak = std::max(peak, std::abs(value));
    EXPECT_GT(peak, 12000) << sample.fileName;
    EXPECT_LT(peak, 16350) << sample.fileName << ": doubled it would clip";
    EXPECT_LT(std::abs(values.back()), 30) << sample.fileName;
    // Most of its energy comes in its first half: a click, not a tone.
    double head = 0, tail = 0;
    for (size_t i = 0; i < values.size(); ++i) (i < values.size() / 2 ? head : tail) += std::pow(values[i], 2.0);
    EXPECT_GT(head, tail) << sample.fileName;
    EXPECT_EQ(bytes, sample.make()) << sample.fileName << " is made the same every time";
  }
}

TEST(MetronomeSamplesTest, TheDrumsLieWhereTheirInstrumentsDo) {
  std::map<std::string, double> pitch;
  for (const auto& sample : kSamples) pitch[sample.fileName] = Crossings(Left(sample.make()));
  EXPECT_LT(pitch["bass.dat"], 400);     // a thump of a hundred hertz or so
  EXPECT_GT(pitch["hihat.dat"], 8000);   // a hiss high above everything
  EXPECT_GT(pitch["snare.dat"], pitch["bass.dat"] * 4);
  EXPECT_LT(pitch["snare.dat"], pitch["hihat.dat"]);
  EXPECT_GT(pitch["metro.dat"], pitch["bass.dat"] * 4);
}

}  // namespace
