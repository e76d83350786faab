#include "ui/main_window/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace ui {

namespace {

const QColor kInk(0x3a, 0x3a, 0x3a);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kFold(0xd8, 0xd8, 0xd8);
const QColor kBlue(0x2a, 0x64, 0xb0);
const QColor kGreen(0x2e, 0x9a, 0x3a);
const QColor kRed(0xd0, 0x2c, 0x2c);

// Paints a drawing made on a grid of gridSize units at the usual icon sizes.
QIcon Paint(qreal gridSize, const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / gridSize, size / gridSize);
    draw(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPen Line(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& p, const QRectF& area) {
  p.setPen(Line(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(area);
}

void TextLines(QPainter& p, qreal left, qreal right, qreal top, int count) {
  p.setPen(Line(QColor(0x9a, 0x9a, 0x9a), 1));
  for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + 3 * i), QPointF(right, top + 3 * i));
}

void Clipboard(QPainter& p) {
  p.setPen(Line(QColor(0x6e, 0x48, 0x1e), 1));
  p.setBrush(QColor(0xc0, 0x8a, 0x48));
  p.drawRoundedRect(QRectF(3.5, 3.5, 15, 19), 1.5, 1.5);
  Page(p, QRectF(6.5, 6.5, 9, 13));
  p.setPen(Line(kInk, 1));
  p.setBrush(QColor(0x9a, 0x9a, 0x9a));
  p.drawRoundedRect(QRectF(7.5, 1.5, 7, 4), 1, 1);
}

void TurnArrow(QPainter& p) {
  QPainterPath path;
  path.moveTo(19, 19);
  path.cubicTo(21, 11, 15, 7, 9, 9.5);
  p.setPen(Line(kBlue, 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Line(kBlue, 1));
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF({QPointF(2.5, 10), QPointF(10, 3.5), QPointF(11, 15)}));
}

void SkipToStart(QPainter& p) {
  p.setPen(Line(kInk, 1));
  p.setBrush(kInk);
  p.drawRect(QRectF(4, 6, 2.5, 12));
  p.drawPolygon(QPolygonF({QPointF(13.5, 6), QPointF(13.5, 18), QPointF(7.5, 12)}));
  p.drawPolygon(QPolygonF({QPointF(20, 6), QPointF(20, 18), QPointF(14, 12)}));
}

void Mirrored(QPainter& p, const std::function<void(QPainter&)>& draw) {
  p.save();
  p.translate(24, 0);
  p.scale(-1, 1);
  draw(p);
  p.restore();
}

void Draw(Glyph glyph, QPainter& p) {
  switch (glyph) {
    case Glyph::New: {
      p.setPen(Line(kInk, 1));
      p.setBrush(kPaper);
      p.drawPolygon(QPolygonF(
          {QPointF(5.5, 2.5), QPointF(14.5, 2.5), QPointF(19.5, 7.5), QPointF(19.5, 21.5), QPointF(5.5, 21.5)}));
      p.setBrush(kFold);
      p.drawPolygon(QPolygonF({QPointF(14.5, 2.5), QPointF(14.5, 7.5), QPointF(19.5, 7.5)}));
      break;
    }
    case Glyph::Open: {
      p.setPen(Line(QColor(0x8a, 0x64, 0x20), 1));
      p.setBrush(QColor(0xd9, 0xa5, 0x4a));
      p.drawPolygon(QPolygonF({QPointF(2.5, 5.5), QPointF(9, 5.5), QPointF(11, 7.5), QPointF(20.5, 7.5),
                               QPointF(20.5, 19.5), QPointF(2.5, 19.5)}));
      p.setBrush(QColor(0xf2, 0xc4, 0x66));
      p.drawPolygon(QPolygonF({QPointF(5.5, 10.5), QPointF(22.5, 10.5), QPointF(20.5, 19.5), QPointF(2.5, 19.5)}));
      break;
    }
    case Glyph::Save: {
      p.setPen(Line(QColor(0x1e, 0x3e, 0x70), 1));
      p.setBrush(QColor(0x3d, 0x6f, 0xb6));
      p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xd4, 0xda, 0xe2));
      p.drawRect(QRectF(7, 3.5, 10, 6));
      p.setBrush(QColor(0x3d, 0x6f, 0xb6));
      p.drawRect(QRectF(13, 4.5, 2.5, 4));
      p.setBrush(kPaper);
      p.drawRect(QRectF(6, 12.5, 12, 8));
      TextLines(p, 7.5, 16.5, 15, 2);
      break;
    }
    case Glyph::Cut: {
      p.setPen(Line(QColor(0x70, 0x70, 0x70), 2));
      p.drawLine(QPointF(9, 15), QPointF(16.5, 2.5));
      p.drawLine(QPointF(15, 15), QPointF(7.5, 2.5));
      p.setPen(Line(kRed, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(7, 18), 3, 3);
      p.drawEllipse(QPointF(17, 18), 3, 3);
      break;
    }
    case Glyph::Copy: {
      Page(p, QRectF(3.5, 2.5, 11, 14));
      TextLines(p, 5.5, 12.5, 5.5, 3);
      Page(p, QRectF(9.5, 7.5, 11, 14));
      TextLines(p, 11.5, 18.5, 10.5, 4);
      break;
    }
    case Glyph::PasteInsert: {
      Clipboard(p);
      p.setPen(Line(kPaper, 5));
      p.drawLine(QPointF(18, 13.5), QPointF(18, 21.5));
      p.drawLine(QPointF(14, 17.5), QPointF(22, 17.5));
      p.setPen(Line(kGreen, 2.5));
      p.drawLine(QPointF(18, 13.5), QPointF(18, 21.5));
      p.drawLine(QPointF(14, 17.5), QPointF(22, 17.5));
      break;
    }
    case Glyph::PasteOver: {
      Clipboard(p);
      p.setPen(Line(QColor(0xa8, 0x50, 0x10), 1));
      p.setBrush(QColor(0xee, 0x8c, 0x2a));
      p.drawRect(QRectF(5, 11.5, 16, 5));
      break;
    }
    case Glyph::Delete: {
      p.setPen(Line(kRed, 3.5));
      p.drawLine(QPointF(6, 6), QPointF(18, 18));
      p.drawLine(QPointF(18, 6), QPointF(6, 18));
      break;
    }
    case Glyph::Undo: TurnArrow(p); break;
    case Glyph::Redo: Mirrored(p, TurnArrow); break;
    case Glyph::Help: {
      p.setPen(Line(QColor(0x1a, 0x44, 0x80), 1));
      p.setBrush(kBlue);
      p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
      QFont font;
      font.setPixelSize(15);
      font.setBold(true);
      p.setFont(font);
      p.setPen(kPaper);
      p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
    case Glyph::Play: {
      p.setPen(Line(QColor(0x1e, 0x6a, 0x28), 1));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({QPointF(7, 4.5), QPointF(19.5, 12), QPointF(7, 19.5)}));
      break;
    }
    case Glyph::Rewind: SkipToStart(p); break;
    case Glyph::FastForward: Mirrored(p, SkipToStart); break;
    case Glyph::Stop: {
      p.setPen(Line(kInk, 1));
      p.setBrush(kInk);
      p.drawRoundedRect(QRectF(6, 6, 12, 12), 1, 1);
      break;
    }
    case Glyph::Record: {
      p.setPen(Line(QColor(0x8a, 0x1a, 0x1a), 1));
      p.setBrush(kRed);
      p.drawEllipse(QPointF(12, 12), 7, 7);
      break;
    }
    case Glyph::Monitor: {
      QPainterPath band;
      band.moveTo(5, 15);
      band.cubicTo(4, 2.5, 20, 2.5, 19, 15);
      p.setPen(Line(kInk, 2.2));
      p.setBrush(Qt::NoBrush);
      p.drawPath(band);
      p.setPen(Line(kInk, 1));
      p.setBrush(kInk);
      p.drawRoundedRect(QRectF(3, 13, 5, 8), 1.5, 1.5);
      p.drawRoundedRect(QRectF(16, 13, 5, 8), 1.5, 1.5);
      break;
    }
  }
}

const char* ThemeName(Glyph glyph) {
  switch (glyph) {
    case Glyph::New: return "document-new";
    case Glyph::Open: return "document-open";
    case Glyph::Save: return "document-save";
    case Glyph::Cut: return "edit-cut";
    case Glyph::Copy: return "edit-copy";
    case Glyph::PasteInsert: return "edit-paste";
    case Glyph::PasteOver: return nullptr;  // no theme has a paste that overwrites
    case Glyph::Delete: return "edit-delete";
    case Glyph::Undo: return "edit-undo";
    case Glyph::Redo: return "edit-redo";
    case Glyph::Help: return "help-contents";
    case Glyph::Play: return "media-playback-start";
    case Glyph::Rewind: return "media-skip-backward";
    case Glyph::FastForward: return "media-skip-forward";
    case Glyph::Stop: return "media-playback-stop";
    case Glyph::Record: return "media-record";
    case Glyph::Monitor: return "audio-headphones";
  }
  return nullptr;
}

}  // namespace

