#include "app/settings/audio_io_page.h"

#include "core/errors.h"
#include "app/mixer_app.h"
#include "platform/system.h"
#include "platform/wave/wave_device.h"

namespace {

// Fills a combo box with the device names; false (reported) when a device's
// capabilities cannot be read.
template <typename Caps, typename GetCaps>
bool FillDevices(platform::DialogControl& combo, unsigned count, GetCaps getCaps, const char* waveFunction) {
  combo.ResetContent();
  for (unsigned device = 0; device < count; ++device) {
    Caps caps;
    if (unsigned result = getCaps(device, &caps); result != platform::MMSYSERR_NOERROR) {
      WaveErrorFeedback(result, "CAudioIODialog::OnInitDialog", waveFunction);
      return false;
    }
    combo.AddString(caps.productName);
  }
  return true;
}

}  // namespace

bool CAudioIODialog::OnInitDialog() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", "CAudioIODialog::OnInitDialog");
    return true;
  }
  platform::DialogControl* inputs = GetDlgItem(IDC_INPUT_DEVICE);
  platform::DialogControl* outputs = GetDlgItem(IDC_OUTPUT_DEVICE);
  if (!inputs || !outputs) {
    ReportError("CAudioIODialog::OnInitDialog",
                std::string("Failed to get combo box for ") + (inputs ? IDC_OUTPUT_DEVICE : IDC_INPUT_DEVICE));
    return true;
  }
  platform::WaveSystem* wave = platform::Os().waveSystem;
  if (!wave) return true;
  const unsigned inputCount = wave->InputCount();
  const bool filled =
      FillDevices<platform::WaveInCaps>(
          *inputs, inputCount, [wave](unsigned id, platform::WaveInCaps* caps) { return wave->GetInputCaps(id, caps); },
          "waveInGetDevCaps") &&
      FillDevices<platform::WaveOutCaps>(
          *outputs, wave->OutputCount(),
          [wave](unsigned id, platform::WaveOutCaps* caps) { return wave->GetOutputCaps(id, caps); },
          "waveOutGetDevCaps");
  if (!filled) {
    inputs->ResetContent();
    outputs->ResetContent();
    return true;
  }
  // A device came or went since the page was last opened: the index may name another
  // device now, so recording starts over on the first one.
  if (m_inputCount && *m_inputCount != inputCount) app->ReopenRecordingEngine(0);
  m_inputCount = inputCount;
  inputs->SetCurSel(app->m_nCurrentInputDevice);
  outputs->SetCurSel(app->m_config.waveOutDevice);
  return true;
}

void CAudioIODialog::Apply(CMixerApp& app) {
  platform::DialogControl* inputs = GetDlgItem(IDC_INPUT_DEVICE);
  platform::DialogControl* outputs = GetDlgItem(IDC_OUTPUT_DEVICE);
  if (!inputs || !outputs) return;
  const int input = inputs->GetCurSel();
  const int output = outputs->GetCurSel();
  if (input >= 0 && input != app.m_nCurrentInputDevice) app.ReopenRecordingEngine(input);
  if (output >= 0 && output != app.m_config.waveOutDevice) {
    app.m_config.waveOutDevice = output;
    ShowInformation(
        "The audio output device has been changed.  This setting\n"
        "will be used the next time you start the Sonavel Trackwright.");
  }
}
