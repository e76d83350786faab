#include "app/mixer_app.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/browse_folder.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "app/intro_dialogs.h"
#include "core/main_frame.h"
#include "document/intro_project.h"
#include "document/mixer_doc.h"
#include "platform/message_boxes.h"
#include "platform/process_owner.h"
#include "platform/side_file.h"
#include "platform/system.h"

namespace {

CMixerApp* g_app = nullptr;

constexpr const char* kConfigFileName = "mixer.cfg";

void ShowError(const std::string& text) {
  if (platform::MessageBoxes* boxes = platform::Os().messages) {
    boxes->Show(text, platform::kProgramCaption, platform::MessageIcon::Error, platform::MessageButtons::Ok);
  }
}

enum class FolderAnswer { Chosen, AskAgain, Quit, GiveUp };

// Shows the question and the folder picker. Cancel in the picker asks whether to quit,
// so that a user who has no folder to give is never asked forever; a console run,
// where nobody can be asked, gives up.
FolderAnswer AskForWritableFolder(std::string& folder, const std::string& question) {
  ShowError(question);
  std::string chosen = folder;
  if (CBrowseFolderDialog::GoBrowse(chosen, true) != 1) {
    platform::MessageBoxes* boxes = platform::Os().messages;
    if (!platform::Os().interactive || !boxes) return FolderAnswer::GiveUp;
    platform::MessageResult answer =
        boxes->Show("Sonavel Trackwright needs an audio folder it can write to.\n\nQuit Sonavel Trackwright?",
                    platform::kProgramCaption, platform::MessageIcon::Warning, platform::MessageButtons::YesNo);
    return answer == platform::MessageResult::Yes ? FolderAnswer::Quit : FolderAnswer::AskAgain;
  }
  if (!MixerConfig::FitsAudioFolder(chosen)) {
    ShowInformation("The folder " + chosen + " has a path longer than " +
                    std::to_string(MixerConfig::kAudioFolderSize - 1) + " characters.  Please choose another folder.");
    return FolderAnswer::AskAgain;
  }
  folder = chosen;
  return FolderAnswer::Chosen;
}

}  // namespace

int ConfigFileExists() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) return 0;
  struct stat info {};
  return (stat(app->ConfigFilePath().c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) ? 1 : 0;
}

CMixerApp::CMixerApp() : m_strSessionStamp(MakeSessionStamp(std::time(nullptr))) {
  g_app = this;
  Links().application = true;
  Links().operationDialog = &m_operationDialog;
}

CMixerApp::~CMixerApp() {
  // The output and input devices close before the document goes.
  m_player.Stop();
  m_recorder.ShutdownRecorder();
  if (m_bConfigValid) WriteMixerConfig();
  m_recentFiles.Save();
  // The document deletes the session's working files and folder.
  m_document.reset();
  AttachDocument(nullptr);
  RemoveTempArea();
  m_mainFrame.reset();
  if (MainFrame() && !m_mainFrame) SetMainFrame(nullptr);
  if (g_app == this) {
    g_app = nullptr;
    Links() = {};
  }
}

CMixerApp* CMixerApp::Get() {
  return g_app;
}

std::string CMixerApp::ConfigFilePath() const {
  platform::Folders* folders = platform::Os().folders;
  return JoinPath(folders ? folders->WritableDataFolder() : ".", kConfigFileName);
}

