#include <gtest/gtest.h>

#include <cstring>

#include "core/mixer_config.h"

namespace {

int32_t Int32At(const MixerConfig::Bytes& bytes, size_t at) {
  return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                              static_cast<uint32_t>(bytes[at + 3]) << 24);
}
int16_t Int16At(const MixerConfig::Bytes& bytes, size_t at) {
  return static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
}

TEST(MixerConfig, FirstRunRecordHasEveryFieldAtItsOffset) {
  MixerConfig::Bytes bytes = MixerConfig::FirstRunDefaults("/home/ann/sonavel_audio", 1, true).Encode();
  ASSERT_EQ(bytes.size(), 348u);
  EXPECT_EQ(std::memcmp(bytes.data(), "SNVX30\0", 7), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 7), "/home/ann/sonavel_audio");
  EXPECT_EQ(bytes[267], 0);
  EXPECT_EQ(Int32At(bytes, 268), 1);
  EXPECT_EQ(Int32At(bytes, 272), 1);
  EXPECT_EQ(Int32At(bytes, 276), 1);
  EXPECT_EQ(Int32At(bytes, 280), 1);
  EXPECT_EQ(bytes[284], 1);
  EXPECT_EQ(bytes[285], 1);
  EXPECT_EQ(Int16At(bytes, 286), 0);
  EXPECT_EQ(Int32At(bytes, 288), 1);
  EXPECT_EQ(Int16At(bytes, 292), 100);
  EXPECT_EQ(bytes[294], 10);
  EXPECT_EQ(bytes[295], 0);
  EXPECT_EQ(Int16At(bytes, 296), 0);
  for (size_t track = 0; track < 8; ++track) {
    EXPECT_EQ(Int16At(bytes, 298 + 2 * track), 0) << track;
    EXPECT_EQ(Int16At(bytes, 314 + 2 * track), 7) << track;
    EXPECT_EQ(Int16At(bytes, 330 + 2 * track), 2) << track;
  }
  EXPECT_EQ(Int16At(bytes, 346), 0);
  EXPECT_EQ(MixerConfig::FirstRunDefaults("/x", 0, false).Encode()[280], 0);
}

TEST(MixerConfig, DecodeReadsWhatEncodeWrote) {
  MixerConfig config = MixerConfig::FirstRunDefaults("/data/audio", 2, false);
  config.metronomeTempo = -3;  // signed fields keep their sign
  config.waveColour[7] = 8;
  config.timeDisplayType = 2;
  MixerConfig::Bytes bytes = config.Encode();
  MixerConfig back = MixerConfig::Decode(bytes.data(), bytes.size());
  EXPECT_EQ(back.audioFolder, "/data/audio");
  EXPECT_TRUE(back.audioFolderTerminated);
  EXPECT_EQ(back.waveInDevice, 2);
  EXPECT_EQ(back.metronomeTempo, -3);
  EXPECT_EQ(back.waveColour[7], 8);
  EXPECT_EQ(back.timeDisplayType, 2);
  EXPECT_EQ(back.Encode(), bytes);
}

TEST(MixerConfig, ShortRecordKeepsWhatArrivedAndZeroesTheRest) {
  MixerConfig::Bytes bytes = MixerConfig::FirstRunDefaults("/a", 5, true).Encode();
  MixerConfig part = MixerConfig::Decode(bytes.data(), 270);  // ends inside the input device index
  EXPECT_EQ(part.audioFolder, "/a");
  EXPECT_EQ(part.waveInDevice, 5);  // its low bytes arrived
  EXPECT_EQ(part.waveOutDevice, 0);
  EXPECT_EQ(part.metronomeTempo, 0);
}

TEST(MixerConfig, FolderWithoutTerminatorIsFlaggedAndNeverOverruns) {
  MixerConfig::Bytes bytes{};
  std::memset(bytes.data() + 7, 'a', 261);  // runs over the folder field into the reserved byte
  MixerConfig config = MixerConfig::Decode(bytes.data(), bytes.size());
  EXPECT_FALSE(config.audioFolderTerminated);
  EXPECT_EQ(config.audioFolder.size(), 260u);
  EXPECT_TRUE(MixerConfig::FitsAudioFolder(std::string(259, 'x')));
  EXPECT_FALSE(MixerConfig::FitsAudioFolder(std::string(260, 'x')));
}

}  // namespace
