#pragma once

// What a file edit, an operation or a command came to. The numbers are the ones the
// callers, the dialogs and the command line's exit codes have always compared with.
enum Outcome : int {
  kFailed = 0,  // reported to the user where it failed
  kDone = 1,
  // Not a failure and no change: nothing to do (no undo left, the track already
  // current, playback running), or the user closed a dialog without choosing, whose
  // answer (IDCANCEL) has this number too.
  kNothingDone = 2,
  kCancelled = 3,  // the user cancelled through the progress dialog
};
