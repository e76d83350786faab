#include <algorithm>
#include <filesystem>

#include "tests/modules/codec_fixture.h"

namespace {

namespace fs = std::filesystem;

using LameInterfaceTest = CodecTest;

// The WAV the decoder wrote must be the project format, its header telling the real size.
void ExpectProjectWave(const std::string& wav) {
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(U32At(wav, 4), wav.size() - 8);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U16At(wav, 20), 1);
  EXPECT_EQ(U16At(wav, 22), 2);
  EXPECT_EQ(U32At(wav, 24), 44100u);
  EXPECT_EQ(U32At(wav, 28), 176400u);
  EXPECT_EQ(U16At(wav, 32), 4);
  EXPECT_EQ(U16At(wav, 34), 16);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(U32At(wav, 40), wav.size() - 44);
}

std::string LameRaw(int rate, int channels) {
  std::string khz = rate == 44100 ? "44.1" : rate == 22050 ? "22.05" : std::to_string(rate / 1000);
  return "lame -S -r -s " + khz + " --bitwidth 16 --signed --little-endian -m " + (channels == 2 ? "j" : "m") + " ";
}

TEST_F(LameInterfaceTest, AnMp3DecodesGaplesslyToItsOriginalLength) {
  REQUIRE_TOOLS("lame");
  // 66150 frames: not a whole number of MP3 frames, so padding shows if it is kept.
  std::vector<int16_t> original = Tones(66150, 2, 44100);
  WriteFileBytes(Path("in.raw"), ToBytes(original));
  ASSERT_TRUE(Shell(LameRaw(44100, 2) + "-b 192 " + Quote(Path("in.raw")) + " " + Quote(Path("in.mp3"))));
  int result = -2;
  std::string wav = DecodeMp3(Path("in.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  ExpectProjectWave(wav);
  std::vector<int16_t> decoded = ToSamples(wav, 44);
  ASSERT_EQ(decoded.size(), original.size());
  EXPECT_GT(SignalToNoise(original, decoded), 20.0);

  // Tags at either end and junk before the first frame change nothing.
  ASSERT_TRUE(Shell(LameRaw(44100, 2) + "-b 192 --add-id3v2 --tt Title --ta Artist " + Quote(Path("in.raw")) + " " +
                    Quote(Path("tagged.mp3"))));
  std::string tagged = ReadFileBytes(Path("tagged.mp3"));
  ASSERT_EQ(tagged.substr(0, 3), "ID3");
  std::string tag = "TAG" + std::string(125, 'x');
  WriteFileBytes(Path("tagged.mp3"), tagged + tag);
  WriteFileBytes(Path("junk.mp3"), std::string(300, '\0') + ReadFileBytes(Path("in.mp3")) + tag);
  for (const char* name : {"tagged.mp3", "junk.mp3"}) {
    EXPECT_EQ(DecodeMp3(Path(name), &result), wav) << name;
    EXPECT_EQ(result, kCodecDone);
  }
}

TEST_F(LameInterfaceTest, AHalfRateMonoMp3BecomesStereoAt44100WithItsDuration) {
  REQUIRE_TOOLS("lame");
  std::vector<int16_t> original = Tones(22050, 1, 22050);
  WriteFileBytes(Path("in.raw"), ToBytes(original));
  ASSERT_TRUE(Shell(LameRaw(22050, 1) + "-b 64 " + Quote(Path("in.raw")) + " " + Quote(Path("in.mp3"))));
  int result = -2;
  std::string wav = DecodeMp3(Path("in.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  ExpectProjectWave(wav);
  std::vector<int16_t> decoded = ToSamples(wav, 44);
  ASSERT_EQ(decoded.size(), 2u * 44100);
  std::vector<int16_t> left;
  for (size_t i = 0; i < decoded.size(); i += 2) {
    ASSERT_EQ(decoded[i], decoded[i + 1]) << i;
    left.push_back(decoded[i]);
  }
  // The same tones, now sampled at 44100 Hz and in time with the original.
  EXPECT_GT(SignalToNoise(Tones(44100, 1, 44100), left), 15.0);
}

TEST_F(LameInterfaceTest, EncodedAudioDecodesToTheSameLength) {
  REQUIRE_TOOLS("mpg123");
  std::vector<int16_t> original = Tones(100000, 2, 44100);
  WriteFileBytes(Path("in.pcm"), ToBytes(original));
  ASSERT_EQ(CallLameEncode("Test", Path("in.pcm"), Path("out.mp3"), 2, 16, 44100, 128, nullptr), kCodecDone);
  // The LAME tag sits in the first frame, ready for gapless decoders.
  std::string mp3 = ReadFileBytes(Path("out.mp3"));
  ASSERT_GT(mp3.size(), 200u);
  EXPECT_NE(mp3.substr(0, 200).find("Info"), std::string::npos);
  EXPECT_NE(mp3.substr(0, 200).find("LAME"), std::string::npos);
  EXPECT_NE(mp3.substr(mp3.size() - 128, 3), "TAG") << "the caller adds the tag";

  ASSERT_TRUE(Shell("mpg123 -q -w " + Quote(Path("cli.wav")) + " " + Quote(Path("out.mp3"))));
  std::string cli = ReadFileBytes(Path("cli.wav"));
  // mpg123 writes its own header; its PCM is what follows the "data" chunk's header.
  size_t data = cli.find("data");
  ASSERT_NE(data, std::string::npos);
  EXPECT_EQ(cli.size() - (data + 8), 4u * original.size() / 2);

  int result = -2;
  std::string wav = DecodeMp3(Path("out.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  std::vector<int16_t> decoded = ToSamples(wav, 44);
  ASSERT_EQ(decoded.size(), original.size());
  EXPECT_GT(SignalToNoise(original, decoded), 20.0);

  // Eight-bit mono at 22050 Hz is taken too, and comes back at the project rate.
  std::string eight;
  for (int16_t s : Tones(11025, 1, 22050)) eight += static_cast<char>((s >> 8) + 128);
  WriteFileBytes(Path("eight.pcm"), eight);
  ASSERT_EQ(CallLameEncode("Test", Path("eight.pcm"), Path("eight.mp3"), 1, 8, 22050, 64, nullptr), kCodecDone);
  wav = DecodeMp3(Path("eight.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  EXPECT_EQ(wav.size() - 44, 4u * 22050);
}

TEST_F(LameInterfaceTest, WhatIsNotAnMp3IsRefusedAndACutOneGivesWhatItHolds) {
  REQUIRE_TOOLS("lame", "sox");
  std::vector<int16_t> original = Tones(44100, 2, 44100);
  WriteFileBytes(Path("in.raw"), ToBytes(original));
  ASSERT_TRUE(Shell(LameRaw(44100, 2) + "-b 128 " + Quote(Path("in.raw")) + " " + Quote(Path("in.mp3"))));
  std::string mp3 = ReadFileBytes(Path("in.mp3"));

  std::string noise;
  uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1664525u + 1013904223u;
    noise += static_cast<char>(state >> 24);
  }
  WriteFileBytes(Path("noise.mp3"), noise);
  WriteFileBytes(Path("empty.mp3"), "");
  WriteFileBytes(Path("cut.mp3"), mp3.substr(0, 100));
  WriteFileBytes(Path("tag-only.mp3"), "TAG" + std::string(125, 'x'));
  fs::create_directories(Path("folder.mp3"));
  ASSERT_TRUE(Shell("sox -t raw -e signed -b 16 -c 2 -r 44100 " + Quote(Path("in.raw")) + " -t wav " +
                    Quote(Path("wave.mp3"))));
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 -b 16 -t wav " + Quote(Path("hiss.mp3")) + " synth 3 whitenoise"));
  int result = -2;
  for (const char* name :
       {"missing.mp3", "noise.mp3", "empty.mp3", "cut.mp3", "tag-only.mp3", "folder.mp3", "wave.mp3", "hiss.mp3"}) {
    DecodeMp3(Path(name), &result);
    EXPECT_EQ(result, kCodecUnreadable) << name;
  }

  // Half a file decodes to about half the audio.
  WriteFileBytes(Path("half.mp3"), mp3.substr(0, mp3.size() / 2));
  std::string wav = DecodeMp3(Path("half.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  ExpectProjectWave(wav);
  EXPECT_NEAR(static_cast<double>(wav.size() - 44) / (4 * 44100), 0.5, 0.05);
}

TEST_F(LameInterfaceTest, TheEncoderRefusesSettingsAndTellsAFailedWriteApart) {
  WriteFileBytes(Path("in.pcm"), ToBytes(Tones(44100, 2, 44100)));
  const std::string in = Path("in.pcm"), out = Path("out.mp3");
  EXPECT_EQ(CallLameEncode("Test", in, out, 3, 16, 44100, 128, nullptr), kCodecBadArguments);
  EXPECT_EQ(CallLameEncode("Test", in, out, 2, 24, 44100, 128, nullptr), kCodecBadArguments);
  EXPECT_EQ(CallLameEncode("Test", in, out, 2, 16, 0, 128, nullptr), kCodecBadArguments);
  EXPECT_EQ(CallLameEncode("Test", in, out, 2, 16, 44100, 0, nullptr), kCodecBadArguments);
  EXPECT_EQ(CallLameEncode("Test", in, out, 2, 16, 44100, 500, nullptr), kCodecBadArguments);
  EXPECT_EQ(CallLameEncode("Test", Path("missing.pcm"), out, 2, 16, 44100, 128, nullptr), kCodecUnreadable);
  EXPECT_EQ(CallLameEncode("Test", in, Path("no/such/out.mp3"), 2, 16, 44100, 128, nullptr), kCodecWriteFailed);
  EXPECT_EQ(CallLameEncode("Test", in, "/dev/full", 2, 16, 44100, 128, nullptr), kCodecWriteFailed);
  // The decoder likewise.
  ASSERT_EQ(CallLameEncode("Test", in, out, 2, 16, 44100, 128, nullptr), kCodecDone);
  EXPECT_EQ(CallLameDecode("Test", out, Path("no/such/out.wav"), nullptr), kCodecWriteFailed);
  EXPECT_EQ(CallLameDecode("Test", out, "/dev/full", nullptr), kCodecWriteFailed);
}

TEST_F(LameInterfaceTest, ProgressRisesAndACancelStopsBothWays) {
  WriteFileBytes(Path("in.pcm"), ToBytes(Tones(5 * 44100, 2, 44100)));
  ASSERT_EQ(CallLameEncode("Test", Path("in.pcm"), Path("out.mp3"), 2, 16, 44100, 128, &Recorder::Callback),
            kCodecDone);
  ASSERT_GE(Recorder::positions.size(), 10u);
  EXPECT_TRUE(std::is_sorted(Recorder::positions.begin(), Recorder::positions.end()));
  EXPECT_EQ(Recorder::positions.back(), 100);

  Recorder::Reset();
  int result = -2;
  DecodeMp3(Path("out.mp3"), &result, &Recorder::Callback);
  ASSERT_EQ(result, kCodecDone);
  ASSERT_GE(Recorder::positions.size(), 2u);
  EXPECT_TRUE(std::is_sorted(Recorder::positions.begin(), Recorder::positions.end()));
  EXPECT_LE(Recorder::positions.back(), 100);
  EXPECT_GE(Recorder::positions.back(), 90);

  Recorder::Reset(3);
  EXPECT_EQ(CallLameEncode("Test", Path("in.pcm"), Path("out2.mp3"), 2, 16, 44100, 128, &Recorder::Callback),
            kCodecCancelled);
  EXPECT_EQ(Recorder::positions.size(), 3u);
  Recorder::Reset(1);
  DecodeMp3(Path("out.mp3"), &result, &Recorder::Callback);
  EXPECT_EQ(result, kCodecCancelled);
  EXPECT_EQ(Recorder::positions.size(), 1u);
}

}  // namespace
