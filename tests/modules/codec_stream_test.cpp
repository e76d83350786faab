// The block-by-block entry points of the codec modules, fed and read in pieces of
// odd sizes: the results must be those of the whole-file functions.

#include <fcntl.h>
#include <unistd.h>

#include "tests/modules/codec_fixture.h"

namespace {

using CodecStreamTest = CodecTest;

TEST_F(CodecStreamTest, AnEncoderFedInCutFramesWritesTheFileTheFileEncoderWrites) {
  // A stream that does not start the file: the tag frame goes to the stream's start.
  const std::string pcm = ToBytes(Tones(70001, 2, 44100));
  WriteFileBytes(Path("in.pcm"), pcm);
  ASSERT_EQ(CallLameEncode("Test", Path("in.pcm"), Path("whole.mp3"), 2, 16, 44100, 160, nullptr), kCodecDone);

  LameEncoderFunctions encoder;
  ASSERT_TRUE(LoadLameEncoder(encoder, "Test", "Test"));
  int fd = open(Path("pieces.mp3").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "head", 4), 4);
  LameEncoder* opened = nullptr;
  ASSERT_EQ(encoder.open(fd, 2, 16, 44100, 160, &opened), kCodecDone);
  const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
  size_t at = 0;
  for (size_t piece : {1u, 2u, 5u, 88200u, 3u, 4u, 32771u}) {
    ASSERT_EQ(encoder.write(opened, bytes + at, piece), kCodecDone);
    at += piece;
  }
  ASSERT_EQ(encoder.write(opened, bytes + at, pcm.size() - at), kCodecDone);
  ASSERT_EQ(encoder.finish(opened), kCodecDone);
  // The descriptor is left at the stream's end, where the caller's tag goes.
  ASSERT_EQ(write(fd, "TAG", 3), 3);
  close(fd);
  EXPECT_EQ(ReadFileBytes(Path("pieces.mp3")), "head" + ReadFileBytes(Path("whole.mp3")) + "TAG");
}

TEST_F(CodecStreamTest, DecodersReadInSmallPiecesGiveWhatTheFileDecodersWrite) {
  REQUIRE_TOOLS("sox", "lame");
  const std::string wav = SoxFromRaw(ToBytes(Tones(30011, 1, 22050)), 1, 22050, "-b 24", "mono24.wav");
  WaveDecoderFunctions wave;
  ASSERT_TRUE(LoadWaveDecoder(wave, "Test"));
  WaveDecoder* decoder = nullptr;
  int16_t bits = 0, channels = 0;
  int32_t rate = 0;
  uint32_t bytes = 0;
  ASSERT_EQ(wave.open(wav.c_str(), &decoder, &bits, &channels, &rate, &bytes), kCodecDone);
  EXPECT_EQ(bytes, 2u * 30011);
  std::string streamed;
  uint8_t piece[6];
  for (size_t got = 1; got != 0;) {
    ASSERT_EQ(wave.read(decoder, piece, sizeof piece, &got), kCodecDone);
    streamed.append(reinterpret_cast<const char*>(piece), got);
  }
  wave.free(decoder);
  EXPECT_EQ(streamed, DecodeWave(wav).pcm);

  ASSERT_TRUE(Shell("lame --quiet -b 96 " + Quote(Path("mono24.wav")) + " " + Quote(Path("tone.mp3"))));
  Mp3DecoderFunctions mp3;
  ASSERT_TRUE(LoadMp3Decoder(mp3, "Test"));
  Mp3Decoder* opened = nullptr;
  uint32_t estimate = 0;
  ASSERT_EQ(mp3.open(Path("tone.mp3").c_str(), &opened, &estimate), kCodecDone);
  streamed.clear();
  for (size_t got = 1; got != 0;) {
    ASSERT_EQ(mp3.read(opened, piece, sizeof piece, &got), kCodecDone);
    EXPECT_EQ(got % 4, 0u);
    streamed.append(reinterpret_cast<const char*>(piece), got);
  }
  mp3.free(opened);
  int result = 0;
  const std::string decoded = DecodeMp3(Path("tone.mp3"), &result);
  ASSERT_EQ(result, kCodecDone);
  EXPECT_EQ(streamed, decoded.substr(44));
  // The Info frame tells the length: the estimate is the decoded length.
  EXPECT_EQ(estimate, streamed.size());
}

}  // namespace
