#include "ui/main_window/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "core/command_ids.h"
#include "core/errors.h"
#include "app/mixer_app.h"
#include "platform/system.h"
#include "ui/board/mixing_board_widget.h"
#include "ui/main_window/about_dialog.h"
#include "ui/main_window/command_states.h"
#include "ui/main_window/playback_view_adapter.h"
#include "ui/main_window/toolbar_icons.h"
#include "ui/main_window/window_placement.h"
#include "ui/platform_qt/window_parent.h"
#include "ui/waveform/waveform_widget.h"

namespace ui {

namespace {

constexpr const char* kProgramName = "Sonavel Trackwright";

QKeySequence Ctrl(Qt::Key key) {
  return QKeySequence(Qt::CTRL | key);
}
QKeySequence CtrlShift(Qt::Key key) {
  return QKeySequence(Qt::CTRL | Qt::SHIFT | key);
}
// A key of the numeric keypad.
QKeySequence CtrlKeypad(Qt::Key key) {
  return QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, key));
}

// A placement from another screen set-up may lie where no screen is now; such a
// window is brought back onto the primary screen, keeping its size.
QRect OnAScreen(QRect area) {
  // The strip along the top edge is what the user needs to reach to move the window.
  QRect handle(area.topLeft(), QSize(std::min(area.width(), 100), std::min(area.height(), 30)));
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().intersects(handle)) return area;
  }
  if (QScreen* primary = QGuiApplication::primaryScreen()) area.moveCenter(primary->availableGeometry().center());
  return area;
}

}  // namespace

MainWindow::MainWindow() {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QLatin1String(kProgramName));
  setWindowIcon(ApplicationIcon());
  BuildMenus();
  BuildUpperToolBar();
  addToolBarBreak();
  BuildLowerToolBar();
  BuildKeyboardCommands();
  BuildCentralArea();
  AttachWaveformView();
  // Playback moves the view's play line; its stop refreshes the clocks and commands.
  m_playbackView = std::make_unique<PlaybackViewAdapter>(m_waveView->View(), [this] { UpdateCommandStates(); });
  if (CMixerApp* app = CMixerApp::Get()) {
    app->m_player.SetView(m_playbackView.get());
    app->m_recorder.SetView(m_playbackView.get());
    FollowInputOnBoard(*app);
  }
  setAcceptDrops(true);
  statusBar();
  UpdateCommandStates();
}

MainWindow::~MainWindow() {
  if (CMixerApp* app = CMixerApp::Get()) {
    app->m_player.SetView(nullptr);
    app->m_recorder.SetView(nullptr);
  }
  SavePlacement();
}

void MainWindow::FollowInputOnBoard(CMixerApp& app) {
  // While the recording engine monitors, the view's timer moves the board's meters
  // with the input; they drop when monitoring ends.
  view::PlayTimerHooks hooks;
  hooks.monitoring = [&app] { return app.m_recorder.State() == RecorderMonitoring; };
  hooks.serviceMonitor = [&app] {
    const InputMeterPositions meters = ServiceMonitor(app.m_recorder);
    app.m_boardMain.SetMeters(meters.left, meters.right);
  };
  hooks.clearMeters = [&app] { app.m_boardMain.SetMeters(0, 0); };
  m_waveView->View().SetPlayTimerHooks(std::move(hooks));
}

QAction* MainWindow::Action(int id) const {
  auto found = m_actions.find(id);
  return found == m_actions.end() ? nullptr : found->second;
}

QAction* MainWindow::AddCommand(int id, const QString& text, const QList<QKeySequence>& keys) {
  auto* action = new QAction(text, this);
  action->setShortcuts(keys);
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  m_actions[id] = action;
  return action;
}

