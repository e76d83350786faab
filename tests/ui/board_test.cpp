#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "core/mixer_config.h"
#include "document/mixer_doc.h"
#include "document/mixing_board.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/platform_qt/embedded_dialog.h"
#include "ui/board/mixing_board_widget.h"
#include "ui/board/strip_painter.h"
#include "ui/main_window/main_window.h"
#include "tests/support/fake_main_frame.h"
#include "tests/support/started_app.h"

namespace {

// A started application with its document, and the board on screen over its strips.
class BoardTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteFirstRunConfig(root.Path());
    system = std::make_unique<platform::ScriptedSystem>("/opt/tw", root / "config", root / "home");
    FakeMainFrame* frame = nullptr;
    app = StartApplication(frame);
    ASSERT_NE(app, nullptr);
    doc = app->m_pDocument;
    board = std::make_unique<ui::MixingBoardWidget>(app->m_boardMain, app->m_boardTracks);
    board->resize(1400, board->BoardHeight());
    board->show();
  }

  void TearDown() override {
    board.reset();
    FlushDeletes();
  }

  template <typename T>
  T* Find(int id) const {
    T* found = board->findChild<T*>(QString::fromStdString(BoardControl(id)));
    EXPECT_NE(found, nullptr) << "no control " << id;
    return found;
  }
  QSlider* Slider(int id) const { return Find<QSlider>(id); }
  QAbstractButton* Button(int id) const { return Find<QAbstractButton>(id); }
  QString LabelText(int id) const { return Find<QLabel>(id)->text(); }
  static const TrackStripIds& Strip(int track) { return kTrackStripIds[static_cast<size_t>(track)]; }

  TempFolder root;
  std::unique_ptr<platform::ScriptedSystem> system;
  std::unique_ptr<CMixerApp> app;
  CMixerDoc* doc = nullptr;
  std::unique_ptr<ui::MixingBoardWidget> board;
};

TEST_F(BoardTest, StripsShowTheStartingLevelsLocksAndCurrentTrack) {
  for (int track = 0; track < 8; ++track) {
    SCOPED_TRACE(track);
    EXPECT_EQ(Slider(Strip(track).left)->value(), kUnityLevel);
    EXPECT_EQ(Slider(Strip(track).left)->maximum(), kSilentLevel);
    EXPECT_EQ(Slider(Strip(track).left)->pageStep(), 1);
    EXPECT_EQ(LabelText(Strip(track).rightLabel), QStringLiteral("0"));
    EXPECT_TRUE(Button(Strip(track).lock)->isChecked());
    EXPECT_EQ(Button(Strip(track).view)->isChecked(), track == 0);
  }
  EXPECT_EQ(Slider(CMixingBoardMainDialog::kLeftSlider)->value(), kUnityLevel);
  EXPECT_TRUE(Button(CMixingBoardMainDialog::kLock)->isChecked());
  EXPECT_EQ(Find<QProgressBar>(CMixingBoardMainDialog::kLeftMeter)->maximum(), 100);
}

TEST_F(BoardTest, LockedStripMovesBothSlidersAndTheLevels) {
  const TrackStripIds& ids = Strip(2);
  Slider(ids.left)->setValue(25);
  EXPECT_EQ(Slider(ids.right)->value(), 25);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(2, kLevelLeft), 25);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(2, kLevelRight), 25);
  EXPECT_EQ(LabelText(ids.leftLabel), QStringLiteral("-15"));
  EXPECT_EQ(LabelText(ids.rightLabel), QStringLiteral("-15"));
  EXPECT_TRUE(doc->IsModified());
  // The slider's top is index 0, labelled +10.
  Slider(ids.right)->setValue(0);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(2, kLevelLeft), 0);
  EXPECT_EQ(LabelText(ids.leftLabel), QStringLiteral("10"));
  // Other strips stay put.
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(3, kLevelLeft), kUnityLevel);
}

TEST_F(BoardTest, UnlockedStripMovesOneSlider) {
  const TrackStripIds& ids = Strip(0);
  Button(ids.lock)->click();
  EXPECT_FALSE(app->m_boardTracks.IsLocked(0));
  EXPECT_FALSE(Button(ids.lock)->isChecked());
  Slider(ids.left)->setValue(40);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(0, kLevelLeft), 40);
  EXPECT_EQ(app->m_boardTracks.GetTrackLevel(0, kLevelRight), kUnityLevel);
  EXPECT_EQ(Slider(ids.right)->value(), kUnityLevel);
  EXPECT_EQ(LabelText(ids.leftLabel), QStringLiteral("-30"));
  EXPECT_EQ(LabelText(ids.rightLabel), QStringLiteral("0"));
}

