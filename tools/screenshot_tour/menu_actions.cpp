#include "tools/screenshot_tour/menu_actions.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace tour {

namespace {

QAction* FindIn(const QList<QAction*>& actions, const QString& text) {
  for (QAction* action : actions) {
    if (QMenu* menu = action->menu()) {
      if (QAction* found = FindIn(menu->actions(), text)) return found;
    } else if (!action->isSeparator() && action->text() == text) {
      return action;
    }
  }
  return nullptr;
}

}  // namespace

QAction* FindMenuCommand(const QMenuBar& bar, const QString& text) {
  return FindIn(bar.actions(), text);
}

QAction* FindToolbarCommand(const QWidget& window, const QString& text) {
  for (const QToolBar* toolbar : window.findChildren<QToolBar*>()) {
    if (QAction* found = FindIn(toolbar->actions(), text)) return found;
  }
  return nullptr;
}

QString PictureName(const QString& stem, const QString& text) {
  QString words = text;
  words.remove(QLatin1Char('&'));
  if (words.endsWith(QLatin1String("..."))) words.chop(3);
  QString name = stem;
  bool gap = true;
  for (QChar c : words) {
    if (c.isLetterOrNumber()) {
      if (gap) name += QLatin1Char('-');
      name += c.toLower();
      gap = false;
    } else {
      gap = true;
    }
  }
  return name + QStringLiteral(".png");
}

QString DialogPictureName(const QString& menuText) {
  return PictureName(QStringLiteral("dialog"), menuText);
}

}  // namespace tour
