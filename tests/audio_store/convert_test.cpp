#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "audio_store/convert_audio.h"
#include "audio_store/wave_header.h"
#include "tests/audio_store/store_fixture.h"

namespace {

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

std::string Samples16(const std::vector<int>& values) {
  std::string bytes;
  for (int v : values) {
    auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
    bytes += static_cast<char>(u & 0xff);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

std::vector<int> Values16(const std::string& bytes) {
  std::vector<int> values;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    values.push_back(static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8))));
  }
  return values;
}

std::string Bytes(const std::vector<int>& values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

// Whether this process holds a descriptor on the file.
bool HoldsOpen(const std::string& path) {
  bool found = false;
  DIR* fds = opendir("/proc/self/fd");
  while (dirent* entry = fds ? readdir(fds) : nullptr) {
    char target[4096];
    std::string link = std::string("/proc/self/fd/") + entry->d_name;
    ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == path) found = true;
  }
  if (fds) closedir(fds);
  return found;
}

// The converter on files in a temp folder, with a scripted system for the reports and
// no application object, so that no progress is involved.
struct ConvertTest : ::testing::Test {
  TempFolder root;
  platform::ScriptedSystem system{root / "bin", root.Path(), root.Path()};
  CConvertAudioFile converter;

  // Converts the bytes and returns the output; result holds the converter's result.
  std::string Convert(const std::string& input, AudioQuality source, AudioQuality target, int* result = nullptr,
                      const std::string& before = "") {
    std::string sourcePath = root / "source.pcm", targetPath = root / "target.pcm";
    WriteFileBytes(sourcePath, input);
    File out(std::fopen(targetPath.c_str(), "wb"));
    std::fwrite(before.data(), 1, before.size(), out.get());
    int got = converter.WritePCMToPCM(sourcePath.c_str(), out.get(), &source, &target);
    if (result) *result = got;
    out.reset();
    return ReadFileBytes(targetPath);
  }
  bool Reported(const std::string& location, const std::string& message) const {
    for (const auto& box : system.messages.shown) {
      if (box.text.find("Error Message: " + message + "\r\n\r\nError Location: " + location + "\r\n") !=
          std::string::npos)
        return true;
    }
    return false;
  }
};

constexpr AudioQuality kStereo16{2, 16, 44100}, kMono16{1, 16, 44100}, kStereo8{2, 8, 44100}, kMono8{1, 8, 44100};

TEST_F(ConvertTest, InvalidFormatsAreRefusedInOrderWithTheirValues) {
  struct Case {
    AudioQuality source, target;
    std::string message;
  } cases[] = {
      {{2, 24, 44100}, {0, 12, 1}, "Source quality bits are 24 - Not 8 or 16"},
      {{3, 16, 44100}, {0, 12, 1}, "Source quality channels are 3 - Not 1 or 2"},
      {{2, 16, 1999}, {0, 12, 1}, "Source frequency is out of range at 1999."},
      {{2, 16, 450001}, kStereo16, "Source frequency is out of range at 450001."},
      {kStereo16, {0, 12, 1}, "Target quality bits are 12 - Not 8 or 16"},
      {kStereo16, {0, 16, 1}, "Target quality channels are 0 - Not 1 or 2"},
      {kStereo16, {1, 8, 500000}, "Target frequency is out of range at 500000."},
  };
  for (const Case& c : cases) {
    system.messages.shown.clear();
    EXPECT_EQ(converter.CalculateTargetFileSize(1000, &c.source, &c.target), 0u) << c.message;
    EXPECT_TRUE(Reported("CMixerApp::WritePCMToPCM", c.message)) << c.message;
    system.messages.shown.clear();
    int result = -1;
    EXPECT_EQ(Convert(Pattern(1000, 1), c.source, c.target, &result), "") << c.message;
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Reported("CMixerApp::WritePCMToPCM", c.message)) << c.message;
    EXPECT_EQ(system.messages.shown.size(), 1u);
  }
  // The limits themselves are valid.
  AudioQuality low{1, 8, 2000}, high{2, 16, 450000};
  EXPECT_NE(converter.CalculateTargetFileSize(450000, &low, &high), 0u);
}

