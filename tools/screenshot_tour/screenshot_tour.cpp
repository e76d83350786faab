#include "tools/screenshot_tour/screenshot_tour.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "tools/screenshot_tour/menu_actions.h"
#include "tools/screenshot_tour/modal_capture.h"
#include "tools/screenshot_tour/picture_file.h"
#include "ui/main_window/main_window.h"
#include "ui/waveform/waveform_widget.h"
#include "view/mixer_view.h"
#include "view/view_geometry.h"

namespace tour {

namespace {

constexpr int kWaitPollMs = 100;
// Start-up may render the peak files of a big project first.
constexpr int kWaitTicks = 300;
// The window counts as up once it has been shown and exposed for this many polls.
constexpr int kShownTicks = 3;
// Between two steps the program gets this long to handle its events and paint.
constexpr int kStepPauseMs = 300;
// The window as maximised on a full-HD screen, below a panel.
constexpr int kLargeWidth = 1920;
constexpr int kLargeHeight = 1040;
// A quarter off each end per zoom-in step: from an hour of audio to under 128 bytes
// takes fewer than 30.
constexpr int kMaxZoomSteps = 40;

// The menu (or toolbar) commands whose dialogs are pictured, in the order of the
// pictures. A text no menu or toolbar has, or a command that is disabled (its dialog is still to come), is noted
// and passed over.
const char* const kDialogCommands[] = {
    "&Project Settings",
    "&Application Settings",
    "&Metronome Settings",
    "Monitor",
    "Insert &Silence",
    "Adjust &Volume",
    "&Fade In/Out/Pan",
    "&Mute Audio",
    "&Reverse Audio",
    "S&wap Left/Right Channels",
    "&Copy Channel",
    "&Echo / Delay",
    "&Reverb",
    "&Multi Voice",
    "&Input Marker Times",
    "Mix Down To &Track",
    "Mix Down to &Wave File",
    "Mix Down to &MP3 File",
    "&About Sonavel Trackwright...",
};

QString Plain(const QString& menuText) {
  QString text = menuText;
  return text.remove(QLatin1Char('&'));
}

}  // namespace

ScreenshotTour::ScreenshotTour(QString outputFolder)
    : m_outputFolder(std::move(outputFolder)),
      m_scratch(QDir(QDir::tempPath()).filePath(QStringLiteral("trackwright-screenshot-tour-XXXXXX"))) {
  m_waitTimer.setInterval(kWaitPollMs);
  connect(&m_waitTimer, &QTimer::timeout, this, &ScreenshotTour::WaitForWindow);
  AddSteps();
}

void ScreenshotTour::AddSteps() {
  m_steps.push_back({QStringLiteral("main window"), [this] { ShootWholeTrack(); }});
  m_steps.push_back({QStringLiteral("large window"), [this] { m_window->resize(kLargeWidth, kLargeHeight); }});
  m_steps.push_back({QStringLiteral("large window"), [this] { ShootLargeWindow(); }});
  m_steps.push_back({QStringLiteral("mixing board"), [this] { WidenForMixingBoard(); }});
  m_steps.push_back({QStringLiteral("mixing board"), [this] { ShootMixingBoard(); }});
  m_steps.push_back({QStringLiteral("sample view"), [this] { ShootSamples(); }});
  for (const char* command : kDialogCommands) {
    const QString text = QString::fromUtf8(command);
    m_steps.push_back({Plain(text), [this, text] { ShootDialog(text); }});
  }
}

void ScreenshotTour::Start() {
  // The timer runs from before start-up: a window that start-up opens (a first-run
  // page, a failure) runs its own loop, and the tour has to see it.
  m_waitTimer.start();
}

void ScreenshotTour::MainLoopStarted() {
  m_mainLoopRunning = true;
  if (m_finished) QCoreApplication::exit(Status());
}

void ScreenshotTour::StartupWindow(QWidget& modal) {
  if (const auto* message = qobject_cast<QMessageBox*>(&modal)) {
    Abort(QStringLiteral("a message came up during start-up: \"%1\"").arg(message->text()));
    return;
  }
  if (!m_firstRunPages) {
    Abort(QStringLiteral("the window \"%1\" came up during start-up (the first-run pages come without a "
                         "configuration record in --config-dir)")
              .arg(modal.windowTitle()));
    return;
  }
  // Grabbed at the poll after the one that first saw it, once it has filled itself in.
  if (m_startupSeen != &modal) {
    m_startupSeen = &modal;
    return;
  }
  m_currentStep = modal.windowTitle();
  Write(modal.grab().toImage(), QStringLiteral("first-run-page-%1.png").arg(++m_startupPictures));
  auto* ok = modal.findChild<QAbstractButton*>(QStringLiteral("IDOK"));
  if (!ok) {
    Abort(QStringLiteral("the first-run page \"%1\" has no OK button").arg(modal.windowTitle()));
    return;
  }
  m_startupSeen = nullptr;
  ok->click();
}

void ScreenshotTour::WaitForWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    StartupWindow(*modal);
    return;
  }
  const bool shown = m_window && m_window->isVisible() && m_window->windowHandle() &&
                     m_window->windowHandle()->isExposed();
  m_shownTicks = shown ? m_shownTicks + 1 : 0;
  if (m_shownTicks >= kShownTicks) {
    m_waitTimer.stop();
    if (m_firstRunPages) {
      m_currentStep = QStringLiteral("first-run pages");
      if (m_startupPictures == 0) Fail(QStringLiteral("start-up showed no first-run page"));
      Finish();
      return;
    }
    // The pictures have the first start's size whatever placement the settings hold.
    m_window->showNormal();
    m_window->resize(ui::MainWindow::kFirstStartWidth, ui::MainWindow::kFirstStartHeight);
    QTimer::singleShot(kStepPauseMs, this, &ScreenshotTour::RunNextStep);
    return;
  }
  if (++m_waitTicks > kWaitTicks) {
    Abort(QStringLiteral("the main window did not appear within %1 s").arg(kWaitTicks * kWaitPollMs / 1000));
  }
}

