#include "view/mixer_view.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "core/main_frame.h"
#include "core/program_links.h"
#include "document/document_workspace.h"
#include "core/time_format.h"
#include "document/mixer_doc.h"
#include "platform/system.h"
#include "view/scroll.h"
#include "view/time_labels.h"
#include "view/zoom.h"

using platform::Point;
using platform::Rect;
using view::DrawMode;
using view::kPanelWidth;
using view::kStripHeight;
using view::ViewFlags;

namespace {

constexpr const char* kDrawLocation = "CMixerView::DrawStereoWaveform";
constexpr const char* kPaintLocation = "CMixerView::OnDraw";
constexpr const char* kNoMemory = "Insufficient memory to draw the waveform.";

platform::Rgb ColourOf(const DocumentWorkspace& work, int index) {
  const ColourEntry& entry = work.m_colourTable.At(index);
  return {entry.red, entry.green, entry.blue};
}

}  // namespace

CMixerView::CMixerView(view::ViewHost& host, DocumentWorkspace* workspace) : m_host(host), m_workspace(workspace) {}

CMixerView::~CMixerView() {
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimers(this);
}

CMixerDoc* CMixerView::Document() const {
  DocumentWorkspace* work = m_workspace;
  return work ? work->m_pDocument : nullptr;
}

CMixerDoc* CMixerView::DocumentForMouse() const {
  DocumentWorkspace* work = m_workspace;
  if (!work || !Links().mainFrame || !work->m_pDocument) return nullptr;
  if (work->m_pDocument->m_mirror.m_nLength == 0 || !m_geometry.HasWaveArea()) return nullptr;
  return work->m_pDocument;
}

view::ViewFlags CMixerView::Flags() {
  CMixerDoc* doc = Document();
  return ViewFlags(doc ? doc->m_mirror.m_viewValues : m_ownFlags);
}

void CMixerView::Report(const std::string& location, const std::string& message) {
  m_failedThisPaint = true;
  if (m_reported.insert(location + '\n' + message).second) m_host.Report(location, message);
}

void CMixerView::CreateDrawingDevices() {
  m_objects = view::DrawingObjects{};
  m_buffer.assign(view::kDataBufferSize, 0);
  m_devicesCreated = true;
}

void CMixerView::OnChangeColorScheme() {
  DocumentWorkspace* work = m_workspace;
  CMixerDoc* doc = Document();
  if (!work || !doc) return;
  const auto track = static_cast<size_t>(std::clamp<int>(doc->m_nCurrentTrack, 0, kTrackCount - 1));
  const platform::Rgb wave = ColourOf(*work, work->m_config.waveColour[track]);
  const platform::Rgb outline = ColourOf(*work, work->m_config.outlineColour[track]);
  const platform::Rgb marker = ColourOf(*work, work->m_config.markerColour[track]);
  m_objects.wave.colour = wave;
  m_objects.waveBrush.colour = wave;
  m_objects.outline.colour = outline;
  m_objects.outlineBrush.colour = outline;
  m_objects.marker.colour = marker;
  m_objects.marker2.colour = marker;
  m_objects.markerBrush.colour = marker;
}

void CMixerView::OnDocumentChanged() {
  if (m_devicesCreated) OnChangeColorScheme();
  m_repaintPending = true;
  m_host.Invalidate();
  UpdateScrollBar();
  SetProjectSlider();
  UpdateClockTimes();
}

view::ScrollBarState CMixerView::ScrollBar() const {
  CMixerDoc* doc = Document();
  return doc ? view::ScrollBarFor(doc->m_mirror) : view::ScrollBarState{};
}

void CMixerView::UpdateScrollBar() {
  m_host.SetScrollBar(ScrollBar());
}

void CMixerView::ViewMoved() {
  m_repaintPending = true;
  m_host.Invalidate();
  UpdateScrollBar();
}

