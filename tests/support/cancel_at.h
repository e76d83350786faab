#pragma once

#include "core/progress_dialog.h"
#include "platform/timers.h"

// Each progress report dispatches one message; this user counts them and presses
// Cancel at the given one.
struct CancelAt : platform::TimerOwner {
  CancelAt(COperationDialog& dialog, int at) : dialog(dialog), at(at) {}
  void OnTimer(unsigned int) override {
    if (++reports == at) dialog.OnCancel();
  }
  COperationDialog& dialog;
  int at;
  int reports = 0;
};
