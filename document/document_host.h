#pragma once

#include "core/operation.h"

class CMainFrame;
namespace effects {
class COverToolsDialog;
}

// What the document asks of the program that runs it: the window to tell of changes,
// the transport, the question before work is thrown away and the operations it runs
// inside the program's progress bracket. The application implements it.
class DocumentHost {
 public:
  virtual ~DocumentHost() = default;
  // The main frame, or null while there is none.
  virtual CMainFrame* MainFrame() const = 0;
  virtual void StopPlayback() = 0;
  // Asks whether to save a modified project; false when the user cancelled.
  virtual bool SaveModified() = 0;
  virtual bool IsOperationAvailable(Operation operation) const = 0;
  // Runs an audio-changing operation inside the progress dialog; its result.
  virtual int HandleOperation(Operation operation) = 0;
  // The tool dialog of an effect operation, or null.
  virtual effects::COverToolsDialog* ToolForOperation(Operation operation) = 0;
  // The metronome takes the settings of the configuration record, which an opened
  // project has just changed.
  virtual void ApplyMetronomeSettings() {}
};