void CMixerView::RecomputeColumns(TrackPositions& pos) {
  view::RescaleView(pos);
  const int width = m_geometry.width;
  if (pos.m_nLength == 0) {
    m_columns.x1 = m_columns.x2 = -1;
    m_beginMarkerX = m_endMarkerX = -1;
    return;
  }
  m_columns.x1 = view::ColumnOf(pos.m_nHighlightBegin, pos.m_nViewStart, pos.m_nViewWidth, width);
  m_columns.x2 = view::ColumnOf(pos.m_nHighlightEnd, pos.m_nViewStart, pos.m_nViewWidth, width);
  auto markerColumn = [&pos, width](int32_t marker) {
    if (marker == kMarkerNotSet) return -1;
    return view::ColumnOf(static_cast<uint32_t>(marker), pos.m_nViewStart, pos.m_nViewWidth, width);
  };
  m_beginMarkerX = markerColumn(pos.m_nMarkerBegin);
  m_endMarkerX = markerColumn(pos.m_nMarkerEnd);
}

bool CMixerView::EnsureSurface(std::unique_ptr<platform::Canvas>& surface, int width, int height, bool strip) {
  if (surface && surface->Width() == width && surface->Height() == height) return true;
  surface.reset();
  surface = m_host.CreateSurface(width, height);
  if (surface) return true;
  if (strip) {
    Report("", std::string(kNoMemory) + "  \nPlease close a file to free up resources.");
  } else {
    Report(kPaintLocation, kNoMemory);
  }
  return false;
}

void CMixerView::CopyToWindow(const platform::Canvas& surface, const Rect& from, Point to, const char* failure) {
  platform::Canvas* window = m_host.WindowCanvas();
  if (!window || !window->CopyFrom(surface, from, to)) Report(kPaintLocation, failure);
}

void CMixerView::OnDraw() {
  DocumentWorkspace* work = m_workspace;
  if (work && work->m_bClosing) return;
  CMixerDoc* doc = Document();
  if (doc && doc->m_bRecording) return;
  if (!m_devicesCreated) {
    CreateDrawingDevices();
    OnChangeColorScheme();
  }
  m_failedThisPaint = false;
  m_repaintPending = false;
  m_geometry = view::ViewGeometry::For(m_host.ClientWidth(), m_host.ClientHeight());
  platform::Canvas* window = m_host.WindowCanvas();
  if (!window) return;
  const Rect client{0, 0, m_geometry.clientWidth, m_geometry.clientHeight};
  // The paint covers the play line; the next tick draws it again.
  m_playLineX = -1;
  if (!m_geometry.HasWaveArea()) {
    window->FillRect(client, m_objects.panel);
    m_host.Flush(client);
    return;
  }
  if (doc) RecomputeColumns(doc->m_mirror);
  UpdateScrollBar();

  if (!EnsureSurface(m_panel, kPanelWidth, m_geometry.clientHeight, false) ||
      !EnsureSurface(m_strip, m_geometry.clientWidth, kStripHeight, true) ||
      !EnsureSurface(m_waveform, m_geometry.width, m_geometry.height, false)) {
    return;
  }
  const Rect panel{0, 0, kPanelWidth, m_geometry.clientHeight};
  DrawLeftPanel();
  CopyToWindow(*m_panel, panel, {0, 0}, "Failed to bitblt side1");
  DrawRightPanel();
  CopyToWindow(*m_panel, panel, {m_geometry.clientWidth - kPanelWidth, 0}, "Failed to bitblt side2");
  DrawTimeStrip();
  CopyToWindow(*m_strip, {0, 0, m_geometry.clientWidth, kStripHeight}, {0, m_geometry.height},
               "Failed to bitblt bottom section");
  DrawStereoWaveform();
  CopyToWindow(*m_waveform, {0, 0, m_geometry.width, m_geometry.height}, {kPanelWidth, 0}, "Failed to bitblt waveform");

  if (!m_buttonsCreated) {
    m_host.CreateZoomButtons();
    m_buttonsCreated = true;
  }
  if (m_buttonsPlacedWidth != m_geometry.clientWidth || m_buttonsPlacedHeight != m_geometry.clientHeight) {
    m_host.PlaceZoomButtons(m_geometry.ZoomButtons());
    m_buttonsPlacedWidth = m_geometry.clientWidth;
    m_buttonsPlacedHeight = m_geometry.clientHeight;
  }
  RedrawHighlight();
  m_host.Flush(client);
  if (!m_failedThisPaint) m_reported.clear();
}

