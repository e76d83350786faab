#include <filesystem>

#include "audio_store/wave_header.h"
#include "tests/modules/codec_fixture.h"

namespace {

namespace fs = std::filesystem;

using WaveDecodeTest = CodecTest;

TEST_F(WaveDecodeTest, EightBitAudioBecomesSixteenBit) {
  REQUIRE_TOOLS("sox");
  std::string raw;
  for (int i = 0; i < 22050; ++i) raw += static_cast<char>((i * 37) % 256);
  WaveResult got = DecodeWave(SoxFromRaw(raw, 1, 22050, "", "eight.wav", "-e unsigned -b 8"));
  ASSERT_EQ(got.result, kCodecDone);
  EXPECT_EQ(got.quality.channels, 1);
  EXPECT_EQ(got.quality.bitsPerSample, 16);
  EXPECT_EQ(got.quality.sampleRate, 22050);
  EXPECT_EQ(got.dataBytes, 2u * raw.size());
  std::vector<int16_t> samples = ToSamples(got.pcm);
  ASSERT_EQ(samples.size(), raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    ASSERT_EQ(samples[i], (static_cast<uint8_t>(raw[i]) - 128) * 256) << i;
  }
}

TEST_F(WaveDecodeTest, PlainWideExtensibleAndFloatFilesGiveTheSameSixteenBitAudio) {
  REQUIRE_TOOLS("sox");
  std::string raw = ToBytes(Tones(20000, 2, 48000));
  // sox writes 24-bit audio as an extensible file and float as format 3.
  std::string wide = SoxFromRaw(raw, 2, 48000, "-b 24", "wide.wav");
  EXPECT_EQ(U16At(ReadFileBytes(wide), 20), 0xFFFE);
  std::string floating = SoxFromRaw(raw, 2, 48000, "-e floating-point -b 32", "float.wav");
  EXPECT_EQ(U16At(ReadFileBytes(floating), 20), 3);
  for (const std::string& file :
       {SoxFromRaw(raw, 2, 48000, "", "plain.wav"), wide, floating, SoxFromRaw(raw, 2, 48000, "-b 32", "int32.wav"),
        SoxFromRaw(raw, 2, 48000, "-e floating-point -b 64", "double.wav")}) {
    WaveResult got = DecodeWave(file);
    ASSERT_EQ(got.result, kCodecDone) << file;
    EXPECT_EQ(got.quality.channels, 2);
    EXPECT_EQ(got.quality.bitsPerSample, 16);
    EXPECT_EQ(got.quality.sampleRate, 48000);
    EXPECT_EQ(got.dataBytes, raw.size());
    EXPECT_EQ(got.pcm, raw) << file;
  }
}

TEST_F(WaveDecodeTest, WideSamplesRoundToTheNearestAndClipAtFullScale) {
  REQUIRE_TOOLS("sox");
  // 24-bit values: just below and at a half step, negative ones, and the largest.
  std::vector<int32_t> values{0x7F, 0x80, -0x80, -0x81, 0x12345, 0x7FFFFF, -0x800000};
  std::string raw;
  for (int32_t v : values) {
    for (int i = 0; i < 3; ++i) raw += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
  }
  WaveResult got = DecodeWave(SoxFromRaw(raw, 1, 8000, "", "round.wav", "-e signed -b 24"));
  ASSERT_EQ(got.result, kCodecDone);
  EXPECT_EQ(ToSamples(got.pcm), (std::vector<int16_t>{0, 1, 0, -1, 0x123, 32767, -32768}));

  // Float beyond full scale clips, and a NaN is silence. (sox would clip these itself,
  // so the file is put together here.)
  std::string floats;
  for (float f : {1.5f, -2.0f, 0.5f, -1.0f, std::nanf("")}) floats += std::string(reinterpret_cast<const char*>(&f), 4);
  auto header = WaveHeaderBytes(static_cast<uint32_t>(floats.size()), 8000, 1, 16);
  header[20] = 3;  // IEEE float
  header[32] = 4;  // bytes per frame
  header[34] = 32;
  header[28] = static_cast<uint8_t>(32000 & 0xff);
  header[29] = static_cast<uint8_t>(32000 >> 8);
  WriteFileBytes(Path("loud.wav"), std::string(header.begin(), header.end()) + floats);
  got = DecodeWave(Path("loud.wav"));
  ASSERT_EQ(got.result, kCodecDone);
  EXPECT_EQ(ToSamples(got.pcm), (std::vector<int16_t>{32767, -32768, 16384, -32768, 0}));
}

TEST_F(WaveDecodeTest, WhatIsNotAOneOrTwoChannelWaveIsRefused) {
  REQUIRE_TOOLS("sox", "lame");
  std::string raw = ToBytes(Tones(4410, 2, 44100));
  std::string valid = ReadFileBytes(SoxFromRaw(raw, 2, 44100, "", "valid.wav"));

  WriteFileBytes(Path("empty.wav"), "");
  WriteFileBytes(Path("garbage.wav"), std::string(5000, '\x5a'));
  WriteFileBytes(Path("cut.wav"), valid.substr(0, 30));
  fs::create_directories(Path("folder.wav"));
  // Other formats libsndfile reads, under a WAV name.
  fs::rename(SoxFromRaw(raw, 2, 44100, "-t aiff", "aiff"), Path("aiff.wav"));
  ASSERT_TRUE(Shell("lame -S -r -s 44.1 --bitwidth 16 --signed --little-endian " + Quote(Path("valid.wav.raw")) + " " +
                    Quote(Path("mp3.wav"))));
  std::string six = SoxFromRaw(ToBytes(Tones(4410 * 3, 2, 44100)), 6, 44100, "", "six.wav");
  for (const char* name :
       {"missing.wav", "empty.wav", "garbage.wav", "cut.wav", "folder.wav", "aiff.wav", "mp3.wav", "six.wav"}) {
    EXPECT_EQ(DecodeWave(Path(name)).result, kCodecUnreadable) << name;
  }
}

TEST_F(WaveDecodeTest, AFileCutInItsDataGivesTheAudioItHolds) {
  REQUIRE_TOOLS("sox");
  std::string raw = ToBytes(Tones(10000, 2, 44100));
  std::string valid = ReadFileBytes(SoxFromRaw(raw, 2, 44100, "", "valid.wav"));
  // The header claims 40000 bytes; 20002 are there, the last frame incomplete.
  WriteFileBytes(Path("cut.wav"), valid.substr(0, 44 + 20002));
  WaveResult got = DecodeWave(Path("cut.wav"));
  ASSERT_EQ(got.result, kCodecDone);
  EXPECT_EQ(got.dataBytes, 20000u);
  EXPECT_EQ(got.pcm, raw.substr(0, 20000));
}

TEST_F(WaveDecodeTest, AnOutputThatCannotBeWrittenIsNotAnUnreadableInput) {
  std::string data(8000, '\x11');
  auto header = WaveHeaderBytes(8000, 44100, 2, 16);
  WriteFileBytes(Path("in.wav"), std::string(header.begin(), header.end()) + data);
  AudioQuality quality{};
  uint32_t bytes = 0;
  EXPECT_EQ(CallWaveDecode("Test", Path("in.wav"), Path("no/such/folder.pcm"), &quality, &bytes, nullptr),
            kCodecWriteFailed);
  EXPECT_EQ(CallWaveDecode("Test", Path("in.wav"), "/dev/full", &quality, &bytes, nullptr), kCodecWriteFailed);
}

TEST_F(WaveDecodeTest, ProgressRisesToAHundredAndACancelStops) {
  std::string data(4 * 44100, '\0');
  auto header = WaveHeaderBytes(static_cast<uint32_t>(data.size()), 44100, 2, 16);
  WriteFileBytes(Path("in.wav"), std::string(header.begin(), header.end()) + data);

  WaveResult got = DecodeWave(Path("in.wav"), &Recorder::Callback);
  ASSERT_EQ(got.result, kCodecDone);
  ASSERT_GE(Recorder::positions.size(), 5u);  // one per 8192 frames
  EXPECT_TRUE(std::is_sorted(Recorder::positions.begin(), Recorder::positions.end()));
  EXPECT_GT(Recorder::positions.front(), 0);
  EXPECT_EQ(Recorder::positions.back(), 100);

  Recorder::Reset(2);
  got = DecodeWave(Path("in.wav"), &Recorder::Callback);
  EXPECT_EQ(got.result, kCodecCancelled);
  EXPECT_EQ(Recorder::positions.size(), 2u);
}

}  // namespace
