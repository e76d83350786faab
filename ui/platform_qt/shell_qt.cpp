#include "ui/platform_qt/shell_qt.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace ui {

QUrl TargetUrl(const std::string& target) {
  QString text = QString::fromStdString(target);
  // A scheme is at least two letters, so that nothing is mistaken for one.
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  if (scheme.match(text).hasMatch()) return QUrl(text);
  return QUrl::fromLocalFile(text);
}

bool QtShell::Open(const std::string& target) {
  QUrl url = TargetUrl(target);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace ui
