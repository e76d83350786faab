// Saves, saves under a new name and exports stopped at every file call in turn: the
// call fails (disk full, an I/O error) or the process is killed there. Afterwards
// the project must open and hold, byte for byte, either everything it held before
// or everything the finished command would have made, and a failure must have
// been reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_run.h"
#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The files of the songs folder and of the audio folder (less the sessions'
// working folders), by path. A project folder's name, which a save under a new name
// makes from the clock, is replaced by the name of the project file that names it.
using Files = std::map<std::string, std::string>;

struct StoppedWriteTest : ::testing::Test {
  TempFolder root;
  std::string songs = root / "songs", audio = root / "audio", backup = root / "backup";

  CliRun Cli(const std::string& commands, const std::string& environment = "") {
    return RunCli(root.Path(), audio, commands, environment);
  }

  void SetUp() override {
    REQUIRE_TOOLS("sox");
    fs::create_directories(songs);
    fs::create_directories(audio);
    const char* tones[] = {"synth 1 sine 300", "synth 0.7 sine 500", "synth 0.5 square 90"};
    std::string make = "-e new";
    for (int n = 0; n < 3; ++n) {
      std::string wav = root / ("t" + std::to_string(n) + ".wav");
      ASSERT_EQ(Shell("sox -V1 -n -r 44100 -c 2 -b 16 " + Quoted(wav) + " " + tones[n] + " gain -9"), 0);
      make += " -e 'track " + std::to_string(n + 1) + "' -e \"import " + Quoted(wav) + "\"";
    }
    CliRun made = Cli(make + " -e \"save " + Quoted(songs + "/song.mix") + "\" -e \"export " +
                      Quoted(songs + "/out.wav") + "\"");
    ASSERT_EQ(made.status, 0) << made.output;
    fs::create_directories(backup + "/audio");
    fs::copy(songs, backup + "/songs", fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(audio)) {
      if (entry.path().filename() != "temp") {
        fs::copy(entry.path(), backup + "/audio/" + entry.path().filename().string(), fs::copy_options::recursive);
      }
    }
  }

  // Puts the project back as it was before the command.
  void Restore() {
    fs::remove_all(songs);
    for (const auto& entry : fs::directory_iterator(audio)) {
      if (entry.path().filename() != "temp") fs::remove_all(entry.path());
    }
    fs::copy(backup + "/songs", songs, fs::copy_options::recursive);
    fs::copy(backup + "/audio", audio, fs::copy_options::recursive);
  }

  Files Snapshot() {
    Files files;
    std::map<std::string, std::string> folderNames;
    for (const auto& entry : fs::directory_iterator(songs)) {
      if (entry.path().extension() != ".mix") continue;
      std::string folder = ProjectFolderOf(ReadFileBytes(entry.path()));
      if (folder.empty()) continue;
      folderNames[folder] = "<folder of " + entry.path().filename().string() + ">";
    }
    for (const std::string& top : {songs, audio}) {
      for (const auto& entry : fs::recursive_directory_iterator(top)) {
        const std::string path = entry.path().string();
        if (!entry.is_regular_file() && !entry.is_symlink()) continue;
        if (path.rfind(audio + "/temp/", 0) == 0) continue;
        // Hidden side and commit files are no files a user takes for good ones; those
        // that opening a project must clear away are looked for by Leftovers.
        if (entry.path().filename().string()[0] == '.') continue;
        std::string bytes = ReadFileBytes(path);
        std::string name = path;
        for (const auto& [folder, alias] : folderNames) {
          if (name.rfind(folder + "/", 0) == 0) name = alias + name.substr(folder.size());
        }
        files[name] = entry.path().extension() == ".mix" ? WithoutProjectFolder(bytes) : bytes;
      }
    }
    return files;
  }