void CMixerView::DrawLeftPanel() {
  platform::Canvas& panel = *m_panel;
  const int q = m_geometry.quarter;
  const int h = m_geometry.height;
  panel.FillRect({0, 0, kPanelWidth, m_geometry.clientHeight}, m_objects.panel);
  panel.SelectPen(m_objects.darkGrey);
  panel.Line({0, 2 * q}, {kPanelWidth - 1, 2 * q});
  panel.SelectPen(m_objects.lightGrey);
  panel.Line({kPanelWidth - 1, 0}, {kPanelWidth - 1, m_geometry.clientHeight - 1});
  panel.SelectFont(m_objects.font);
  const struct {
    int y;
    const char* text;
  } labels[] = {{0, "  32 K"},         {q - 6, "      0"},     {2 * q - 15, " -32 K"},
                {2 * q + 2, "  32 K"}, {3 * q - 6, "      0"}, {h - 13, " -32 K"}};
  for (const auto& label : labels) panel.Text({2, label.y}, label.text);
  panel.DrawBitmap(platform::BitmapId::LeftChannel, {6, q - 31});
  panel.DrawBitmap(platform::BitmapId::RightChannel, {6, 3 * q - 31});
}

void CMixerView::DrawRightPanel() {
  platform::Canvas& panel = *m_panel;
  const int bottom = m_geometry.clientHeight;
  panel.FillRect({0, 0, kPanelWidth, bottom}, m_objects.panel);
  panel.SelectPen(m_objects.lightGrey);
  panel.Line({0, 0}, {0, bottom - 1});
  // A bracket above and beside the zoom buttons.
  panel.Line({11, bottom - 86}, {kPanelWidth - 1, bottom - 86});
  panel.Line({10, bottom - 85}, {10, bottom - kStripHeight - 1});
}

void CMixerView::DrawTimeStrip() {
  platform::Canvas& strip = *m_strip;
  strip.FillRect({0, 0, m_geometry.clientWidth, kStripHeight}, m_objects.panel);
  strip.SelectPen(m_objects.black);
  strip.Line({0, 0}, {m_geometry.clientWidth - 1, 0});
  DisplayTimes();
}

void CMixerView::DisplayTimes() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  const TrackPositions& pos = doc->m_mirror;
  const uint32_t span = pos.m_nViewWidth;
  const uint32_t times[] = {pos.m_nViewStart, pos.m_nViewStart + span / 4, pos.m_nViewStart + span / 2,
                            pos.m_nViewStart + 3 * (span / 4)};
  const int quarter = m_geometry.width / 4;
  DocumentWorkspace* work = m_workspace;
  if (!work) return;
  const auto tempo = work->m_config.Tempo();
  m_strip->SelectFont(m_objects.font);
  // Each label starts beside the quarter line of the waveform it names, with the
  // decimals it takes to differ from its neighbours.
  for (int i = 0; i < 4; ++i) {
    m_strip->Text({kPanelWidth + i * quarter + 2, 1},
                  view::FormatLabel(times[i], span / 4, tempo, work->m_config.timeDisplayType));
  }
}

