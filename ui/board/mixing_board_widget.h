#pragma once

#include <QWidget>

class CMixingBoardMainDialog;
class CMixingBoardTrackDialog;
class QScrollArea;

namespace ui {

class EmbeddedDialog;
class StripPainter;

// The mixing board: the main strip at the left, the eight track strips to its right
// in a horizontal scroller that shows its scroll bar only while the window is
// narrower than the strips. Both strips' logic is attached while the board exists.
class MixingBoardWidget : public QWidget {
 public:
  MixingBoardWidget(CMixingBoardMainDialog& main, CMixingBoardTrackDialog& tracks, QWidget* parent = nullptr);
  ~MixingBoardWidget() override;
  MixingBoardWidget(const MixingBoardWidget&) = delete;
  MixingBoardWidget& operator=(const MixingBoardWidget&) = delete;

  EmbeddedDialog* MainStrip() const { return m_main; }
  EmbeddedDialog* TrackStrips() const { return m_tracks; }
  QScrollArea* TrackScroller() const { return m_scroller; }
  StripPainter* TrackPainter() const { return m_trackPainter; }
  // The height the board needs, scroll bar included.
  int BoardHeight() const;

 private:
  EmbeddedDialog* m_main = nullptr;
  EmbeddedDialog* m_tracks = nullptr;
  QScrollArea* m_scroller = nullptr;
  StripPainter* m_trackPainter = nullptr;
};

// Puts the board of the running application into area (the main window's board bar)
// and fits the area's height to it; null without an application object.
MixingBoardWidget* AttachMixingBoard(QWidget* area);

}  // namespace ui
