// The Qt canvas against the recording one, and the waveform view in the main window.

#include "ui/waveform/waveform_widget.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QWheelEvent>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/command_ids.h"
#include "app/settings/app_settings_dialog.h"
#include "app/mixer_app.h"
#include "core/time_format.h"
#include "document/mixer_doc.h"
#include "document/mixing_board.h"
#include "platform/recording_canvas.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window/main_window.h"
#include "ui/waveform/qt_canvas.h"
#include "ui/waveform/zoom_button.h"

namespace {

using platform::Point;
using platform::Rect;
using platform::Rgb;

Rgb PixelAt(const QImage& image, int x, int y) {
  QRgb pixel = image.pixel(x, y);
  return {static_cast<uint8_t>(qRed(pixel)), static_cast<uint8_t>(qGreen(pixel)), static_cast<uint8_t>(qBlue(pixel))};
}

TEST(QtCanvas, ShapesCoverTheirPixelsExactly) {
  ui::QtCanvas canvas(40, 20, {180, 180, 180});
  canvas.SelectPen({{0, 0, 0}, 1, platform::PenStyle::Solid});
  canvas.SelectBrush({{0, 128, 255}});
  canvas.Rectangle({2, 2, 6, 6});  // pixels 2 to 5, outlined in the pen
  const QImage& image = canvas.Image();
  EXPECT_EQ(PixelAt(image, 2, 2), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(image, 5, 5), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(image, 3, 3), (Rgb{0, 128, 255}));
  EXPECT_EQ(PixelAt(image, 6, 6), (Rgb{180, 180, 180}));

  const Point triangle[] = {{10, 2}, {30, 2}, {10, 18}};
  canvas.Polygon(triangle);
  EXPECT_EQ(PixelAt(canvas.Image(), 13, 5), (Rgb{0, 128, 255}));
  EXPECT_EQ(PixelAt(canvas.Image(), 10, 10), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(canvas.Image(), 28, 16), (Rgb{180, 180, 180}));

  canvas.SelectPen({{100, 100, 100}, 1, platform::PenStyle::Dotted});
  canvas.Line({0, 19}, {39, 19});
  int dotted = 0;
  for (int x = 0; x < 40; ++x) dotted += PixelAt(canvas.Image(), x, 19) == Rgb{100, 100, 100};
  EXPECT_EQ(dotted, 20);  // every other pixel
}

// Whether the point lies inside the polygon, by the even-odd count of crossings.
bool Inside(const std::vector<Point>& polygon, double x, double y) {
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point a = polygon[i], b = polygon[j];
    if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y)) inside = !inside;
  }
  return inside;
}

TEST(QtCanvas, PolygonsFillEveryPixelWhoseCentreLiesInside) {
  // Jagged envelopes, as a waveform draws them, reaching beyond the canvas.
  std::srand(7);
  for (int trial = 0; trial < 5; ++trial) {
    std::vector<Point> envelope;
    for (int x = -3; x < 123; ++x) envelope.push_back({x, 40 - std::rand() % 45});
    for (int x = 122; x >= -3; --x) envelope.push_back({x, 40 + std::rand() % 45});
    ui::QtCanvas canvas(120, 80, {255, 255, 255});
    canvas.SelectBrush({{0, 0, 255}});
    canvas.SelectPen({{255, 0, 0}, 1, platform::PenStyle::Solid});
    canvas.Polygon(envelope);
    int filled = 0, wrong = 0;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 120; ++x) {
        const Rgb pixel = PixelAt(canvas.Image(), x, y);
        if (pixel == Rgb{255, 0, 0}) continue;  // the outline
        const bool inside = Inside(envelope, x + 0.5, y + 0.5);
        wrong += pixel != (inside ? Rgb{0, 0, 255} : Rgb{255, 255, 255});
        filled += inside;
      }
    }
    EXPECT_EQ(wrong, 0) << "trial " << trial;
    EXPECT_GT(filled, 1000);
  }
}

