#include "ui/platform_qt/folder_browser_qt.h"

#include <QFileDialog>
#include <QStringList>

#include "ui/platform_qt/window_parent.h"

namespace ui {

std::optional<std::string> QtFolderBrowser::Browse(const std::string& title, const std::string& startFolder,
                                                   const std::vector<std::string>& recent) {
  QFileDialog dialog(DialogParent(), QString::fromStdString(title), QString::fromStdString(startFolder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!recent.empty()) {
    // Only Qt's own chooser shows a history list.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList history;
    for (const std::string& folder : recent) history << QString::fromStdString(folder);
    dialog.setHistory(history);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace ui