int CMixerView::DrawStereoWaveform() {
  platform::Canvas& bitmap = *m_waveform;
  const int width = m_geometry.width;
  const int height = m_geometry.height;
  bitmap.FillRect({0, 0, width, height}, m_objects.waveArea);
  m_lastMode = DrawMode::None;
  DocumentWorkspace* work = m_workspace;
  CMixerDoc* doc = Document();
  if (!work || !doc || doc->m_bRecording || work->m_bClosing) return 1;
  TrackPositions& pos = doc->m_mirror;
  if (pos.m_nLength == 0) {
    m_columns.p1 = m_columns.p2 = -1;
    Flags().Set(ViewFlags::kCursorShown, false);
    return 1;
  }

  const CAudioTrack& track = doc->CurrentTrack();
  view::WaveSource source{track.m_PCM.szPath, track.m_szPeakPath,     pos.m_nViewStart,
                          pos.m_nViewWidth,   pos.m_nScaledViewStart, pos.m_nScaledViewWidth};
  view::WaveformDrawer drawer(bitmap, m_geometry, m_objects, m_buffer, &work->m_bClosing);
  const DrawMode mode = view::ModeForSpan(pos.m_nViewWidth);
  std::string failure = drawer.Draw(mode, source);
  if (!failure.empty()) {
    Report(kDrawLocation, failure);
    return 0;
  }
  m_lastMode = mode;

  const int q = m_geometry.quarter;
  bitmap.SelectPen(m_objects.lightGrey2);
  bitmap.Line({-1, 2 * q}, {width, 2 * q});
  bitmap.SelectPen(m_objects.darkGrey);
  for (int i = 1; i <= 3; ++i) bitmap.Line({i * (width / 4), 0}, {i * (width / 4), height - 1});
  DrawMarkers();
  view::HighlightPainter(bitmap, width).DrawFresh(m_columns, Flags());
  return 1;
}

void CMixerView::DrawMarkers() {
  platform::Canvas& bitmap = *m_waveform;
  const int width = m_geometry.width;
  const int height = m_geometry.height;
  auto inView = [width](int x) { return x >= 0 && x <= width; };
  auto line = [&](int x) {
    bitmap.SelectPen(m_objects.marker);
    for (int i = 0; i < 3; ++i) bitmap.Line({x + i, 0}, {x + i, height - 1});
    bitmap.SelectPen(m_objects.marker2);
    bitmap.SelectBrush(m_objects.markerBrush);
  };
  if (inView(m_beginMarkerX)) {
    const int x = m_beginMarkerX;
    line(x);
    bitmap.Rectangle({x, 0, x + 6, 4});
  }
  if (inView(m_endMarkerX)) {
    const int x = m_endMarkerX;
    line(x);
    bitmap.Rectangle({x - 6, height - 4, x, height});
  }
}

void CMixerView::RedrawHighlight() {
  if (m_repaintPending) {
    // The paint on its way draws the highlight afresh.
    Flags().Set(ViewFlags::kWholeRedraw, false);
  } else if (m_waveform && m_geometry.HasWaveArea() &&
      view::HighlightPainter(*m_waveform, m_geometry.width).Redraw(m_columns, Flags())) {
    const Rect area{0, 0, m_geometry.width, m_geometry.height};
    platform::Canvas* window = m_host.WindowCanvas();
    if (window && window->CopyFrom(*m_waveform, area, {kPanelWidth, 0})) {
      m_playLineX = -1;
      m_host.Flush({kPanelWidth, 0, kPanelWidth + m_geometry.width, m_geometry.height});
    }
  }
  UpdateClockTimes();
}

std::string CMixerView::Format(uint32_t position) const {
  DocumentWorkspace* work = m_workspace;
  std::string text;
  if (!work) return text;
  const auto tempo = work->m_config.Tempo();
  FormatPosition(position, kBytesPerSecond, text, tempo, work->m_config.timeDisplayType);
  return text;
}