QAction* MainWindow::AddToolCommand(int id, const QString& text, Glyph glyph, const QString& tip,
                                    const QList<QKeySequence>& keys) {
  QAction* action = AddCommand(id, text, keys);
  action->setIcon(CommandIcon(glyph));
  action->setToolTip(tip);
  action->setStatusTip(tip);
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(AddToolCommand(ID_FILE_NEW, QStringLiteral("&New"), Glyph::New,
                                 QStringLiteral("Create a New Project"), {Ctrl(Qt::Key_N)}));
  file->addAction(AddToolCommand(ID_FILE_OPEN, QStringLiteral("&Open..."), Glyph::Open,
                                 QStringLiteral("Open a Project or Audio File"), {Ctrl(Qt::Key_O)}));
  file->addAction(AddCommand(ID_FILE_OPEN_MIX, QStringLiteral("   Open &Mix File")));
  file->addAction(AddCommand(ID_FILE_OPEN_WAVE, QStringLiteral("   Open &Wave File")));
  file->addAction(AddCommand(ID_FILE_OPEN_MP3, QStringLiteral("   Open M&P3 File")));
  file->addSeparator();
  file->addAction(AddToolCommand(ID_FILE_SAVE, QStringLiteral("&Save"), Glyph::Save,
                                 QStringLiteral("Save Current Project"), {Ctrl(Qt::Key_S)}));
  file->addAction(AddCommand(ID_FILE_SAVE_AS, QStringLiteral("Save &As...")));
  file->addAction(AddCommand(ID_FILE_SAVE_AS_MIX, QStringLiteral("   Save As M&ix")));
  file->addAction(AddCommand(ID_FILE_SAVE_AS_WAVE, QStringLiteral("   Save As W&ave")));
  file->addAction(AddCommand(ID_FILE_SAVE_AS_MP3, QStringLiteral("   Save As MP&3")));
  file->addSeparator();
  m_recentMenu = file->addMenu(QStringLiteral("Recent File"));
  for (int i = 0; i < kRecentFileCommands; ++i) m_recentMenu->addAction(AddCommand(RecentFileCommand(i), QString()));
  file->addSeparator();
  file->addAction(AddCommand(ID_APP_EXIT, QStringLiteral("E&xit"), {Ctrl(Qt::Key_Q)}));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addAction(AddToolCommand(ID_EDIT_UNDO, QStringLiteral("&Undo"), Glyph::Undo,
                                 QStringLiteral("Undo the Last Action"),
                                 {Ctrl(Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}));
  edit->addAction(AddToolCommand(ID_EDIT_REDO, QStringLiteral("&Redo"), Glyph::Redo,
                                 QStringLiteral("Redo the Previous Undo Action"), {Ctrl(Qt::Key_Y)}));
  edit->addSeparator();
  edit->addAction(AddToolCommand(ID_EDIT_CUT, QStringLiteral("Cu&t Highlighted Section"), Glyph::Cut,
                                 QStringLiteral("Cut the Highlighted Section and Save To Clipboard"),
                                 {Ctrl(Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}));
  edit->addAction(AddToolCommand(ID_EDIT_COPY, QStringLiteral("&Copy Highlighted Section"), Glyph::Copy,
                                 QStringLiteral("Copy the Highlighted Section to the Clipboard"),
                                 {Ctrl(Qt::Key_C), Ctrl(Qt::Key_Insert)}));
  edit->addAction(AddToolCommand(ID_EDIT_PASTE_INSERT, QStringLiteral("&Paste Insert"), Glyph::PasteInsert,
                                 QStringLiteral("Paste Insert Audio from the Clipboard"),
                                 {Ctrl(Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}));
  edit->addAction(AddToolCommand(ID_EDIT_PASTE_OVER, QStringLiteral("Paste &Over "), Glyph::PasteOver,
                                 QStringLiteral("Paste Audio from the Clipboard over the Current Track's Audio")));
  edit->addAction(AddToolCommand(ID_EDIT_DELETE, QStringLiteral("&Delete Highlighted Section"), Glyph::Delete,
                                 QStringLiteral("Delete Highlighted Section of Audio"), {Ctrl(Qt::Key_Delete)}));
  edit->addSeparator();
  edit->addAction(AddCommand(ID_EDIT_CUT_MARKERS, QStringLiteral("Cut &Between Markers")));
  edit->addAction(AddCommand(ID_EDIT_COPY_MARKERS, QStringLiteral("Copy Between &Markers")));
  edit->addAction(AddCommand(ID_EDIT_DELETE_MARKERS, QStringLiteral("Delete Between M&arkers")));
  edit->addSeparator();
  edit->addAction(AddCommand(ID_EDIT_CLEAR_TRACK, QStringLiteral("C&lear Current Track")));

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->addAction(AddCommand(ID_TOOLS_INSERT_SILENCE, QStringLiteral("Insert &Silence")));
  tools->addSeparator();
  tools->addAction(AddCommand(ID_TOOLS_ADJUST_VOLUME, QStringLiteral("Adjust &Volume")));
  tools->addAction(AddCommand(ID_TOOLS_FADE, QStringLiteral("&Fade In/Out/Pan")));
  tools->addAction(AddCommand(ID_TOOLS_MUTE_AUDIO, QStringLiteral("&Mute Audio")));
  tools->addAction(AddCommand(ID_TOOLS_REVERSE, QStringLiteral("&Reverse Audio")));
  tools->addAction(AddCommand(ID_TOOLS_SWAP_CHANNELS, QStringLiteral("S&wap Left/Right Channels")));
  tools->addAction(AddCommand(ID_TOOLS_COPY_CHANNEL, QStringLiteral("&Copy Channel")));
  tools->addSeparator();
  QMenu* import = tools->addMenu(QStringLiteral("&Import Audio"));
  import->addAction(AddCommand(ID_TOOLS_IMPORT_MP3, QStringLiteral("Import &MP3 Audio")));
  import->addAction(AddCommand(ID_TOOLS_IMPORT_WAVE, QStringLiteral("Import &Wave Audio")));
  QMenu* mixDown = tools->addMenu(QStringLiteral("Mi&x Down"));
  mixDown->addAction(AddCommand(ID_TOOLS_MIXDOWN_TRACK, QStringLiteral("Mix Down To &Track")));
  mixDown->addAction(AddCommand(ID_TOOLS_MIXDOWN_MP3, QStringLiteral("Mix Down to &MP3 File")));
  mixDown->addAction(AddCommand(ID_TOOLS_MIXDOWN_WAVE, QStringLiteral("Mix Down to &Wave File")));
  QMenu* effects = tools->addMenu(QStringLiteral("&Effects"));
  effects->addAction(AddCommand(ID_TOOLS_ECHO, QStringLiteral("&Echo / Delay")));
  effects->addAction(AddCommand(ID_TOOLS_REVERB, QStringLiteral("&Reverb")));
  effects->addAction(AddCommand(ID_TOOLS_MULTI_VOICE, QStringLiteral("&Multi Voice")));
  QMenu* markers = tools->addMenu(QStringLiteral("Mar&kers"));
  markers->addAction(AddCommand(ID_MARKER_SET_BEGIN, QStringLiteral("Set &Begin Marker")));
  markers->addAction(AddCommand(ID_MARKER_SET_END, QStringLiteral("Set &End Marker")));
  markers->addAction(AddCommand(ID_MARKER_SET_HIGHLIGHT, QStringLiteral("Set &Highlighted Section As Markers")));
  markers->addSeparator();
  markers->addAction(AddCommand(ID_MARKER_ERASE_BEGIN, QStringLiteral("E&rase Begin Marker")));
  markers->addAction(AddCommand(ID_MARKER_ERASE_END, QStringLiteral("Er&ase End Marker")));
  markers->addAction(AddCommand(ID_MARKER_ERASE_BOTH, QStringLiteral("Era&se Both Markers")));
  markers->addSeparator();
  markers->addAction(AddCommand(ID_MARKER_INPUT_TIMES, QStringLiteral("&Input Marker Times")));
  QMenu* settings = tools->addMenu(QStringLiteral("Se&ttings"));
  settings->addAction(AddCommand(ID_SETTINGS_APPLICATION, QStringLiteral("&Application Settings")));
  settings->addAction(AddCommand(ID_SETTINGS_PROJECT, QStringLiteral("&Project Settings")));
  settings->addAction(AddCommand(ID_SETTINGS_METRONOME, QStringLiteral("&Metronome Settings")));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(AddToolCommand(ID_HELP_DOCUMENTATION, QStringLiteral("Launch &Help / Documentation"), Glyph::Help,
                                 QStringLiteral("View Help Topics"), {QKeySequence(Qt::Key_F1)}));
  help->addSeparator();
  help->addAction(AddCommand(ID_APP_ABOUT, QStringLiteral("&About Sonavel Trackwright...")));

  // The same marker commands, opened at the mouse by a right click.
  m_contextMenu = new QMenu(this);
  m_contextMenu->addActions(markers->actions());

  // The framework's way: command states are brought up to date as a menu opens.
  for (QMenu* menu : {file, edit, tools, help, m_contextMenu}) {
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
  }
}

void MainWindow::BuildUpperToolBar() {
  m_upperToolBar = addToolBar(QStringLiteral("Standard"));
  m_upperToolBar->setObjectName(QStringLiteral("upperToolBar"));
  m_upperToolBar->setMovable(false);
  for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE}) m_upperToolBar->addAction(Action(id));
  m_upperToolBar->addSeparator();
  for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE_INSERT, ID_EDIT_PASTE_OVER, ID_EDIT_DELETE}) {
    m_upperToolBar->addAction(Action(id));
  }
  m_upperToolBar->addSeparator();
  for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO}) m_upperToolBar->addAction(Action(id));
  m_upperToolBar->addSeparator();
  m_upperToolBar->addAction(Action(ID_HELP_DOCUMENTATION));
}

