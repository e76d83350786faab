#pragma once

#include <csignal>
#include <functional>
#include <ostream>
#include <string>

class CMixerApp;

// Opens the output device if it is not open yet, then plays the project as the Play
// command does (from the current position, or the highlighted section when the
// position stands at its begin) and services the engine until playback ends. waitTick waits about 40 ms while the
// engine's timer runs (by default the message pump); stopRequested is asked after every tick and stops playback when it
// answers true. False when playback could not start (the reason was shown).
bool PlayProject(CMixerApp& app, const std::function<void()>& waitTick = {},
                 const std::function<bool()>& stopRequested = {});

// PlayProject that Ctrl+C (SIGINT) stops cleanly.
bool PlayProjectUntilInterrupted(CMixerApp& app);

// Lists the output and input devices with the indices --device and the settings use.
void PrintDevices(std::ostream& out);

// Opens output device index for playback instead of the configured one; false (with
// a message on err) when there is no such device or it cannot be opened.
bool UseOutputDevice(CMixerApp& app, const std::string& index, std::ostream& err);

// Catches Ctrl+C (SIGINT) for its lifetime, so that a running command stops cleanly,
// and puts the previous handler back.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  struct sigaction m_previous {};
};
// Whether Ctrl+C came since the innermost InterruptScope began.
bool Interrupted();