bool CMixerApp::InitInstance(StartupOptions options) {
  // Steps 1 to 3 (controls, the settings store's key, the document template) belong
  // to the front end, which sets up its toolkit and store before the application.
  m_recentFiles.Load();

  // Step 4: the main window and the document.
  if (options.createMainFrame) m_mainFrame = options.createMainFrame();
  m_document = std::make_unique<CMixerDoc>(*this, *this);
  AttachDocument(m_document.get());
  SetMainFrame(m_mainFrame.get());
  if (!MainFrame()) {
    ReportError("CMixerApp::InitInstance", "MainWnd pointer is NULL.");
    return false;
  }

  // Step 5: a saved placement is used once a configuration exists.
  MainFrame()->ShowMainWindow(ConfigFileExists() == 1);

  // Step 6.
  bool firstRun = false;
  LoadOrCreateConfigFile(7, firstRun);
  if (m_bQuitChosen) return false;

  // Step 7.
  m_szAudioFolder = m_config.audioFolder;
  if (SetupTempArea() != 1) return false;

  // Step 8: the working files of the session.
  if (!m_pDocument) {
    ReportError("CMixerApp::InitInstance", "m_pDocument pointer is NULL.");
    return false;
  }
  if (m_pDocument->AssignTrackFileNames(m_szTempFolder) != 1) return false;
  m_szRecordedAudioPath = JoinPath(m_szTempFolder, "recorded_audio.pcm");
  m_pDocument->m_pOperationDialog = &m_operationDialog;
  m_recordingDialog.SetMetronome(&m_metronomeDialog);

  // Steps 9 to 11.
  InitMixingBoard();
  if (options.openAudioDevices) {
    OpenPlaybackEngine();
    OpenRecordingEngine();
  } else {
    // Start-up has reached the engines all the same: New and Open do their work.
    m_bPlayerReady = m_bRecorderReady = true;
  }

  // Step 12.
  StartFirstDocument(options.fileToOpen);

  // Step 13.
  // The intro project greets a person at the first start; a console run keeps the
  // first-run settings for itself only and gets no intro.
  if (firstRun && platform::Os().interactive) CreateIntro();
  return true;
}

void CMixerApp::InitMixingBoard() {
  m_boardTracks.InitStrips();
  m_boardMain.InitMain();
  m_metronomeDialog.LoadSamples(platform::Os().folders);
  m_metronomeDialog.ApplySettings();
}

void CMixerApp::OpenPlaybackEngine() {
  // Start-up has reached the engines: from now on New and Open do their work.
  m_bPlayerReady = true;
  // The output device is opened once, paused, for the life of the process. Without one
  // the program still runs, and Play says why it cannot play.
  m_player.SetupPlayer(this, m_nCurrentOutputDevice >= 0 ? static_cast<unsigned>(m_nCurrentOutputDevice) : 0);
}

void CMixerApp::OpenRecordingEngine() {
  platform::WaveDevices* devices = platform::Os().waveDevices;
  size_t inputs = devices ? devices->InputNames().size() : 0;
  if (inputs == 0) ReportError("CMixerApp::InitInstance", "Failed to detect any input devices.");
  if (m_nCurrentInputDevice < 0 || static_cast<size_t>(m_nCurrentInputDevice) >= inputs) {
    m_nCurrentInputDevice = 0;
    m_config.waveInDevice = 0;
  }
  // Without an input device the program still plays and edits; Record says why it
  // cannot record.
  if (inputs > 0) m_recorder.SetupRecorder(static_cast<unsigned>(m_nCurrentInputDevice));
  m_bRecorderReady = true;
}

void CMixerApp::ReopenRecordingEngine(int device) {
  m_bRecorderReady = false;
  m_recorder.ShutdownRecorder();
  m_nCurrentInputDevice = device;
  m_config.waveInDevice = device;
  OpenRecordingEngine();
}

void CMixerApp::StartFirstDocument(const std::string& fileToOpen) {
  if (fileToOpen.empty()) {
    NewDocument();
    if (platform::Os().interactive) OfferLeftSessions();
    return;
  }
  // Only a file that opened joins the recent files.
  OpenDocument(fileToOpen);
}

void CMixerApp::CreateIntro() {
  // The intro plays from its current position at once, through the Play command.
  if (CreateIntroProject(*this) == 1) StartPlayback();
}

