#pragma once

class CMainFrame;
class COperationDialog;

// The main frame and the progress dialog of the running program, for the code below the
// application that must reach them: the error report copies to the clipboard only with
// a frame, and long operations step the progress dialog. The application links its own
// while it lives; each is null when there is none (a test, a tool).
struct ProgramLinks {
  // Set while an application object exists.
  bool application = false;
  CMainFrame* mainFrame = nullptr;
  COperationDialog* operationDialog = nullptr;
};

ProgramLinks& Links();
