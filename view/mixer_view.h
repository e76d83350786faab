#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/timers.h"
#include "view/highlight.h"
#include "view/view_geometry.h"

struct DocumentWorkspace;
#include "view/view_host.h"
#include "view/waveform_drawing.h"

class CMixerApp;
class CMixerDoc;
struct TrackPositions;

// The document's view: the current track's stereo waveform between an amplitude
// scale and the zoom buttons, above a strip of time labels, with the highlight, the
// cursor, the markers and the play line. Every position comes from the document's
// current-track mirror; the mouse and the zoom buttons change it. Drawing goes
// through off-screen surfaces of the host that are copied onto its window.
class CMixerView : public platform::TimerOwner {
 public:
  static constexpr unsigned int kPlayTimer = 1;
  static constexpr unsigned int kPlayTimerPeriodMs = 40;
  // While a drag that selects is held beyond an edge of the waveform, this timer
  // scrolls the view that way and extends the highlight with it.
  static constexpr unsigned int kAutoScrollTimer = 2;
  static constexpr unsigned int kAutoScrollPeriodMs = 40;
  // One notch of a wheel (its angle in eighths of a degree) scrolls an eighth of the view.
  static constexpr int kWheelNotch = 120;
  // Control ids of the zoom-in, zoom-out and zoom-all buttons.
  static constexpr std::array<int, 3> kZoomButtonIds{2000, 2001, 2002};

  // The view draws the document of workspace (null: nothing to draw).
  CMixerView(view::ViewHost& host, DocumentWorkspace* workspace);
  ~CMixerView() override;
  CMixerView(const CMixerView&) = delete;
  CMixerView& operator=(const CMixerView&) = delete;

  // Paints the whole client area: both panels, the time strip and the waveform.
  void OnDraw();

  // Mouse handlers, in client coordinates.
  void OnLButtonDown(int x, int y);
  void OnMouseMove(int x, int y);
  void OnLButtonUp(int x, int y);
  void OnLButtonDblClk(int x, int y);
  // A positive turn zooms in, a negative one out.
  void OnMouseWheel(int delta);
  // A horizontal wheel, or the wheel with Shift: scrolls the view, a notch (120) an
  // eighth of its width; a positive angle (up, or tilted left) towards the start.
  // Smaller angles (touchpads) add up.
  void OnHorizontalWheel(int angle);
  // The user moved the scroll bar to value (in frames: the view start / 4).
  void OnScrollBar(int value);
  // Brings a position into view (to the middle of it when it lies outside), keeping
  // the zoom: the project slider, Rewind and Fast Forward (through the playback
  // engine's observer).
  void ShowPosition(uint32_t position);

  void ZoomIn();
  void ZoomOut();
  void ZoomAll();

  // Highlight begin, highlight end, current position and highlight length (the
  // track's length without a highlight) into the main window's clocks.
  void UpdateClockTimes();
  // The project slider at the current position's share of the project.
  void SetProjectSlider();
  // The user moved the project slider to value (0 to 100).
  void OnProjectSliderMoved(int value);
  // Takes the wave, outline and marker colours of the current track.
  void OnChangeColorScheme();
  // The document's current track changed or became another one.
  void OnDocumentChanged();
  // The scroll bar's state for the present view.
  view::ScrollBarState ScrollBar() const;
  bool IsAutoScrolling() const { return m_autoScrolling; }

  // The play line, driven by the view's timer while the playback engine plays from
  // one position to another; it follows the clock from the start. The position clock
  // and the project slider follow it too, and while the line is in view a line that
  // reaches the view's end turns the page (the view starts at the line); a view the
  // user scrolled away from the line stays. A start outside the view brings the view
  // to it.
  void StartPlayLine(uint32_t from, uint32_t to);
  void StartPlayTimer();
  void StopPlayLine();
  void SetPlayTimerHooks(view::PlayTimerHooks hooks) { m_hooks = std::move(hooks); }
  bool IsPlaying() const { return m_play.playing; }
  void OnTimer(unsigned int id) override;

  // What the last paint laid out and drew.
  const view::ViewGeometry& Geometry() const { return m_geometry; }
  const view::HighlightColumns& Columns() const { return m_columns; }
  int BeginMarkerColumn() const { return m_beginMarkerX; }
  int EndMarkerColumn() const { return m_endMarkerX; }
  view::DrawMode LastDrawMode() const { return m_lastMode; }
  const view::DrawingObjects& Objects() const { return m_objects; }
  const platform::Canvas* WaveformSurface() const { return m_waveform.get(); }
  const platform::Canvas* PanelSurface() const { return m_panel.get(); }
  const platform::Canvas* StripSurface() const { return m_strip.get(); }
  // The client column of the play line, or -1 when none is shown.
  int PlayLineColumn() const { return m_playLineX; }