void ScreenshotTour::RunNextStep() {
  if (m_finished) return;
  if (!m_window) {
    Abort(QStringLiteral("the main window went away"));
    return;
  }
  if (m_nextStep >= m_steps.size()) {
    Finish();
    return;
  }
  const Step& step = m_steps[m_nextStep++];
  m_currentStep = step.name;
  step.run();
  if (!m_finished) QTimer::singleShot(kStepPauseMs, this, &ScreenshotTour::RunNextStep);
}

void ScreenshotTour::ShootWholeTrack() {
  CMixerView& view = m_window->WaveformView()->View();
  view.ZoomAll();
  RepaintWaveform();
  if (view.LastDrawMode() == view::DrawMode::None) {
    Fail(QStringLiteral("the waveform view shows no audio; did the project open?"));
    return;
  }
  Write(m_window->grab().toImage(), QStringLiteral("main-window.png"));
}

void ScreenshotTour::ShootLargeWindow() {
  RepaintWaveform();
  Write(m_window->grab().toImage(), QStringLiteral("main-window-large.png"));
  m_window->resize(ui::MainWindow::kFirstStartWidth, ui::MainWindow::kFirstStartHeight);
}

void ScreenshotTour::WidenForMixingBoard() {
  // The track strips scroll while the window is narrower than they are; for the
  // picture the window is as wide as they need, as on a wide screen.
  if (const auto* scroller = m_window->MixingBoardArea()->findChild<QScrollArea*>()) {
    if (const QWidget* strips = scroller->widget()) {
      const int hidden = strips->width() - scroller->viewport()->width();
      if (hidden > 0) m_window->resize(m_window->width() + hidden, m_window->height());
    }
  }
}

void ScreenshotTour::ShootMixingBoard() {
  QWidget* board = m_window->MixingBoardArea();
  if (!board || !board->isVisible()) {
    Fail(QStringLiteral("the main window shows no mixing board"));
  } else {
    Write(board->grab().toImage(), QStringLiteral("mixing-board.png"));
  }
  m_window->resize(ui::MainWindow::kFirstStartWidth, ui::MainWindow::kFirstStartHeight);
}

