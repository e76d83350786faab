#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/canvas.h"
#include "view/scroll.h"

namespace view {

// What the waveform view needs of the window that shows it.
class ViewHost {
 public:
  virtual ~ViewHost() = default;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // The window's own surface, of the client size; what is drawn there shows once
  // Flush is called. Null when it cannot be had.
  virtual platform::Canvas* WindowCanvas() = 0;
  // An off-screen surface that copies onto the window's; null without the memory.
  virtual std::unique_ptr<platform::Canvas> CreateSurface(int width, int height) = 0;
  // Brings the part rect of the window's surface to the screen.
  virtual void Flush(const platform::Rect& rect) = 0;
  // Asks for a whole paint (CMixerView::OnDraw) soon.
  virtual void Invalidate() = 0;
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  // The zoom-in, zoom-out and zoom-all buttons: made once, placed after every resize.
  virtual void CreateZoomButtons() = 0;
  virtual void PlaceZoomButtons(const std::array<platform::Rect, 3>& buttons) = 0;
  // The main window's clocks: 0 highlight begin, 1 highlight end, 2 current position,
  // 3 highlight length.
  virtual void SetClockText(int clock, const std::string& text) = 0;
  // The project slider of the lower toolbar, 0 to 100.
  virtual void SetProjectSlider(int position) = 0;
  // The horizontal scroll bar under the waveform: its range, page and value. Moving it
  // comes back as CMixerView::OnScrollBar.
  virtual void SetScrollBar(const ScrollBarState& state) = 0;
  // Reports a failure through the error report under location, or as an information
  // box when location is empty; a window host shows it once the paint in progress is
  // over.
  virtual void Report(const std::string& location, const std::string& message) = 0;
};

// What the view's timer does for the engines on each tick. The playback engine fills
// in servicePlayback (refill and requeue its buffers, update the output meters) and
// looping; the recording engine monitoring and serviceMonitor (the monitor buffers and
// the mixing board's input meters). clearMeters runs once playback has stopped.
struct PlayTimerHooks {
  std::function<void()> servicePlayback;
  std::function<bool()> looping;
  std::function<bool()> monitoring;
  std::function<void()> serviceMonitor;
  std::function<void()> clearMeters;
};

}  // namespace view
