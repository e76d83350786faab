#include "ui/waveform/waveform_widget.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

#include "app/mixer_app.h"
#include "core/errors.h"
#include "ui/waveform/qt_canvas.h"
#include "ui/waveform/zoom_button.h"

namespace ui {

namespace {

// The panel colour, shown until the first paint.
constexpr platform::Rgb kPanel{220, 220, 220};
// One notch of an ordinary mouse wheel; touchpads send smaller steps that add up.
constexpr int kWheelNotch = 120;

}  // namespace

WaveformWidget::WaveformWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("waveformView"));
  // Every paint covers the whole client area: nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  m_view = std::make_unique<CMixerView>(*this, CMixerApp::Get());
}

WaveformWidget::~WaveformWidget() {
  m_view.reset();
}

void WaveformWidget::AttachProjectSlider(QSlider* slider) {
  m_slider = slider;
  if (!slider) return;
  connect(slider, &QSlider::valueChanged, this, [this](int value) {
    if (!m_settingSlider) m_view->OnProjectSliderMoved(value);
  });
}

QWidget* WaveformWidget::CreateScrollRow(QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName(QStringLiteral("waveformScrollRow"));
  QPalette palette = row->palette();
  palette.setColor(QPalette::Window, ToQColor(kPanel));
  row->setPalette(palette);
  row->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(view::kPanelWidth, 0, view::kPanelWidth, 0);
  m_scrollBar = new QScrollBar(Qt::Horizontal, row);
  m_scrollBar->setObjectName(QStringLiteral("waveformScrollBar"));
  m_scrollBar->setToolTip(QStringLiteral("Scroll the Waveform"));
  // A display of where the view is and a way to move it: the keyboard stays with the
  // window's shortcuts.
  m_scrollBar->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(m_scrollBar);
  m_scrollRow = row;
  row->installEventFilter(this);
  connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
    if (!m_settingScrollBar) m_view->OnScrollBar(value);
  });
  SetScrollBar(m_view->ScrollBar());
  updateGeometry();  // the minimum height counts the bar now
  return row;
}

const QImage& WaveformWidget::WindowImage() const {
  static const QImage none;
  return m_window ? m_window->Image() : none;
}

platform::Canvas* WaveformWidget::WindowCanvas() {
  if (!m_window || m_window->Width() != width() || m_window->Height() != height()) {
    m_window = std::make_unique<QtCanvas>(width(), height(), kPanel);
    if (m_window->IsNull()) m_window.reset();
  }
  return m_window.get();
}

std::unique_ptr<platform::Canvas> WaveformWidget::CreateSurface(int width, int height) {
  auto surface = std::make_unique<QtCanvas>(width, height);
  if (surface->IsNull()) return nullptr;
  return surface;
}

void WaveformWidget::Flush(const platform::Rect& rect) {
  // A paint in progress shows the image when it is done.
  if (!m_painting) update(QRect(rect.left, rect.top, rect.Width(), rect.Height()));
}

void WaveformWidget::Invalidate() {
  m_dirty = true;
  update();
}

void WaveformWidget::CreateZoomButtons() {
  const ZoomButton::Kind kinds[] = {ZoomButton::Kind::In, ZoomButton::Kind::Out, ZoomButton::Kind::All};
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    auto* button = new ZoomButton(kinds[i], this);
    button->setProperty("controlId", CMixerView::kZoomButtonIds[i]);
    // The button acts as it goes down; a double click's second press acts again.
    connect(button, &QAbstractButton::pressed, this, [this, kind = kinds[i]] {
      switch (kind) {
        case ZoomButton::Kind::In: m_view->ZoomIn(); break;
        case ZoomButton::Kind::Out: m_view->ZoomOut(); break;
        case ZoomButton::Kind::All: m_view->ZoomAll(); break;
      }
    });
    button->show();
    m_buttons[i] = button;
  }
}

void WaveformWidget::PlaceZoomButtons(const std::array<platform::Rect, 3>& buttons) {
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    if (!m_buttons[i]) continue;
    const platform::Rect& at = buttons[i];
    m_buttons[i]->setGeometry(at.left, at.top, at.Width(), at.Height());
  }
}

