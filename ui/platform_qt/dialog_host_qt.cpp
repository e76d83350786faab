#include "ui/platform_qt/dialog_host_qt.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QUiLoader>
#include <QVBoxLayout>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/dialog_logic.h"
#include "ui/platform_qt/dialog_control_qt.h"
#include "ui/platform_qt/window_parent.h"

// Resources of a static library are registered by hand; the call must name the
// resource's function outside any namespace.
static void RegisterDialogResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(dialogs);
    return true;
  }();
  (void)registered;
}

namespace ui {

namespace {

constexpr const char* kLayoutFolder = ":/dialogs";

// The top-level dialog of a hosted layout: Enter's accept, Escape's reject and the
// window's close button go to the dialog's logic instead of closing the window.
class HostedDialog : public QDialog {
 public:
  std::function<void()> onAccept, onReject;

  void accept() override {
    if (onAccept) {
      onAccept();
    } else {
      QDialog::accept();
    }
  }
  void reject() override {
    if (onReject) {
      onReject();
    } else {
      QDialog::reject();
    }
  }
};

// Builds the layout's top-level QDialog as a HostedDialog.
class DialogLoader : public QUiLoader {
 public:
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    if (!m_rootMade && !parent && className == QLatin1String("QDialog")) {
      m_rootMade = true;
      auto* dialog = new HostedDialog;
      dialog->setObjectName(name);
      return dialog;
    }
    return QUiLoader::createWidget(className, parent, name);
  }

 private:
  bool m_rootMade = false;
};

// Loads a layout as a HostedDialog; a layout whose top level is a plain widget is
// placed inside one.
std::unique_ptr<HostedDialog> LoadHosted(const std::string& layout) {
  RegisterDialogResources();
  QFile file(QStringLiteral("%1/%2.ui").arg(QLatin1String(kLayoutFolder), QString::fromStdString(layout)));
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  DialogLoader loader;
  std::unique_ptr<QWidget> root(loader.load(&file));
  if (!root) return nullptr;
  std::unique_ptr<HostedDialog> dialog;
  if (auto* hosted = dynamic_cast<HostedDialog*>(root.get())) {
    dialog.reset(hosted);
    root.release();
  } else {
    dialog = std::make_unique<HostedDialog>();
    dialog->setWindowTitle(root->windowTitle());
    auto* layoutBox = new QVBoxLayout(dialog.get());
    layoutBox->setContentsMargins(0, 0, 0, 0);
    layoutBox->addWidget(root.release());
  }
  dialog->setObjectName(QString::fromStdString(layout));
  return dialog;
}

// A widget of the layout that stands for a control: named, and not one of the parts
// that Qt's composite widgets make for themselves.
bool IsControl(const QWidget* widget) {
  const QString name = widget->objectName();
  if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return false;
  const QWidget* parent = widget->parentWidget();
  return !(qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent));
}

// One open dialog: its window, its controls and the routing of the user's actions to
// the logic. The logic is detached when this goes or when the window is destroyed.
class DialogWindow : public platform::DialogSurface {
 public:
  // deferDelete: the window is deleted from the event loop rather than at once (a
  // modeless window may be going away while it handles one of its own events).
  DialogWindow(platform::DialogLogic& logic, std::unique_ptr<HostedDialog> dialog, bool deferDelete)
      : m_logic(&logic), m_dialog(dialog.release()), m_router(std::make_unique<QObject>()), m_deferDelete(deferDelete) {
    m_dialog->onAccept = [this] { Route([](platform::DialogLogic& l) { l.OnOK(); }); };
    m_dialog->onReject = [this] { Route([](platform::DialogLogic& l) { l.OnCancel(); }); };
    QObject::connect(m_dialog, &QObject::destroyed, m_router.get(), [this] { DetachLogic(); });
    ConnectControls();
  }

  ~DialogWindow() override {
    DetachLogic();
    m_router.reset();  // drops every connection to the logic
    if (m_dialog) {
      m_dialog->onAccept = nullptr;
      m_dialog->onReject = nullptr;
      m_dialog->hide();
      if (m_deferDelete) {
        m_dialog->deleteLater();
      } else {
        delete m_dialog;
      }
    }
  }

  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  void AttachLogic(std::function<void(int)> endDialog) { m_logic->Attach(this, std::move(endDialog)); }

  HostedDialog* Dialog() const { return m_dialog; }

  platform::DialogControl* GetDlgItem(const std::string& id) override {
    if (!m_dialog || id.empty()) return nullptr;
    auto found = m_controls.find(id);
    if (found != m_controls.end() && found->second->Widget()) return found->second.get();
    auto* widget = m_dialog->findChild<QWidget*>(QString::fromStdString(id));
    if (!widget) return nullptr;
    auto& control = m_controls[id];
    control = std::make_unique<QtDialogControl>(widget, m_changing);
    return control.get();
  }

  void SetWindowText(const std::string& caption) override {
    if (m_dialog) m_dialog->setWindowTitle(QString::fromStdString(caption));
  }

  void CenterWindow() override { CenterOverMainWindow(m_dialog); }

