#include "ui/board/strip_painter.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace ui {

QVector<QRect> StripRects(const QRect& first, int count, int gap) {
  QVector<QRect> rects;
  for (int n = 0; n < count; ++n) rects << first.translated(n * (first.width() + gap), 0);
  return rects;
}

StripPainter::StripPainter(QWidget* canvas, QWidget* firstStrip, int count, Colours colours)
    : QObject(canvas), m_canvas(canvas), m_first(firstStrip), m_count(count), m_colours(colours) {
  canvas->installEventFilter(this);
}

QVector<QRect> StripPainter::Strips() const {
  if (!m_first) return {};
  return StripRects(m_first->geometry(), m_count);
}

bool StripPainter::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_canvas && event->type() == QEvent::Paint) {
    // The canvas paints nothing of its own; the children are painted after this.
    QPainter painter(m_canvas);
    painter.fillRect(m_canvas->rect(), m_colours.background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_colours.edge, 1));
    painter.setBrush(m_colours.fill);
    for (const QRect& strip : Strips()) {
      painter.drawRoundedRect(QRectF(strip).adjusted(0.5, 0.5, -0.5, -0.5), kStripCorner / 2.0, kStripCorner / 2.0);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ui
