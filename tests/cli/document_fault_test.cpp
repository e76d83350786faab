// Every document operation stopped at its file calls in turn: each edit, undo, redo,
// save, save under a new name, open, import, export, mixdown to a track and each
// effect meets a full disk, an I/O error or a refused permission at one call. The
// run then goes on and reads back what the session holds: the tracks, the clipboard
// and the undo and redo steps, each saved as a project of its own and compared byte
// for byte, and the project files and folders on disk. All of it must be as before
// the operation, with the failure told in words, or as after it.
//
// The call positions of an operation are sampled evenly (kCasesPerOperation) to keep
// the run short; TW_FAULT_EVERY_CALL=1 tries every call with every fault that fits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_run.h"
#include "tests/support/prerequisites.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kCasesPerOperation = 9;

// What a run leaves to compare: its printout, the probe projects and the files of
// the projects in the songs folder, by name.
using State = std::map<std::string, std::string>;

struct Operation {
  std::string label;
  std::string command;
  // The tools whose preset files the run reads just before and just after the
  // operation, marking its file calls for the shim: tools the operation itself
  // does not read the presets of.
  std::string before = "echo", after = "multi-voice";
};

// A counted file call of a clean run, as the shim logs it: "N kind path".
struct Call {
  std::string kind;
  std::string path;
};

// The faults a call can meet: a full disk where bytes or names are written, a
// refused permission where a name is looked up, an I/O error anywhere.
std::vector<std::string> FaultsFor(const std::string& kind) {
  static const std::set<std::string> writes = {"write", "pwrite", "fwrite", "fflush", "fclose",
                                               "close", "fsync", "fdatasync", "mkdir"};
  static const std::set<std::string> lookups = {"open", "openat", "fopen", "rename", "renameat",
                                                "unlink", "unlinkat", "mkdir"};
  std::vector<std::string> faults = {"EIO"};
  if (writes.count(kind)) faults.push_back("ENOSPC");
  if (lookups.count(kind)) faults.push_back("EACCES");
  return faults;
}

// The file a tool keeps its user presets in, in the configuration folder.
std::string PresetFileName(const std::string& tool) {
  return "/" + (tool == "multi-voice" ? std::string("multi_voice") : tool) + ".prt";
}

const char* MessageOf(const std::string& fault) {
  if (fault == "ENOSPC") return "No space left on device";
  if (fault == "EACCES") return "Permission denied";
  return "Input/output error";
}

struct DocumentFaultTest : ::testing::Test {
  TempFolder root;
  const std::string songs = root / "songs", audio = root / "audio", in = root / "in", probe = root / "probe",
                    backup = root / "backup";
  const std::string song = songs + "/song.mix";

  // The state every operation starts from: the project open, the clipboard filled,
  // one step to undo and one to redo, a section of track 1 highlighted.
  std::vector<std::string> Prelude() const {
    return {"open " + Quoted(song), "track 1", "select 0 0.2", "copy",   "track 2", "select 0 0.1", "delete",
            "track 3",              "select 0 0.1", "delete", "undo", "track 1", "select 0.1 0.3"};
  }

  // Reads the session back: each probe project saved after a step of its own.
  std::vector<std::string> Probe() const {
    auto save = [this](const char* name) { return "save " + Quoted(probe + "/" + name + ".mix"); };
    return {"info",          save("now"), "redo", save("redo"), "undo", "undo",
            save("undone"), "track 8",   "select 0 0", "paste-insert", save("clipboard")};
  }

  CliRun Run(const std::vector<std::string>& commands, const std::string& environment = "") const {
    std::string line = "--keep-going";
    for (const std::string& command : commands) line += " -e " + Quoted(command);
    return RunCli(root.Path(), audio, line, environment);
  }

