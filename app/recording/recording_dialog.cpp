#include "app/recording/recording_dialog.h"

#include <algorithm>
#include <cstdio>

#include "core/errors.h"
#include "app/mixer_app.h"
#include "core/time_format.h"
#include "app/recording/punch_in_warning_dialog.h"
#include "document/mix_samples.h"
#include "document/mixer_doc.h"
#include "engine/meter_response.h"
#include "engine/metronome_clicks.h"
#include "engine/metronome_dialog.h"
#include "platform/folders.h"
#include "platform/system.h"

namespace {

constexpr uint32_t kTwoSeconds = 352800;
constexpr uint32_t kWaitMs = 1000;
constexpr const char* kNotSet = "Not Set     ";

}  // namespace

CRecordingDialog::~CRecordingDialog() {
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimers(this);
}

uint32_t CRecordingDialog::Now() const {
  platform::Clock* clock = platform::Os().clock;
  return clock ? clock->GetTickCount() : 0;
}

std::string CRecordingDialog::FreeSpaceText(uint64_t megabytes) {
  char text[64];
  if (megabytes < 10000) {
    std::snprintf(text, sizeof text, "%lu MB", static_cast<unsigned long>(megabytes));
  } else if (megabytes <= 998999) {
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(megabytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%lu GB", static_cast<unsigned long>(megabytes / 1024));
  }
  return text;
}

void CRecordingDialog::SetMeters(int left, int right) {
  if (platform::DialogControl* meter = GetDlgItem(IDC_RECORD_LEFT_METER)) meter->SetPos(MeterPosition(left));
  if (platform::DialogControl* meter = GetDlgItem(IDC_RECORD_RIGHT_METER)) meter->SetPos(MeterPosition(right));
}

void CRecordingDialog::ShowRecorded(uint32_t bytes) {
  std::string text;
  FormatPosition(bytes, kBytesPerSecond, text, m_app.m_config.Tempo(),
                 m_app.m_config.timeDisplayType);
  if (platform::DialogControl* field = GetDlgItem(IDC_RECORD_AUDIO_RECORDED)) field->SetText(text);
  char used[32];
  std::snprintf(used, sizeof used, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
  if (platform::DialogControl* field = GetDlgItem(IDC_RECORD_DISK_USED)) field->SetText(used);
}

void CRecordingDialog::ShowMarker(const char* id, int32_t marker) {
  std::string text = kNotSet;
  if (marker >= 0) {
    FormatPosition(static_cast<uint32_t>(marker), kBytesPerSecond, text,
                   m_app.m_config.Tempo(), m_app.m_config.timeDisplayType);
  }
  if (platform::DialogControl* field = GetDlgItem(id)) field->SetText(text);
}

bool CRecordingDialog::OnInitDialog() {
  constexpr const char* kWhere = "CRecordingDialog::OnInitDialog";
  CMixerDoc* doc = m_app.m_pDocument;
  if (!doc) {
    ReportError(kWhere, "Document pointer is NULL");
    return false;
  }
  if (m_bFirstOpen) {
    m_bFirstOpen = false;
    m_bUseMarkers = m_bListen = false;
  }
  m_recordedLength = 0;
  m_bFailed = false;
  for (const char* id : {IDC_RECORD_LEFT_METER, IDC_RECORD_RIGHT_METER}) {
    if (platform::DialogControl* meter = GetDlgItem(id)) {
      meter->SetRange(0, 100);
      meter->SetPos(0);
    }
  }
  platform::DialogControl* stop = GetDlgItem(IDC_RECORD_DIALOG_STOP);
  platform::DialogControl* start = GetDlgItem(IDC_RECORD_DIALOG_START);
  platform::DialogControl* markers = GetDlgItem(IDC_RECORD_DIALOG_USE_MARKERS);
  platform::DialogControl* listen = GetDlgItem(IDC_RECORD_DIALOG_LISTEN);
  if (!start || !stop || !markers || !listen) {
    ReportError(kWhere, !start     ? "Button pointer is NULL for IDC_RECORD_DIALOG_START"
                        : !stop    ? "Button pointer is NULL for IDC_RECORD_DIALOG_STOP"
                        : !markers ? "Button pointer is NULL for IDC_RECORD_DIALOG_USE_MARKERS"
                                   : "Button pointer is NULL for IDC_RECORD_DIALOG_LISTEN");
    return false;
  }
  stop->SetEnabled(false);
  start->SetEnabled(true);

  const std::optional<uint64_t> free = platform::FreeDiskSpace(m_app.m_szTempFolder);
  const uint64_t megabytes = free ? *free / 1048576u : 0;

  const int armed = doc->ArmedTrack();
  if (armed < 0 || armed >= kTrackCount) {
    ReportError(kWhere, "Cannot perform operation, current track is " + std::to_string(armed) + ".");
    return false;
  }
  doc->AlignTrackToDoc(doc->m_nCurrentTrack);
  const TrackPositions& pos = doc->Track(armed).m_pos;
  const bool markerSet = pos.m_nMarkerBegin >= 0;
  markers->SetEnabled(markerSet);
  listen->SetEnabled(markerSet);
  markers->SetChecked(markerSet && m_bUseMarkers);
  listen->SetChecked(markerSet && m_bListen);
  ShowMarker(IDC_RECORD_START_MARKER, pos.m_nMarkerBegin);
  ShowMarker(IDC_RECORD_END_MARKER, pos.m_nMarkerEnd);
  std::string zero;
  FormatPosition(0, kBytesPerSecond, zero, m_app.m_config.Tempo(),
                 m_app.m_config.timeDisplayType);
  if (platform::DialogControl* field = GetDlgItem(IDC_RECORD_AUDIO_RECORDED)) field->SetText(zero);
  if (platform::DialogControl* field = GetDlgItem(IDC_RECORD_DISK_USED)) field->SetText("0 MB");
  if (platform::DialogControl* field = GetDlgItem(IDC_RECORD_DISK_FREE)) field->SetText(FreeSpaceText(megabytes));

  m_app.m_recorder.StartMonitoring();
  m_state = 7;
  m_bStopTimer = false;
  if (platform::Timers* timers = platform::Os().timers) timers->SetTimer(this, kTimer, kTimerPeriodMs);
  return true;
}

void CRecordingDialog::OnCommand(const std::string& id) {
  if (id == IDC_RECORD_DIALOG_START) OnStart();
  if (id == IDC_RECORD_DIALOG_STOP) OnStop();
}

void CRecordingDialog::OnStart() {
  constexpr const char* kWhere = "CRecordingDialog::OnStart";
  CMixerDoc* doc = m_app.m_pDocument;
  if (!doc) {
    ReportError(kWhere, "Document pointer is NULL");
    return;
  }
  if (m_state != 7) return;
  platform::DialogControl* markers = GetDlgItem(IDC_RECORD_DIALOG_USE_MARKERS);
  platform::DialogControl* listen = GetDlgItem(IDC_RECORD_DIALOG_LISTEN);
  const uint32_t P = doc->m_nCurrentPos;
  if (markers && markers->IsChecked()) {
    const int armed = doc->ArmedTrack();
    if (armed < 0 || armed >= kTrackCount) {
      ReportError(kWhere, "Cannot perform operation, current track is " + std::to_string(armed) + ".");
      return;
    }
    const TrackPositions& pos = doc->Track(armed).m_pos;
    if (pos.m_nMarkerBegin < 0 || static_cast<uint32_t>(pos.m_nMarkerBegin) < P) {
      ShowInformation("When using punch in/out the record start position\nmust be less than the beginning marker.");
      return;
    }
    m_bUseMarkers = true;
    m_bListen = listen && listen->IsChecked();
    m_punchBegin = pos.m_nMarkerBegin;
    m_punchEnd = pos.m_nMarkerEnd;
    if (uint64_t{static_cast<uint32_t>(m_punchBegin)} < uint64_t{P} + kTwoSeconds) {
      CPunchInWarningDialog::Show();
      return;
    }
  } else {
    m_bUseMarkers = m_bListen = false;
  }
  for (const char* id : {IDC_RECORD_DIALOG_USE_MARKERS, IDC_RECORD_DIALOG_LISTEN, IDC_RECORD_DIALOG_START}) {
    if (platform::DialogControl* control = GetDlgItem(id)) control->SetEnabled(false);
  }
  if (platform::DialogControl* stop = GetDlgItem(IDC_RECORD_DIALOG_STOP)) stop->SetEnabled(true);

  m_app.m_recorder.StopMonitoring();
  SetMeters(0, 0);
  m_recordStart = P;
  m_recordedFile.szPath = m_app.m_szRecordedAudioPath;
  m_recordedFile.nSize = 0;
  if (PCMFileOpen(&m_recordedFile, kPCMWrite) != 1) {
    ReportError(kWhere, "OnRecord() - Failed to 'fopen' file for write: " + m_recordedFile.szPath);
    m_app.m_recorder.StartMonitoring();
    return;
  }
  m_recordStartTick = Now();
  m_state = 3;
  doc->m_takeMix = {true, m_bListen, this};
  // Every take counts its beats from its own start position.
  if (m_metronome) m_metronome->StartTake();
  if (m_app.m_recorder.StartRecording(&m_recordedFile, this) != 1) {
    FailTake();
    return;
  }
  m_app.StartPlayerIfStopped();
  if (m_app.m_player.State() != PlayerPlaying) {
    // Without the other tracks playing the take could not be lined up with them.
    ReportError(kWhere, "The other tracks could not be played, so the take was stopped.");
    FailTake();
  }
}

void CRecordingDialog::OnTimer(unsigned int id) {
  if (id != kTimer) return;
  if (m_bStopTimer) {
    if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kTimer);
  }
  AudioRecorderNonThreaded& recorder = m_app.m_recorder;
  if (m_state == 7) {
    recorder.Monitor().HandleBuffer();
    SetMeters(recorder.Monitor().LeftLevel(), recorder.Monitor().RightLevel());
    return;
  }
  if (m_state != 3) return;
  if (recorder.State() == RecorderRecording) recorder.ServiceRecording();
  if (m_state != 3) return;  // the service ended the take
  // The two positions are read in pairs, at one tick: the take is lined up by their
  // difference.
  const uint32_t t0 = Now();
  if (m_app.m_player.SampleStartTick(t0)) recorder.SampleStartTick(t0);
  // The playback stopped under the take (it reported why): the take cannot go on.
  if (m_app.m_player.State() != PlayerPlaying) {
    FailTake();
    return;
  }
  const auto elapsed =
      static_cast<uint32_t>(static_cast<float>(Now() - m_recordStartTick) / 1000.0f * static_cast<float>(kBytesPerSecond));
  int left = 100, right = 100;
  recorder.GetRecordLevels(&left, &right);
  if (left <= 99 && right <= 99) SetMeters(left, right);
  if (!m_bUseMarkers) {
    ShowRecorded(elapsed);
    return;
  }
  const uint64_t position = uint64_t{m_recordStart} + elapsed;
  const uint64_t end = m_punchEnd < 0 ? UINT64_MAX : static_cast<uint64_t>(m_punchEnd);
  const auto begin = static_cast<uint64_t>(m_punchBegin);
  if (position > begin && position < end) {
    ShowRecorded(static_cast<uint32_t>(position - begin));
  } else if (position >= end && end != UINT64_MAX) {
    ShowRecorded(static_cast<uint32_t>(end - begin));
  }
}

void CRecordingDialog::EndTake(bool stopPlaybackAtOnce) {
  AudioRecorderNonThreaded& recorder = m_app.m_recorder;
  if (stopPlaybackAtOnce && m_app.m_player.State() == PlayerPlaying) m_app.m_player.EndPlay();
  if (recorder.State() == RecorderRecording) recorder.StopRecording();
  if (!stopPlaybackAtOnce) m_app.StopPlayback();
  const uint32_t began = Now();
  platform::MessagePump* pump = platform::Os().pump;
  while (pump && (recorder.State() != RecorderIdle || m_app.m_player.State() != PlayerIdle) &&
         Now() - began < kWaitMs) {
    if (!pump->DispatchOne()) pump->PumpFor(10);
  }
  if (m_app.m_player.State() == PlayerPlaying) m_app.m_player.EndPlay();
  if (CMixerDoc* doc = m_app.m_pDocument) doc->m_takeMix = {};
}

void CRecordingDialog::OnStop() {
  if (m_state != 3) return;
  m_bStopTimer = true;
  EndTake(true);
  m_state = 5;
  EndDialog(platform::IDOK);
}

void CRecordingDialog::OnCancel() {
  m_bStopTimer = true;
  if (m_state == 7) m_app.m_recorder.StopMonitoring();
  if (m_state == 3) {
    EndTake(false);
    m_app.m_recorder.FinalizeRecordSession();
  }
  m_state = 5;
  EndDialog(platform::IDCANCEL);
}

void CRecordingDialog::FailTake() {
  m_bFailed = true;
  OnCancel();
}

void CRecordingDialog::CancelRecording() {
  FailTake();
}

void CRecordingDialog::RecordingWriteFailed() {
  FailTake();
}

void CRecordingDialog::AddToMix(int16_t* samples, uint32_t bytes, uint32_t position) {
  if (!m_metronome || !m_metronome->IsOn() || bytes < MetronomeClicks::kBufferBytes) return;
  m_metronome->Mix(samples, position);
}

RecordedTake CRecordingDialog::TakeForImport() const {
  RecordedTake take;
  take.path = m_app.m_szRecordedAudioPath;
  take.recordedLength = m_app.m_recorder.RecordedLength();
  take.recordStart = m_recordStart;
  take.useMarkers = m_bUseMarkers;
  take.punchBegin = m_punchBegin;
  take.punchEnd = m_punchEnd;
  take.playStartEstimate = m_app.m_playStartEstimate;
  take.recordStartEstimate = m_app.m_recorder.RecordStartEstimate();
  return take;
}
