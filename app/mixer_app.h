#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/effect_tool_host.h"
#include "app/left_sessions.h"
#include "core/program_links.h"
#include "core/mixer_config.h"
#include "core/recent_files.h"
#include "app/recording/recording_dialog.h"
#include "app/settings/app_settings_dialog.h"
#include "document/document_host.h"
#include "document/document_workspace.h"
#include "document/recorded_take.h"
#include "effects/effect_tools.h"
#include "engine/audio_player.h"
#include "engine/audio_recorder.h"
#include "engine/metronome_dialog.h"
#include "engine/monitor_input_dialog.h"

class CMainFrame;
class CMixerDoc;

// What the front end hands to start-up.
struct StartupOptions {
  // The file named on the command line, if any.
  std::string fileToOpen;
  // Makes the main window; null when it cannot be created.
  std::function<std::unique_ptr<CMainFrame>()> createMainFrame;
  // Whether start-up opens the output and input devices. A front end that leaves
  // them closed (the console, whose commands mostly never play) opens the output
  // device with OpenPlaybackEngine when a command needs it.
  bool openAudioDevices = true;
};

// The application object: owns the configuration record, the working folders, the
// progress dialog and, through the main frame, the window. It is its document's
// workspace and host. One exists per process.
class CMixerApp : public DocumentWorkspace, public DocumentHost, public PlaybackOwner {
 public:
  CMixerApp();
  ~CMixerApp();
  CMixerApp(const CMixerApp&) = delete;
  CMixerApp& operator=(const CMixerApp&) = delete;

  // The application object of this process, or null.
  static CMixerApp* Get();

  // Starts the program; false when it cannot run.
  bool InitInstance(StartupOptions options);

  // Loads mixer.cfg, or runs the first-run pages when it is missing or empty (mode 7
  // only). Returns 1 for a loaded file, 4 after the first-run pages, 0 on failure.
  int LoadOrCreateConfigFile(int mode, bool& firstRun);
  void WriteMixerConfig();
  // Makes the audio folder, the temp folder and the session folder usable; 1 or 0.
  int SetupTempArea();
  // Removes the session folder and, when no other session's folder is in it, the temp
  // folder; only after SetupTempArea made them.
  void RemoveTempArea();
  std::string ConfigFilePath() const;

  // Runs an audio-changing operation inside the progress dialog and the track-file
  // bracket; returns the operation's result (1, 0, 2 or 3).
  int HandleOperation(Operation operation) override;
  // The session folders that programs which ended without cleaning up left in the
  // temp folder, and the taking over of one as a new, unsaved project.
  std::vector<LeftSession> LeftSessions() const;
  int RecoverSession(const LeftSession& session);
  // Shows the tool of an effect operation and runs the operation when it ends with OK.
  int RunTool(Operation operation);
  // Saves the project under name, or its own name, or (askName, or none yet) a name
  // the user chooses. 1 saved, IDCANCEL when no name was chosen, else failed.
  int SaveProject(bool askName, const std::string& name = {});
  // Before work is thrown away: asks whether to save a modified project and saves it
  // on Yes. False when the user cancelled (or the save failed): keep everything.
  bool SaveModified() override;
  // The open dialog's filter lists, by the kind of file first in them.
  static constexpr int kFilterProject = 0, kFilterWave = 1, kFilterMp3 = 2, kFilterAll = 3;
  // Asks for a file and opens it, or imports it into the current track.
  int OnOpenFile(int filterOrder, bool import);
  int OpenDocument(const std::string& path);
  // A file dropped on the window: playback stops first, as the menu's Open is not
  // offered while the project plays, and nothing opens while an operation runs.
  int OpenDroppedFile(const std::string& path);
  int ImportFile(const std::string& path);
  // Mixes the project down to a WAV (operation 14) or MP3 (15) file: name, or one
  // the user chooses. The project's own file name is left as it is.
  int ExportMix(Operation operation, const std::string& name = {});
  // Whether this program has the operation of this number.
  bool IsOperationAvailable(Operation operation) const override;
  effects::COverToolsDialog* ToolForOperation(Operation operation) override;
  void ApplyMetronomeSettings() override { m_metronomeDialog.ApplySettings(); }
  // A menu, toolbar or keyboard command: tests its precondition and runs it.
  int OnCommand(int id);
  // Whether the command can run now (the menus and toolbars follow this).
  bool IsCommandEnabled(int id) const;

