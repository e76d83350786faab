#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <vector>

#include "ui/main_window/main_window.h"

class QImage;

namespace tour {

// The steps of the picture tour, run one by one from timers once the program's main
// window is up: the main window with the whole track in view (at the first start's
// size and as large as a maximised one on a full-HD screen), the mixing board, the
// main window zoomed in until single samples are drawn, then every dialog of the
// menus. A step that fails is reported and the tour goes on with the next one; the
// tour's status is 0 only when every picture was written.
class ScreenshotTour : public QObject {
  Q_OBJECT

 public:
  explicit ScreenshotTour(QString outputFolder);

  // The main window the program made; the tour starts on it once it is shown.
  void SetMainWindow(ui::MainWindow* window) { m_window = window; }
  // Pictures the first-run pages that start-up shows, confirming each with OK, and
  // ends once the main window is up, instead of the tour of the window.
  void PictureFirstRunPages() { m_firstRunPages = true; }
  // Starts waiting for the main window.
  void Start();
  // Called from the program's main loop once it runs; ends it at once when the tour
  // finished before (in a loop of start-up's own).
  void MainLoopStarted();
  // Ends the tour unsuccessfully with a message. Outside the main loop (in a nested
  // loop, or before the main loop runs) it ends the process and does not return.
  void Abort(const QString& message);
  bool Finished() const { return m_finished; }
  int Status() const { return m_failures.isEmpty() ? 0 : 1; }

 private:
  struct Step {
    QString name;
    std::function<void()> run;
  };

  void WaitForWindow();
  // A window start-up opened: pictured and confirmed, or (a message, or no first-run
  // tour) the end of the tour.
  void StartupWindow(QWidget& modal);
  void RunNextStep();
  void Finish();
  void AddSteps();
  void ShootWholeTrack();
  void ShootLargeWindow();
  void WidenForMixingBoard();
  void ShootMixingBoard();
  void ShootSamples();
  void ShootDialog(const QString& menuText);
  // Brings the waveform view up to date now, so that what follows sees this paint.
  void RepaintWaveform();
  void Write(const QImage& picture, const QString& fileName);
  void Fail(const QString& message);
  void Note(const QString& message);

  QString m_outputFolder;
  // Where file dialogs are answered to; nothing is written there, as every command
  // is cancelled at its own dialog.
  QTemporaryDir m_scratch;
  QPointer<ui::MainWindow> m_window;
  QTimer m_waitTimer;
  int m_waitTicks = 0;
  int m_shownTicks = 0;
  std::vector<Step> m_steps;
  size_t m_nextStep = 0;
  QString m_currentStep;
  QStringList m_written;
  QStringList m_failures;
  bool m_finished = false;
  bool m_mainLoopRunning = false;
  bool m_firstRunPages = false;
  QPointer<QWidget> m_startupSeen;
  int m_startupPictures = 0;
};

}  // namespace tour