TEST_F(BoardTest, MainStripLockTiesTheMasterSliders) {
  Slider(CMixingBoardMainDialog::kLeftSlider)->setValue(20);
  EXPECT_EQ(app->m_boardMain.MasterLevel(kLevelRight), 20);
  EXPECT_EQ(Slider(CMixingBoardMainDialog::kRightSlider)->value(), 20);
  EXPECT_EQ(LabelText(CMixingBoardMainDialog::kRightLabel), QStringLiteral("-10"));
  Button(CMixingBoardMainDialog::kLock)->click();
  EXPECT_FALSE(app->m_boardMain.IsLocked());
  Slider(CMixingBoardMainDialog::kRightSlider)->setValue(5);
  EXPECT_EQ(app->m_boardMain.MasterLevel(kLevelLeft), 20);
  EXPECT_EQ(app->m_boardMain.MasterLevel(kLevelRight), 5);
}

TEST_F(BoardTest, SoloIsExclusiveAndTheButtonsShowIt) {
  Button(Strip(1).solo)->click();
  Button(Strip(4).solo)->click();
  for (int track = 0; track < 8; ++track) {
    SCOPED_TRACE(track);
    EXPECT_EQ(doc->Track(track).m_bSolo != 0, track == 4);
    EXPECT_EQ(Button(Strip(track).solo)->isChecked(), track == 4);
  }
  Button(Strip(4).solo)->click();
  EXPECT_EQ(doc->Track(4).m_bSolo, 0);
  EXPECT_FALSE(Button(Strip(4).solo)->isChecked());
}

TEST_F(BoardTest, ArmIsExclusiveAndMuteIsNot) {
  Button(Strip(0).arm)->click();
  Button(Strip(2).arm)->click();
  EXPECT_EQ(doc->Track(0).m_bArmed, 0);
  EXPECT_FALSE(Button(Strip(0).arm)->isChecked());
  EXPECT_NE(doc->Track(2).m_bArmed, 0);
  EXPECT_TRUE(Button(Strip(2).arm)->isChecked());

  Button(Strip(1).mute)->click();
  Button(Strip(6).mute)->click();
  EXPECT_NE(doc->Track(1).m_bMuted, 0);
  EXPECT_NE(doc->Track(6).m_bMuted, 0);
  EXPECT_TRUE(Button(Strip(1).mute)->isChecked() && Button(Strip(6).mute)->isChecked());
}

TEST_F(BoardTest, ViewMakesTheTrackCurrentLikeARadioGroup) {
  Button(Strip(3).view)->click();
  EXPECT_EQ(doc->m_nCurrentTrack, 3);
  for (int track = 0; track < 8; ++track) EXPECT_EQ(Button(Strip(track).view)->isChecked(), track == 3) << track;
  // Clicking the current track's View keeps it checked.
  Button(Strip(3).view)->click();
  EXPECT_EQ(doc->m_nCurrentTrack, 3);
  EXPECT_TRUE(Button(Strip(3).view)->isChecked());
}

TEST_F(BoardTest, NameFieldsReachTheStripsOnLeaving) {
  auto* name = Find<QLineEdit>(Strip(5).name);
  name->setText(QStringLiteral("Bass"));
  emit name->editingFinished();
  EXPECT_EQ(app->m_boardTracks.GetTrackName(6), "Bass");
  app->m_boardTracks.SetTrackName(1, "Drums");
  EXPECT_EQ(Find<QLineEdit>(Strip(0).name)->text(), QStringLiteral("Drums"));
}

TEST_F(BoardTest, MetersAndDescriptionFollowTheMainStrip) {
  app->m_boardMain.SetMeters(40, 75);
  EXPECT_EQ(Find<QProgressBar>(CMixingBoardMainDialog::kLeftMeter)->value(), 40);
  EXPECT_EQ(Find<QProgressBar>(CMixingBoardMainDialog::kRightMeter)->value(), 75);
  app->m_boardMain.SetMeters(0, 0);
  EXPECT_EQ(Find<QProgressBar>(CMixingBoardMainDialog::kRightMeter)->value(), 0);
  app->m_boardMain.SetProjectDescription("Live take");
  EXPECT_EQ(Find<QPlainTextEdit>(CMixingBoardMainDialog::kDescription)->toPlainText(), QStringLiteral("Live take"));
}