 private:
  struct PlayLine {
    bool playing = false;
    bool stopRequested = false;
    uint32_t startTick = 0;
    uint32_t from = 0;
    uint32_t to = 0;
    double durationMs = 0;
    // The position the clock and the slider show while playing (the last tick's).
    uint32_t shown = 0;
  };
  // The slider value the user last chose and the position it gave: the slider stays
  // there as long as the position does, so that it and the clock always agree.
  struct SliderChoice {
    bool valid = false;
    int value = 0;
    uint32_t position = 0;
    uint32_t projectLength = 0;
  };

  CMixerDoc* Document() const;
  // The document when the mouse may change it: with a main window and audio in the
  // current track.
  CMixerDoc* DocumentForMouse() const;
  view::ViewFlags Flags();
  void CreateDrawingDevices();
  // The scaled view and highlight, and the columns of the highlight and the markers.
  void RecomputeColumns(TrackPositions& pos);
  bool EnsureSurface(std::unique_ptr<platform::Canvas>& surface, int width, int height, bool strip);
  void DrawLeftPanel();
  void DrawRightPanel();
  void DrawTimeStrip();
  void DisplayTimes();
  int DrawStereoWaveform();
  void DrawMarkers();
  void CopyToWindow(const platform::Canvas& surface, const platform::Rect& from, platform::Point to,
                    const char* failure);
  // The highlight columns into the document's highlight and its scaled image.
  void ApplyColumns(TrackPositions& pos);
  // Brings the highlight in the waveform bitmap up to date with the columns.
  void RedrawHighlight();
  // The main frame's command states follow the highlight.
  void RefreshCommands();
  int MouseColumn(int x) const;
  // How far x lies beyond the waveform's left (negative) or right edge; 0 inside.
  int Overshoot(int x) const;
  // A drag reached column: the highlight runs from the anchor to the position there.
  void ExtendDrag(CMixerDoc& doc, int column);
  // Starts or stops the auto-scroll timer as the drag's mouse lies beyond an edge.
  void UpdateAutoScroll(CMixerDoc& doc);
  void StopAutoScroll();
  void OnAutoScroll();
  // The visible range moved: the scroll bar follows and the view is painted anew.
  void ViewMoved();
  void UpdateScrollBar();
  // The position the clock and the slider show: the play position while playing.
  uint32_t ShownPosition(const CMixerDoc& doc) const;
  int SliderValue(const CMixerDoc& doc, uint32_t position) const;
  std::string Format(uint32_t position) const;
  void DrawPlayLine(int x);
  void RemovePlayLine();
  void Report(const std::string& location, const std::string& message);

  view::ViewHost& m_host;
  DocumentWorkspace* m_workspace;
  view::ViewGeometry m_geometry;
  view::DrawingObjects m_objects;
  bool m_devicesCreated = false;
  bool m_buttonsCreated = false;
  int m_buttonsPlacedWidth = -1;
  int m_buttonsPlacedHeight = -1;
  std::vector<uint8_t> m_buffer;
  std::unique_ptr<platform::Canvas> m_waveform, m_panel, m_strip;
  view::HighlightColumns m_columns;
  int m_beginMarkerX = -1;
  int m_endMarkerX = -1;
  view::DrawMode m_lastMode = view::DrawMode::None;
  // The flags while there is no document to keep them.
  std::array<uint32_t, view::ViewFlags::kCount> m_ownFlags{};
  PlayLine m_play;
  view::PlayTimerHooks m_hooks;
  int m_playLineX = -1;
  // The drag's anchor as a position (it may scroll out of view) and its mouse x.
  uint32_t m_anchorPosition = 0;
  int m_dragX = 0;
  bool m_autoScrolling = false;
  // A paint is on its way: the bitmap is stale, so highlight changes wait for it.
  bool m_repaintPending = false;
  int m_horizontalWheel = 0;
  SliderChoice m_sliderChoice;
  // Failures reported since the last paint that went through without one: a failing
  // file is reported once, not at every paint.
  std::set<std::string> m_reported;
  bool m_failedThisPaint = false;
};