TEST_F(ConvertTest, MissingArgumentsAreReportedByName) {
  std::string sourcePath = root / "source.pcm";
  WriteFileBytes(sourcePath, Pattern(100, 2));
  File out(std::fopen((root / "target.pcm").c_str(), "wb"));
  AudioQuality q = kStereo16;
  EXPECT_EQ(converter.WritePCMToPCM(nullptr, out.get(), &q, &q), 0);
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), nullptr, &q, &q), 0);
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), out.get(), nullptr, &q), 0);
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), out.get(), &q, nullptr), 0);
  EXPECT_EQ(converter.CalculateTargetFileSize(10, nullptr, &q), 0u);
  EXPECT_EQ(converter.CalculateTargetFileSize(10, &q, nullptr), 0u);
  const char* location = "CConvertAudioFile::WritePCMToPCM";
  EXPECT_TRUE(Reported(location, "The pszSourceFileName is NULL"));
  EXPECT_TRUE(Reported(location, "The pTargetFile is NULL"));
  EXPECT_TRUE(Reported(location, "The pStructSourceAudioQuality is NULL"));
  EXPECT_TRUE(Reported(location, "The pStructTargetAudioQuality is NULL"));
  EXPECT_TRUE(Reported("CConvertAudioFile::CalculateTargetFileSize", "The pStructSourceAudioQuality is NULL"));
  EXPECT_TRUE(Reported("CConvertAudioFile::CalculateTargetFileSize", "The pStructTargetAudioQuality is NULL"));

  system.messages.shown.clear();
  EXPECT_EQ(converter.WritePCMToPCM((root / "missing.pcm").c_str(), out.get(), &q, &q), 0);
  EXPECT_TRUE(Reported("CMixerApp::WritePCMToPCM", "The pSourceFile is NULL"));
}

TEST_F(ConvertTest, SizeEstimateScalesRateThenWidthThenChannels) {
  AudioQuality wave8{1, 8, 22050}, mono8slow{1, 8, 11025}, mono16{1, 16, 44100};
  // 176400 × ½ = 88200, halved for 8 bits, halved for mono, rounded down to 4.
  EXPECT_EQ(converter.CalculateTargetFileSize(176400, &kStereo16, &wave8), 22048u);
  // 1001 × 4 = 4004, doubled for 16 bits, doubled for stereo.
  EXPECT_EQ(converter.CalculateTargetFileSize(1001, &mono8slow, &kStereo16), 16016u);
  EXPECT_EQ(converter.CalculateTargetFileSize(1003, &kMono8, &mono16), 2004u);
  EXPECT_EQ(converter.CalculateTargetFileSize(176403, &kStereo16, &kStereo16), 176400u);
  // Past 32 bits the estimate stays at the largest multiple of 4.
  AudioQuality slow{1, 8, 2000}, fast{2, 16, 450000};
  EXPECT_EQ(converter.CalculateTargetFileSize(4000000000u, &slow, &fast), 0xFFFFFFFCu);
}