  // Hidden files that the next start and opening the projects should have cleared
  // away: those in the songs folder (a stopped save's or export's side files) and
  // those in the folder a project file names. The side and commit files of a save
  // under a new name stopped before its project file appeared are left to a save
  // under that name, which finishes it.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> found;
    std::vector<std::string> folders = {songs};
    for (const auto& entry : fs::directory_iterator(songs)) {
      if (entry.path().extension() != ".mix") continue;
      std::string folder = ProjectFolderOf(ReadFileBytes(entry.path()));
      if (!folder.empty()) folders.push_back(folder);
    }
    for (const std::string& top : {songs, audio}) {
      for (const auto& entry : fs::recursive_directory_iterator(top)) {
        const std::string name = entry.path().filename().string();
        if (name[0] != '.') continue;
        const std::string folder = entry.path().parent_path().string();
        const size_t project = name.find(".mix.");
        if (folder == songs && project != std::string::npos && !fs::exists(songs + "/" + name.substr(1, project + 3))) {
          continue;
        }
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) found.push_back(entry.path().string());
      }
    }
    return found;
  }

  // What differs between two snapshots, for the failure message.
  static std::string Differences(const Files& a, const Files& b) {
    std::string text;
    for (const auto& [name, bytes] : a) {
      auto other = b.find(name);
      if (other == b.end()) text += " only before: " + name;
      else if (other->second != bytes) text += " changed: " + name;
    }
    for (const auto& [name, bytes] : b) {
      if (!a.count(name)) text += " only after: " + name;
    }
    return text;
  }

  // Runs commands once without a fault, counting the file calls, then once for each
  // call and each kind of fault. Every run is followed by opening the projects;
  // their files must then be the ones from before or the ones from the clean run.
  // startAfter, when given, names a file the commands read just before the calls
  // that are to count, the session's working files among them; otherwise counting
  // starts at the save's first side file and leaves the session's files out.
  void StopAtEveryCall(const std::string& label, const std::string& commands,
                       const std::vector<std::string>& projectsToOpen, const std::string& startAfter = "",
                       const std::vector<const char*>& modes = {"ENOSPC", "EIO", "KILL"}) {
    const Files before = Snapshot();
    const std::string counted = startAfter.empty() ? " TW_FAULT_EXCLUDE=" + Quoted(audio + "/temp")
                                                   : " TW_FAULT_START=" + Quoted(startAfter);
    const std::string paths = "TW_FAULT_PATHS=" + Quoted(songs + ":" + audio + (startAfter.empty() ? "" : ":" + startAfter)) +
                              counted + " LD_PRELOAD=" + Quoted(TRACKWRIGHT_FAULT_SHIM) +
                              // Under AddressSanitizer the preloaded shim comes before its runtime.
                              " ASAN_OPTIONS=verify_asan_link_order=0";
    CliRun clean = Cli(commands, paths + " TW_FAULT_LOG=" + Quoted(root / "calls"));
    ASSERT_EQ(clean.status, 0) << clean.output;
    std::vector<std::string> calls;
    std::istringstream log(ReadFileBytes(root / "calls"));
    for (std::string line; std::getline(log, line);) calls.push_back(line);
    ASSERT_GT(calls.size(), 3u) << "the shim counted no calls";
    const Files after = Snapshot();
    ASSERT_NE(before, after);

    int tried = 0, changed = 0;
    for (const char* mode : modes) {
      for (size_t at = 1; at <= calls.size(); ++at) {
        // A disk fills up on a write; any call can meet an I/O error or a kill.
        if (std::strcmp(mode, "ENOSPC") == 0 && calls[at - 1].find(" write ") == std::string::npos) continue;
        Restore();
        const std::string fault = " TW_FAULT_AT=" + std::to_string(at) + " TW_FAULT_MODE=" + mode;
        CliRun stopped = Cli(commands, paths + fault);
        ++tried;
        const std::string where = label + " " + mode + " at call " + calls[at - 1];
        if (stopped.status != 0 && std::strcmp(mode, "KILL") != 0) {
          const char* expected = std::strcmp(mode, "EIO") == 0 ? "Input/output error" : "No space left on device";
          EXPECT_NE(stopped.output.find(expected), std::string::npos) << where << ": no clear message\n"
                                                                     << stopped.output;
        }
        for (const std::string& project : projectsToOpen) {
          if (!fs::exists(project) && project != projectsToOpen.front()) continue;
          CliRun opened = Cli("-e \"open " + Quoted(project) + "\"");
          EXPECT_EQ(opened.status, 0) << where << ": " << project << " does not open\n" << opened.output;
        }
        // A finished export that could not be renamed over its target stays, named in
        // the message, for the user to take.
        for (const std::string& left : Leftovers()) {
          if (stopped.output.find(left) == std::string::npos) ADD_FAILURE() << where << ": left behind " << left;
        }
        const Files now = Snapshot();
        const bool whole = now == after || (now == before && stopped.status != 0);
        if (!whole) {
          ++changed;
          ADD_FAILURE() << where << " (exit " << stopped.status << "):" << Differences(before, now) << " / against the finished command:"
                        << Differences(after, now) << "\n"
                        << stopped.output;
        }
      }
    }
    std::string stops;
    for (const char* mode : modes) stops += (stops.empty() ? "" : ", ") + std::string(mode);
    std::cout << label << ": " << calls.size() << " file calls, " << tried << " cases tried (" << stops
              << " at each call), " << changed
              << " lost or changed a byte\n";
    EXPECT_EQ(changed, 0);
  }
};

