// Exports read back by other programs: sox must find the mix in the WAV and mpg123
// in the MP3.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int16_t Sample(const std::string& bytes, size_t index) {
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * index]) | static_cast<uint8_t>(bytes[2 * index + 1]) << 8);
}

struct ExportTest : ::testing::Test {
  TempFolder root;
  std::string Cli(const std::string& commands) {
    return "HOME='" + root.Path() + "' '" TRACKWRIGHT_CLI "' --config-dir '" + root.Path() + "' --audio-folder '" +
           root.Path() + "/audio' " + commands + " >/dev/null 2>'" + root.Path() + "/err'";
  }
  void SetUp() override {
    REQUIRE_TOOLS("sox", "mpg123");
    fs::create_directories(root / "audio");
    ASSERT_EQ(Shell("sox -V1 -n -r 44100 -c 2 -b 16 '" + root / "a.wav" + "' synth 2 sine 300 gain -8"), 0);
    ASSERT_EQ(Shell("sox -V1 -n -r 44100 -c 2 -b 16 '" + root / "b.wav" + "' synth 1.5 sine 710 gain -10"), 0);
    ASSERT_EQ(Shell("sox -V1 '" + root / "a.wav" + "' -t raw '" + root / "a.raw" + "'"), 0);
    ASSERT_EQ(Shell("sox -V1 '" + root / "b.wav" + "' -t raw '" + root / "b.raw" + "'"), 0);
  }
  // What the mix of the two tracks at unity levels must be, padded to whole half seconds.
  std::string ExpectedMix() {
    std::string a = ReadFileBytes(root / "a.raw"), b = ReadFileBytes(root / "b.raw");
    std::string mix(a.size(), '\0');
    for (size_t s = 0; s < a.size() / 2; ++s) {
      int sum = Sample(a, s) + (2 * s < b.size() ? Sample(b, s) : 0);
      auto value = static_cast<int16_t>(std::clamp(sum, -32700, 32700));
      mix[2 * s] = static_cast<char>(value & 0xFF);
      mix[2 * s + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    return mix;
  }
};

TEST_F(ExportTest, SoxReadsTheMixFromTheWaveExport) {
  ASSERT_EQ(Shell(Cli("-e \"import '" + root / "a.wav" + "'\" -e 'track 2' -e \"import '" + root / "b.wav" +
                      "'\" -e \"export '" + root / "mix.wav" + "'\"")),
            0)
      << ReadFileBytes(root / "err");
  ASSERT_EQ(Shell("sox -V1 '" + root / "mix.wav" + "' -t raw '" + root / "mix.raw" + "'"), 0);
  std::string mix = ReadFileBytes(root / "mix.raw");
  EXPECT_EQ(mix, ExpectedMix());  // the header's size is the project's: the padding is not read
}

// The mix is written in the session folder; an export to another filesystem (a memory
// filesystem here, a USB stick for a user) cannot be a rename of that file.
TEST_F(ExportTest, AnExportToAnotherFilesystemIsWritten) {
  struct stat session {}, other {};
  if (stat(root.Path().c_str(), &session) != 0 || stat("/dev/shm", &other) != 0 || session.st_dev == other.st_dev ||
      access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no writable folder on another filesystem";
  }
  std::string away = "/dev/shm/trackwright-test-XXXXXX";
  ASSERT_NE(mkdtemp(away.data()), nullptr);
  struct Remove {
    std::string folder;
    ~Remove() { fs::remove_all(folder); }
  } removed{away};
  for (const char* name : {"/mix.wav", "/mix.mp3"}) {
    ASSERT_EQ(Shell(Cli("-e \"import '" + root / "a.wav" + "'\" -e \"export '" + away + name + "'\"")), 0)
        << ReadFileBytes(root / "err");
    EXPECT_GT(fs::file_size(away + name), 44u) << name;
    for (const auto& entry : fs::directory_iterator(away)) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
    }
  }
}

TEST_F(ExportTest, Mpg123DecodesTheMp3ExportToTheMixLength) {
  ASSERT_EQ(Shell(Cli("-e \"import '" + root / "a.wav" + "'\" -e 'track 2' -e \"import '" + root / "b.wav" +
                      "'\" -e \"export '" + root / "mix.mp3" + "' --bitrate 192 --title Test\"")),
            0)
      << ReadFileBytes(root / "err");
  std::string mp3 = ReadFileBytes(root / "mix.mp3");
  ASSERT_GT(mp3.size(), 128u);
  EXPECT_EQ(mp3.substr(mp3.size() - 128, 7), std::string("TAGTest"));
  ASSERT_EQ(Shell("mpg123 -q -s '" + root / "mix.mp3" + "' > '" + root / "decoded.raw" + "' 2>/dev/null"), 0);
  std::string decoded = ReadFileBytes(root / "decoded.raw"), expected = ExpectedMix();
  // The encoder sees the whole padded mix (two seconds are four half-second blocks).
  EXPECT_NEAR(static_cast<double>(decoded.size()), 352800.0, 4.0 * 1152);
  // Lossy, but the same signal: the difference is small against the signal.
  double signal = 0, error = 0;
  for (size_t s = 0; s < std::min(decoded.size(), expected.size()) / 2; ++s) {
    signal += std::pow(Sample(expected, s), 2);
    error += std::pow(Sample(decoded, s) - Sample(expected, s), 2);
  }
  EXPECT_LT(error, signal * 0.01) << "signal " << signal << " error " << error;
}

TEST_F(ExportTest, AFileCutShortIsImportedAsFarAsItGoesAndSaysHowMuchWasRead) {
  REQUIRE_TOOLS("lame");
  ASSERT_EQ(Shell("lame --quiet -b 128 '" + root / "a.wav" + "' '" + root / "a.mp3" + "'"), 0);
  std::string wave = ReadFileBytes(root / "a.wav"), mp3 = ReadFileBytes(root / "a.mp3");
  WriteFileBytes(root / "cut.wav", wave.substr(0, 44 + 176400));  // the first of its two seconds
  WriteFileBytes(root / "cut.mp3", mp3.substr(0, mp3.size() / 2));
  auto import = [this](const std::string& name) {
    EXPECT_EQ(Shell(Cli("-e \"import '" + root / name + "'\"")), 0) << name;
    return ReadFileBytes(root / "err");
  };
  EXPECT_EQ(import("cut.wav"), "trackwright-cli: import " + root / "cut.wav" +
                                   ": the file is cut short: only 1.00 of its 2.00 seconds were read\n");
  std::string cutMp3 = import("cut.mp3");
  EXPECT_EQ(cutMp3.rfind("trackwright-cli: import " + root / "cut.mp3" + ": the file is cut short: only 0.", 0), 0u)
      << cutMp3;
  EXPECT_NE(cutMp3.find(" of its 2.00 seconds were read\n"), std::string::npos) << cutMp3;
  EXPECT_EQ(import("a.wav"), "");
  EXPECT_EQ(import("a.mp3"), "");
}

}  // namespace
