#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "view/mixer_view.h"
#include "view/view_host.h"

class QLineEdit;
class QScrollBar;
class QSlider;

namespace ui {

class QtCanvas;
class ZoomButton;

// The window of the waveform view: it hosts the view's Qt-free logic, keeps the
// window's image that the logic paints into, passes the mouse on and holds the zoom
// buttons. The main window's clocks and project slider are given to it.
class WaveformWidget : public QWidget, public view::ViewHost {
  Q_OBJECT

 public:
  explicit WaveformWidget(QWidget* parent = nullptr);
  ~WaveformWidget() override;

  CMixerView& View() { return *m_view; }
  void AttachClocks(const std::array<QLineEdit*, 4>& clocks) { m_clocks = clocks; }
  // The slider follows the current position, and moving it moves the position.
  void AttachProjectSlider(QSlider* slider);
  // Makes the view's horizontal scroll bar, in a row of parent to go under the view:
  // the bar lies under the waveform area, between the panels' colour on either side.
  QWidget* CreateScrollRow(QWidget* parent);
  // The scroll bar (null before CreateScrollRow).
  QScrollBar* ScrollBar() const { return m_scrollBar; }
  // The zoom-in, zoom-out and zoom-all buttons (null before the first paint).
  ZoomButton* ZoomButtonAt(int index) const { return m_buttons.at(static_cast<size_t>(index)); }
  // The window's image as last painted.
  const QImage& WindowImage() const;

  int ClientWidth() const override { return width(); }
  int ClientHeight() const override { return height(); }
  platform::Canvas* WindowCanvas() override;
  std::unique_ptr<platform::Canvas> CreateSurface(int width, int height) override;
  void Flush(const platform::Rect& rect) override;
  void Invalidate() override;
  void CaptureMouse() override {}
  void ReleaseMouse() override {}
  void CreateZoomButtons() override;
  void PlaceZoomButtons(const std::array<platform::Rect, 3>& buttons) override;
  void SetClockText(int clock, const std::string& text) override;
  void SetProjectSlider(int position) override;
  void SetScrollBar(const view::ScrollBarState& state) override;
  void Report(const std::string& location, const std::string& message) override;

  QSize sizeHint() const override { return QSize(800, 300); }
  // Room for the three zoom buttons above the time strip; with the scroll bar below,
  // the view and its bar together need no more than that.
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  std::unique_ptr<QtCanvas> m_window;
  std::unique_ptr<CMixerView> m_view;
  std::array<QLineEdit*, 4> m_clocks{};
  QSlider* m_slider = nullptr;
  bool m_settingSlider = false;
  // Keeps the scroll bar exactly under the waveform area, wherever the row and the
  // view are placed.
  void AlignScrollBar();

  QWidget* m_scrollRow = nullptr;
  QScrollBar* m_scrollBar = nullptr;
  bool m_settingScrollBar = false;
  std::array<ZoomButton*, 3> m_buttons{};
  bool m_dirty = true;
  bool m_painting = false;
  int m_wheelAngle = 0;
};

}  // namespace ui
