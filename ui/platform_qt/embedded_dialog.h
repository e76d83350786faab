#pragma once

#include <QWidget>
#include <memory>
#include <string>

namespace platform {
class DialogLogic;
}

namespace ui {

class WidgetSurface;

// A dialog's layout shown inside another window rather than as a window of its own:
// the layout is loaded as this widget's only child, the logic is attached to its
// controls and initialised, and it is detached again when this widget goes. The logic
// keeps its state while detached. EndDialog does nothing here.
class EmbeddedDialog : public QWidget {
 public:
  EmbeddedDialog(platform::DialogLogic& logic, QWidget* parent = nullptr);
  ~EmbeddedDialog() override;
  EmbeddedDialog(const EmbeddedDialog&) = delete;
  EmbeddedDialog& operator=(const EmbeddedDialog&) = delete;

  // The loaded layout; null when the layout is missing.
  QWidget* Layout() const { return m_layout; }
  // Detaches the logic now, before the widget goes.
  void DetachLogic();

 private:
  QWidget* m_layout = nullptr;
  std::unique_ptr<WidgetSurface> m_surface;
};

}  // namespace ui
