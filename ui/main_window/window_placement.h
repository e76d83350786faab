#pragma once

#include <optional>
#include <string>

namespace ui {

// The main window's placement as it is kept in the settings store ("Settings" /
// "MainWndPos"): "flags,show state,min x,min y,max x,max y,left,top,right,bottom".
struct WindowPlacement {
  static constexpr unsigned int kRestoreToMaximised = 2;  // flags
  static constexpr unsigned int kShowNormal = 1;          // show states
  static constexpr unsigned int kShowMinimised = 2;
  static constexpr unsigned int kShowMaximised = 3;

  unsigned int flags = 0;
  unsigned int showState = kShowNormal;
  int minX = -1, minY = -1;  // where the window goes when minimised: the desktop decides
  int maxX = -1, maxY = -1;  // where the window goes when maximised: the desktop decides
  // The window area when it is neither maximised nor minimised; right and bottom lie
  // just outside it.
  int left = 0, top = 0, right = 0, bottom = 0;

  bool Maximised() const { return (flags & kRestoreToMaximised) != 0 || showState == kShowMaximised; }
};

inline constexpr const char* kPlacementSection = "Settings";
inline constexpr const char* kPlacementEntry = "MainWndPos";

std::string FormatPlacement(const WindowPlacement& placement);
// Nothing unless the text is ten comma-separated decimal numbers (blanks around them
// allowed), the first two not negative, and the normal area not empty.
std::optional<WindowPlacement> ParsePlacement(const std::string& text);

}  // namespace ui