  void SetUp() override {
    REQUIRE_TOOLS("sox", "lame");
    for (const std::string& folder : {songs, audio, in, probe}) fs::create_directories(folder);
    const char* tones[] = {"synth 1 sine 300", "synth 0.7 sine 500", "synth 0.5 square 90", "synth 0.3 sine 700"};
    for (int n = 0; n < 4; ++n) {
      ASSERT_EQ(Shell("sox -V1 -n -r 44100 -c 2 -b 16 " + Quoted(in + "/t" + std::to_string(n) + ".wav") + " " +
                      tones[n] + " gain -9"),
                0);
    }
    ASSERT_EQ(Shell("lame --quiet -b 128 " + Quoted(in + "/t3.wav") + " " + Quoted(in + "/take.mp3")), 0);
    std::vector<std::string> make = {"new"};
    for (int n = 0; n < 3; ++n) {
      make.push_back("track " + std::to_string(n + 1));
      make.push_back("import " + Quoted(in + "/t" + std::to_string(n) + ".wav"));
    }
    for (const std::string& command :
         {"save " + Quoted(song), "export " + Quoted(songs + "/out.wav"), "export " + Quoted(songs + "/out.mp3"),
          std::string("new"), std::string("track 1"), "import " + Quoted(in + "/t3.wav"),
          "save " + Quoted(songs + "/other.mix")}) {
      make.push_back(command);
    }
    CliRun made = Run(make);
    ASSERT_EQ(made.status, 0) << made.output;
    fs::create_directories(backup);
    fs::copy(songs, backup + "/songs", fs::copy_options::recursive);
    fs::copy(audio, backup + "/audio", fs::copy_options::recursive);
    fs::remove_all(backup + "/audio/temp");
  }

  // Puts the projects back as they were before the run.
  void Restore() const {
    fs::remove_all(songs);
    fs::remove_all(probe);
    for (const auto& entry : fs::directory_iterator(audio)) {
      if (entry.path().filename() != "temp") fs::remove_all(entry.path());
    }
    fs::copy(backup + "/songs", songs, fs::copy_options::recursive);
    fs::copy(backup + "/audio", audio, fs::copy_options::recursive);
    fs::create_directories(probe);
  }