void MainWindow::BuildLowerToolBar() {
  m_lowerToolBar = addToolBar(QStringLiteral("Transport"));
  m_lowerToolBar->setObjectName(QStringLiteral("lowerToolBar"));
  m_lowerToolBar->setMovable(false);

  // The clock fields are sized in the dialog units of the window's font: 76 wide.
  QFontMetrics metrics(font());
  int averageWidth =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
  const char* clockTips[kClockFields] = {"Highlight Begin", "Highlight End", "Current Position", "Highlight Length"};
  const char* clockNames[kClockFields] = {"clockBegin", "clockEnd", "clockPosition", "clockLength"};
  auto* clocks = new QWidget(m_lowerToolBar);
  clocks->setObjectName(QStringLiteral("clocks"));
  // The clocks stay together in a wide window; the project slider takes the room.
  clocks->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* clockRow = new QHBoxLayout(clocks);
  clockRow->setContentsMargins(2, 0, 4, 0);
  clockRow->setSpacing(4);
  for (int i = 0; i < kClockFields; ++i) {
    auto* clock = new QLineEdit(clocks);
    clock->setObjectName(QLatin1String(clockNames[i]));
    clock->setReadOnly(true);
    // A display only: it must not take the keyboard from the window's shortcuts.
    clock->setFocusPolicy(Qt::NoFocus);
    clock->setAlignment(Qt::AlignCenter);
    QFont bold = clock->font();
    bold.setBold(true);
    clock->setFont(bold);
    clock->setFixedWidth(76 * averageWidth / 4);
    clock->setToolTip(QLatin1String(clockTips[i]));
    m_clocks[static_cast<size_t>(i)] = clock;
    clockRow->addWidget(clock);
  }
  m_lowerToolBar->addWidget(clocks);
  m_clocks.back()->setText(QStringLiteral("00:00.000"));
  m_lowerToolBar->addSeparator();

  m_lowerToolBar->addAction(AddToolCommand(ID_TRANSPORT_PLAY, QStringLiteral("Play"), Glyph::Play,
                                           QStringLiteral("Play Audio of the Current Project")));
  m_lowerToolBar->addAction(AddToolCommand(ID_TRANSPORT_REWIND, QStringLiteral("Rewind"), Glyph::Rewind,
                                           QStringLiteral("Rewind to the Beginning of the Project"),
                                           {Ctrl(Qt::Key_Left), QKeySequence(Qt::Key_Home)}));
  m_lowerToolBar->addAction(AddToolCommand(ID_TRANSPORT_FAST_FORWARD, QStringLiteral("Fast Foward"), Glyph::FastForward,
                                           QStringLiteral("Fast Foward to the End of the Project"),
                                           {Ctrl(Qt::Key_Right), QKeySequence(Qt::Key_End)}));
  m_lowerToolBar->addAction(
      AddToolCommand(ID_TRANSPORT_STOP, QStringLiteral("Stop"), Glyph::Stop, QStringLiteral("Stop Playing Audio")));
  m_lowerToolBar->addAction(AddToolCommand(ID_TRANSPORT_RECORD, QStringLiteral("Record"), Glyph::Record,
                                           QStringLiteral("Record Audio to the Armed Track"), {Ctrl(Qt::Key_R)}));
  m_lowerToolBar->addAction(AddToolCommand(ID_TRANSPORT_MONITOR, QStringLiteral("Monitor"), Glyph::Monitor,
                                           QStringLiteral("Monitor Any Incoming Audio"),
                                           {Ctrl(Qt::Key_I), CtrlShift(Qt::Key_I)}));
  m_lowerToolBar->addSeparator();

  m_projectSlider = new QSlider(Qt::Horizontal, m_lowerToolBar);
  m_projectSlider->setObjectName(QStringLiteral("IDC_PROJECT_SLIDER"));
  m_projectSlider->setRange(0, 100);
  m_projectSlider->setPageStep(20);
  m_projectSlider->setMinimumWidth(160);
  m_projectSlider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_projectSlider->setToolTip(QStringLiteral("Project Position"));
  // Enabled with a document (UpdateCommandStates); the waveform view moves it and follows it.
  m_projectSlider->setEnabled(false);
  m_lowerToolBar->addWidget(m_projectSlider);
}