void CMixerView::UpdateClockTimes() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  const TrackPositions& pos = doc->m_mirror;
  const uint32_t length = pos.HasHighlight() ? pos.m_nHighlightEnd - pos.m_nHighlightBegin : pos.m_nLength;
  const uint32_t values[] = {pos.m_nHighlightBegin, pos.m_nHighlightEnd, ShownPosition(*doc), length};
  for (int i = 0; i < 4; ++i) m_host.SetClockText(i, Format(values[i]));
}

uint32_t CMixerView::ShownPosition(const CMixerDoc& doc) const {
  return m_play.playing ? m_play.shown : doc.m_nCurrentPos;
}

int CMixerView::SliderValue(const CMixerDoc& doc, uint32_t position) const {
  if (doc.m_nProjectLength == 0) return 0;
  // The slider has a hundred steps and the clock shows every frame: a value the user
  // chose stays while the position it gave stands, rather than jumping to the value
  // the position rounds down to.
  if (m_sliderChoice.valid && m_sliderChoice.position == position &&
      m_sliderChoice.projectLength == doc.m_nProjectLength) {
    return m_sliderChoice.value;
  }
  const int value = static_cast<int>(std::trunc(static_cast<double>(position) * 100 / doc.m_nProjectLength));
  return std::clamp(value, 0, 100);
}

void CMixerView::SetProjectSlider() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  m_host.SetProjectSlider(SliderValue(*doc, ShownPosition(*doc)));
}

void CMixerView::OnProjectSliderMoved(int value) {
  CMixerDoc* doc = Document();
  if (!doc) {
    ReportError("CMyToolBarLower::OnHScroll", "The document pointer is NULL");
    return;
  }
  // While playing the slider shows the play position and cannot seek.
  if (m_play.playing) {
    SetProjectSlider();
    return;
  }
  value = std::clamp(value, 0, 100);
  const double position = static_cast<double>(value) * doc->m_nProjectLength / 100;
  doc->m_nCurrentPos = static_cast<uint32_t>(std::trunc(position)) & ~3u;
  m_sliderChoice = {true, value, doc->m_nCurrentPos, doc->m_nProjectLength};
  doc->TrackSeekOnLeftButton(doc->m_nCurrentPos);
  ShowPosition(doc->m_nCurrentPos);
  UpdateClockTimes();
}

void CMixerView::ShowPosition(uint32_t position) {
  CMixerDoc* doc = Document();
  if (doc && doc->m_mirror.m_nLength > 0 && view::ScrollIntoView(doc->m_mirror, position)) ViewMoved();
}

void CMixerView::OnScrollBar(int value) {
  CMixerDoc* doc = Document();
  if (!doc || doc->m_mirror.m_nLength == 0) return;
  const uint64_t start = static_cast<uint64_t>(std::max(value, 0)) * 4;
  if (view::ScrollTo(doc->m_mirror, static_cast<uint32_t>(std::min<uint64_t>(start, ~0u)))) ViewMoved();
}

void CMixerView::OnHorizontalWheel(int angle) {
  CMixerDoc* doc = Document();
  if (!doc || doc->m_mirror.m_nLength == 0) return;
  // Eight steps to a notch, each a sixty-fourth of the view, at least a frame.
  constexpr int kStep = kWheelNotch / 8;
  m_horizontalWheel += angle;
  const int steps = m_horizontalWheel / kStep;
  m_horizontalWheel -= steps * kStep;
  if (steps == 0) return;
  TrackPositions& pos = doc->m_mirror;
  const int64_t bytes = std::max<int64_t>(4, (pos.m_nViewWidth / 64) & ~3u);
  if (view::ScrollBy(pos, -steps * bytes)) ViewMoved();
}

int CMixerView::MouseColumn(int x) const {
  return std::clamp(x - kPanelWidth, 0, m_geometry.width);
}