  // Transport (transport.cpp). m_bPlaying is set from Play until Stop: while
  // it is set every command but Stop and the play/stop toggle is disabled.
  void StartPlayback();
  void StopPlayback() override;
  void SetPlayStartEstimate(uint32_t tick) override { m_playStartEstimate = tick; }
  void ShowOutputLevels(int left, int right) override { m_boardMain.SetMeters(left, right); }
  // Ignored within 750 ms of the last accepted toggle.
  void TogglePlayback();
  void StartPlayerIfStopped();
  // Rewind (end false) and fast forward (end true): 1, or 0 while playing.
  int MoveToProjectEdge(bool end);
  // Opens the manual; 1 when a handler for it started. It needs nothing of a running
  // application, so the window offers it at any time.
  static int LaunchHelp();
  // A link as it is; a local file as a file URL.
  static std::string HelpTarget(const std::string& target);
  // The Record command (app/recording): the recording dialog, then the import of its
  // take as operation 13 when it ended with Stop. StoreTake is that second half, for
  // any front end that ran the dialog.
  int OnRecord();
  int StoreTake(int dialogResult);
  // Shuts the recording engine down and sets it up again on another input device,
  // which is stored as the configured one.
  void ReopenRecordingEngine(int device);
  // Opens the playback engine on the current output device, paused; without a device
  // it says why, and Play then explains that it cannot play.
  void OpenPlaybackEngine();

  // Set once the record holds real settings (loaded, or filled by the first-run page);
  // only such a record is written back at exit.
  bool m_bConfigValid = false;
  // Set when the user chose to quit instead of giving an audio folder at start-up.
  bool m_bQuitChosen = false;
  // Set once SetupTempArea has made the session folder m_szTempFolder.
  bool m_bSessionFolderMade = false;
  std::string m_strSessionStamp;
  int m_nCurrentInputDevice = 0;
  int m_nCurrentOutputDevice = 0;
  bool m_bPlayerReady = false;

  CRecentFileList m_recentFiles;
  // The main frame, registered for the lower layers too (core/program_links.h).
  CMainFrame* MainFrame() const override { return Links().mainFrame; }
  void SetMainFrame(CMainFrame* frame) { Links().mainFrame = frame; }
  CAppSettingsDialog m_appSettingsDialog;
  // The nine tools of the Tools and Effects menus, with their settings and presets.
  EffectToolHost m_effectToolHost{*this};
  effects::EffectTools m_effectTools{m_effectToolHost};
  // Playback: the engine, the estimated tick at which the last playback began to
  // sound (0 from each start until its stop), the guard against a re-entered stop and
  // the tick of the last accepted play/stop toggle.
  AudioPlayerNonThreaded m_player;
  // Recording and monitoring: the engine, open on the current input device from
  // start-up to exit.
  AudioRecorderNonThreaded m_recorder;
  uint32_t m_playStartEstimate = 0;
  // The recording dialog and the take it leaves for the import.
  CRecordingDialog m_recordingDialog{*this};
  RecordedTake m_recordedTake;
  bool m_stopInProgress = false;
  std::optional<uint32_t> m_lastToggleTick;
  // The metronome with its live settings: the record's at start-up, a project's when
  // one that carries them opens.
  CMetronomeDialog m_metronomeDialog{m_config};
  // Monitor Input, the input's levels while it is open.
  CMonitorInputDialog m_monitorInputDialog{m_recorder};

 private:
  // Start-up steps whose objects (document, mixing board, engines, intro project)
  // are filled in by the subsystems that bring them.
  void InitMixingBoard();
  void OpenRecordingEngine();
  void StartFirstDocument(const std::string& fileToOpen);
  // Asks, for each left session, whether to recover it; a declined one is removed.
  void OfferLeftSessions();
  // Puts a folder the user chose into the record and, for a real record, the file.
  void UseAudioFolder(const std::string& folder);
  void CreateIntro();
  int RunOperation(Operation operation);
  int NewDocument();
  std::unique_ptr<CMainFrame> m_mainFrame;
  std::unique_ptr<CMixerDoc> m_document;
};

// 1 when mixer.cfg exists and is longer than zero bytes.
int ConfigFileExists();