void MainWindow::BuildKeyboardCommands() {
  // Commands with a key but no menu item or button of their own.
  QList<QAction*> keys;
  keys << AddCommand(ID_TRANSPORT_PLAY_STOP, QStringLiteral("Play/Stop"), {Ctrl(Qt::Key_Space)});
  for (int track = 0; track < kTrackSelectCommands; ++track) {
    keys << AddCommand(TrackSelectCommand(track), QStringLiteral("Make Track %1 Current").arg(track + 1),
                       {Ctrl(static_cast<Qt::Key>(Qt::Key_1 + track))});
  }
  keys << AddCommand(ID_TRACK_ARM_TOGGLE, QStringLiteral("Arm Current Track"), {Ctrl(Qt::Key_A), CtrlShift(Qt::Key_A)});
  keys << AddCommand(ID_TRACK_SOLO_TOGGLE, QStringLiteral("Solo Current Track"),
                     {Ctrl(Qt::Key_L), CtrlShift(Qt::Key_L)});
  keys << AddCommand(ID_TRACK_MUTE_TOGGLE, QStringLiteral("Mute Current Track"),
                     {Ctrl(Qt::Key_M), CtrlShift(Qt::Key_M)});
  // Ctrl+Shift+= arrives as Ctrl+Shift++ (and Ctrl+Shift+- as Ctrl+Shift+_) on most
  // layouts; both forms are bound.
  keys << AddCommand(ID_VIEW_ZOOM_IN, QStringLiteral("Zoom In"),
                     {CtrlKeypad(Qt::Key_Plus), CtrlShift(Qt::Key_Equal), CtrlShift(Qt::Key_Plus)});
  keys << AddCommand(ID_VIEW_ZOOM_OUT, QStringLiteral("Zoom Out"),
                     {CtrlKeypad(Qt::Key_Minus), CtrlShift(Qt::Key_Minus), CtrlShift(Qt::Key_Underscore)});
  addActions(keys);
}