void CMixerView::ApplyColumns(TrackPositions& pos) {
  const int width = m_geometry.width;
  pos.m_nHighlightBegin = view::PositionOf(m_columns.x1, pos.m_nViewStart, pos.m_nViewWidth, width);
  pos.m_nHighlightEnd = view::PositionOf(m_columns.x2, pos.m_nViewStart, pos.m_nViewWidth, width);
  pos.m_nHighlightSpan = pos.m_nHighlightEnd - pos.m_nHighlightBegin;
  pos.m_nScaledHighlightBegin = view::PositionOf(m_columns.x1, pos.m_nScaledViewStart, pos.m_nScaledViewWidth, width);
  pos.m_nScaledHighlightEnd = view::PositionOf(m_columns.x2, pos.m_nScaledViewStart, pos.m_nScaledViewWidth, width);
  pos.m_nScaledHighlightSpan = pos.m_nScaledHighlightEnd - pos.m_nScaledHighlightBegin;
}

void CMixerView::RefreshCommands() {
  if (m_workspace && Links().mainFrame) Links().mainFrame->UpdateCommandStates();
}

int CMixerView::Overshoot(int x) const {
  const int right = kPanelWidth + m_geometry.width;
  if (x < kPanelWidth) return x - kPanelWidth;
  if (x > right) return x - right;
  return 0;
}

void CMixerView::ExtendDrag(CMixerDoc& doc, int column) {
  TrackPositions& pos = doc.m_mirror;
  const uint32_t at = view::PositionOf(column, pos.m_nViewStart, pos.m_nViewWidth, m_geometry.width);
  m_columns.x1 = std::min(m_columns.anchor, column);
  m_columns.x2 = std::max(m_columns.anchor, column);
  pos.m_nHighlightBegin = std::min(m_anchorPosition, at);
  pos.m_nHighlightEnd = std::max(m_anchorPosition, at);
  pos.m_nHighlightSpan = pos.m_nHighlightEnd - pos.m_nHighlightBegin;
  view::RescaleView(pos);
  doc.m_nCurrentPos = pos.m_nHighlightBegin;
  SetProjectSlider();
  RedrawHighlight();
}

void CMixerView::UpdateAutoScroll(CMixerDoc& doc) {
  const TrackPositions& pos = doc.m_mirror;
  const int overshoot = Overshoot(m_dragX);
  const bool room = overshoot < 0 ? pos.m_nViewStart > 0 : pos.m_nViewEnd < pos.m_nLength;
  const bool wanted = overshoot != 0 && room && Flags().Get(ViewFlags::kDragging);
  if (wanted == m_autoScrolling) return;
  if (!wanted) return StopAutoScroll();
  m_autoScrolling = true;
  if (platform::Timers* timers = platform::Os().timers) timers->SetTimer(this, kAutoScrollTimer, kAutoScrollPeriodMs);
}

void CMixerView::StopAutoScroll() {
  if (!m_autoScrolling) return;
  m_autoScrolling = false;
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kAutoScrollTimer);
}

void CMixerView::OnAutoScroll() {
  CMixerDoc* doc = DocumentForMouse();
  const int overshoot = Overshoot(m_dragX);
  if (!doc || !Flags().Get(ViewFlags::kDragging) || overshoot == 0) return StopAutoScroll();
  TrackPositions& pos = doc->m_mirror;
  const int width = m_geometry.width;
  // The farther beyond the edge, the faster: a column a tick for each pixel, from 4
  // columns up to a quarter of the view.
  const int columns = std::clamp(std::abs(overshoot), 4, std::max(4, width / 4));
  const int64_t bytes = std::max<int64_t>(4, static_cast<int64_t>(columns) * pos.m_nViewWidth / width);
  if (!view::ScrollBy(pos, overshoot < 0 ? -bytes : bytes)) return StopAutoScroll();  // at the track's edge
  ViewMoved();
  m_columns.anchor = view::ColumnOf(m_anchorPosition, pos.m_nViewStart, pos.m_nViewWidth, width);
  ExtendDrag(*doc, overshoot < 0 ? 0 : width);
  UpdateAutoScroll(*doc);
}

