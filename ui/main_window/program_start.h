#pragma once

namespace ui {

// Whether Qt will find a display (an X or Wayland session, or a platform named on the
// command line or in QT_QPA_PLATFORM). Qt aborts without one.
bool DisplayAvailable(int argc, char** argv);

// Names the program to Qt as the settings store, the desktop and the windows know it:
// organisation, application name and version, desktop file and window icon.
void SetProgramIdentity();

}  // namespace ui
