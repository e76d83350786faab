#include "ui/platform_qt/dialog_host_qt.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QPointer>
#include <QUiLoader>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <optional>

#include "platform/dialog_logic.h"
#include "ui/platform_qt/dialog_control_qt.h"
#include "ui/platform_qt/embedded_dialog.h"
#include "ui/platform_qt/widget_surface_qt.h"
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

// A label named IDC_PROGRAM_PICTURE shows the program's icon.
void ShowProgramPicture(QWidget& dialog) {
  if (auto* picture = dialog.findChild<QLabel*>(QStringLiteral("IDC_PROGRAM_PICTURE"))) {
    picture->setPixmap(QApplication::windowIcon().pixmap(48, 48));
  }
}

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
  ShowProgramPicture(*dialog);
  return dialog;
}

// One open dialog: its window over the surface of its controls. The logic is
// detached when this goes or when the window is destroyed.
class DialogWindow : public WidgetSurface {
 public:
  // deferDelete: the window is deleted from the event loop rather than at once (a
  // modeless window may be going away while it handles one of its own events).
  DialogWindow(platform::DialogLogic& logic, std::unique_ptr<HostedDialog> dialog, bool deferDelete)
      : WidgetSurface(logic, dialog.get()), m_dialog(dialog.release()), m_deferDelete(deferDelete) {
    m_dialog->onAccept = [this] { Route([](platform::DialogLogic& l) { l.OnOK(); }); };
    m_dialog->onReject = [this] { Route([](platform::DialogLogic& l) { l.OnCancel(); }); };
  }

  ~DialogWindow() override {
    Disconnect();
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

  HostedDialog* Dialog() const { return m_dialog; }

  void CenterWindow() override { CenterOverMainWindow(m_dialog); }

 private:
  QPointer<HostedDialog> m_dialog;
  bool m_deferDelete;
};

class QtModelessDialog : public platform::ModelessDialog {
 public:
  explicit QtModelessDialog(std::unique_ptr<DialogWindow> window) : m_window(std::move(window)) {}

 private:
  std::unique_ptr<DialogWindow> m_window;
};

// A page made later than its dialog would come last in the Tab key's order, after the
// dialog's buttons; its controls go right after the tab bar that shows it instead.
void FocusAfterTabs(QWidget& container, QWidget& page) {
  QWidget* previous = &container;
  for (QWidget* above = container.parentWidget(); above; above = above->parentWidget()) {
    if (qobject_cast<QTabWidget*>(above)) {
      previous = above;
      break;
    }
  }
  for (QWidget* widget : page.findChildren<QWidget*>()) {
    if (!(widget->focusPolicy() & Qt::TabFocus)) continue;
    QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

// A page inside another dialog's container. The container owns the page's widget: when
// the owner's window goes first, the page goes with it and the handle finds it gone.
// Otherwise the logic is detached at once and the widget goes from the event loop, as
// the page may be closing from within one of its own events (Escape in its field).
class QtDialogPage : public platform::ModelessDialog {
 public:
  explicit QtDialogPage(EmbeddedDialog* page) : m_page(page) {}
  ~QtDialogPage() override {
    if (!m_page) return;
    m_page->DetachLogic();
    m_page->hide();
    m_page->deleteLater();
  }
  QtDialogPage(const QtDialogPage&) = delete;
  QtDialogPage& operator=(const QtDialogPage&) = delete;

 private:
  QPointer<EmbeddedDialog> m_page;
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

std::unique_ptr<platform::ModelessDialog> QtDialogHost::CreatePage(platform::DialogLogic& page,
                                                                  platform::DialogLogic& owner,
                                                                  const std::string& containerId) {
  auto* control = dynamic_cast<QtDialogControl*>(owner.GetDlgItem(containerId));
  QWidget* container = control ? control->Widget() : nullptr;
  if (!container) return nullptr;
  auto* box = container->layout();
  if (!box) {
    box = new QVBoxLayout(container);
    box->setContentsMargins(0, 0, 0, 0);
  }
  auto* embedded = new EmbeddedDialog(page, container);
  if (!embedded->Layout()) {
    delete embedded;
    return nullptr;
  }
  box->addWidget(embedded);
  FocusAfterTabs(*container, *embedded);
  return std::make_unique<QtDialogPage>(embedded);
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

std::unique_ptr<QWidget> LoadLayoutWidget(const std::string& layout) {
  RegisterDialogResources();
  QFile file(QStringLiteral("%1/%2.ui").arg(QLatin1String(kLayoutFolder), QString::fromStdString(layout)));
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  std::unique_ptr<QWidget> root(loader.load(&file));
  if (root) root->setObjectName(QString::fromStdString(layout));
  return root;
}

}  // namespace ui