void CMixerView::OnLButtonDown(int x, int) {
  CMixerDoc* doc = DocumentForMouse();
  if (!doc) return;
  StopAutoScroll();
  const int column = MouseColumn(x);
  m_columns.x1 = m_columns.x2 = m_columns.anchor = column;
  ApplyColumns(doc->m_mirror);
  m_anchorPosition = doc->m_mirror.m_nHighlightBegin;
  m_dragX = x;
  doc->m_nCurrentPos = doc->m_mirror.m_nHighlightBegin;
  SetProjectSlider();
  Flags().Set(ViewFlags::kDragging, true);
  m_host.CaptureMouse();
  RedrawHighlight();
  RefreshCommands();
}

void CMixerView::OnMouseMove(int x, int) {
  CMixerDoc* doc = DocumentForMouse();
  if (!doc || !Flags().Get(ViewFlags::kDragging)) return;
  Flags().Set(ViewFlags::kDragged, true);
  m_dragX = x;
  ExtendDrag(*doc, MouseColumn(x));
  UpdateAutoScroll(*doc);
}

void CMixerView::OnLButtonUp(int, int) {
  CMixerDoc* doc = DocumentForMouse();
  if (!doc) return;
  StopAutoScroll();
  ViewFlags flags = Flags();
  flags.Set(ViewFlags::kDragging, false);
  flags.Set(ViewFlags::kDragged, false);
  RedrawHighlight();
  m_host.ReleaseMouse();
  doc->m_nCurrentPos = doc->m_mirror.m_nHighlightBegin;
  SetProjectSlider();
  doc->TrackSeekOnLeftButton(doc->m_mirror.m_nHighlightBegin);
  RefreshCommands();
}

void CMixerView::OnLButtonDblClk(int, int) {
  CMixerDoc* doc = DocumentForMouse();
  if (!doc) return;
  m_columns.x1 = 0;
  m_columns.x2 = m_geometry.width;
  ApplyColumns(doc->m_mirror);
  doc->m_nCurrentPos = doc->m_mirror.m_nHighlightBegin;
  SetProjectSlider();
  Flags().Set(ViewFlags::kWholeRedraw, true);
  RedrawHighlight();
  RefreshCommands();
}

void CMixerView::OnMouseWheel(int delta) {
  if (delta > 0) {
    ZoomIn();
  } else if (delta < 0) {
    ZoomOut();
  }
}

void CMixerView::ZoomIn() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  view::ZoomIn(doc->m_mirror);
  ViewMoved();
}

void CMixerView::ZoomOut() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  view::ZoomOut(doc->m_mirror);
  RecomputeColumns(doc->m_mirror);
  ViewMoved();
}

void CMixerView::ZoomAll() {
  CMixerDoc* doc = Document();
  if (!doc) return;
  view::ZoomAll(doc->m_mirror);
  RecomputeColumns(doc->m_mirror);
  ViewMoved();
}

void CMixerView::StartPlayLine(uint32_t from, uint32_t to) {
  platform::Clock* clock = platform::Os().clock;
  m_play.startTick = clock ? clock->GetTickCount() : 0;
  m_play.from = from;
  m_play.to = to;
  m_play.durationMs = to > from ? (to - from) / 176.4 : 0.0;
  m_play.playing = true;
  m_play.stopRequested = false;
  m_play.shown = from;
  CMixerDoc* doc = Document();
  if (doc && from < doc->m_mirror.m_nLength && !view::InView(doc->m_mirror, from) &&
      view::PageTo(doc->m_mirror, from)) {
    ViewMoved();
  }
}

void CMixerView::StartPlayTimer() {
  if (platform::Timers* timers = platform::Os().timers) timers->SetTimer(this, kPlayTimer, kPlayTimerPeriodMs);
}

void CMixerView::StopPlayLine() {
  m_play.stopRequested = true;
  m_play.playing = false;
  RemovePlayLine();
}