TEST_F(BoardTest, StripsKeepTheirStateWhileTheBoardIsGone) {
  board.reset();
  EXPECT_FALSE(app->m_boardTracks.HasWindow());
  EXPECT_FALSE(app->m_boardMain.HasWindow());
  app->m_boardTracks.SetTrackLevel(7, 33, kLevelBoth);
  app->m_boardMain.SetMeters(50, 50);  // harmless without a window
  board = std::make_unique<ui::MixingBoardWidget>(app->m_boardMain, app->m_boardTracks);
  EXPECT_TRUE(app->m_boardTracks.HasWindow());
  EXPECT_EQ(Slider(Strip(7).right)->value(), 33);
  EXPECT_EQ(LabelText(Strip(7).rightLabel), QStringLiteral("-23"));
}

TEST_F(BoardTest, ScrollBarShowsOnlyWhenNarrowerThanTheStrips) {
  QScrollArea* scroller = board->TrackScroller();
  QApplication::processEvents();
  EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
  board->resize(600, board->BoardHeight());
  QApplication::processEvents();
  QScrollBar* bar = scroller->horizontalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->singleStep(), 2);
  EXPECT_EQ(bar->pageStep(), 110 + ui::kStripGap);
  // The scroll bar does not cover the strips.
  EXPECT_GE(scroller->viewport()->height(), board->TrackStrips()->minimumSizeHint().height());
}

TEST(StripRects, StripsStandSideBySideAtTheGap) {
  const QVector<QRect> rects = ui::StripRects(QRect(6, 6, 110, 140), 3);
  ASSERT_EQ(rects.size(), 3);
  EXPECT_EQ(rects[1], QRect(122, 6, 110, 140));
  EXPECT_EQ(rects[2].left() - rects[1].right() - 1, ui::kStripGap);
}

TEST_F(BoardTest, StripsArePaintedAsRoundedRectanglesBehindTheControls) {
  QWidget* strips = board->TrackStrips()->Layout();
  const QVector<QRect> rects = board->TrackPainter()->Strips();
  ASSERT_EQ(rects.size(), 8);
  EXPECT_EQ(rects[0].width(), 110);
  const QImage image = strips->grab().toImage();
  const ui::StripPainter::Colours colours;
  auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
  const QRect first = rects[0];
  // Inside the strip, clear of its controls.
  EXPECT_EQ(at(first.left() + 3, first.center().y()), colours.fill);
  // In the gap between two strips, and in a rounded-off corner.
  EXPECT_EQ(at(first.right() + 3, first.center().y()), colours.background);
  EXPECT_EQ(at(first.left() + 1, first.top() + 1), colours.background);
}

TEST(BoardInMainWindow, FitsTheBoardAreaAtFirstStart) {
  TempFolder root;
  std::filesystem::create_directories(root / "config");
  std::filesystem::create_directories(root / "audio");
  platform::ScriptedSystem system("/opt/tw", root / "config", root / "home");
  auto bytes = MixerConfig::FirstRunDefaults(root / "audio", 0, false).Encode();
  std::ofstream(root / "config/mixer.cfg", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  auto app = std::make_unique<CMixerApp>();
  ASSERT_TRUE(app->InitInstance({"", [] { return std::make_unique<ui::MainWindow>(); }}));
  auto* window = dynamic_cast<ui::MainWindow*>(app->MainFrame());
  ASSERT_NE(window, nullptr);
  window->resize(ui::MainWindow::kFirstStartWidth, ui::MainWindow::kFirstStartHeight);
  window->show();
  QApplication::processEvents();
  auto* board = window->MixingBoardArea()->findChild<ui::MixingBoardWidget*>();
  ASSERT_NE(board, nullptr);
  EXPECT_TRUE(app->m_boardTracks.HasWindow());
  EXPECT_GE(window->MixingBoardArea()->contentsRect().height(), board->BoardHeight());
  EXPECT_TRUE(board->TrackScroller()->horizontalScrollBar()->isVisible());
  EXPECT_GT(window->WaveformArea()->height(), 200);
  const int mainWidth = board->MainStrip()->width();

  // Maximised on a wide screen: every strip shows, and the main strip keeps its width.
  window->resize(1920, 1040);
  QApplication::processEvents();
  EXPECT_FALSE(board->TrackScroller()->horizontalScrollBar()->isVisible());
  EXPECT_EQ(board->MainStrip()->width(), mainWidth);
  window->hide();
  app.reset();
  FlushDeletes();
}

}  // namespace
