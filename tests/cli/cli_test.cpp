#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/mixer_config.h"
#include "document/project_record.h"
#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status;
  std::string out, err;
};

// Runs trackwright-cli with HOME in a folder of the test's own; prefix comes first in
// the shell's command line (a change of folder, more of the environment).
CliRun RunCli(const TempFolder& root, const std::string& arguments, const std::string& prefix = "") {
  std::string command = prefix + " HOME='" + root.Path() + "/home' '" TRACKWRIGHT_CLI "' " + arguments + " 2>'" +
                        root.Path() + "/stderr'";
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

// Root writes into any folder; without that privilege it meets a read-only folder as a
// user does.
std::string AsUser() {
  return geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search -- env" : "";
}

// Runs trackwright-cli with its standard error on a terminal; what the terminal showed.
std::string RunOnTerminal(const TempFolder& root, const std::vector<std::string>& arguments) {
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) {
    ADD_FAILURE() << "no terminal could be opened";
    return "";
  }
  if (child == 0) {
    setenv("HOME", (root / "home").c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(TRACKWRIGHT_CLI)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(TRACKWRIGHT_CLI, argv.data());
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t count; (count = read(terminal, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<size_t>(count));
  close(terminal);
  waitpid(child, nullptr, 0);
  return shown;
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
  CliRun unknown = RunCli(root, "--config-dir '" + root.Path() + "/config' frobnicate");
  EXPECT_EQ(unknown.status, 1);
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
  // The session folder is gone again, and with it the temp folder.
  EXPECT_FALSE(fs::exists(root / "home/sonavel_audio/temp"));
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

struct ScriptTest : CliTest {
  void SetUp() override {
    CliTest::SetUp();
    fs::create_directories(root / "audio");
    auto bytes = MixerConfig::FirstRunDefaults(root / "audio", 0, false).Encode();
    WriteFileBytes(config + "/mixer.cfg", std::string(bytes.begin(), bytes.end()));
  }
  CliRun Script(const std::string& commands) { return RunCli(root, "--config-dir '" + config + "' " + commands); }
};

TEST_F(ScriptTest, EditsClipboardAndUndoSpanTheCommandsOfOneRun) {
  CliRun run = Script(
      "-e new -e 'track 1' -e 'insert-silence 0:02.000' -e 'select 0:00.500 0:01.000' -e cut -e info -e undo "
      "-e info");
  ASSERT_EQ(run.status, 0) << run.err;
  auto first = run.out.find("track 1: length 264600, audio yes, highlight 88200-88200, markers - -, levels 10 10");
  ASSERT_NE(first, std::string::npos) << run.out;
  EXPECT_NE(run.out.find("undo: 2\nredo: 0\nclipboard: 88200\nmodified: yes\n", first), std::string::npos);
  auto second = run.out.find("track 1: length 352800", first);
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(run.out.find("undo: 1\nredo: 1\nclipboard: 88200\n", second), std::string::npos);
  EXPECT_EQ(run.err, "");  // no progress line where standard error is not a terminal
}

TEST_F(ScriptTest, AFailedCommandStopsTheScript) {
  WriteFileBytes(root / "script.txt",
                 "# markers, then a paste with an empty clipboard\n"
                 "insert-silence 4000\n"
                 "markers 400 800\n"
                 "\n"
                 "paste-insert\n"
                 "info\n");
  CliRun run = Script("--script '" + root.Path() + "/script.txt'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("No audio available on clipboard."), std::string::npos);
  EXPECT_EQ(run.out.find("track 1:"), std::string::npos);  // info never ran
  EXPECT_EQ(run.err, "trackwright-cli: stopped at line 5 of " + root.Path() + "/script.txt: paste-insert\n");

  CliRun beyond = Script("-e 'insert-silence 400' -e 'select 0 1:00' -e info");
  EXPECT_EQ(beyond.status, 1);
  EXPECT_EQ(beyond.err,
            "trackwright-cli: select: 1:00 lies beyond the track's 400 bytes\n"
            "trackwright-cli: stopped at -e command 2: select 0 1:00\n");
  EXPECT_EQ(Script("-e 'track 9'").status, 1);
  EXPECT_EQ(Script("-e 'insert-silence 400 --at-marker'").status, 1);

  // With --keep-going the commands after a failed one run, and the run still fails.
  CliRun going = Script("--keep-going -e 'insert-silence 400' -e 'select 0 1:00' -e info");
  EXPECT_EQ(going.status, 1);
  EXPECT_NE(going.out.find("track 1: length 400"), std::string::npos) << going.out;
  EXPECT_NE(going.err.find("trackwright-cli: failed at -e command 2: select 0 1:00\n"), std::string::npos) << going.err;
}

// A command given as the arguments keeps each argument one word, whatever it holds:
// blanks, quotes of either kind.
TEST_F(ScriptTest, ACommandGivenAsArgumentsKeepsItsWords) {
  fs::create_directories(root / "it's a \"song\"");
  const std::string project = root / "it's a \"song\"/it's.mix";
  CliRun saved = RunCli(root, "--config-dir '" + config + "' --audio-folder '" + root / "audio" + "' save \"" +
                                  root / "it's a \\\"song\\\"/it's.mix" + "\"");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_TRUE(fs::exists(project)) << saved.err;
}

TEST_F(ScriptTest, ExportsThatCannotSucceedAreRefusedBeforeTheMixdown) {
  CliRun empty = Script("-e \"export '" + root / "empty.wav" + "'\"");
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("trackwright-cli: export: the project holds no audio; there is nothing to export\n"),
            std::string::npos)
      << empty.err;
  EXPECT_FALSE(fs::exists(root / "empty.wav"));

  for (const char* rate : {"999", "100", "0"}) {
    CliRun bad = Script("-e 'insert-silence 4000' -e \"export '" + root / "out.mp3" + "' --bitrate " + rate + "\"");
    EXPECT_EQ(bad.status, 1) << rate;
    EXPECT_NE(bad.err.find(std::string("export: --bitrate ") + rate +
                           " is not an MP3 bit rate; the bit rates are 320, 256, 224, 192, 160, 128, 112, 96, 80, 64, "
                           "56, 48, 40, 32 (kbit/s)"),
              std::string::npos)
        << bad.err;
    EXPECT_FALSE(fs::exists(root / "out.mp3"));
  }

  CliRun missing = Script("-e 'insert-silence 4000' -e \"export '" + root / "no/such/x.wav" + "'\"");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("export: the folder " + root / "no/such" + " does not exist\n"), std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.out.find("other program"), std::string::npos);

  fs::create_directories(root / "locked");
  fs::permissions(root / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  CliRun locked = RunCli(
      root, "--config-dir '" + config + "' -e 'insert-silence 4000' -e \"export '" + root / "locked/x.mp3" + "'\"",
      AsUser());
  fs::permissions(root / "locked", fs::perms::owner_all);
  EXPECT_EQ(locked.status, 1);
  EXPECT_NE(locked.err.find("export: the folder " + root / "locked" + " is not writable (Permission denied)\n"),
            std::string::npos)
      << locked.err;
}

TEST_F(ScriptTest, PlainMessagesForAnImportOfAnotherKindAndForASingleMarker) {
  CliRun chord = Script("-e 'import chord'");
  EXPECT_EQ(chord.status, 1);
  EXPECT_NE(chord.err.find("trackwright-cli: import chord: only WAV (.wav) and MP3 (.mp3) files can be imported\n"),
            std::string::npos)
      << chord.err;

  CliRun begin = Script("-e 'insert-silence 8000' -e 'markers 400 -' -e cut-markers");
  EXPECT_EQ(begin.status, 1);
  EXPECT_NE(begin.err.find("trackwright-cli: cut-markers: only one marker is set; 'markers BEGIN END' sets both\n"),
            std::string::npos)
      << begin.err;
  EXPECT_EQ(begin.err.find("Error Message"), std::string::npos);
  EXPECT_NE(Script("-e 'insert-silence 8000' -e cut-markers").out.find("No markers set for cut."), std::string::npos);
}

TEST_F(ScriptTest, ProgressIsShownOnATerminalOnlyForWorkLongerThanAMoment) {
  std::string shown =
      RunOnTerminal(root, {"--config-dir", config, "-e", "insert-silence 2.0", "-e", "select 0 1.0", "-e", "cut"});
  EXPECT_EQ(shown.find("Rendering"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Performing cut operation"), std::string::npos) << shown;
}

TEST_F(ScriptTest, AudioDevicesAreOpenedOnlyByACommandThatPlays) {
  // No sound server: a run that never plays says nothing about audio devices.
  fs::create_directories(root / "no-server");
  const std::string noServer = "XDG_RUNTIME_DIR='" + root / "no-server" + "' PULSE_SERVER=unix:" + root / "none";
  CliRun edit = RunCli(root, "--config-dir '" + config + "' -e 'insert-silence 4000' -e info", noServer);
  EXPECT_EQ(edit.status, 0) << edit.err;
  EXPECT_EQ(edit.err, "");

  REQUIRE_TEST_SERVER();
  CliRun play = Script("-e 'insert-silence 0.2' -e play");
  EXPECT_EQ(play.status, 0) << play.err;
  EXPECT_EQ(play.err, "");
}

TEST_F(ScriptTest, AConfigurationThatCannotBeWrittenAtExitFailsTheRun) {
  fs::permissions(config, fs::perms::owner_read | fs::perms::owner_exec);
  CliRun run = RunCli(root, "--config-dir '" + config + "' -e info", AsUser());
  fs::permissions(config, fs::perms::owner_all);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Failed to write to Trackwright config file (" + config + "/mixer.cfg)"), std::string::npos)
      << run.err;
}

TEST_F(ScriptTest, TrackNamesAreEscapedInTheInfo) {
  ProjectRecord record;
  record.folder = root / "audio";
  record.tracks[0].name = "bass\x1b[2J\a 'di' \\ o";
  std::vector<uint8_t> bytes = record.Encode();
  WriteFileBytes(root / "named.mix", std::string(bytes.begin(), bytes.end()));
  CliRun info = Script("-e \"open '" + root / "named.mix" + "'\" -e info");
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("name 'bass\\x1B[2J\\x07 \\'di\\' \\\\ o'\n"), std::string::npos) << info.out;
}

TEST_F(ScriptTest, ARelativeAudioFolderIsStoredAsAnAbsoluteOne) {
  fs::remove_all(root / "audio");
  fs::create_directories(root / "work/songs");
  CliRun moved =
      RunCli(root, "--config-dir '" + config + "' --audio-folder songs/ config", "cd '" + root / "work" + "' &&");
  EXPECT_NE(moved.out.find("audio folder: " + root / "work/songs" + "\n"), std::string::npos) << moved.out;
  CliRun later = Script("config");
  EXPECT_NE(later.out.find("audio folder: " + root / "work/songs" + "\n"), std::string::npos) << later.out;
}

TEST_F(ScriptTest, MarkerCommandsAndCopyBetweenThem) {
  CliRun run =
      Script("-e 'insert-silence 8000' -e 'markers 1000 3000' -e copy-markers -e 'select 0 0' -e paste-insert -e info");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("track 1: length 10000, audio yes, highlight 0-0, markers 3000 5000,"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("clipboard: 2000\n"), std::string::npos);
}

TEST_F(ScriptTest, AProjectSavedByOneRunOpensInTheNext) {
  std::string project = root.Path() + "/song.mix";
  CliRun save = Script(
      "-e 'insert-silence 2000' -e 'track 2' -e 'insert-silence 4000' -e 'level 2 20 25' "
      "-e 'mute 2 on' -e 'master 11 12' -e \"save '" +
      project + "'\"");
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(fs::file_size(project), 5892u);
  CliRun open = Script("-e \"open '" + project + "'\" -e info");
  ASSERT_EQ(open.status, 0) << open.err;
  EXPECT_NE(open.out.find("track 2: length 4000, audio yes, highlight 0-0, markers - -, levels 20 25, mute on"),
            std::string::npos)
      << open.out;
  EXPECT_NE(open.out.find("master levels: 11 12\ncurrent track: 2\nproject: " + project), std::string::npos);
  EXPECT_NE(open.out.find("modified: no"), std::string::npos);
  EXPECT_EQ(Script("-e 'save'").status, 1);  // a new project has no name to save under
}

}  // namespace

namespace {

TEST_F(ScriptTest, EffectsRunOnTheirRangeAreUndoneAndRefuseValuesOutOfRange) {
  // Each effect is one step of undo; without --range a tool keeps its last range.
  CliRun run = Script(
      "-e 'insert-silence 4000' -e 'select 0 0' -e 'effect reverse --range track' -e 'effect reverse' -e info "
      "-e undo -e info");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("undo: 3\nredo: 0\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("undo: 2\nredo: 1\n"), std::string::npos);

  CliRun far = Script("-e 'insert-silence 4000' -e 'effect echo --delay 2501'");
  EXPECT_EQ(far.status, 1);
  EXPECT_NE(far.err.find("--delay takes L or L,R from 0 to 2500"), std::string::npos) << far.err;
  CliRun unused = Script("-e 'insert-silence 4000' -e 'effect volume --voices 2'");
  EXPECT_EQ(unused.status, 1);
  EXPECT_NE(unused.err.find("volume has no --voices setting"), std::string::npos) << unused.err;
  CliRun noHighlight = Script("-e 'insert-silence 4000' -e 'effect mute --range highlight'");
  EXPECT_EQ(noHighlight.status, 1);
  CliRun empty = Script("-e 'effect mute'");
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.out.find("No audio exists to perform operation on."), std::string::npos) << empty.out;
}

TEST_F(ScriptTest, UserPresetsAreKeptBetweenRunsAndSharedByEchoAndReverb) {
  ASSERT_EQ(Script("-e 'preset-add reverb Hall --level1 70 --delay 300'").status, 0);
  EXPECT_EQ(fs::file_size(config + "/echo.prt"), 160u);
  CliRun listed = Script("-e 'presets echo'");
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("Canyon Echo: lock on, level1 100,100, level2 50,50, delay 850,850\n"), std::string::npos);
  EXPECT_NE(listed.out.find("Hall: lock on, level1 70,70, level2 80,80, delay 300,300\n"), std::string::npos)
      << listed.out;
  EXPECT_EQ(Script("-e 'insert-silence 40000' -e 'effect echo --range track --preset Hall'").status, 0);
  EXPECT_EQ(Script("-e 'preset-remove echo \"Small Room\"'").status, 1);
  ASSERT_EQ(Script("-e 'preset-remove echo Hall'").status, 0);
  EXPECT_EQ(fs::file_size(config + "/echo.prt"), 0u);
  EXPECT_EQ(Script("-e 'presets volume'").status, 1);
}

}  // namespace

namespace {

TEST_F(ScriptTest, TheMetronomeIsSetAsItsDialogDoesKeptAndCarriedByAProject) {
  CliRun set = Script("metronome on --bpm 120 --measure 3 --accent off --sound beat --level 14");
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "metronome: on, 120 beats per minute, measure 3/4, accent off, sound beat, level 14\n");
  // The next run starts with them; settings not named stay.
  CliRun kept = Script("-e 'metronome off --bpm 96' -e config");
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_NE(kept.out.find("metronome: off\nmetronome measure: 2 (three beats)\nmetronome sound: 0 (drum beat)\n"
                          "metronome accent: off\nmetronome tempo: 96 beats per minute\nmetronome level: 14\n"),
            std::string::npos)
      << kept.out;

  // A project keeps its tempo; opening it makes that the tempo of the run.
  const std::string project = root.Path() + "/song.mix";
  ASSERT_EQ(Script("-e 'insert-silence 4000' -e \"save '" + project + "'\"").status, 0);
  ASSERT_EQ(Script("metronome off --bpm 200").status, 0);
  CliRun open = Script("-e \"open '" + project + "'\" -e config");
  ASSERT_EQ(open.status, 0) << open.err;
  EXPECT_NE(open.out.find("metronome tempo: 96 beats per minute"), std::string::npos) << open.out;

  for (const char* bad : {"metronome", "metronome loud", "metronome on --bpm 19", "metronome on --bpm 261",
                          "metronome on --bpm 1e2", "metronome on --measure 6", "metronome on --accent yes",
                          "metronome on --sound cowbell", "metronome on --level 61", "metronome on --level",
                          "metronome on --swing 1"}) {
    CliRun refused = Script(bad);
    EXPECT_EQ(refused.status, 1) << bad;
    EXPECT_NE(refused.err.find("trackwright-cli: "), std::string::npos) << bad;
  }
  EXPECT_NE(Script("metronome on --bpm 300").err.find("the tempo must be 20 to 260 beats per minute, not '300'"),
            std::string::npos);
  EXPECT_NE(Script("metronome on --sound cowbell").err.find("the sound is stick or beat, not 'cowbell'"),
            std::string::npos);
  // Nothing refused reached the record.
  EXPECT_NE(Script("config").out.find("metronome: off\n"), std::string::npos);
  EXPECT_NE(Script("config").out.find("metronome tempo: 96 beats per minute"), std::string::npos);
}

}  // namespace