void WaveformWidget::SetClockText(int clock, const std::string& text) {
  if (clock < 0 || clock >= static_cast<int>(m_clocks.size())) return;
  if (QLineEdit* field = m_clocks[static_cast<size_t>(clock)]) field->setText(QString::fromStdString(text));
}

void WaveformWidget::SetProjectSlider(int position) {
  if (!m_slider) return;
  m_settingSlider = true;
  m_slider->setValue(position);
  m_settingSlider = false;
}

void WaveformWidget::SetScrollBar(const view::ScrollBarState& state) {
  if (!m_scrollBar) return;
  m_settingScrollBar = true;
  m_scrollBar->setRange(0, state.maximum);
  m_scrollBar->setPageStep(state.pageStep);
  m_scrollBar->setSingleStep(state.singleStep);
  m_scrollBar->setValue(state.value);
  m_scrollBar->setEnabled(state.enabled);
  m_settingScrollBar = false;
}

void WaveformWidget::Report(const std::string& location, const std::string& message) {
  // A message box opened inside a paint would paint the window again beneath it.
  QTimer::singleShot(0, this, [location, message] {
    if (location.empty()) {
      ShowInformation(message);
    } else {
      ReportError(location, message);
    }
  });
}

void WaveformWidget::paintEvent(QPaintEvent* event) {
  if (m_dirty || !m_window || m_window->Width() != width() || m_window->Height() != height()) {
    m_dirty = false;
    m_painting = true;
    m_view->OnDraw();
    m_painting = false;
  }
  QPainter painter(this);
  if (m_window) {
    painter.drawImage(event->rect(), m_window->Image(), event->rect());
  } else {
    painter.fillRect(event->rect(), ToQColor(kPanel));
  }
}

void WaveformWidget::resizeEvent(QResizeEvent* event) {
  m_dirty = true;
  QWidget::resizeEvent(event);
  AlignScrollBar();
}

void WaveformWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  AlignScrollBar();
}

bool WaveformWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_scrollRow && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) AlignScrollBar();
  return QWidget::eventFilter(watched, event);
}

QSize WaveformWidget::minimumSizeHint() const {
  constexpr int kButtonsAndStrip = 3 * view::kZoomButtonSize + view::kStripHeight + 1;
  const int bar = m_scrollBar ? m_scrollBar->sizeHint().height() : 0;
  return QSize(140, std::max(kButtonsAndStrip - bar, view::kStripHeight + 1));
}

void WaveformWidget::AlignScrollBar() {
  if (!m_scrollRow || !m_scrollRow->layout() || m_scrollRow->parentWidget() != parentWidget()) return;
  const int left = x() - m_scrollRow->x() + view::kPanelWidth;
  const int right = m_scrollRow->geometry().right() - geometry().right() + view::kPanelWidth;
  m_scrollRow->layout()->setContentsMargins(std::max(left, 0), 0, std::max(right, 0), 0);
}

void WaveformWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  m_view->OnLButtonDown(at.x(), at.y());
}

void WaveformWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
  const QPoint at = event->position().toPoint();
  m_view->OnMouseMove(at.x(), at.y());
}

void WaveformWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  const QPoint at = event->position().toPoint();
  m_view->OnLButtonUp(at.x(), at.y());
}

void WaveformWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  const QPoint at = event->position().toPoint();
  m_view->OnLButtonDblClk(at.x(), at.y());
}

void WaveformWidget::wheelEvent(QWheelEvent* event) {
  // Shift turns the wheel into a horizontal one; a horizontal wheel (or a touchpad
  // swipe that is more sideways than up or down) scrolls, the plain wheel zooms.
  const QPoint angle = event->angleDelta();
  const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
  if (shift || std::abs(angle.x()) > std::abs(angle.y())) {
    m_view->OnHorizontalWheel(shift && angle.x() == 0 ? angle.y() : angle.x());
    event->accept();
    return;
  }
  m_wheelAngle += angle.y();
  while (m_wheelAngle >= kWheelNotch) {
    m_wheelAngle -= kWheelNotch;
    m_view->OnMouseWheel(1);
  }
  while (m_wheelAngle <= -kWheelNotch) {
    m_wheelAngle += kWheelNotch;
    m_view->OnMouseWheel(-1);
  }
  event->accept();
}

}  // namespace ui
