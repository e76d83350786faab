#include "ui/platform_qt/window_parent.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ui {

QWidget* MainWindowWidget() {
  QWidget* hidden = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!qobject_cast<QMainWindow*>(widget)) continue;
    if (widget->isVisible()) return widget;
    if (!hidden) hidden = widget;
  }
  return hidden;
}

QWidget* DialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isEnabled()) return modal;
  QWidget* main = MainWindowWidget();
  return (main && main->isVisible() && main->isEnabled()) ? main : nullptr;
}

void KeepAbove(QWidget* window) {
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner || owner == window) owner = MainWindowWidget();
  if (!window || !owner || window->parentWidget() || !owner->windowHandle()) return;
  window->winId();  // makes the native window whose owner is set
  if (QWindow* handle = window->windowHandle()) handle->setTransientParent(owner->windowHandle());
}

void CenterOverMainWindow(QWidget* window) {
  if (!window) return;
  window->adjustSize();
  QRect area;
  if (QWidget* main = MainWindowWidget(); main && main->isVisible()) {
    area = main->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  QRect frame = window->frameGeometry();
  frame.moveCenter(area.center());
  window->move(frame.topLeft());
}

}  // namespace ui