TEST(QtCanvas, InversionsAgreeWithTheRecordingCanvas) {
  ui::QtCanvas canvas(50, 10, {180, 180, 180});
  platform::RecordingCanvas recording(50, 10);
  for (const Rect& strip : {Rect{5, 0, 30, 10}, Rect{20, 0, 40, 10}, Rect{-5, 0, 3, 10}, Rect{45, 0, 60, 10}}) {
    canvas.InvertRect(strip);
    recording.InvertRect(strip);
  }
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < 50; ++x) {
    bool inverted = PixelAt(canvas.Image(), x, 5) == Rgb{75, 75, 75};
    EXPECT_EQ(PixelAt(canvas.Image(), x, 0), PixelAt(canvas.Image(), x, 9));
    if (!inverted) continue;
    if (!runs.empty() && runs.back().second == x) {
      runs.back().second = x + 1;
    } else {
      runs.emplace_back(x, x + 1);
    }
  }
  EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 3}, {5, 20}, {30, 40}, {45, 50}}));
  EXPECT_EQ(recording.InvertedRuns(), runs);
}

TEST(QtCanvas, CopiesPartsOfAnotherImageOnly) {
  ui::QtCanvas source(10, 10, {1, 2, 3});
  ui::QtCanvas target(30, 10, {200, 200, 200});
  EXPECT_TRUE(target.CopyFrom(source, {2, 0, 5, 10}, {20, 0}));
  EXPECT_EQ(PixelAt(target.Image(), 20, 4), (Rgb{1, 2, 3}));
  EXPECT_EQ(PixelAt(target.Image(), 22, 4), (Rgb{1, 2, 3}));
  EXPECT_EQ(PixelAt(target.Image(), 23, 4), (Rgb{200, 200, 200}));
  platform::RecordingCanvas other(10, 10);
  EXPECT_FALSE(target.CopyFrom(other, {0, 0, 10, 10}, {0, 0}));
  EXPECT_EQ(ui::QtCanvas::Bitmap(platform::BitmapId::LeftChannel).size(), QSize(7, 59));
  EXPECT_EQ(ui::QtCanvas::Bitmap(platform::BitmapId::RightChannel).size(), QSize(7, 66));
}

// The program's window with a document, its first track holding a tone.
class WaveformWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(root / "audio");
    system = std::make_unique<platform::ScriptedSystem>(root / "bin", root / "config", root / "home");
    auto bytes = MixerConfig::FirstRunDefaults(root / "audio", 0, false).Encode();
    WriteFileBytes(root / "config/mixer.cfg", std::string(bytes.begin(), bytes.end()));
    app = std::make_unique<CMixerApp>();
    ASSERT_TRUE(app->InitInstance({"", [this] {
                                     auto made = std::make_unique<ui::MainWindow>();
                                     window = made.get();
                                     return made;
                                   }}));
    doc = app->m_pDocument;
    LoadTone(176400 * 2);
    window->resize(1300, 900);
    wave = window->WaveformView();
    ASSERT_NE(wave, nullptr);
    // A waveform area of 1000 x 400 pixels.
    wave->setFixedSize(1070, 413);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    wave->repaint();
  }
  void TearDown() override {
    app.reset();
    FlushDeletes();
  }

  // A half-scale square wave of 441 Hz in both channels, written in pieces.
  void LoadTone(uint32_t bytes) {
    doc->PrepTracksForOp();
    std::FILE* out = std::fopen(app->m_tempA.szPath.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::vector<uint8_t> piece;
    for (uint32_t frame = 0; frame < bytes / 4; ++frame) {
      const int16_t sample = (frame / 50) % 2 ? -16384 : 16384;
      for (int i = 0; i < 2; ++i) {
        piece.push_back(static_cast<uint8_t>(sample & 0xFF));
        piece.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
      }
      if (piece.size() >= 16384) {
        std::fwrite(piece.data(), 1, piece.size(), out);
        piece.clear();
      }
    }
    std::fwrite(piece.data(), 1, piece.size(), out);
    std::fclose(out);
    app->m_tempA.nSize = bytes;
    doc->AlignTrackToDoc(0);
    doc->Track(0).m_pos.m_nLength = bytes;
    ASSERT_EQ(doc->DocFinalize(kKindInsertion, 0, &app->m_tempA, 0, bytes), 1);
    doc->PostTracksForOp();
  }

  void Wheel(QPoint angle, Qt::KeyboardModifiers modifiers) {
    const QPointF at(35 + 300, 40);
    QWheelEvent event(at, wave->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(wave, &event);
  }
  // Lets ms of the manual clock pass in steps of 10 ms: the virtual output plays, the
  // due timers fire and the window paints.
  void Run(uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 10) {
      system->clock.Advance(10);
      system->wave.Pump();
      while (system->timers.DispatchOne()) {
      }
      QApplication::processEvents();
    }
  }
  // Zooms in with the zoom-in button: a half second (88,200 bytes) of the two seconds
  // in view after two presses with the cursor at the start.
  void ZoomInTwice() {
    for (int i = 0; i < 2; ++i) {
      QTest::mousePress(wave->ZoomButtonAt(0), Qt::LeftButton);
      QTest::mouseRelease(wave->ZoomButtonAt(0), Qt::LeftButton);
    }
    ASSERT_EQ(doc->m_mirror.m_nViewWidth, 88200u);
    wave->repaint();
  }

  void Mouse(QEvent::Type type, int x, Qt::MouseButtons held) {
    const QPointF at(x, 40);
    QMouseEvent event(type, at, wave->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(wave, &event);
  }

  TempFolder root;
  std::unique_ptr<platform::ScriptedSystem> system;
  std::unique_ptr<CMixerApp> app;
  ui::MainWindow* window = nullptr;
  ui::WaveformWidget* wave = nullptr;
  CMixerDoc* doc = nullptr;
};

TEST_F(WaveformWindowTest, TheTrackIsDrawnInItsColoursBetweenThePanels) {
  const QImage& image = wave->WindowImage();
  ASSERT_EQ(image.size(), wave->size());
  const int height = wave->height() - 13;
  const int quarter = height / 4;
  // Half scale reaches half a quarter above and below each zero line.
  EXPECT_EQ(PixelAt(image, 35 + 100, quarter - quarter / 4), (Rgb{0, 128, 255}));
  EXPECT_EQ(PixelAt(image, 35 + 100, 3 * quarter + quarter / 4), (Rgb{0, 128, 255}));
  EXPECT_EQ(PixelAt(image, 35 + 100, quarter - 3 * quarter / 4), (Rgb{180, 180, 180}));
  EXPECT_EQ(PixelAt(image, 10, 2 * quarter + 40), (Rgb{220, 220, 220}));  // the scale panel
  EXPECT_EQ(PixelAt(image, 35 + 100, height), (Rgb{0, 0, 0}));            // the strip's top line

  for (int i = 0; i < 3; ++i) {
    ui::ZoomButton* button = wave->ZoomButtonAt(i);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(wave->width() - 24, height - 24 * (3 - i), 24, 24));
    EXPECT_TRUE(button->isVisible());
  }
}

