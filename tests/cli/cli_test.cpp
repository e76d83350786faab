#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "app/mixer_config.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status;
  std::string out, err;
};

// Runs trackwright-cli with HOME in a folder of the test's own.
CliRun RunCli(const TempFolder& root, const std::string& arguments) {
  std::string command =
      "HOME='" + root.Path() + "/home' '" TRACKWRIGHT_CLI "' " + arguments + " 2>'" + root.Path() + "/stderr'";
  std::FILE* pipe = popen(command.c_str(), "r");
  CliRun run{-1, "", ""};
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadFileBytes(root / "stderr");
  return run;
}

struct CliTest : ::testing::Test {
  TempFolder root;
  std::string config = root / "config";
  void SetUp() override {
    fs::create_directories(root / "home");
    fs::create_directories(config);
  }
};

TEST_F(CliTest, VersionHelpAndBadUsage) {
  CliRun version = RunCli(root, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("trackwright-cli (Sonavel Trackwright) ", 0), 0u);
  CliRun help = RunCli(root, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("config"), std::string::npos);
  EXPECT_EQ(RunCli(root, "").status, 2);
  CliRun unknown = RunCli(root, "frobnicate");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_EQ(RunCli(root, "--audio-folder").status, 2);
}

TEST_F(CliTest, FirstStartUsesDefaultsWithoutWritingTheRecord) {
  CliRun run = RunCli(root, "--config-dir '" + config + "' config");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("this run uses the first-run settings"), std::string::npos);
  EXPECT_NE(run.out.find("audio folder: " + root.Path() + "/home/sonavel_audio\n"), std::string::npos);
  EXPECT_NE(run.out.find("metronome tempo: 100 beats per minute"), std::string::npos);
  EXPECT_NE(run.out.find("outline colours: 7 Black, 7 Black"), std::string::npos);
  EXPECT_FALSE(fs::exists(config + "/mixer.cfg"));
  // The session folder is gone again.
  EXPECT_TRUE(fs::is_empty(root / "home/sonavel_audio/temp"));
}

TEST_F(CliTest, PrintsASavedRecordAndFailsOnAnUnusableFolder) {
  fs::create_directories(root / "audio");
  MixerConfig record = MixerConfig::FirstRunDefaults(root / "audio", 0, true);
  record.timeDisplayType = 1;
  auto bytes = record.Encode();
  WriteFileBytes(config + "/mixer.cfg", std::string(bytes.begin(), bytes.end()));
  CliRun run = RunCli(root, "--config-dir '" + config + "' config");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("audio folder: " + root.Path() + "/audio\n"), std::string::npos);
  EXPECT_NE(run.out.find("metronome: on\n"), std::string::npos);
  EXPECT_NE(run.out.find("time display: 1 (Beats)\n"), std::string::npos);

  fs::remove_all(root / "audio");
  CliRun broken = RunCli(root, "--config-dir '" + config + "' config");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("Error: Audio Path " + root.Path() + "/audio is invalid."), std::string::npos);

  fs::create_directories(root / "other");
  CliRun fixed = RunCli(root, "--config-dir '" + config + "' --audio-folder '" + root.Path() + "/other' config");
  EXPECT_NE(fixed.out.find("audio folder: " + root.Path() + "/other\n"), std::string::npos);
}

}  // namespace
