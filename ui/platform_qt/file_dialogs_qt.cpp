#include "ui/platform_qt/file_dialogs_qt.h"

#include <QFileDialog>
#include <QFileInfo>

#include "ui/platform_qt/window_parent.h"

namespace ui {

std::optional<std::string> QtFileDialogs::GetOpenFileName(const std::string& title, const std::string& folder,
                                                          const std::string& filters) {
  QString path = QFileDialog::getOpenFileName(DialogParent(), QString::fromStdString(title),
                                              QString::fromStdString(folder), QString::fromStdString(filters));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtFileDialogs::GetSaveFileName(const std::string& title, const std::string& folder,
                                                          const std::string& filters,
                                                          const std::string& defaultExtension) {
  QFileDialog dialog(DialogParent(), QString::fromStdString(title), QString::fromStdString(folder),
                     QString::fromStdString(filters));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace ui