const char* kEdits =
    "-e 'track 2' -e 'select 0 0.1' -e delete -e 'track 3' -e 'select 0 0.2' -e cut -e 'track 1' -e paste-insert";

TEST_F(StoppedWriteTest, ASaveHappensWholeOrNotAtAll) {
  const std::string song = songs + "/song.mix";
  StopAtEveryCall("save", "-e \"open " + Quoted(song) + "\" " + kEdits + " -e save", {song});
}

TEST_F(StoppedWriteTest, ASaveUnderANewNameLeavesTheFirstProjectAlone) {
  const std::string song = songs + "/song.mix", copy = songs + "/copy.mix";
  StopAtEveryCall("save as", "-e \"open " + Quoted(song) + "\" " + kEdits + " -e \"save " + Quoted(copy) + "\"",
                  {song, copy});
}

// Whichever call on the files of the folder fails while the command reads them, the
// message says why, and nothing is taken for a damaged or a short file.
void EveryReadFailureSaysWhy(StoppedWriteTest& test, const std::string& folder, const std::string& command) {
  // Reading the echo presets just before marks where the counted calls begin.
  const std::string presets = test.root / "echo.prt";
  const std::string commands = "-e 'presets echo' -e \"" + command + "\"";
  const std::string shim = "TW_FAULT_PATHS=" + Quoted(folder + ":" + presets) + " TW_FAULT_START=" + Quoted(presets) +
                           " LD_PRELOAD=" + Quoted(TRACKWRIGHT_FAULT_SHIM) + " ASAN_OPTIONS=verify_asan_link_order=0";
  const CliRun clean = test.Cli(commands + " -e info", shim + " TW_FAULT_LOG=" + Quoted(test.root / "calls"));
  ASSERT_EQ(clean.status, 0) << clean.output;
  std::istringstream log(ReadFileBytes(test.root / "calls"));
  int calls = 0, failed = 0;
  for (std::string line; std::getline(log, line);) {
    ++calls;
    CliRun stopped = test.Cli(commands + " -e info", shim + " TW_FAULT_AT=" + std::to_string(calls) + " TW_FAULT_MODE=EIO");
    // A failure the command could go on after leaves it as if none had happened.
    if (stopped.status == 0) {
      EXPECT_EQ(stopped.output, clean.output) << line;
      continue;
    }
    ++failed;
    EXPECT_NE(stopped.output.find("Input/output error"), std::string::npos) << line << "\n" << stopped.output;
    EXPECT_EQ(stopped.output.find("damaged"), std::string::npos) << line << "\n" << stopped.output;
  }
  EXPECT_GT(failed, 0) << command << ": " << calls << " calls, none of whose failures stopped it";
}

TEST_F(StoppedWriteTest, AnOpenOrImportThatCannotReadSaysWhy) {
  EveryReadFailureSaysWhy(*this, songs, "open " + Quoted(songs + "/song.mix"));
  fs::create_directories(root / "in");
  fs::copy_file(root / "t0.wav", root / "in/t0.wav");
  EveryReadFailureSaysWhy(*this, root / "in", "import " + Quoted(root / "in/t0.wav"));
  REQUIRE_TOOLS("lame");
  ASSERT_EQ(Shell("lame --quiet -b 128 " + Quoted(root / "t0.wav") + " " + Quoted(root / "in/t0.mp3")), 0);
  EveryReadFailureSaysWhy(*this, root / "in", "import " + Quoted(root / "in/t0.mp3"));
}

TEST_F(StoppedWriteTest, AnExportReplacesTheOldFileWhole) {
  const std::string song = songs + "/song.mix";
  StopAtEveryCall("export",
                  "-e \"open " + Quoted(song) + "\" -e 'level 1 4 4' -e \"export " + Quoted(songs + "/out.wav") + "\"",
                  {song});
}

TEST_F(StoppedWriteTest, AMixdownToATrackKilledAnywhereLeavesTheProjectWhole) {
  const std::string song = songs + "/song.mix";
  StopAtEveryCall("mixdown to a track", "-e \"open " + Quoted(song) +
                      "\" -e 'presets echo' -e 'mixdown-track --sources 1,2 --target 4' -e save",
                  {song}, root / "echo.prt", {"KILL"});
}

}  // namespace