void CMixerView::OnTimer(unsigned int id) {
  if (id == kAutoScrollTimer) return OnAutoScroll();
  if (id != kPlayTimer) return;
  CMixerDoc* doc = Document();
  if (m_play.playing) {
    if (m_hooks.servicePlayback) m_hooks.servicePlayback();
    platform::Clock* clock = platform::Os().clock;
    const uint32_t elapsed = clock ? clock->GetTickCount() - m_play.startTick : 0;
    const uint64_t position =
        (m_play.from + static_cast<uint64_t>(std::trunc(static_cast<double>(elapsed) * kBytesPerSecond / 1000))) &
        ~uint64_t{3};
    const bool looping = m_hooks.looping && m_hooks.looping();
    const bool beforeEnd = position < m_play.to;
    const uint32_t previous = m_play.shown;
    if (beforeEnd || looping) {
      // The clock and the project slider show where playback is.
      m_play.shown = static_cast<uint32_t>(std::min<uint64_t>(position, ~0u));
      m_host.SetClockText(2, Format(m_play.shown));
      if (doc) m_host.SetProjectSlider(SliderValue(*doc, m_play.shown));
    }
    TrackPositions* pos = doc ? &doc->m_mirror : nullptr;
    // A line that was in view at the last tick and reaches the view's end turns the
    // page; a view the user has scrolled elsewhere, or holds with a drag, stays.
    if (pos && beforeEnd && previous >= pos->m_nViewStart && previous < pos->m_nViewEnd &&
        position >= pos->m_nViewEnd && position < pos->m_nLength && !Flags().Get(ViewFlags::kDragging) &&
        view::PageTo(*pos, static_cast<uint32_t>(position))) {
      RemovePlayLine();
      ViewMoved();
      return;
    }
    if (pos && beforeEnd && m_geometry.HasWaveArea() && pos->m_nViewWidth > 0 && position >= pos->m_nViewStart &&
        position < pos->m_nViewEnd) {
      const double columns = static_cast<double>(position - pos->m_nViewStart) * m_geometry.width / pos->m_nViewWidth;
      DrawPlayLine(kPanelWidth + static_cast<int>(std::trunc(columns)));
    } else {
      RemovePlayLine();
    }
    return;
  }
  if (m_play.stopRequested) {
    if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kPlayTimer);
    m_play.stopRequested = false;
    if (m_hooks.clearMeters) m_hooks.clearMeters();
    // Playback is over and the project stands at the current position again: the
    // position clock and the project slider both show it.
    if (doc) {
      m_host.SetClockText(2, Format(doc->m_nCurrentPos));
      SetProjectSlider();
    }
    return;
  }
  if (m_hooks.monitoring && m_hooks.monitoring()) {
    if (m_hooks.serviceMonitor) m_hooks.serviceMonitor();
    return;
  }
  // Monitoring is over: the timer stops and the meters drop.
  if (platform::Timers* timers = platform::Os().timers) timers->KillTimer(this, kPlayTimer);
  if (m_hooks.clearMeters) m_hooks.clearMeters();
}

void CMixerView::DrawPlayLine(int x) {
  if (x == m_playLineX) return;
  RemovePlayLine();
  platform::Canvas* window = m_host.WindowCanvas();
  if (!window || !m_waveform) return;
  window->SelectPen(m_objects.black);
  window->Line({x, 0}, {x, m_geometry.height - 1});
  m_playLineX = x;
  m_host.Flush({x, 0, x + 1, m_geometry.height});
}

void CMixerView::RemovePlayLine() {
  if (m_playLineX < 0) return;
  const int x = m_playLineX;
  m_playLineX = -1;
  platform::Canvas* window = m_host.WindowCanvas();
  if (!window || !m_waveform) return;
  window->CopyFrom(*m_waveform, {x - kPanelWidth, 0, x - kPanelWidth + 1, m_geometry.height}, {x, 0});
  m_host.Flush({x, 0, x + 1, m_geometry.height});
}
