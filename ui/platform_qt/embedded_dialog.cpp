#include "ui/platform_qt/embedded_dialog.h"

#include <QVBoxLayout>

#include "platform/dialog_logic.h"
#include "ui/platform_qt/dialog_host_qt.h"
#include "ui/platform_qt/widget_surface_qt.h"

namespace ui {

EmbeddedDialog::EmbeddedDialog(platform::DialogLogic& logic, QWidget* parent) : QWidget(parent) {
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  std::unique_ptr<QWidget> loaded = LoadLayoutWidget(logic.Layout());
  if (!loaded) {
    qWarning("The dialog layout %s is missing.", logic.Layout().c_str());
    return;
  }
  m_layout = loaded.release();
  box->addWidget(m_layout);
  setObjectName(m_layout->objectName() + QStringLiteral("Host"));
  m_surface = std::make_unique<WidgetSurface>(logic, m_layout);
  m_surface->AttachLogic([](int) {});
  logic.OnInitDialog();
}

void EmbeddedDialog::DetachLogic() {
  m_surface.reset();
}

EmbeddedDialog::~EmbeddedDialog() {
  // Detach before the controls go, so the logic never reaches a destroyed widget.
  m_surface.reset();
}

}  // namespace ui
