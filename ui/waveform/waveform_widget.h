#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "view/mixer_view.h"
#include "view/view_host.h"

class QLineEdit;
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
  void Report(const std::string& location, const std::string& message) override;

  QSize sizeHint() const override { return QSize(800, 300); }
  QSize minimumSizeHint() const override { return QSize(140, 86); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
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
  std::array<ZoomButton*, 3> m_buttons{};
  bool m_dirty = true;
  bool m_painting = false;
  int m_wheelAngle = 0;
};

}  // namespace ui
