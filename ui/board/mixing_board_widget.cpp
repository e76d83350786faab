#include "ui/board/mixing_board_widget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>

#include "app/mixer_app.h"
#include "document/mixing_board.h"
#include "ui/platform_qt/embedded_dialog.h"
#include "ui/board/strip_painter.h"

namespace ui {

namespace {

constexpr int kLineStep = 2;

// The dialog background of both strips.
void PaintBackground(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, QColor(250, 250, 250));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// The track scroller: a line step moves 2 pixels, a page step one strip width.
class StripScroller : public QScrollArea {
 public:
  StripScroller(int pageStep, QWidget* parent) : QScrollArea(parent), m_pageStep(pageStep) { Steps(); }

 protected:
  bool event(QEvent* event) override {
    const bool handled = QScrollArea::event(event);
    // The scroll area sets its own page step whenever it lays out the strips.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) Steps();
    return handled;
  }
  void resizeEvent(QResizeEvent* event) override {
    QScrollArea::resizeEvent(event);
    Steps();
  }

 private:
  void Steps() {
    horizontalScrollBar()->setSingleStep(kLineStep);
    if (m_pageStep > 0) horizontalScrollBar()->setPageStep(m_pageStep);
  }
  int m_pageStep;
};

}  // namespace

MixingBoardWidget::MixingBoardWidget(CMixingBoardMainDialog& main, CMixingBoardTrackDialog& tracks, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("mixingBoard"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);

  m_main = new EmbeddedDialog(main, this);
  PaintBackground(m_main);
  if (QWidget* layout = m_main->Layout()) {
    if (QWidget* strip = layout->findChild<QWidget*>(QStringLiteral("mainStrip"))) new StripPainter(layout, strip, 1);
  }
  // The main strip keeps its own width in a wide window; the room left goes after the
  // track strips.
  m_main->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  row->addWidget(m_main, 0, Qt::AlignTop);

  m_tracks = new EmbeddedDialog(tracks);
  PaintBackground(m_tracks);
  int stripStep = 0;
  if (QWidget* layout = m_tracks->Layout()) {
    if (QWidget* first = layout->findChild<QWidget*>(QStringLiteral("strip1"))) {
      m_trackPainter = new StripPainter(layout, first, 8);
      stripStep = first->minimumWidth() + kStripGap;
    }
  }
  m_scroller = new StripScroller(stripStep, this);
  m_scroller->setObjectName(QStringLiteral("trackScroller"));
  m_scroller->setFrameShape(QFrame::NoFrame);
  m_scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scroller->setWidgetResizable(true);
  m_scroller->setWidget(m_tracks);
  PaintBackground(m_scroller->viewport());
  // Never wider than the strips, and room below them for the scroll bar.
  const QSize strips = m_tracks->minimumSizeHint();
  m_scroller->setMaximumWidth(strips.width());
  m_scroller->setFixedHeight(strips.height() + m_scroller->horizontalScrollBar()->sizeHint().height());
  row->addWidget(m_scroller, 1, Qt::AlignTop);
  row->addStretch(0);
  PaintBackground(this);
}

MixingBoardWidget::~MixingBoardWidget() = default;

int MixingBoardWidget::BoardHeight() const {
  return std::max(m_main->minimumSizeHint().height(), m_scroller->height());
}

MixingBoardWidget* AttachMixingBoard(QWidget* area) {
  CMixerApp* app = CMixerApp::Get();
  if (!app || !area) return nullptr;
  auto* board = new MixingBoardWidget(app->m_boardMain, app->m_boardTracks, area);
  auto* box = new QHBoxLayout(area);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(board);
  const QMargins frame = area->contentsMargins();
  area->setFixedHeight(board->BoardHeight() + frame.top() + frame.bottom());
  return board;
}

}  // namespace ui