TEST_F(WaveformWindowTest, ADragHighlightsEnablesCutAndSetsTheClocks) {
  EXPECT_FALSE(window->Action(ID_EDIT_CUT)->isEnabled());
  Mouse(QEvent::MouseButtonPress, 35 + 250, Qt::LeftButton);
  for (int x = 35 + 250; x <= 35 + 500; x += 20) Mouse(QEvent::MouseMove, x, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 35 + 500, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, 35 + 500, Qt::NoButton);

  EXPECT_TRUE(doc->m_mirror.HasHighlight());
  EXPECT_TRUE(window->Action(ID_EDIT_CUT)->isEnabled());
  EXPECT_TRUE(window->Action(ID_EDIT_COPY)->isEnabled());
  EXPECT_EQ(window->ClockField(0)->text(), QStringLiteral("00:00.500"));
  EXPECT_EQ(window->ClockField(1)->text(), QStringLiteral("00:01.000"));
  EXPECT_EQ(window->ClockField(2)->text(), QStringLiteral("00:00.500"));
  EXPECT_EQ(window->ProjectSlider()->value(), 25);
  // The highlighted columns show inverted: the waveform area's grey turns dark.
  wave->repaint();
  EXPECT_EQ(PixelAt(wave->WindowImage(), 35 + 333, 2), (Rgb{75, 75, 75}));
  EXPECT_EQ(PixelAt(wave->WindowImage(), 35 + 700, 2), (Rgb{180, 180, 180}));
}

TEST_F(WaveformWindowTest, ZoomButtonsKeysAndTheSliderMoveTheView) {
  QTest::mousePress(wave->ZoomButtonAt(0), Qt::LeftButton);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 176400u);  // around the cursor at the start
  QTest::mouseRelease(wave->ZoomButtonAt(0), Qt::LeftButton);
  window->Action(ID_VIEW_ZOOM_OUT)->trigger();
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 220500u);
  QTest::mouseDClick(wave->ZoomButtonAt(2), Qt::LeftButton);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 352800u);
  EXPECT_TRUE(window->Action(ID_VIEW_ZOOM_IN)->isEnabled());

  ASSERT_TRUE(window->ProjectSlider()->isEnabled());
  window->ProjectSlider()->setValue(50);
  EXPECT_EQ(doc->m_nCurrentPos, 176400u);
  EXPECT_EQ(window->ClockField(2)->text(), QStringLiteral("00:01.000"));
}

