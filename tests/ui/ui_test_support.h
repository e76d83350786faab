#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs act on the modal window that the code under test is about to open and run;
// a window still open after the test's time is closed, so that a failing test ends.
inline void WhenModalOpens(std::function<void(QWidget&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      ADD_FAILURE() << "no modal window opened";
      return;
    }
    QPointer<QWidget> guard = modal;
    act(*modal);
    QTimer::singleShot(5000, [guard] {
      if (auto* dialog = qobject_cast<QDialog*>(guard.data()); dialog && dialog->isVisible()) {
        ADD_FAILURE() << "the modal window stayed open";
        dialog->done(-99);
      }
    });
  });
}

// The visible top-level window with this object name.
inline QWidget* VisibleWindow(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == name && widget->isVisible()) return widget;
  }
  return nullptr;
}

// Deletes the windows whose deletion was put off.
inline void FlushDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