void MainWindow::BuildCentralArea() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("centralArea"));
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* board = new QFrame(central);
  board->setObjectName(QStringLiteral("mixingBoardArea"));
  board->setFrameShape(QFrame::StyledPanel);
  board->setFrameShadow(QFrame::Raised);
  board->setMinimumHeight(180);
  board->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  m_boardArea = board;
  layout->addWidget(board);
  AttachMixingBoard(board);

  auto* wave = new QFrame(central);
  wave->setObjectName(QStringLiteral("waveformArea"));
  wave->setFrameShape(QFrame::StyledPanel);
  wave->setFrameShadow(QFrame::Sunken);
  wave->setBackgroundRole(QPalette::Base);
  wave->setAutoFillBackground(true);
  m_waveArea = wave;
  layout->addWidget(wave, 1);

  central->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(central, &QWidget::customContextMenuRequested, this,
          [this, central](const QPoint& at) { m_contextMenu->popup(central->mapToGlobal(at)); });
  setCentralWidget(central);
}

void MainWindow::RefreshRecentFiles() {
  CMixerApp* app = CMixerApp::Get();
  const std::vector<std::string> none;
  const std::vector<std::string>& files = app ? app->m_recentFiles.Items() : none;
  for (int i = 0; i < kRecentFileCommands; ++i) {
    QAction* entry = Action(RecentFileCommand(i));
    bool present = static_cast<size_t>(i) < files.size();
    entry->setVisible(present);
    if (present) {
      QString path = QString::fromStdString(files[static_cast<size_t>(i)]);
      entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path.replace(QLatin1Char('&'), QLatin1String("&&"))));
    }
  }
  m_recentMenu->menuAction()->setEnabled(!files.empty());
}

