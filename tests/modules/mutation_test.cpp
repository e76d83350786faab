// Damaged files through the decoders: each must end with a clean result and, when it
// reports success, with output that agrees with what it reports.

#include "audio_store/wave_header.h"
#include "tests/modules/codec_fixture.h"

namespace {

// A small deterministic generator, so that a failing case can be repeated.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  size_t Below(size_t limit) { return limit == 0 ? 0 : Next() % limit; }
};

// The versions of a valid file to try: cut at many lengths, bytes overwritten (half
// the time within the first 64 bytes, where the headers are), 32-bit fields set to
// extremes, bytes removed and inserted.
std::vector<std::string> Mutations(const std::string& valid, uint32_t seed, int count) {
  Random random{seed};
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string bytes = valid;
    switch (i % 5) {
      case 0: bytes.resize(random.Below(bytes.size())); break;
      case 1:
        for (size_t n = 1 + random.Below(8); n > 0; --n) {
          size_t at = random.Below(i % 2 ? 64 : bytes.size());
          bytes[at] = static_cast<char>(random.Next());
        }
        break;
      case 2: {
        static const uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 44};
        size_t at = random.Below(60);
        uint32_t value = extremes[random.Below(6)];
        for (int b = 0; b < 4; ++b) bytes[at + static_cast<size_t>(b)] = static_cast<char>(value >> (8 * b));
        break;
      }
      case 3: bytes.erase(random.Below(bytes.size()), 1 + random.Below(300)); break;
      case 4: {
        std::string junk(1 + random.Below(500), '\0');
        for (char& c : junk) c = static_cast<char>(random.Next());
        bytes.insert(random.Below(bytes.size()), junk);
        break;
      }
    }
    out.push_back(std::move(bytes));
  }
  return out;
}

using MutationTest = CodecTest;

TEST_F(MutationTest, DamagedWavesDecodeConsistentlyOrAreRefused) {
  std::string data = ToBytes(Tones(4000, 2, 44100));
  auto header = WaveHeaderBytes(static_cast<uint32_t>(data.size()), 44100, 2, 16);
  std::string valid = std::string(header.begin(), header.end()) + data;
  int done = 0, refused = 0;
  int index = 0;
  for (const std::string& bytes : Mutations(valid, 1, 300)) {
    WriteFileBytes(Path("in.wav"), bytes);
    WaveResult got = DecodeWave(Path("in.wav"));
    ASSERT_TRUE(got.result == kCodecDone || got.result == kCodecUnreadable) << index << ": " << got.result;
    if (got.result == kCodecDone) {
      ++done;
      ASSERT_EQ(got.dataBytes, got.pcm.size()) << index;
      ASSERT_TRUE(got.quality.channels == 1 || got.quality.channels == 2) << index;
      ASSERT_EQ(got.dataBytes % (2u * static_cast<uint32_t>(got.quality.channels)), 0u) << index;
      ASSERT_GT(got.quality.sampleRate, 0) << index;
    } else {
      ++refused;
    }
    ++index;
  }
  // Both outcomes occur, or the mutations tried nothing.
  EXPECT_GT(done, 0);
  EXPECT_GT(refused, 0);
}

TEST_F(MutationTest, DamagedMp3sDecodeConsistentlyOrAreRefused) {
  WriteFileBytes(Path("in.pcm"), ToBytes(Tones(22050, 2, 44100)));
  ASSERT_EQ(CallLameEncode("Test", Path("in.pcm"), Path("valid.mp3"), 2, 16, 44100, 128, nullptr), kCodecDone);
  std::string valid = ReadFileBytes(Path("valid.mp3"));
  int done = 0, refused = 0;
  int index = 0;
  for (const std::string& bytes : Mutations(valid, 2, 300)) {
    WriteFileBytes(Path("in.mp3"), bytes);
    int result = -2;
    std::string wav = DecodeMp3(Path("in.mp3"), &result);
    ASSERT_TRUE(result == kCodecDone || result == kCodecUnreadable) << index << ": " << result;
    if (result == kCodecDone) {
      ++done;
      ASSERT_GT(wav.size(), 44u) << index;
      ASSERT_EQ(U32At(wav, 40), wav.size() - 44) << index;
      ASSERT_EQ((wav.size() - 44) % 4, 0u) << index;
      ASSERT_EQ(U32At(wav, 24), 44100u) << index;
      // No damage makes more audio than a few frames beyond the original's.
      ASSERT_LT(wav.size() - 44, 4u * (22050 + 10 * 1152)) << index;
    } else {
      ++refused;
    }
    ++index;
  }
  EXPECT_GT(done, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