  // The files of each project file in folder and of the project folder it names, the
  // folder's own name left out; hidden side files are looked for by Leftovers.
  static void AddProjects(const std::string& folder, const std::string& prefix, State& state) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.' || !entry.is_regular_file()) continue;
      std::string bytes = ReadFileBytes(entry.path().string());
      const std::string projectFolder = entry.path().extension() == ".mix" ? ProjectFolderOf(bytes) : "";
      state[prefix + name] = WithoutProjectFolder(bytes);
      if (projectFolder.empty() || !fs::is_directory(projectFolder)) continue;
      for (const auto& file : fs::directory_iterator(projectFolder)) {
        const std::string fileName = file.path().filename().string();
        if (fileName[0] != '.') state[prefix + name + " folder/" + fileName] = ReadFileBytes(file.path().string());
      }
    }
  }

  // The lines info prints, without the messages shown between them.
  static std::string InfoLines(const std::string& printout) {
    static const char* kFields[] = {"track ", "master levels:", "current track:", "project:", "position:",
                                    "project length:", "undo:", "redo:", "clipboard:", "modified:"};
    std::string info;
    std::istringstream lines(printout);
    for (std::string line; std::getline(lines, line);) {
      for (const char* field : kFields) {
        if (line.starts_with(field) && line.find(':') != std::string::npos) {
          info += line + "\n";
          break;
        }
      }
    }
    return info;
  }

  State StateOf(const CliRun& run) const {
    State state;
    state["printout"] = InfoLines(run.printout);
    AddProjects(probe, "probe/", state);
    AddProjects(songs, "songs/", state);
    return state;
  }

  // Hidden files in the songs folder and in the projects' folders, and folders in the
  // audio folder that no project names: what a stopped operation left behind.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> found;
    std::set<std::string> named;
    for (const std::string& folder : {songs, probe}) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".mix") named.insert(ProjectFolderOf(ReadFileBytes(entry.path().string())));
      }
    }
    for (const auto& entry : fs::directory_iterator(audio)) {
      const std::string path = entry.path().string();
      if (entry.path().filename() != "temp" && !named.count(path)) found.push_back(path);
    }
    std::vector<std::string> folders(named.begin(), named.end());
    folders.push_back(songs);
    for (const std::string& folder : folders) {
      if (folder.empty() || !fs::is_directory(folder)) continue;
      for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string()[0] == '.') found.push_back(entry.path().string());
      }
    }
    return found;
  }

  // The files on disk (disk) or the session read back through the probe projects.
  static State PartOf(const State& state, bool disk) {
    State part;
    for (const auto& [name, bytes] : state) {
      if (name.starts_with("songs/") == disk) part[name] = bytes;
    }
    return part;
  }

  // A state without its waveform files: the peaks drawn from a track's audio, which
  // opening a project renders anew when they are missing or of the wrong size.
  static State WithoutPeaks(const State& state) {
    State audio;
    for (const auto& [name, bytes] : state) {
      if (!name.ends_with(".pek")) audio[name] = bytes;
    }
    return audio;
  }

  static std::string Differences(const State& a, const State& b) {
    std::string text;
    for (const auto& [name, bytes] : a) {
      auto other = b.find(name);
      if (other == b.end()) text += " only before: " + name;
      else if (other->second != bytes) text += " changed: " + name;
      if (other != b.end() && other->second != bytes && name == "printout") {
        std::istringstream first(bytes), second(other->second);
        for (std::string x, y; std::getline(first, x) && std::getline(second, y);) {
          if (x != y) text += " ('" + x + "', now '" + y + "')";
        }
      }
    }
    for (const auto& [name, bytes] : b) {
      if (!a.count(name)) text += " only after: " + name;
    }
    return text;
  }

  static std::vector<Call> ReadCalls(const std::string& log) {
    std::vector<Call> calls;
    std::istringstream lines(ReadFileBytes(log));
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string number;
      Call call;
      words >> number >> call.kind;
      std::getline(words, call.path);
      calls.push_back(call);
    }
    return calls;
  }

  // Runs each operation after the prelude, failing one of its file calls at a time.
  void FailEveryCall(const std::vector<Operation>& operations) {
    const bool everyCall = std::getenv("TW_FAULT_EVERY_CALL") != nullptr;
    int tried = 0, changed = 0, unrendered = 0;
    for (const Operation& operation : operations) {
      const std::string shim = "TW_FAULT_PATHS=" + Quoted(root.Path()) + " TW_FAULT_START=" +
                               Quoted(PresetFileName(operation.before)) + " TW_FAULT_STOP=" +
                               Quoted(PresetFileName(operation.after)) + " TW_FAULT_NOSYNC=1 LD_PRELOAD=" +
                               Quoted(TRACKWRIGHT_FAULT_SHIM) + " ASAN_OPTIONS=verify_asan_link_order=0";
      std::vector<std::string> commands = Prelude(), probeSteps = Probe();
      commands.push_back("presets " + operation.before);
      probeSteps.insert(probeSteps.begin(), "presets " + operation.after);
      std::vector<std::string> withoutOperation = commands;
      withoutOperation.insert(withoutOperation.end(), probeSteps.begin(), probeSteps.end());
      const size_t operationIndex = commands.size() + 1;
      commands.push_back(operation.command);
      commands.insert(commands.end(), probeSteps.begin(), probeSteps.end());

      Restore();
      const State before = StateOf(Run(withoutOperation));
      const std::string failedAt = "failed at -e command " + std::to_string(operationIndex) + ":";
      Restore();
      const std::string log = root / "calls";
      fs::remove(log);
      const CliRun clean = Run(commands, shim + " TW_FAULT_LOG=" + Quoted(log));
      ASSERT_EQ(clean.output.find(failedAt), std::string::npos) << operation.label << " failed\n" << clean.output;
      const std::vector<Call> calls = ReadCalls(log);
      ASSERT_FALSE(calls.empty()) << operation.label << ": the shim counted no call of the operation";
      const State after = StateOf(clean);
      ASSERT_TRUE(before != after) << operation.label << " changed nothing";

      std::vector<std::pair<size_t, std::string>> cases;
      for (size_t at = 0; at < calls.size(); ++at) {
        for (const std::string& fault : FaultsFor(calls[at].kind)) cases.emplace_back(at, fault);
      }
      if (!everyCall && cases.size() > kCasesPerOperation) {
        std::vector<std::pair<size_t, std::string>> sample;
        for (size_t n = 0; n < kCasesPerOperation; ++n) {
          sample.push_back(cases[n * (cases.size() - 1) / (kCasesPerOperation - 1)]);
        }
        cases = sample;
      }
      for (const auto& [at, fault] : cases) {
        Restore();
        CliRun stopped = Run(commands, shim + " TW_FAULT_AT=" + std::to_string(at + 1) + " TW_FAULT_MODE=" + fault);
        ++tried;
        const std::string where = operation.label + ": " + fault + " at " + calls[at].kind + calls[at].path;
        const bool failed = stopped.output.find(failedAt) != std::string::npos;
        // Opening the projects finishes or undoes what a stopped save left.
        for (const auto& entry : fs::directory_iterator(songs)) {
          if (entry.path().extension() != ".mix") continue;
          CliRun opened = Run({"open " + Quoted(entry.path().string())});
          EXPECT_EQ(opened.status, 0) << where << ": " << entry.path() << " does not open\n" << opened.output;
        }
        // A finished export that could not be renamed over its target stays, named in
        // the message, for the user to take.
        for (const std::string& left : Leftovers()) {
          if (stopped.output.find(left) == std::string::npos) ADD_FAILURE() << where << ": left behind " << left;
        }
        const State now = StateOf(stopped);
        // The session and the files on disk are each as before (after a failure told)
        // or as after: a save can reach the disk and still fail at its last flush. An
        // operation that finished without a waveform file (it could not render or read
        // one) says so; its audio is whole.
        const bool told = stopped.output.find(MessageOf(fault)) != std::string::npos;
        bool whole = true, withoutWaveform = false;
        for (bool disk : {false, true}) {
          const State part = PartOf(now, disk), beforePart = PartOf(before, disk), afterPart = PartOf(after, disk);
          const bool unrendered =
              (failed || told) && part != afterPart && WithoutPeaks(part) == WithoutPeaks(afterPart);
          withoutWaveform = withoutWaveform || unrendered;
          whole = whole && (part == afterPart || unrendered || (part == beforePart && failed));
        }
        unrendered += withoutWaveform;
        if (!whole) {
          ++changed;
          ADD_FAILURE() << where << (failed ? " (failed)" : " (reported no failure)") << ":"
                        << Differences(before, now) << " / against the finished operation:" << Differences(after, now)
                        << "\n"
                        << stopped.output;
        } else if (failed && !told) {
          ADD_FAILURE() << where << ": no clear message\n" << stopped.output;
        }
      }
    }
    std::cout << operations.size() << " operations, " << tried << " cases tried ("
              << (everyCall ? "every call with each fault" : "calls sampled evenly") << "), " << changed
              << " lost or changed a byte of audio (" << unrendered << " finished without their waveform)\n";
    EXPECT_EQ(changed, 0);
  }
};

