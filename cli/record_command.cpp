#include "cli/record_command.h"

#include <optional>

#include "app/mixer_app.h"
#include "app/recording/recording_dialog.h"
#include "cli/play_command.h"
#include "document/mixer_doc.h"
#include "platform/memory_dialog_surface.h"
#include "platform/system.h"
#include "platform/wave/wave_device.h"

namespace {

constexpr unsigned kTickMs = 40;

void Wait(const std::function<void()>& waitTick) {
  if (waitTick) {
    waitTick();
  } else if (platform::MessagePump* pump = platform::Os().pump) {
    pump->PumpFor(kTickMs);
  }
}

}  // namespace

bool UseInputDevice(CMixerApp& app, const std::string& index, std::ostream& err) {
  platform::WaveSystem* wave = platform::Os().waveSystem;
  const unsigned inputs = wave ? wave->InputCount() : 0;
  int device = app.m_nCurrentInputDevice;
  if (!index.empty()) {
    if (index.size() > 4 || index.find_first_not_of("0123456789") != std::string::npos ||
        static_cast<unsigned>(std::stoi(index)) >= inputs) {
      err << "trackwright-cli: --input " << index << ": there are " << inputs
          << " input devices (trackwright-cli devices lists them)\n";
      return false;
    }
    device = std::stoi(index);
  } else if (inputs == 0) {
    err << "trackwright-cli: there is no input device to record from\n";
    return false;
  }
  if (app.m_recorder.IsOpen() && app.m_nCurrentInputDevice == device) return true;
  app.m_recorder.ShutdownRecorder();
  app.m_nCurrentInputDevice = device;
  return app.m_recorder.SetupRecorder(static_cast<unsigned>(device)) == 1;
}

int RecordTake(CMixerApp& app, const TakeRequest& request, std::ostream& err, const std::function<void()>& waitTick) {
  CMixerDoc* doc = app.m_pDocument;
  if (!doc) return 0;
  const int armed = doc->ArmedTrack();
  if (armed < 0) {
    err << "trackwright-cli: record: no track is armed ('arm N on' arms one)\n";
    return 0;
  }
  if (!app.m_recorder.IsOpen() && !UseInputDevice(app, "", err)) return 0;
  platform::WaveSystem* wave = platform::Os().waveSystem;
  if (!app.m_player.IsOpen() && wave && wave->OutputCount() > 0) app.OpenPlaybackEngine();
  doc->AlignTrackToDoc(doc->m_nCurrentTrack);
  if (request.punch && doc->Track(armed).m_pos.m_nMarkerBegin < 0) {
    err << "trackwright-cli: record --punch: the armed track has no begin marker\n";
    return 0;
  }

  // The dialog's logic on a surface of its own, driven as a person would drive it.
  CRecordingDialog& dialog = app.m_recordingDialog;
  platform::MemoryDialogSurface surface;
  std::optional<int> ended;
  dialog.Attach(&surface, [&ended](int code) {
    if (!ended) ended = code;
  });
  if (!dialog.OnInitDialog()) {
    dialog.Detach();
    return 0;
  }
  surface.Control(IDC_RECORD_DIALOG_USE_MARKERS)->SetChecked(request.punch);
  surface.Control(IDC_RECORD_DIALOG_LISTEN)->SetChecked(request.listen);
  dialog.OnStart();
  if (!dialog.IsRecording()) {
    // Refused (the reason was shown) or failed at once.
    if (!ended) dialog.OnCancel();
    dialog.Detach();
    app.StoreTake(platform::IDCANCEL);
    return 0;
  }
  InterruptScope interrupt;
  const uint32_t began = platform::Os().clock ? platform::Os().clock->GetTickCount() : 0;
  while (dialog.IsRecording() && !Interrupted() &&
         (platform::Os().clock ? platform::Os().clock->GetTickCount() : 0) - began < request.ms) {
    Wait(waitTick);
  }
  if (dialog.IsRecording()) dialog.OnStop();
  dialog.Detach();
  return app.StoreTake(ended.value_or(platform::IDCANCEL));
}

bool MonitorInput(CMixerApp& app, uint32_t ms, std::ostream& out, std::ostream& err,
                  const std::function<void()>& waitTick) {
  if (!app.m_recorder.IsOpen() && !UseInputDevice(app, "", err)) return false;
  AudioRecorderNonThreaded& recorder = app.m_recorder;
  if (recorder.StartMonitoring() != 1) return false;
  InterruptScope interrupt;
  for (uint32_t done = 0; done < ms && !Interrupted(); done += kTickMs) {
    Wait(waitTick);
    recorder.Monitor().HandleBuffer();
    out << recorder.Monitor().LeftLevel() << ' ' << recorder.Monitor().RightLevel() << '\n';
  }
  out.flush();
  return recorder.StopMonitoring() == 1;
}
