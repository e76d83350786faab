#pragma once

// What the recording engine tells the recording session (the recording dialog). The
// engine runs without one all the same: it then stops the take itself.
class RecordingSessionObserver {
 public:
  virtual ~RecordingSessionObserver() = default;
  // The take's buffers were not serviced in time: stop the recording and the playback
  // and discard the take (the dialog's Cancel). The engine shows the failure dialog
  // afterwards.
  virtual void CancelRecording() = 0;
  // Writing the take failed (already reported, say for a full disk) and the engine has
  // stopped recording. What the file holds up to the failure is intact.
  virtual void RecordingWriteFailed() = 0;
};
