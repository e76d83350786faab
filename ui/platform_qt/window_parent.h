#pragma once

class QWidget;

namespace ui {

// The program's main window: the first visible top-level main window, else any;
// null while none exists.
QWidget* MainWindowWidget();

// The window a new dialog or message box belongs to: the modal dialog the user is
// working in, else the main window. Null while the main window is disabled (during
// an operation), since a child of a disabled window is disabled with it; such a
// window is kept above its owner with KeepAbove instead.
QWidget* DialogParent();

// Keeps a parentless top-level window above the main window (a transient window of it).
void KeepAbove(QWidget* window);

// Places window over the centre of the main window (of the screen without one).
void CenterOverMainWindow(QWidget* window);

}  // namespace ui
