#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

class CMixerApp;

struct TakeRequest {
  uint32_t ms = 0;
  bool punch = false;
  bool listen = false;
};

// Records into the armed track while the other tracks play, exactly as the Record
// dialog's Start and, after request.ms, its Stop would (a Ctrl+C stops early), then
// stores the take as the Record command does. waitTick waits about 40 ms while the
// engines' timers run (by default the message pump). The import's result: 1, 2
// (nothing to import), 0 (failed; the reason was shown) or 3.
int RecordTake(CMixerApp& app, const TakeRequest& request, std::ostream& err,
               const std::function<void()>& waitTick = {});

// Monitors the input for ms and prints the left and right input levels (0 to 99) of
// every 40 ms tick, one line each. False when monitoring could not start.
bool MonitorInput(CMixerApp& app, uint32_t ms, std::ostream& out, std::ostream& err,
                  const std::function<void()>& waitTick = {});

// Opens input device index (or, with an empty index, the configured one) for this run
// unless it is open already; false with a message on err when there is no such device
// or it cannot be opened.
bool UseInputDevice(CMixerApp& app, const std::string& index, std::ostream& err);
