#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QAction;
class QFileDialog;
class QWidget;

namespace tour {

// Writes a picture of the dialog that a menu command opens. The dialog runs its own
// event loop inside the command, so the capture works from a timer while the command
// runs: a file dialog on the way is answered with a name in the scratch folder (what
// comes after it is the command's own dialog), the first other modal window is
// grabbed (each page of a tab control in turn), written and closed with reject(), and whatever else comes up is closed and
// counted as a problem. When a window stays up after it was closed, or the command
// keeps running without a window, onStuck gets the problem and has to end the tour:
// the command would never return.
class ModalCapture : public QObject {
  Q_OBJECT

 public:
  ModalCapture(QString picturePath, QString scratchFolder, std::function<void(const QString&)> onStuck);

  // Triggers the action and returns once it has: true when its dialog was written and
  // closed again, otherwise Problem() says what went wrong.
  bool Run(QAction& action);
  QString Problem() const { return m_problem; }
  // The pictures written.
  QStringList Written() const { return m_written; }
  // What was done on the way, such as a file dialog answered.
  QStringList Notes() const { return m_notes; }

 private:
  enum class State { Waiting, Closing, Done };

  void Poll();
  void WaitForDialog(QWidget* modal);
  void WaitForClose(QWidget* modal);
  void AnswerFileDialog(QFileDialog& files);
  void Capture(QWidget& dialog);
  // A picture of the dialog as it is now; one that was not written is a problem.
  void Write(QWidget& dialog, const QString& path);
  void Close(QWidget& window);
  void AddProblem(const QString& problem);
  // Stops polling and hands the problem to onStuck.
  void GiveUp();

  QString m_picturePath;
  QString m_scratchFolder;
  std::function<void(const QString&)> m_onStuck;
  QTimer m_timer;
  State m_state = State::Waiting;
  int m_ticks = 0;
  QPointer<QWidget> m_seen;
  QPointer<QFileDialog> m_answered;
  QPointer<QWidget> m_closing;
  QStringList m_written;
  QString m_problem;
  QStringList m_notes;
};

}  // namespace tour
