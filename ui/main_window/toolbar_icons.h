#pragma once

#include <QIcon>

namespace ui {

enum class Glyph {
  New,
  Open,
  Save,
  Cut,
  Copy,
  PasteInsert,
  PasteOver,
  Delete,
  Undo,
  Redo,
  Help,
  Play,
  Rewind,
  FastForward,
  Stop,
  Record,
  Monitor,
};

// The desktop theme's icon for a toolbar command, else the program's own drawing.
QIcon CommandIcon(Glyph glyph);
// The program's own drawing of a toolbar command.
QIcon DrawnIcon(Glyph glyph);
// The program's icon: a waveform beside a fader (as ui/icons/trackwright.svg).
QIcon ApplicationIcon();

}  // namespace ui