void ScreenshotTour::ShootSamples() {
  CMixerView& view = m_window->WaveformView()->View();
  view.ZoomAll();
  RepaintWaveform();
  for (int steps = 0; view.LastDrawMode() != view::DrawMode::Samples; ++steps) {
    if (steps == kMaxZoomSteps) {
      Fail(QStringLiteral("%1 zoom-in steps did not bring the view to single samples").arg(kMaxZoomSteps));
      return;
    }
    view.ZoomIn();
    RepaintWaveform();
  }
  Write(m_window->grab().toImage(), QStringLiteral("main-window-samples.png"));
  // The dialogs that follow see the whole track again, as a fresh start shows it.
  view.ZoomAll();
  RepaintWaveform();
}

void ScreenshotTour::ShootDialog(const QString& menuText) {
  QAction* action = FindMenuCommand(*m_window->menuBar(), menuText);
  if (!action) action = FindToolbarCommand(*m_window, menuText);
  if (!action) {
    Note(QStringLiteral("no menu or toolbar has \"%1\"; no picture of it").arg(Plain(menuText)));
    return;
  }
  if (!action->isEnabled()) {
    Note(QStringLiteral("\"%1\" is disabled; no picture of it").arg(Plain(menuText)));
    return;
  }
  const QString fileName = DialogPictureName(menuText);
  ModalCapture capture(QDir(m_outputFolder).filePath(fileName), m_scratch.path(), [this](const QString& problem) {
    Abort(QStringLiteral("%1: %2").arg(m_currentStep, problem));
  });
  const bool written = capture.Run(*action);
  for (const QString& note : capture.Notes()) Note(note);
  for (const QString& path : capture.Written()) {
    m_written << path;
    std::printf("wrote %s\n", qPrintable(path));
  }
  if (!written) Fail(capture.Problem());
}

void ScreenshotTour::RepaintWaveform() {
  m_window->WaveformView()->repaint();
}

void ScreenshotTour::Write(const QImage& picture, const QString& fileName) {
  const QString path = QDir(m_outputFolder).filePath(fileName);
  const QString failure = WritePicture(picture, path);
  if (!failure.isEmpty()) {
    Fail(failure);
    return;
  }
  m_written << fileName;
  std::printf("wrote %s\n", qPrintable(path));
}

void ScreenshotTour::Note(const QString& message) {
  std::printf("note: %s\n", qPrintable(message));
}

void ScreenshotTour::Fail(const QString& message) {
  std::fprintf(stderr, "screenshot tour: %s: %s\n", qPrintable(m_currentStep), qPrintable(message));
  m_failures << m_currentStep;
}

void ScreenshotTour::Abort(const QString& message) {
  std::fprintf(stderr, "screenshot tour: %s\n", qPrintable(message));
  m_failures << message;
  m_finished = true;
  m_waitTimer.stop();
  if (m_mainLoopRunning && QThread::currentThread()->loopLevel() == 1) {
    QCoreApplication::exit(1);
    return;
  }
  // Inside a loop of its own (start-up's, a dialog's that would not close, a command's
  // that does not return) ending the loops does not end the program: start-up, for
  // one, asks again for what it was not given, and each question returns at once. The
  // process ends here instead.
  m_scratch.remove();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(1);
}

void ScreenshotTour::Finish() {
  m_finished = true;
  std::printf("%lld pictures in %s\n", static_cast<long long>(m_written.size()), qPrintable(m_outputFolder));
  if (!m_failures.isEmpty()) {
    std::fprintf(stderr, "screenshot tour: %lld steps failed: %s\n", static_cast<long long>(m_failures.size()),
                 qPrintable(m_failures.join(QStringLiteral(", "))));
  }
  std::fflush(stdout);
  // Before the main loop runs, an exit would end only the loop start-up is in (the
  // first-run pages come inside start-up) and the main loop would then wait for good;
  // MainLoopStarted ends it instead.
  if (m_mainLoopRunning) QCoreApplication::exit(Status());
}

}  // namespace tour
