#pragma once

#include <ostream>
#include <string>
#include <vector>

class CMixerApp;
namespace platform {
class ConsoleDialogHost;
}

// Runs the command lines of a script against the application, one after another,
// as the window's menu commands would run them.
class ScriptRunner {
 public:
  // dialogs receives the values that commands give where the window would ask.
  ScriptRunner(CMixerApp& app, platform::ConsoleDialogHost& dialogs, std::ostream& out)
      : m_app(app), m_dialogs(dialogs), m_out(out) {}

  // Runs one command line; false (after a message on stderr or from the program)
  // when it failed. Blank lines and lines starting with '#' do nothing.
  bool Run(const std::string& line);

  // The usage text of the commands.
  static std::string Help();

 private:
  bool Dispatch(const std::vector<std::string>& words);
  bool Fail(const std::string& message);
  // Reads a position or length: a byte count, or a time such as 1:05.5 or 2.25.
  bool ReadBytes(const std::string& text, uint32_t& bytes);
  bool Command(int id);
  void PrintInfo();
  // Imports a WAV or MP3 file; a file cut short is imported as far as it goes, with a
  // warning that says how much of it was read.
  bool Import(const std::string& path);
  // An export that cannot succeed (an empty project, a folder that is missing or not
  // writable) is refused before the mixdown starts.
  bool CanExport(const std::string& path);
  bool ExportWave(const std::vector<std::string>& words);
  bool ExportMp3(const std::vector<std::string>& words);
  bool MixdownToTrack(const std::vector<std::string>& words);

  CMixerApp& m_app;
  platform::ConsoleDialogHost& m_dialogs;
  std::ostream& m_out;
};
