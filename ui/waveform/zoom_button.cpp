#include "ui/waveform/zoom_button.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

ZoomButton::ZoomButton(Kind kind, QWidget* parent) : QAbstractButton(parent), m_kind(kind) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::ArrowCursor);
  switch (kind) {
    case Kind::In:
      setObjectName(QStringLiteral("zoomIn"));
      setToolTip(QStringLiteral("Zoom In"));
      break;
    case Kind::Out:
      setObjectName(QStringLiteral("zoomOut"));
      setToolTip(QStringLiteral("Zoom Out"));
      break;
    case Kind::All:
      setObjectName(QStringLiteral("zoomAll"));
      setToolTip(QStringLiteral("Zoom All"));
      break;
  }
}

QSize ZoomButton::sizeHint() const {
  return QSize(24, 24);
}

void ZoomButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool pressed = isDown();
  const bool hot = !pressed && underMouse();

  // The face: raised when idle, lit under the mouse, sunk while pressed.
  QColor face = pressed ? QColor(190, 190, 190) : hot ? QColor(238, 238, 238) : QColor(220, 220, 220);
  painter.fillRect(rect(), face);
  painter.setPen(pressed ? QColor(110, 110, 110) : QColor(255, 255, 255));
  painter.drawLine(box.topLeft(), box.topRight());
  painter.drawLine(box.topLeft(), box.bottomLeft());
  painter.setPen(pressed ? QColor(255, 255, 255) : QColor(110, 110, 110));
  painter.drawLine(box.bottomLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomRight());

  painter.setRenderHint(QPainter::Antialiasing);
  const QPointF shift = pressed ? QPointF(1, 1) : QPointF(0, 0);
  const QColor ink = isEnabled() ? QColor(40, 40, 40) : QColor(150, 150, 150);
  // A magnifying glass: lens and handle.
  const QPointF centre = QPointF(10, 10) + shift;
  painter.setPen(QPen(ink, 1.6));
  painter.setBrush(QColor(255, 255, 255, hot ? 255 : 200));
  painter.drawEllipse(centre, 6, 6);
  painter.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre + QPointF(4.6, 4.6), centre + QPointF(9, 9));
  painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::FlatCap));
  switch (m_kind) {
    case Kind::In:
      painter.drawLine(centre + QPointF(-3.5, 0), centre + QPointF(3.5, 0));
      painter.drawLine(centre + QPointF(0, -3.5), centre + QPointF(0, 3.5));
      break;
    case Kind::Out: painter.drawLine(centre + QPointF(-3.5, 0), centre + QPointF(3.5, 0)); break;
    case Kind::All: {
      // Two arrowheads pointing outwards: the whole track.
      QPainterPath arrows;
      arrows.moveTo(centre + QPointF(-1.5, -2.5));
      arrows.lineTo(centre + QPointF(-4, 0));
      arrows.lineTo(centre + QPointF(-1.5, 2.5));
      arrows.moveTo(centre + QPointF(1.5, -2.5));
      arrows.lineTo(centre + QPointF(4, 0));
      arrows.lineTo(centre + QPointF(1.5, 2.5));
      painter.setBrush(Qt::NoBrush);
      painter.drawPath(arrows);
      break;
    }
  }
}

}  // namespace ui
