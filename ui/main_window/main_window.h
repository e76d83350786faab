#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "core/main_frame.h"

class CMixerApp;
class QAction;
class QLineEdit;
class QMenu;
class QSlider;
class QToolBar;

namespace ui {

enum class Glyph;
class PlaybackViewAdapter;
class WaveformWidget;

// The main window: the menu bar, the upper (file and edit) and lower (clocks,
// transport, project position) toolbars, the mixing board's bar and the waveform
// view. Every command is a QAction found by its command id; which of them are
// enabled is decided in one place (IsCommandEnabled) and applied by
// UpdateCommandStates.
class MainWindow : public QMainWindow, public CMainFrame {
  Q_OBJECT

 public:
  static constexpr int kFirstStartWidth = 1032;
  static constexpr int kFirstStartHeight = 600;
  static constexpr int kClockFields = 4;

  MainWindow();
  ~MainWindow() override;

  void ShowMainWindow(bool restorePlacement) override;
  void EnableWindow(bool enable) override;
  bool IsWindowEnabled() const override;
  void SetDocumentTitle(const std::string& title) override;
  void UpdateCommandStates() override;
  void OnDocumentChanged(int track) override;

  // The action of a command id; null for an id the window does not have.
  QAction* Action(int id) const;
  const std::map<int, QAction*>& Actions() const { return m_actions; }
  // The marker commands, opened by a right click on the window.
  QMenu* ContextMenu() const { return m_contextMenu; }
  QMenu* RecentFileMenu() const { return m_recentMenu; }
  QToolBar* UpperToolBar() const { return m_upperToolBar; }
  QToolBar* LowerToolBar() const { return m_lowerToolBar; }
  // The clocks of the lower toolbar, left to right: highlight begin, highlight end,
  // current position, highlight length.
  QLineEdit* ClockField(int index) const { return m_clocks.at(static_cast<size_t>(index)); }
  QSlider* ProjectSlider() const { return m_projectSlider; }
  // Where the mixing board and the waveform view go.
  QWidget* MixingBoardArea() const { return m_boardArea; }
  QWidget* WaveformArea() const { return m_waveArea; }
  WaveformWidget* WaveformView() const { return m_waveView; }

  // Writes the window's placement to the settings store.
  void SavePlacement();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QAction* AddCommand(int id, const QString& text, const QList<QKeySequence>& keys = {});
  QAction* AddToolCommand(int id, const QString& text, Glyph glyph, const QString& tip,
                          const QList<QKeySequence>& keys = {});
  void BuildMenus();
  void BuildUpperToolBar();
  void BuildLowerToolBar();
  void BuildKeyboardCommands();
  void BuildCentralArea();
  void RefreshRecentFiles();
  // Puts the waveform view into its area and gives it the clocks and the project slider.
  void AttachWaveformView();
  // The mixing board's meters follow the input while the recording engine monitors.
  void FollowInputOnBoard(CMixerApp& app);
  void OnCommand(int id);
  void ShowAboutBox();

  std::map<int, QAction*> m_actions;
  QMenu* m_recentMenu = nullptr;
  QMenu* m_contextMenu = nullptr;
  QToolBar* m_upperToolBar = nullptr;
  QToolBar* m_lowerToolBar = nullptr;
  std::array<QLineEdit*, kClockFields> m_clocks{};
  QSlider* m_projectSlider = nullptr;
  QWidget* m_boardArea = nullptr;
  QWidget* m_waveArea = nullptr;
  WaveformWidget* m_waveView = nullptr;
  std::unique_ptr<PlaybackViewAdapter> m_playbackView;
  bool m_shown = false;
};

}  // namespace ui