int CMixerApp::LoadOrCreateConfigFile(int mode, bool& firstRun) {
  std::string path = ConfigFilePath();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  long size = 0;
  if (file && std::fseek(file, 0, SEEK_END) == 0) {
    size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
  }
  int result = 0;
  bool loaded = false;
  if (file && size > 0) {
    MixerConfig::Bytes bytes{};
    size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    file = nullptr;
    // A record cut short or not of this program holds no settings to trust: it is
    // kept aside, and the first-run pages ask for them again.
    if (count < MixerConfig::kSize) {
      ReportErrorCode("CMixerApp::LoadOrCreateConfigFile",
                      "The entire config file was not read in.  Config file: (" + path +
                          ").  Amount read in: " + std::to_string(count),
                      0);
    } else if (!MixerConfig::HasMagic(bytes)) {
      ReportErrorCode("CMixerApp::LoadOrCreateConfigFile",
                      "The config file (" + path + ") is not a Sonavel Trackwright configuration file.", 0);
    } else {
      m_config = MixerConfig::Decode(bytes.data(), count);
      loaded = true;
    }
    const std::string kept = path + ".bad";
    if (!loaded && std::rename(path.c_str(), kept.c_str()) == 0) {
      ShowInformation("The damaged configuration file was kept as " + kept + ".");
    }
  }
  if (loaded) {
    m_bConfigValid = true;
    // A folder text without its terminating NUL filled the whole field: not a folder.
    while (!m_config.audioFolderTerminated || IsFolderWritable(m_config.audioFolder) != 1) {
      std::string folder = m_config.audioFolder;
      FolderAnswer answer = AskForWritableFolder(
          folder, "Error: Audio Path " + m_config.audioFolder + " is invalid.  Please choose a new audio directory.");
      m_bQuitChosen = answer == FolderAnswer::Quit;
      if (answer == FolderAnswer::Quit || answer == FolderAnswer::GiveUp) break;
      if (answer == FolderAnswer::Chosen) UseAudioFolder(folder);
    }
    firstRun = false;
    result = 1;
  } else {
    if (file) std::fclose(file);
    if (mode != 7) return 0;
    if (platform::Os().interactive) {
      CIntroDialog welcome;
      welcome.DoModal();
      CIntro2Dialog settings;
      settings.DoModal();
    } else {
      // Nobody can answer the first-run pages: their defaults (or a folder given on
      // the command line) hold for this run only.
      std::string folder = CIntro2Dialog::DefaultAudioFolder();
      if (platform::Os().folderBrowser) {
        if (auto chosen = platform::Os().folderBrowser->Browse("Please Select an Audio Path:", folder))
          folder = *chosen;
      }
      std::error_code error;
      std::filesystem::create_directories(folder, error);
      m_config = MixerConfig::FirstRunDefaults(folder, 0, false);
      ShowInformation("No configuration file " + path + " exists; this run uses the first-run settings (audio folder " +
                      folder + ") without saving them.");
    }
    firstRun = true;
    result = 4;
  }
  // The view's pens and brushes are rebuilt here from the colour fields once the view exists.
  m_nCurrentInputDevice = m_config.waveInDevice;
  m_nCurrentOutputDevice = m_config.waveOutDevice;
  return result;
}

void CMixerApp::WriteMixerConfig() {
  std::string path = ConfigFilePath();
  // Written beside the old file under a name of its own and renamed over it, so that
  // a failed write never leaves a cut-off configuration behind.
  MixerConfig::Bytes bytes = m_config.Encode();
  platform::SideFile side;
  if (!side.Create(path) || !side.Write(bytes.data(), bytes.size()) || !side.Finish() || !side.Publish()) {
    ReportError("CMixerApp::WriteMixerConfig", "Failed to write to Trackwright config file (" + path + ")");
  }
}

void CMixerApp::UseAudioFolder(const std::string& folder) {
  m_config.audioFolder = folder;
  m_config.audioFolderTerminated = true;
  // Kept at once: the next start must not ask for the folder again.
  if (m_bConfigValid) WriteMixerConfig();
}