// What a person does in the window, through keys, menus, the board and the settings:
// select with the mouse, cut, paste, undo, set a marker, change the track, arm, solo
// and mute it, and give the first track other colours.
TEST_F(WaveformWindowTest, AnEditingSessionThroughKeysMenusBoardAndSettings) {
  const uint32_t length = doc->Track(0).m_pos.m_nLength;
  Mouse(QEvent::MouseButtonPress, 35 + 250, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 35 + 500, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, 35 + 500, Qt::NoButton);
  const uint32_t highlighted = doc->m_mirror.m_nHighlightSpan;
  ASSERT_GT(highlighted, 0u);

  QTest::keyClick(window, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, length - highlighted);
  QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, length);
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, length - highlighted);

  for (QAction* item : window->ContextMenu()->actions()) {
    if (item->text() == QStringLiteral("Set &Begin Marker")) item->trigger();
  }
  EXPECT_NE(doc->m_mirror.m_nMarkerBegin, kMarkerNotSet);

  QTest::keyClick(window, Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(doc->m_nCurrentTrack, 1);
  QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(doc->Track(1).m_bArmed && doc->Track(1).m_bSolo && doc->Track(1).m_bMuted);
  EXPECT_FALSE(doc->Track(0).m_bArmed || doc->Track(0).m_bSolo || doc->Track(0).m_bMuted);

  // Back on the first track, its waveform body turns red once the settings say so.
  QTest::keyClick(window, Qt::Key_1, Qt::ControlModifier);
  system->dialogs.OnShow("app_settings_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& s) {
    platform::MemoryControl* tabs = s.Control(IDC_SETTINGS_TABS);
    for (int page = 0; page < CAppSettingsDialog::kPages; ++page) tabs->AddString("page");
    tabs->SetCurSel(1);
    logic.OnSelChange(IDC_SETTINGS_TABS);
    system->dialogs.pages["color_settings_page"]->Control(IDC_BODY_COLOR)->SetCurSel(1);
    app->m_appSettingsDialog.m_colorSettings.OnSelChange(IDC_BODY_COLOR);
    logic.OnOK();
  });
  window->Action(ID_SETTINGS_APPLICATION)->trigger();
  wave->repaint();
  const int quarter = (wave->height() - 13) / 4;
  EXPECT_EQ(PixelAt(wave->WindowImage(), 35 + 900, quarter - quarter / 4), (Rgb{225, 15, 15}));
}

// A zoomed-in view moves as in every editor: its scroll bar under the waveform, Shift
// and the wheel, a horizontal wheel; the plain wheel still zooms.
TEST_F(WaveformWindowTest, AZoomedViewScrollsWithItsBarAndTheShiftWheel) {
  QScrollBar* bar = wave->ScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  // Under the waveform area, as wide as it.
  const QPoint waveAt = wave->mapToGlobal(QPoint(0, 0));
  const QPoint barAt = bar->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(barAt.x(), waveAt.x() + 35);
  EXPECT_EQ(bar->width(), wave->width() - 70);
  EXPECT_GE(barAt.y(), waveAt.y() + wave->height());
  // The whole track in view: nothing to scroll.
  EXPECT_FALSE(bar->isEnabled());

  ZoomInTwice();
  const QImage before = wave->WindowImage().copy();
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_EQ(bar->maximum(), (352800 - 88200) / 4);
  EXPECT_EQ(bar->pageStep(), 88200 / 4);
  EXPECT_EQ(bar->value(), 0);

  // A click in the bar's groove beyond its handle moves the view on.
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 30, bar->height() / 2));
  EXPECT_GT(doc->m_mirror.m_nViewStart, 0u);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 88200u);
  EXPECT_EQ(bar->value(), static_cast<int>(doc->m_mirror.m_nViewStart / 4));
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 0u);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 88200u);
  wave->repaint();
  EXPECT_NE(wave->WindowImage(), before);  // the waveform is drawn anew at its new place

  // Shift and the wheel down: later by an eighth of the view; up: back.
  Wheel(QPoint(0, -120), Qt::ShiftModifier);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 88200u + 8 * 1376u);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 88200u);
  EXPECT_EQ(bar->value(), static_cast<int>(doc->m_mirror.m_nViewStart / 4));
  Wheel(QPoint(0, 120), Qt::ShiftModifier);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 88200u);
  // A horizontal wheel (or a sideways swipe) scrolls without Shift.
  Wheel(QPoint(120, 0), Qt::NoModifier);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 88200u - 8 * 1376u);
  // The plain wheel zooms.
  Wheel(QPoint(0, -120), Qt::NoModifier);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 132300u);
}