QIcon DrawnIcon(Glyph glyph) {
  return Paint(24, [glyph](QPainter& painter) { Draw(glyph, painter); });
}

QIcon CommandIcon(Glyph glyph) {
  const char* name = ThemeName(glyph);
  if (name && QIcon::hasThemeIcon(QLatin1String(name))) return QIcon::fromTheme(QLatin1String(name));
  return DrawnIcon(glyph);
}

QIcon ApplicationIcon() {
  return Paint(64, [](QPainter& p) {
    p.setPen(QPen(QColor(0x0f, 0x16, 0x1f), 2));
    p.setBrush(QColor(0x1f, 0x2a, 0x38));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3e, 0xc6, 0xc0));
    const int heights[] = {8, 18, 30, 22, 40, 26, 34, 14, 6};
    for (int i = 0; i < 9; ++i) {
      qreal height = heights[i];
      p.drawRoundedRect(QRectF(8 + 4 * i, 32 - height / 2, 2.6, height), 1.3, 1.3);
    }
    p.setBrush(QColor(0x0b, 0x11, 0x18));
    p.drawRoundedRect(QRectF(49, 10, 3, 44), 1.5, 1.5);
    p.setBrush(QColor(0xf0, 0xa0, 0x30));
    p.drawRoundedRect(QRectF(44, 34, 13, 7), 2, 2);
    p.setBrush(QColor(0x1f, 0x2a, 0x38));
    p.drawRect(QRectF(45.5, 37, 10, 1));
  });
}

}  // namespace ui
