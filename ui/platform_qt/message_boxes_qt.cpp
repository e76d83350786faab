#include "ui/platform_qt/message_boxes_qt.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/platform_qt/window_parent.h"

namespace ui {

namespace {

QMessageBox::Icon IconOf(platform::MessageIcon icon) {
  switch (icon) {
    case platform::MessageIcon::Information: return QMessageBox::Information;
    case platform::MessageIcon::Warning: return QMessageBox::Warning;
    case platform::MessageIcon::Stop:
    case platform::MessageIcon::Error: return QMessageBox::Critical;
  }
  return QMessageBox::Information;
}

// Sets up the box: the icon, the buttons with their default and Escape buttons, the
// text as plain text with CR LF line ends made single breaks.
void SetUpMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, platform::MessageIcon icon,
                     platform::MessageButtons buttons) {
  QString body = QString::fromStdString(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setTextFormat(Qt::PlainText);
  box.setText(body);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setIcon(IconOf(icon));
  // Error reports are meant to be copied into a mail.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  switch (buttons) {
    case platform::MessageButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case platform::MessageButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case platform::MessageButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    case platform::MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
}

}  // namespace

platform::MessageResult QtMessageBoxes::Show(const std::string& text, const std::string& caption,
                                             platform::MessageIcon icon, platform::MessageButtons buttons,
                                             platform::MessageKind /*kind*/) {
  QMessageBox box(DialogParent());
  SetUpMessageBox(box, text, caption, icon, buttons);
  if (!box.parentWidget()) KeepAbove(&box);
  switch (box.exec()) {
    case QMessageBox::Yes: return platform::MessageResult::Yes;
    case QMessageBox::No: return platform::MessageResult::No;
    case QMessageBox::Cancel: return platform::MessageResult::Cancel;
    default: return platform::MessageResult::Ok;
  }
}

void QtMessageBoxes::Beep() {
  QApplication::beep();
}

}  // namespace ui
