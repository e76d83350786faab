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

int QtShell::Open(const std::string& target) {
  QUrl url = TargetUrl(target);
  if (!url.isValid()) return platform::kShellFileNotFound;
  if (QDesktopServices::openUrl(url)) return platform::kShellOpened;
  // The desktop gives no reason; for a local file one can be found.
  return url.isLocalFile() ? platform::LocalTargetFailure(url.toLocalFile().toStdString())
                           : platform::kShellNoAssociation;
}

}  // namespace ui