void MainWindow::UpdateCommandStates() {
  for (auto& [id, action] : m_actions) action->setEnabled(IsCommandEnabled(id));
  m_projectSlider->setEnabled(IsCommandEnabled(IDC_PROJECT_SLIDER));
  RefreshRecentFiles();
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case ID_APP_EXIT: close(); break;
    case ID_APP_ABOUT: ShowAboutBox(); break;
    case ID_HELP_DOCUMENTATION: CMixerApp::LaunchHelp(); break;
    case ID_VIEW_ZOOM_IN: m_waveView->View().ZoomIn(); break;
    case ID_VIEW_ZOOM_OUT: m_waveView->View().ZoomOut(); break;
    default:
      if (CMixerApp* app = CMixerApp::Get()) app->OnCommand(id);
      UpdateCommandStates();
      break;
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  // A dropped file opens as a file named on the command line does; of several, the first.
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    event->acceptProposedAction();
    if (CMixerApp* app = CMixerApp::Get(); app && isEnabled()) app->OpenDroppedFile(url.toLocalFile().toStdString());
    UpdateCommandStates();
    return;
  }
}

void MainWindow::OnDocumentChanged(int) {
  UpdateCommandStates();
  m_waveView->View().OnDocumentChanged();
}

void MainWindow::AttachWaveformView() {
  auto* layout = new QVBoxLayout(m_waveArea);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_waveView = new WaveformWidget(m_waveArea);
  layout->addWidget(m_waveView);
  layout->addWidget(m_waveView->CreateScrollRow(m_waveArea));
  m_waveView->AttachClocks(m_clocks);
  m_waveView->AttachProjectSlider(m_projectSlider);
}

void MainWindow::ShowAboutBox() {
  AboutDialog about(DialogParent());
  if (!about.parentWidget()) KeepAbove(&about);
  about.exec();
}

void MainWindow::ShowMainWindow(bool restorePlacement) {
  std::optional<WindowPlacement> saved;
  platform::SettingsStore* store = platform::Os().settings;
  if (restorePlacement && store) {
    if (auto text = store->GetString(kPlacementSection, kPlacementEntry)) saved = ParsePlacement(*text);
  }
  if (saved) {
    setGeometry(OnAScreen(QRect(QPoint(saved->left, saved->top), QPoint(saved->right - 1, saved->bottom - 1))));
    // A window closed while minimised comes back as it was before: starting the
    // program into a minimised window would look like a failed start.
    if (saved->Maximised()) {
      showMaximized();
    } else {
      showNormal();
    }
  } else {
    resize(kFirstStartWidth, kFirstStartHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect area = geometry();
      area.moveCenter(screen->availableGeometry().center());
      move(area.topLeft());
    }
    show();
  }
  m_shown = true;
}

void MainWindow::SavePlacement() {
  platform::SettingsStore* store = platform::Os().settings;
  if (!m_shown || !store) return;
  WindowPlacement placement;
  bool maximised = isMaximized();
  placement.flags = maximised ? WindowPlacement::kRestoreToMaximised : 0;
  placement.showState = isMinimized() ? WindowPlacement::kShowMinimised
                        : maximised   ? WindowPlacement::kShowMaximised
                                      : WindowPlacement::kShowNormal;
  QRect normal = normalGeometry();
  if (normal.isEmpty()) normal = geometry();
  placement.left = normal.left();
  placement.top = normal.top();
  placement.right = normal.left() + normal.width();
  placement.bottom = normal.top() + normal.height();
  store->SetString(kPlacementSection, kPlacementEntry, FormatPlacement(placement));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  CMixerApp* app = CMixerApp::Get();
  if (app && !app->SaveModified()) {
    event->ignore();
    return;
  }
  SavePlacement();
  QMainWindow::closeEvent(event);
}

void MainWindow::EnableWindow(bool enable) {
  setEnabled(enable);
}

bool MainWindow::IsWindowEnabled() const {
  return isEnabled();
}

void MainWindow::SetDocumentTitle(const std::string& title) {
  setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromStdString(title), QLatin1String(kProgramName)));
}

}  // namespace ui
