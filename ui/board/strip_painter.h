#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QVector>

class QWidget;

namespace ui {

// A strip's corners are quarters of a 12 by 12 ellipse.
inline constexpr int kStripCorner = 12;
inline constexpr int kStripGap = 6;

// The rectangles of count strips side by side: each as wide and high as the first,
// gap pixels apart.
QVector<QRect> StripRects(const QRect& first, int count, int gap = kStripGap);

// Paints rounded strips on a widget behind its
// child controls. The strips are placed by the first frame's geometry; the widget is
// filled with the background colour first.
class StripPainter : public QObject {
 public:
  struct Colours {
    QColor background{250, 250, 250};
    QColor fill{226, 231, 238};
    QColor edge{168, 176, 190};
  };

  StripPainter(QWidget* canvas, QWidget* firstStrip, int count, Colours colours);
  StripPainter(QWidget* canvas, QWidget* firstStrip, int count) : StripPainter(canvas, firstStrip, count, Colours{}) {}

  QVector<QRect> Strips() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_canvas;
  QPointer<QWidget> m_first;
  int m_count;
  Colours m_colours;
};

}  // namespace ui
