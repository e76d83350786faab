#pragma once

#include <QString>

class QImage;

namespace tour {

// Writes picture as a PNG file at path. Returns an empty text, or why nothing was
// written: the picture is empty, all of one colour (the window drew nothing), or the
// file could not be written.
QString WritePicture(const QImage& picture, const QString& path);

}  // namespace tour
