#pragma once

#include <string>

#include "platform/dialog_logic.h"
#include "platform/timers.h"

class AudioRecorderNonThreaded;

inline constexpr const char* IDC_MONITOR_LEFT = "IDC_MONITOR_LEFT";
inline constexpr const char* IDC_MONITOR_RIGHT = "IDC_MONITOR_RIGHT";

// The meter positions (0 to 100) of the input's left and right levels.
struct InputMeterPositions {
  int left = 0;
  int right = 0;
};

// One pass of monitoring, every 40 ms: the monitor buffers the device has filled are
// measured and handed back to it; the result is where the input meters stand.
InputMeterPositions ServiceMonitor(AudioRecorderNonThreaded& recorder);

// "Monitor Input": the input's levels on two meters while the dialog is open. It
// monitors from opening to Close, with a 40 ms timer of its own (id 3).
class CMonitorInputDialog : public platform::DialogLogic, public platform::TimerOwner {
 public:
  static constexpr unsigned int kTimer = 3;
  static constexpr unsigned int kTimerPeriodMs = 40;

  explicit CMonitorInputDialog(AudioRecorderNonThreaded& recorder)
      : DialogLogic("monitor_input_dialog"), m_recorder(recorder) {}
  ~CMonitorInputDialog() override;

  // Starts monitoring; a recorder that cannot monitor (no input device) has said why
  // and the dialog closes.
  bool OnInitDialog() override;
  void OnTimer(unsigned int id) override;
  // Close.
  void OnCancel() override;
  void OnOK() override { OnCancel(); }

 private:
  void SetMeters(const InputMeterPositions& positions);
  AudioRecorderNonThreaded& m_recorder;
};
