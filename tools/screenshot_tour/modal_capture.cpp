#include "tools/screenshot_tour/modal_capture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTabWidget>
#include <QWidget>
#include <utility>

#include "tools/screenshot_tour/menu_actions.h"
#include "tools/screenshot_tour/picture_file.h"

namespace tour {

namespace {

constexpr int kPollMs = 50;
// How many polls a dialog may take to come up, and a window to go away (10 s).
constexpr int kPatienceTicks = 200;

QString TitleOf(const QWidget& window) {
  const QString title = window.windowTitle();
  return title.isEmpty() ? QString::fromLatin1(window.metaObject()->className()) : title;
}

}  // namespace

ModalCapture::ModalCapture(QString picturePath, QString scratchFolder,
                           std::function<void(const QString&)> onStuck)
    : m_picturePath(std::move(picturePath)),
      m_scratchFolder(std::move(scratchFolder)),
      m_onStuck(std::move(onStuck)) {
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, &ModalCapture::Poll);
}

bool ModalCapture::Run(QAction& action) {
  m_timer.start();
  action.trigger();  // returns once every window the command opened has closed
  m_timer.stop();
  if (m_written.isEmpty() && m_problem.isEmpty()) AddProblem(QStringLiteral("the command opened no dialog"));
  return !m_written.isEmpty() && m_problem.isEmpty();
}

void ModalCapture::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  switch (m_state) {
    case State::Waiting: WaitForDialog(modal); break;
    case State::Closing: WaitForClose(modal); break;
    case State::Done: break;
  }
}

void ModalCapture::WaitForDialog(QWidget* modal) {
  if (!modal || !modal->isVisible()) {
    // The command is still running, without a window to answer: a dialog that came
    // later would wait for an answer for ever.
    if (++m_ticks > kPatienceTicks) {
      AddProblem(QStringLiteral("the command ran for %1 s without a dialog").arg(kPatienceTicks * kPollMs / 1000));
      GiveUp();
    }
    return;
  }
  if (auto* files = qobject_cast<QFileDialog*>(modal)) {
    AnswerFileDialog(*files);
    return;
  }
  if (auto* message = qobject_cast<QMessageBox*>(modal)) {
    AddProblem(QStringLiteral("a message came up instead of a dialog: \"%1\"").arg(message->text()));
    Close(*message);
    return;
  }
  // The dialog is grabbed at the poll after the one that first saw it, when it has
  // had its first events (a dialog may fill itself in from a zero timer).
  if (m_seen != modal) {
    m_seen = modal;
    return;
  }
  Capture(*modal);
}

void ModalCapture::AnswerFileDialog(QFileDialog& files) {
  if (m_answered == &files) {
    // Still up: it did not take the name.
    if (++m_ticks > kPatienceTicks) {
      AddProblem(QStringLiteral("the file dialog \"%1\" did not take the name %2")
                     .arg(TitleOf(files), files.selectedFiles().join(QStringLiteral(", "))));
      Close(files);
    }
    return;
  }
  // The command asks for a file before its own dialog: it gets one that does not
  // exist yet, so that no overwrite question follows. The dialog does not put a
  // name into its name field while that field has the focus, so the focus goes.
  m_answered = &files;
  m_ticks = 0;
  if (QWidget* focused = files.focusWidget()) focused->clearFocus();
  files.setDirectory(m_scratchFolder);
  files.selectFile(QStringLiteral("picture-tour"));
  m_notes << QStringLiteral("answered the file dialog \"%1\" with %2")
                 .arg(TitleOf(files), files.selectedFiles().join(QStringLiteral(", ")));
  static_cast<QDialog&>(files).accept();  // QFileDialog makes its accept() protected
}

void ModalCapture::Capture(QWidget& dialog) {
  Write(dialog, m_picturePath);
  // A dialog of pages gets a picture of each further page as well.
  if (auto* tabs = dialog.findChild<QTabWidget*>()) {
    QString stem = m_picturePath;
    stem.chop(4);  // ".png"
    for (int page = 1; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      QCoreApplication::processEvents();
      Write(dialog, PictureName(stem, tabs->tabText(page)));
    }
  }
  Close(dialog);
}

void ModalCapture::Write(QWidget& dialog, const QString& path) {
  const QString failure = WritePicture(dialog.grab().toImage(), path);
  if (failure.isEmpty()) {
    m_written << path;
  } else {
    AddProblem(QStringLiteral("the dialog \"%1\" was not written: %2").arg(TitleOf(dialog), failure));
  }
}

void ModalCapture::WaitForClose(QWidget* modal) {
  if (!modal || !modal->isVisible()) return;  // the command is on its way back
  if (modal != m_closing) {
    AddProblem(QStringLiteral("another window came up after the dialog: \"%1\"").arg(TitleOf(*modal)));
    Close(*modal);
    return;
  }
  if (++m_ticks > kPatienceTicks) {
    AddProblem(QStringLiteral("the window \"%1\" did not close on reject()").arg(TitleOf(*modal)));
    GiveUp();
  }
}

void ModalCapture::GiveUp() {
  m_state = State::Done;
  m_timer.stop();
  m_onStuck(m_problem);
}

void ModalCapture::Close(QWidget& window) {
  m_state = State::Closing;
  m_closing = &window;
  m_ticks = 0;
  if (auto* dialog = qobject_cast<QDialog*>(&window)) {
    dialog->reject();
  } else {
    window.close();
  }
}

void ModalCapture::AddProblem(const QString& problem) {
  if (!m_problem.isEmpty()) m_problem += QStringLiteral("; ");
  m_problem += problem;
}

}  // namespace tour
