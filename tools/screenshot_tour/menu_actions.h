#pragma once

#include <QString>

class QAction;
class QMenuBar;
class QWidget;

namespace tour {

// The command of the menu bar (or one of its submenus, at any depth) whose text is
// text, & marks included; null when no menu has it.
QAction* FindMenuCommand(const QMenuBar& bar, const QString& text);
// The command of one of window's toolbars whose text is text; null when none has it.
QAction* FindToolbarCommand(const QWidget& window, const QString& text);

// The picture's file name for the dialog of a menu command: "&Project Settings" gives
// "dialog-project-settings.png". The & marks and a closing "..." go, every run of
// other characters than letters and digits becomes one '-'.
QString DialogPictureName(const QString& menuText);
// The same for any stem: ("dialog-application-settings", "I/O Audio Device") gives
// "dialog-application-settings-i-o-audio-device.png".
QString PictureName(const QString& stem, const QString& text);

}  // namespace tour