TEST_F(DocumentFaultTest, AnEditUndoOrRedoThatFailsChangesNothing) {
  FailEveryCall({{"cut", "cut"},
                 {"copy", "copy"},
                 {"delete", "delete"},
                 {"paste insert", "paste-insert"},
                 {"paste over", "paste-over"},
                 {"insert silence", "insert-silence 0.25"},
                 {"undo", "undo"},
                 {"redo", "redo"}});
}

TEST_F(DocumentFaultTest, AFileOperationThatFailsChangesNothing) {
  FailEveryCall({{"save", "save"},
                 {"save as", "save " + Quoted(songs + "/copy.mix")},
                 {"open", "open " + Quoted(songs + "/other.mix")},
                 {"import wav", "import " + Quoted(in + "/t3.wav")},
                 {"import mp3", "import " + Quoted(in + "/take.mp3")},
                 {"export wav", "export " + Quoted(songs + "/out.wav") + " --bits 8"},
                 {"export mp3", "export " + Quoted(songs + "/out.mp3") + " --bitrate 64"},
                 {"mixdown to a track", "mixdown-track --sources 1,2 --target 4"}});
}

TEST_F(DocumentFaultTest, AnEffectThatFailsChangesNothing) {
  std::vector<Operation> operations;
  for (const char* effect : {"volume", "fade", "mute", "reverse", "swap", "copy-channel", "echo", "reverb",
                             "multi-voice"}) {
    const std::string settings = std::string(effect) == "volume" ? " --level1 50" : "";
    operations.push_back({effect, std::string("effect ") + effect + " --range highlight" + settings});
    if (operations.back().label == "multi-voice") std::swap(operations.back().before, operations.back().after);
  }
  FailEveryCall(operations);
}

}  // namespace
