#pragma once

#include <string>

#include "platform/memory_dialog_surface.h"

// Draws the progress dialog as one line on standard error: message, bar, percentage.
class ProgressLine {
 public:
  void Render(const std::string& layout, platform::MemoryDialogSurface& surface, bool closing);

 private:
  std::string m_last;
  bool m_drawn = false;
};
