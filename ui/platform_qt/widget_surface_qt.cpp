#include "ui/platform_qt/widget_surface_qt.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include "platform/dialog_logic.h"

namespace ui {

bool IsControl(const QWidget* widget) {
  const QString name = widget->objectName();
  if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return false;
  const QWidget* parent = widget->parentWidget();
  return !(qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent));
}

WidgetSurface::WidgetSurface(platform::DialogLogic& logic, QWidget* root)
    : m_logic(&logic), m_root(root), m_router(std::make_unique<QObject>()) {
  QObject::connect(root, &QObject::destroyed, m_router.get(), [this] { DetachLogic(); });
  ConnectControls();
}

WidgetSurface::~WidgetSurface() {
  Disconnect();
}

void WidgetSurface::AttachLogic(std::function<void(int)> endDialog) {
  if (m_logic) m_logic->Attach(this, std::move(endDialog));
}

void WidgetSurface::Disconnect() {
  DetachLogic();
  m_router.reset();
}

void WidgetSurface::DetachLogic() {
  if (m_logic) m_logic->Detach();
  m_logic = nullptr;
}

void WidgetSurface::Route(const std::function<void(platform::DialogLogic&)>& handler) {
  if (m_logic && m_changing == 0) handler(*m_logic);
}

platform::DialogControl* WidgetSurface::GetDlgItem(const std::string& id) {
  if (!m_root || id.empty()) return nullptr;
  auto found = m_controls.find(id);
  if (found != m_controls.end() && found->second->Widget()) return found->second.get();
  auto* widget = m_root->findChild<QWidget*>(QString::fromStdString(id));
  if (!widget) return nullptr;
  auto& control = m_controls[id];
  control = std::make_unique<QtDialogControl>(widget, m_changing);
  return control.get();
}

void WidgetSurface::SetWindowText(const std::string& caption) {
  if (m_root) m_root->setWindowTitle(QString::fromStdString(caption));
}

void WidgetSurface::ConnectControls() {
  QObject* router = m_router.get();
  for (auto* button : m_root->findChildren<QAbstractButton*>()) {
    if (!IsControl(button)) continue;
    const std::string id = button->objectName().toStdString();
    QObject::connect(button, &QAbstractButton::clicked, router, [this, id] {
      if (id == "IDOK") {
        Route([](platform::DialogLogic& l) { l.OnOK(); });
      } else if (id == "IDCANCEL") {
        Route([](platform::DialogLogic& l) { l.OnCancel(); });
      } else {
        Route([&id](platform::DialogLogic& l) { l.OnCommand(id); });
      }
    });
  }
  for (auto* combo : m_root->findChildren<QComboBox*>()) {
    if (!IsControl(combo)) continue;
    const std::string id = combo->objectName().toStdString();
    QObject::connect(combo, &QComboBox::activated, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnSelChange(id); }); });
  }
  for (auto* list : m_root->findChildren<QListWidget*>()) {
    if (!IsControl(list)) continue;
    const std::string id = list->objectName().toStdString();
    QObject::connect(list, &QListWidget::itemSelectionChanged, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnSelChange(id); }); });
    QObject::connect(list, &QListWidget::itemDoubleClicked, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnDoubleClick(id); }); });
  }
  for (auto* tabs : m_root->findChildren<QTabWidget*>()) {
    if (!IsControl(tabs)) continue;
    const std::string id = tabs->objectName().toStdString();
    QObject::connect(tabs, &QTabWidget::currentChanged, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnSelChange(id); }); });
  }
  for (auto* slider : m_root->findChildren<QAbstractSlider*>()) {
    if (!IsControl(slider)) continue;
    const std::string id = slider->objectName().toStdString();
    QObject::connect(slider, &QAbstractSlider::valueChanged, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnHScroll(id); }); });
  }
  for (auto* edit : m_root->findChildren<QLineEdit*>()) {
    if (!IsControl(edit)) continue;
    const std::string id = edit->objectName().toStdString();
    QObject::connect(edit, &QLineEdit::editingFinished, router,
                     [this, id] { Route([&id](platform::DialogLogic& l) { l.OnKillFocus(id); }); });
  }
}

}  // namespace ui