TEST_F(ConvertTest, SameFormatCopiesEveryByteAfterWhatTheTargetHeld) {
  std::string input = Pattern(3 * 8192 + 1000, 3);
  int result = 0;
  std::string output = Convert(input, kStereo16, kStereo16, &result, "HEAD");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(output, "HEAD" + input);
  EXPECT_EQ(converter.m_outputCap, input.size());
  EXPECT_EQ(converter.m_outputWritten, input.size());

  // A trailing partial frame counts as a whole one, its missing bytes zero.
  output = Convert(Bytes({1, 2, 3, 4, 5, 6}), kStereo16, kStereo16, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(output, Bytes({1, 2, 3, 4, 5, 6, 0, 0}));
  EXPECT_EQ(converter.m_outputCap, 8u);
  EXPECT_EQ(converter.m_outputWritten, 8u);

  // An empty source gives nothing.
  EXPECT_EQ(Convert("", kStereo16, kMono8, &result), "");
  EXPECT_EQ(result, 1);
}

TEST_F(ConvertTest, ChannelSumsAreClippedNotHalved) {
  int result = 0;
  std::string output =
      Convert(Samples16({32767, 32767, -32768, -32768, 1000, 2000, -5, 3, 31000, 1000}), kStereo16, kMono16, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Values16(output), (std::vector<int>{32000, -32000, 3000, -2, 32000}));

  // Eight bits: -128 + -128 stops at -127, the byte 1, never 0.
  output = Convert(Bytes({0, 0, 255, 255, 138, 148, 100, 120}), kStereo8, kMono8, &result);
  EXPECT_EQ(output, Bytes({1, 255, 158, 92}));

  // Mono to stereo repeats each sample.
  output = Convert(Samples16({-7, 12345}), kMono16, kStereo16);
  EXPECT_EQ(Values16(output), (std::vector<int>{-7, -7, 12345, 12345}));
}

TEST_F(ConvertTest, NarrowingRoundsByTheSourcesChannelCount) {
  // Mono shifts (toward minus infinity), stereo divides (toward zero).
  std::vector<int> samples{-1, -256, -257, 255, 256, 32767, -32768, 0};
  std::string output = Convert(Samples16(samples), kMono16, kMono8);
  EXPECT_EQ(output, Bytes({127, 127, 126, 128, 129, 255, 0, 128}));
  output = Convert(Samples16(samples), kStereo16, kStereo8);
  EXPECT_EQ(output, Bytes({128, 127, 127, 128, 129, 255, 0, 128}));

  // Widening multiplies by 256.
  output = Convert(Bytes({0, 255, 128, 129}), kMono8, kMono16);
  EXPECT_EQ(Values16(output), (std::vector<int>{-32768, 32512, 0, 256}));
}

TEST_F(ConvertTest, DoublingTheRateInsertsFramesAndTheCapDropsTheLast) {
  // Frames whose left and right differ from frame to frame; 3000 frames cross the
  // 8192-byte buffer boundary once, after frame 2047.
  const int count = 3000;
  std::vector<int> values;
  values.push_back(100);
  values.push_back(-3);
  for (int i = 1; i < count; ++i) {
    values.push_back(i == 1 ? -101 : i * 7 - 20000);
    values.push_back(i == 1 ? 4 : 15000 - i * 9);
  }
  auto frame = [&](int i) { return std::vector<int>{values[2 * i], values[2 * i + 1]}; };
  AudioQuality slow{2, 16, 22050};
  int result = 0;
  std::vector<int> output = Values16(Convert(Samples16(values), slow, kStereo16, &result));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(converter.m_outputCap, 4u * 2 * count);
  EXPECT_EQ(converter.m_outputWritten, 4u * 2 * count);
  ASSERT_EQ(output.size(), 2u * 2 * count);

  std::vector<int> expected = frame(0);
  // The midpoint truncates toward zero: 100 + -201 / 2 is -0.5, -3 + 7 / 2 is 0.5: both 0.
  for (int v : {0, 0}) expected.push_back(v);
  for (int i = 1; i < count; ++i) {
    // Frame i, written after its predecessor inserted it; the predecessor at the end of
    // a buffer inserts itself instead.
    auto inserted = i == 2048 ? frame(2047) : frame(i);
    expected.insert(expected.end(), inserted.begin(), inserted.end());
    auto own = frame(i);
    expected.insert(expected.end(), own.begin(), own.end());
  }
  EXPECT_EQ(output, expected);
}

TEST_F(ConvertTest, HalvingTheRateKeepsTheFirstAndThenTheOddFrames) {
  const int count = 5000;
  std::vector<int> values;
  for (int i = 0; i < count; ++i) values.push_back(i * 11 - 27000);
  AudioQuality slow{1, 16, 22050};
  int result = 0;
  std::vector<int> output = Values16(Convert(Samples16(values), kMono16, slow, &result));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(converter.m_outputCap, static_cast<uint32_t>(count));
  ASSERT_EQ(output.size(), static_cast<size_t>(count / 2));
  EXPECT_EQ(output[0], values[0]);
  for (int j = 1; j < count / 2; ++j) ASSERT_EQ(output[j], values[2 * j - 1]) << j;
}

TEST_F(ConvertTest, ACapInsideAFrameStillLetsThatFrameThroughWhole) {
  // Nine bytes: the cap is 9 + 9 mod 4 = 10, but the third frame starts below it and
  // is written whole, so two more bytes are written than the cap says.
  int result = 0;
  std::string output = Convert(Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), kStereo16, kStereo16, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(converter.m_outputCap, 10u);
  EXPECT_EQ(converter.m_outputWritten, 12u);
  EXPECT_EQ(output, Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

TEST_F(ConvertTest, AFullTargetIsAFailure) {
  File full(std::fopen("/dev/full", "wb"));
  ASSERT_TRUE(full);
  std::string sourcePath = root / "source.pcm";
  WriteFileBytes(sourcePath, Pattern(100000, 4));
  AudioQuality q = kStereo16;
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), full.get(), &q, &q), 0);
  EXPECT_LT(converter.m_outputWritten, 100000u);
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_NE(system.messages.shown[0].text.find("Error Location: CConvertAudioFile::WritePCMToPCM"), std::string::npos);
  EXPECT_NE(system.messages.shown[0].text.find("No space left on device"), std::string::npos);
  EXPECT_FALSE(HoldsOpen(sourcePath));
}