 private:
  void DetachLogic() {
    if (m_logic) m_logic->Detach();
    m_logic = nullptr;
  }

  // Hands a user's action to the logic; changes the program makes itself are not
  // the user's.
  void Route(const std::function<void(platform::DialogLogic&)>& handler) {
    if (m_logic && m_changing == 0) handler(*m_logic);
  }

  void ConnectControls() {
    QObject* router = m_router.get();
    for (auto* button : m_dialog->findChildren<QAbstractButton*>()) {
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
    for (auto* combo : m_dialog->findChildren<QComboBox*>()) {
      if (!IsControl(combo)) continue;
      const std::string id = combo->objectName().toStdString();
      QObject::connect(combo, &QComboBox::activated, router,
                       [this, id] { Route([&id](platform::DialogLogic& l) { l.OnSelChange(id); }); });
    }
    for (auto* list : m_dialog->findChildren<QListWidget*>()) {
      if (!IsControl(list)) continue;
      const std::string id = list->objectName().toStdString();
      QObject::connect(list, &QListWidget::itemSelectionChanged, router,
                       [this, id] { Route([&id](platform::DialogLogic& l) { l.OnSelChange(id); }); });
      QObject::connect(list, &QListWidget::itemDoubleClicked, router,
                       [this, id] { Route([&id](platform::DialogLogic& l) { l.OnDoubleClick(id); }); });
    }
    for (auto* slider : m_dialog->findChildren<QAbstractSlider*>()) {
      if (!IsControl(slider)) continue;
      const std::string id = slider->objectName().toStdString();
      QObject::connect(slider, &QAbstractSlider::valueChanged, router,
                       [this, id] { Route([&id](platform::DialogLogic& l) { l.OnHScroll(id); }); });
    }
    for (auto* edit : m_dialog->findChildren<QLineEdit*>()) {
      if (!IsControl(edit)) continue;
      const std::string id = edit->objectName().toStdString();
      QObject::connect(edit, &QLineEdit::editingFinished, router,
                       [this, id] { Route([&id](platform::DialogLogic& l) { l.OnKillFocus(id); }); });
    }
  }

  platform::DialogLogic* m_logic;
  QPointer<HostedDialog> m_dialog;
  std::unique_ptr<QObject> m_router;
  std::map<std::string, std::unique_ptr<QtDialogControl>> m_controls;
  int m_changing = 0;
  bool m_deferDelete;
};

class QtModelessDialog : public platform::ModelessDialog {
 public:
  explicit QtModelessDialog(std::unique_ptr<DialogWindow> window) : m_window(std::move(window)) {}

 private:
  std::unique_ptr<DialogWindow> m_window;
};

}  // namespace

int QtDialogHost::RunModal(platform::DialogLogic& logic) {
  std::unique_ptr<HostedDialog> dialog = LoadHosted(logic.Layout());
  if (!dialog) {
    qWarning("The dialog layout %s is missing.", logic.Layout().c_str());
    return -1;
  }
  if (QWidget* parent = DialogParent()) dialog->setParent(parent, dialog->windowFlags());
  DialogWindow window(logic, std::move(dialog), false);
  QPointer<HostedDialog> shown = window.Dialog();
  if (!shown->parentWidget()) {
    // Qt centres a dialog over its parent by itself; this one has none.
    KeepAbove(shown);
    CenterOverMainWindow(shown);
  }
  std::optional<int> result;
  window.AttachLogic([&result, shown](int code) {
    if (result) return;
    result = code;
    if (shown) shown->done(code);
  });
  logic.OnInitDialog();
  if (!result && shown) shown->exec();
  return result.value_or(platform::IDCANCEL);
}

std::unique_ptr<platform::ModelessDialog> QtDialogHost::CreateModeless(platform::DialogLogic& logic) {
  // Without a parent: the main window is disabled while a progress dialog is up,
  // and a child window would be disabled with it.
  std::unique_ptr<HostedDialog> dialog = LoadHosted(logic.Layout());
  if (!dialog) {
    qWarning("The dialog layout %s is missing.", logic.Layout().c_str());
    return nullptr;
  }
  auto window = std::make_unique<DialogWindow>(logic, std::move(dialog), true);
  QPointer<HostedDialog> shown = window->Dialog();
  shown->setModal(false);
  KeepAbove(shown);
  auto ended = std::make_shared<bool>(false);
  window->AttachLogic([shown, ended](int) {
    *ended = true;
    if (shown) shown->hide();
  });
  logic.OnInitDialog();
  if (!*ended && shown) shown->show();
  return std::make_unique<QtModelessDialog>(std::move(window));
}

QStringList DialogLayoutNames() {
  RegisterDialogResources();
  QStringList names;
  for (const QString& file : QDir(QLatin1String(kLayoutFolder)).entryList({QStringLiteral("*.ui")}, QDir::Files)) {
    names << file.chopped(3);
  }
  return names;
}

std::unique_ptr<QDialog> LoadDialogLayout(const std::string& layout) {
  return LoadHosted(layout);
}

}  // namespace ui
