#include "tools/screenshot_tour/picture_file.h"

#include <QImage>

namespace tour {

namespace {

bool OfOneColour(const QImage& picture) {
  const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb first = pixels.pixel(0, 0);
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < pixels.width(); ++x) {
      if (line[x] != first) return false;
    }
  }
  return true;
}

}  // namespace

QString WritePicture(const QImage& picture, const QString& path) {
  if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return QStringLiteral("the picture is empty");
  if (OfOneColour(picture)) {
    return QStringLiteral("the picture (%1 x %2) is all of one colour").arg(picture.width()).arg(picture.height());
  }
  if (!picture.save(path, "PNG")) return QStringLiteral("%1 could not be written").arg(path);
  return {};
}

}  // namespace tour