// With an application: the progress dialog is stepped and can cancel.
using ConvertProgressTest = StoreTest;

TEST_F(ConvertProgressTest, EachFullBufferStepsTheDialogAndCancelStopsThere) {
  std::string input = Pattern(3 * 8192 + 100, 5);
  std::string sourcePath = root / "source.pcm", targetPath = root / "target.pcm";
  WriteFileBytes(sourcePath, input);
  CConvertAudioFile converter;
  AudioQuality q = kStereo16;

  CancelAt counter(dialog, 0);
  system.timers.SetTimer(&counter, 1, 0);
  dialog.BeginOperation();
  dialog.SetProgressRange(static_cast<unsigned int>(input.size() / 100));
  File out(std::fopen(targetPath.c_str(), "wb"));
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), out.get(), &q, &q), 1);
  EXPECT_EQ(counter.reports, 3);
  EXPECT_EQ(dialog.Position(), 3u * 81);
  dialog.EndOperation();
  system.timers.KillTimers(&counter);

  CancelAt second(dialog, 2);
  system.timers.SetTimer(&second, 1, 0);
  dialog.BeginOperation();
  out.reset(std::fopen(targetPath.c_str(), "wb"));
  EXPECT_EQ(converter.WritePCMToPCM(sourcePath.c_str(), out.get(), &q, &q), 3);
  EXPECT_FALSE(HoldsOpen(sourcePath));
  EXPECT_EQ(converter.m_outputWritten, 2u * 8192);
  out.reset();
  EXPECT_EQ(ReadFileBytes(targetPath), input.substr(0, 2 * 8192));
  system.timers.KillTimers(&second);
}

TEST_F(ConvertTest, WaveHeaderFieldsAreLittleEndian) {
  std::string path = root / "header.wav";
  File out(std::fopen(path.c_str(), "wb"));
  EXPECT_EQ(WriteWaveHeader(out.get(), 0x01020304, 22050, 1, 8), 1);
  out.reset();
  std::string expected = std::string("RIFF") + Bytes({0x28, 0x03, 0x02, 0x01}) + "WAVEfmt " +
                         Bytes({16, 0, 0, 0, 1, 0, 1, 0}) + Bytes({0x22, 0x56, 0, 0}) +  // 22050
                         Bytes({0x22, 0x56, 0, 0}) + Bytes({1, 0, 8, 0}) + "data" + Bytes({4, 3, 2, 1});
  EXPECT_EQ(ReadFileBytes(path), expected);

  out.reset(std::fopen(path.c_str(), "wb"));
  EXPECT_EQ(WriteWaveHeader(out.get(), 176400, 44100, 2, 16), 1);
  out.reset();
  std::string project = ReadFileBytes(path);
  ASSERT_EQ(project.size(), 44u);
  // 176400 bytes per second, 4 per frame.
  EXPECT_EQ(project.substr(28, 6), Bytes({0x10, 0xb1, 0x02, 0, 4, 0}));
  EXPECT_EQ(project.substr(34, 2), Bytes({16, 0}));

  // Widths other than 8 and 16 write nothing and say nothing.
  out.reset(std::fopen(path.c_str(), "wb"));
  EXPECT_EQ(WriteWaveHeader(out.get(), 100, 44100, 2, 24), 0);
  out.reset();
  EXPECT_EQ(ReadFileBytes(path), "");
  EXPECT_TRUE(system.messages.shown.empty());

  EXPECT_EQ(WriteWaveHeader(nullptr, 100, 44100, 2, 16), 0);
  EXPECT_TRUE(Reported("WriteWaveHeader", "Pointer to passed in file is null."));

  File full(std::fopen("/dev/full", "wb"));
  std::setvbuf(full.get(), nullptr, _IONBF, 0);
  EXPECT_EQ(WriteWaveHeader(full.get(), 100, 44100, 2, 16), 0);
  EXPECT_TRUE(Reported("WriteWaveHeader", "Writing the wave header failed."));
}

}  // namespace
