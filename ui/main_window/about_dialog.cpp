#include "ui/main_window/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>

#include "core/hyperlink.h"
#include "ui/main_window/toolbar_icons.h"

namespace ui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Sonavel Trackwright"));

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(20, 20, 20, 14);
  layout->setHorizontalSpacing(18);
  layout->setVerticalSpacing(6);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  auto* picture = new QLabel(this);
  picture->setPixmap(ApplicationIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  layout->addWidget(picture, 0, 0, 6, 1);

  auto* name = new QLabel(QStringLiteral("Sonavel Trackwright"), this);
  QFont nameFont = name->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
  nameFont.setBold(true);
  name->setFont(nameFont);
  name->setObjectName(QStringLiteral("programName"));
  layout->addWidget(name, 0, 1);

  auto* version = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(TRACKWRIGHT_VERSION)), this);
  version->setObjectName(QStringLiteral("programVersion"));
  layout->addWidget(version, 1, 1);
  layout->setRowMinimumHeight(2, 10);

  const struct {
    const char* name;
    const char* caption;
    const char* target;
    const char* text;
  } links[] = {
      {"webSiteLink", "Web site:", kWebSite, "www.sonavel.com"},
      {"supportLink", "Support:", kSupportMail, "support@sonavel.com"},
      {"encoderLink", "MP3 encoding:", kEncoderSite, "the LAME project (lame.sourceforge.io)"},
  };
  auto* linkRows = new QGridLayout;
  linkRows->setHorizontalSpacing(8);
  linkRows->setVerticalSpacing(4);
  int row = 0;
  for (const auto& link : links) {
    linkRows->addWidget(new QLabel(QLatin1String(link.caption), this), row, 0, Qt::AlignLeft);
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    label->setObjectName(QLatin1String(link.name));
    connect(label, &QLabel::linkActivated, this, &AboutDialog::OpenLink);
    linkRows->addWidget(label, row, 1, Qt::AlignLeft);
    m_links.push_back({QLatin1String(link.target), QLatin1String(link.text), label, false});
    ShowLink(m_links.back());
    ++row;
  }
  layout->addLayout(linkRows, 3, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons, 5, 0, 1, 2);
  layout->setRowMinimumHeight(4, 12);
}

void AboutDialog::ShowLink(const Link& link) {
  QColor colour = palette().color(link.visited ? QPalette::LinkVisited : QPalette::Link);
  link.label->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2\">%3</a>")
                          .arg(link.target.toHtmlEscaped(), colour.name(), link.text.toHtmlEscaped()));
}

void AboutDialog::OpenLink(const QString& target) {
  if (!OpenHyperlink(target.toStdString())) return;
  for (Link& link : m_links) {
    if (link.target == target && !link.visited) {
      link.visited = true;
      ShowLink(link);
    }
  }
}

bool AboutDialog::WasVisited(const QString& target) const {
  for (const Link& link : m_links) {
    if (link.target == target) return link.visited;
  }
  return false;
}

}  // namespace ui