int CMixerApp::SetupTempArea() {
  while (IsFolderWritable(m_szAudioFolder) != 1) {
    FolderAnswer answer =
        AskForWritableFolder(m_szAudioFolder, "Error: Audio Folder (" + m_szAudioFolder +
                                                  ") is invalid.  Please choose a valid audio folder.");
    if (answer == FolderAnswer::Quit) return 0;
    if (answer == FolderAnswer::GiveUp) {
      ReportError("CMixerApp::SetupTempArea",
                  "No writable audio folder was chosen (" + m_szAudioFolder + "). Cannot continue.");
      return 0;
    }
    if (answer == FolderAnswer::Chosen) UseAudioFolder(m_szAudioFolder);
  }
  m_szTempFolder = JoinPath(m_szAudioFolder, "temp");
  if (IsFolderWritable(m_szTempFolder) != 1) mkdir(m_szTempFolder.c_str(), 0755);
  if (IsFolderWritable(m_szTempFolder) != 1) {
    ReportError("CMixerApp::SetupTempArea", "Temp Folder (" + m_szTempFolder + ") is invalid. Cannot continue.");
    return 0;
  }
  // Sessions started in the same second get a numbered folder each, so that no two
  // sessions ever share (and delete) each other's working files: a folder this
  // process did not make itself is never used.
  std::string session = MakeNewFolder(m_szTempFolder, m_strSessionStamp);
  if (session.empty() || IsFolderWritable(session) != 1) {
    if (!session.empty()) rmdir(session.c_str());
    ReportError("CMixerApp::SetupTempArea",
                "Temp Folder (" + (session.empty() ? JoinPath(m_szTempFolder, m_strSessionStamp) : session) +
                    ") is invalid. Cannot continue.");
    return 0;
  }
  // The owner file tells a later start whether this session's program still runs.
  if (!platform::WriteOwnerFile(JoinPath(session, kSessionOwnerFile))) {
    rmdir(session.c_str());
    ReportError("CMixerApp::SetupTempArea", "Temp Folder (" + session + ") is invalid. Cannot continue.");
    return 0;
  }
  m_szTempFolder = session;
  m_bSessionFolderMade = true;
  ClearStoppedExports(platform::FolderOf(m_szTempFolder));
  return 1;
}

std::vector<LeftSession> CMixerApp::LeftSessions() const {
  return m_bSessionFolderMade ? FindLeftSessions(platform::FolderOf(m_szTempFolder)) : std::vector<LeftSession>{};
}

void CMixerApp::OfferLeftSessions() {
  platform::MessageBoxes* boxes = platform::Os().messages;
  if (!boxes) return;
  for (const LeftSession& session : LeftSessions()) {
    const std::string question =
        "Recover the unsaved work of the session of " + SessionStartText(session.stamp) + "?\n\n" +
        "Sonavel Trackwright ended then without closing: " + std::to_string(session.tracks) +
        (session.tracks == 1 ? " track holds" : " tracks hold") + " audio that was not saved.  Yes opens it as a new " +
        "project; No deletes it.";
    const platform::MessageResult answer =
        boxes->Show(question, platform::kProgramCaption, platform::MessageIcon::Warning, platform::MessageButtons::YesNo);
    if (answer != platform::MessageResult::Yes) {
      RemoveLeftSession(session);
      continue;
    }
    // One session fills the document; any others wait for the next start.
    if (RecoverSession(session) == 1) return;
  }
}

void CMixerApp::RemoveTempArea() {
  if (!m_bSessionFolderMade) return;
  // The document has emptied and removed the session folder; the temp folder goes
  // too once no other session has a folder in it.
  rmdir(m_szTempFolder.c_str());
  rmdir(platform::FolderOf(m_szTempFolder).c_str());
  m_bSessionFolderMade = false;
}
