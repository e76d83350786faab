#pragma once

#include <QAbstractButton>

namespace ui {

// One of the waveform view's three zoom buttons: drawn by itself in a normal, a hot
// (under the mouse) and a pressed look. It acts as the mouse button goes down on it,
// and once more for the second click of a double click.
class ZoomButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum class Kind { In, Out, All };
  ZoomButton(Kind kind, QWidget* parent);
  Kind GetKind() const { return m_kind; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind m_kind;
};

}  // namespace ui
