#pragma once

#include <cstdint>
#include <string>

#include "audio_store/pcm_file.h"
#include "document/recorded_take.h"
#include "document/take_mix.h"
#include "engine/recording_observers.h"
#include "platform/dialog_logic.h"
#include "platform/timers.h"

class CMixerApp;
class CMetronomeDialog;

inline constexpr const char* IDC_RECORD_DIALOG_START = "IDC_RECORD_DIALOG_START";
inline constexpr const char* IDC_RECORD_DIALOG_STOP = "IDC_RECORD_DIALOG_STOP";
inline constexpr const char* IDC_RECORD_DIALOG_USE_MARKERS = "IDC_RECORD_DIALOG_USE_MARKERS";
inline constexpr const char* IDC_RECORD_DIALOG_LISTEN = "IDC_RECORD_DIALOG_LISTEN";
inline constexpr const char* IDC_RECORD_START_MARKER = "IDC_RECORD_START_MARKER";
inline constexpr const char* IDC_RECORD_END_MARKER = "IDC_RECORD_END_MARKER";
inline constexpr const char* IDC_RECORD_LEFT_METER = "IDC_RECORD_LEFT_METER";
inline constexpr const char* IDC_RECORD_RIGHT_METER = "IDC_RECORD_RIGHT_METER";
inline constexpr const char* IDC_RECORD_AUDIO_RECORDED = "IDC_RECORD_AUDIO_RECORDED";
inline constexpr const char* IDC_RECORD_DISK_USED = "IDC_RECORD_DISK_USED";
inline constexpr const char* IDC_RECORD_DISK_FREE = "IDC_RECORD_DISK_FREE";

// The "Record Audio" dialog: monitors the input while it is open; Start records into
// the recorded-audio file while the other tracks play (with the metronome); Stop ends
// the take and the dialog with OK, Cancel discards it. One instance lives with the
// application object, so its options outlast each opening.
class CRecordingDialog : public platform::DialogLogic, public platform::TimerOwner, public RecordingSessionObserver,
                         public MixAddition {
 public:
  static constexpr unsigned kTimer = 2;
  static constexpr unsigned kTimerPeriodMs = 40;

  explicit CRecordingDialog(CMixerApp& app) : DialogLogic("record_dialog"), m_app(app) {}
  ~CRecordingDialog() override;

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnOK() override { OnStop(); }
  void OnCancel() override;
  void OnTimer(unsigned int id) override;
  // Start and Stop; Start stays in the dialog when the punch options are refused.
  void OnStart();
  void OnStop();

  // The recording engine's reports during a take.
  void CancelRecording() override;
  void RecordingWriteFailed() override;
  // The metronome's clicks in the take's playback.
  void AddToMix(int16_t* samples, uint32_t bytes, uint32_t position) override;
  void SetMetronome(CMetronomeDialog* metronome) { m_metronome = metronome; }

  // The take of the last Stop, for the import (operation 13).
  RecordedTake TakeForImport() const;
  // Whether the last take ended by a failure, not by the user.
  bool TakeFailed() const { return m_bFailed; }
  bool IsRecording() const { return m_state == 3; }
  int32_t State() const { return m_state; }

  // Free space as the dialog shows it: "9999 MB", "9.8 GB", "975 GB".
  static std::string FreeSpaceText(uint64_t megabytes);

  bool m_bFirstOpen = true;
  bool m_bListen = false;
  bool m_bUseMarkers = false;
  uint32_t m_recordedLength = 0;
  int32_t m_punchBegin = -1;
  int32_t m_punchEnd = -1;
  uint32_t m_recordStart = 0;
  uint32_t m_recordStartTick = 0;
  bool m_bStopTimer = false;
  int32_t m_state = 5;

 private:
  void SetMeters(int left, int right);
  void ShowRecorded(uint32_t bytes);
  void ShowMarker(const char* id, int32_t marker);
  // Ends playback and recording of a take; waits (pumping) until both engines are idle.
  void EndTake(bool stopPlaybackAtOnce);
  // The end of a take that failed: nothing is imported; where the audio is is said.
  void FailTake();
  uint32_t Now() const;

  CMixerApp& m_app;
  PCMFile m_recordedFile;
  CMetronomeDialog* m_metronome = nullptr;
  bool m_bFailed = false;
};
