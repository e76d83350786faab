#include "ui/platform_qt/folder_browser_qt.h"

#include <QFileDialog>

#include "ui/platform_qt/window_parent.h"

namespace ui {

std::optional<std::string> QtFolderBrowser::Browse(const std::string& title, const std::string& startFolder) {
  QString folder = QFileDialog::getExistingDirectory(DialogParent(), QString::fromStdString(title),
                                                     QString::fromStdString(startFolder), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace ui
