#include "ui/platform_qt/clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>

namespace ui {

bool QtClipboard::SetText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(QString::fromStdString(text));
  return true;
}

std::string QtClipboard::GetText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->text().toStdString() : std::string();
}

}  // namespace ui