TEST_F(WaveformWindowTest, ADragHeldPastTheEdgeScrollsTheViewAndExtendsTheHighlight) {
  ZoomInTwice();
  Mouse(QEvent::MouseButtonPress, 35 + 500, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 35 + 800, Qt::LeftButton);
  Mouse(QEvent::MouseMove, wave->width() + 20, Qt::LeftButton);  // beyond the right edge
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, 88200u);
  Run(400);
  EXPECT_GT(doc->m_mirror.m_nViewStart, 0u);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 88200u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightBegin, 44100u);
  EXPECT_EQ(doc->m_mirror.m_nHighlightEnd, doc->m_mirror.m_nViewEnd);
  EXPECT_EQ(wave->ScrollBar()->value(), static_cast<int>(doc->m_mirror.m_nViewStart / 4));
  Mouse(QEvent::MouseButtonRelease, wave->width() + 20, Qt::NoButton);
  const uint32_t start = doc->m_mirror.m_nViewStart;
  Run(400);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, start);  // released: the view rests
  // The highlight shows inverted up to the right edge.
  wave->repaint();
  EXPECT_EQ(PixelAt(wave->WindowImage(), 35 + 990, 2), (Rgb{75, 75, 75}));
  EXPECT_EQ(window->ClockField(1)->text().toStdString(), [&] {
    std::string text;
    FormatPosition(doc->m_mirror.m_nHighlightEnd, kBytesPerSecond, text, 120, kDisplayTime);
    return text;
  }());
}

// Rewind, Fast Forward and their Home and End keys, and the project slider, bring the
// position into a zoomed view.
TEST_F(WaveformWindowTest, ThePositionCommandsBringThePositionIntoView) {
  ZoomInTwice();
  QTest::keyClick(window, Qt::Key_End);
  EXPECT_EQ(doc->m_nCurrentPos, 352800u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 352800u);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 88200u);
  EXPECT_EQ(window->ProjectSlider()->value(), 100);
  QTest::keyClick(window, Qt::Key_Home);
  EXPECT_EQ(doc->m_nCurrentPos, 0u);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 0u);
  QTest::keyClick(window, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 352800u);
  window->Action(ID_TRANSPORT_REWIND)->trigger();
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 0u);
  window->ProjectSlider()->setValue(50);
  EXPECT_EQ(doc->m_nCurrentPos, 176400u);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 176400u - 44100u);
  EXPECT_EQ(wave->ScrollBar()->value(), static_cast<int>((176400 - 44100) / 4));
}

// The slider follows playback with the clock, and after Stop both show the position
// the project stands at again.
TEST_F(WaveformWindowTest, TheSliderAndTheClockAgreeThroughPlaybackAndAfterStop) {
  ZoomInTwice();
  QSlider* slider = window->ProjectSlider();
  slider->setValue(33);
  ASSERT_EQ(doc->m_nCurrentPos, 116424u);
  EXPECT_EQ(window->ClockField(2)->text(), QStringLiteral("00:00.660"));
  const uint32_t viewStart = doc->m_mirror.m_nViewStart;
  EXPECT_LE(viewStart, 116424u);

  window->Action(ID_TRANSPORT_PLAY)->trigger();
  ASSERT_TRUE(app->m_bPlaying);
  EXPECT_FALSE(slider->isEnabled());  // it shows the play position; it cannot seek
  Run(600);
  const QString playing = window->ClockField(2)->text();
  EXPECT_NE(playing, QStringLiteral("00:00.660"));
  EXPECT_GT(slider->value(), 33);
  EXPECT_LE(slider->value(), 70);
  // The slider stands at the clock's share of the project.
  const long bytes = std::lround(playing.mid(3).toDouble() * 176400);
  EXPECT_EQ(slider->value(), static_cast<int>(bytes * 100 / 352800));
  // The play line left the view and turned the page.
  EXPECT_GT(doc->m_mirror.m_nViewStart, viewStart);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, 88200u);

  window->Action(ID_TRANSPORT_STOP)->trigger();
  EXPECT_FALSE(app->m_bPlaying);
  Run(200);
  EXPECT_EQ(doc->m_nCurrentPos, 116424u);
  EXPECT_EQ(window->ClockField(2)->text(), QStringLiteral("00:00.660"));
  EXPECT_EQ(slider->value(), 33);
  EXPECT_TRUE(slider->isEnabled());
}

