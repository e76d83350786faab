#include "cli/play_command.h"

#include <csignal>

#include "core/command_ids.h"
#include "app/mixer_app.h"
#include "platform/system.h"
#include "platform/wave/wave_device.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
  g_interrupted = 1;
}

// Installs the Ctrl+C handler for its lifetime and puts the previous one back.
class InterruptScope {
 public:
  InterruptScope() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_previous);
  }
  ~InterruptScope() { sigaction(SIGINT, &m_previous, nullptr); }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  struct sigaction m_previous {};
};

constexpr unsigned kTickMs = 40;

}  // namespace

bool PlayProject(CMixerApp& app, const std::function<void()>& waitTick, const std::function<bool()>& stopRequested) {
  // The output device is opened by the first command that plays. Without any device
  // there is nothing to open, and Play says so.
  platform::WaveSystem* wave = platform::Os().waveSystem;
  if (!app.m_player.IsOpen() && wave && wave->OutputCount() > 0) app.OpenPlaybackEngine();
  if (app.OnCommand(ID_TRANSPORT_PLAY) != 1) return false;
  while (app.m_bPlaying) {
    if (waitTick) {
      waitTick();
    } else if (platform::MessagePump* pump = platform::Os().pump) {
      pump->PumpFor(kTickMs);
    } else {
      break;
    }
    if (stopRequested && stopRequested()) {
      app.OnCommand(ID_TRANSPORT_STOP);
      break;
    }
  }
  // The engine has stopped itself, or was stopped here; a pump without timers ends
  // the playback too, so that the run never hangs.
  if (app.m_bPlaying) app.OnCommand(ID_TRANSPORT_STOP);
  return true;
}

bool PlayProjectUntilInterrupted(CMixerApp& app) {
  InterruptScope scope;
  return PlayProject(app, {}, [] { return g_interrupted != 0; });
}

void PrintDevices(std::ostream& out) {
  platform::WaveSystem* wave = platform::Os().waveSystem;
  const unsigned outputs = wave ? wave->OutputCount() : 0;
  const unsigned inputs = wave ? wave->InputCount() : 0;
  out << "output devices:" << (outputs ? "" : " none") << '\n';
  for (unsigned n = 0; n < outputs; ++n) {
    platform::WaveOutCaps caps;
    if (wave->GetOutputCaps(n, &caps) == platform::MMSYSERR_NOERROR)
      out << "  " << n << ": " << caps.productName << '\n';
  }
  out << "input devices:" << (inputs ? "" : " none") << '\n';
  for (unsigned n = 0; n < inputs; ++n) {
    platform::WaveInCaps caps;
    if (wave->GetInputCaps(n, &caps) == platform::MMSYSERR_NOERROR)
      out << "  " << n << ": " << caps.productName << '\n';
  }
}

bool UseOutputDevice(CMixerApp& app, const std::string& index, std::ostream& err) {
  platform::WaveSystem* wave = platform::Os().waveSystem;
  const unsigned outputs = wave ? wave->OutputCount() : 0;
  if (index.empty() || index.size() > 4 || index.find_first_not_of("0123456789") != std::string::npos ||
      static_cast<unsigned>(std::stoi(index)) >= outputs) {
    err << "trackwright-cli: --device " << index << ": there are " << outputs
        << " output devices (trackwright-cli devices lists them)\n";
    return false;
  }
  const int device = std::stoi(index);
  if (app.m_player.IsOpen() && app.m_nCurrentOutputDevice == device) return true;
  app.m_player.Stop();
  app.m_nCurrentOutputDevice = device;
  return app.m_player.SetupPlayer(&app, static_cast<unsigned>(device)) == 1;
}
