#include "engine/monitor_input_dialog.h"

#include "engine/audio_recorder.h"
#include "engine/meter_response.h"
#include "platform/system.h"

InputMeterPositions ServiceMonitor(AudioRecorderNonThreaded& recorder) {
  AudioMonitor& monitor = recorder.Monitor();
  monitor.HandleBuffer();
  return {MeterPosition(monitor.LeftLevel()), MeterPosition(monitor.RightLevel())};
}

CMonitorInputDialog::~CMonitorInputDialog() {
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimers(this);
}

bool CMonitorInputDialog::OnInitDialog() {
  for (const char* id : {IDC_MONITOR_LEFT, IDC_MONITOR_RIGHT}) {
    if (platform::DialogControl* meter = GetDlgItem(id)) meter->SetRange(0, 100);
  }
  SetMeters({});
  if (m_recorder.StartMonitoring() != 1) {
    EndDialog(platform::IDCANCEL);
    return false;
  }
  if (platform::Timers* timers = platform::Os().timers) timers->SetTimer(this, kTimer, kTimerPeriodMs);
  return true;
}

void CMonitorInputDialog::OnTimer(unsigned int id) {
  if (id != kTimer || m_recorder.State() != RecorderMonitoring) return;
  SetMeters(ServiceMonitor(m_recorder));
}

void CMonitorInputDialog::OnCancel() {
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kTimer);
  m_recorder.StopMonitoring();
  EndDialog(platform::IDCANCEL);
}

void CMonitorInputDialog::SetMeters(const InputMeterPositions& positions) {
  if (platform::DialogControl* meter = GetDlgItem(IDC_MONITOR_LEFT)) meter->SetPos(positions.left);
  if (platform::DialogControl* meter = GetDlgItem(IDC_MONITOR_RIGHT)) meter->SetPos(positions.right);
}