// A paste that makes a fully shown track longer shows all of it, its end included.
TEST_F(WaveformWindowTest, ATrackThatGrowsStaysInViewToItsEnd) {
  Mouse(QEvent::MouseButtonPress, 35 + 250, Qt::LeftButton);
  Mouse(QEvent::MouseMove, 35 + 500, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, 35 + 500, Qt::NoButton);
  const uint32_t highlighted = doc->m_mirror.m_nHighlightSpan;
  QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(doc->m_mirror.m_nLength, 352800u + highlighted);
  EXPECT_EQ(doc->m_mirror.m_nViewStart, 0u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, doc->m_mirror.m_nLength);
  wave->repaint();
  EXPECT_FALSE(wave->ScrollBar()->isEnabled());
  // Zoomed in at the end, an undo that shortens the track keeps the view inside it.
  Mouse(QEvent::MouseButtonPress, 35 + 1000, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, 35 + 1000, Qt::NoButton);
  for (int i = 0; i < 2; ++i) {
    QTest::mousePress(wave->ZoomButtonAt(0), Qt::LeftButton);
    QTest::mouseRelease(wave->ZoomButtonAt(0), Qt::LeftButton);
  }
  const uint32_t width = doc->m_mirror.m_nViewWidth;
  ASSERT_LT(width, doc->m_mirror.m_nLength / 2);
  ASSERT_EQ(doc->m_mirror.m_nViewEnd, doc->m_mirror.m_nLength);
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc->m_mirror.m_nLength, 352800u);
  EXPECT_EQ(doc->m_mirror.m_nViewEnd, 352800u);
  EXPECT_EQ(doc->m_mirror.m_nViewWidth, width);
  wave->repaint();
  EXPECT_EQ(wave->ScrollBar()->value(), wave->ScrollBar()->maximum());
}

}  // namespace

namespace {

TEST_F(WaveformWindowTest, TheBoardsMetersFollowTheInputWhileMonitorInputIsOpen) {
  ASSERT_FALSE(system->wave.Inputs().empty());
  platform::VirtualWaveIn& input = *system->wave.Inputs().front();
  // Full scale on both sides.
  input.SetSource([](char* out, uint32_t bytes) {
    for (uint32_t at = 0; at + 4 <= bytes; at += 4) {
      out[at] = out[at + 2] = static_cast<char>(0xFF);
      out[at + 1] = out[at + 3] = static_cast<char>(0x7F);
    }
  });
  auto meter = [this](int id) {
    auto* bar = window->findChild<QProgressBar*>(QString::fromStdString(BoardControl(id)));
    EXPECT_NE(bar, nullptr);
    return bar ? bar->value() : -1;
  };
  std::vector<int> whileOpen;
  system->dialogs.OnShow("monitor_input_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    EXPECT_TRUE(system->timers.IsActive(&wave->View(), CMixerView::kPlayTimer));
    Run(200);
    whileOpen = {meter(CMixingBoardMainDialog::kLeftMeter), meter(CMixingBoardMainDialog::kRightMeter)};
    logic.OnCancel();
  });
  window->Action(ID_TRANSPORT_MONITOR)->trigger();
  EXPECT_EQ(whileOpen, (std::vector<int>{100, 100}));
  // Monitoring is over: the view's timer stops and the meters drop.
  Run(80);
  EXPECT_FALSE(system->timers.IsActive(&wave->View(), CMixerView::kPlayTimer));
  EXPECT_EQ(meter(CMixingBoardMainDialog::kLeftMeter), 0);
  EXPECT_EQ(meter(CMixingBoardMainDialog::kRightMeter), 0);
}

}  // namespace
