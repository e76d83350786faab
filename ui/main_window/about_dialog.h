#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QLabel;

namespace ui {

// "About Sonavel Trackwright": the program's name and version and three links (the
// web site, the support address and the MP3 encoder's project), each opened with the
// desktop's default handler.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kWebSite = "https://www.sonavel.com";
  static constexpr const char* kSupportMail = "mailto:support@sonavel.com";
  static constexpr const char* kEncoderSite = "https://lame.sourceforge.io";

  explicit AboutDialog(QWidget* parent = nullptr);

  // Opens a link's target; a link that opened is shown as visited, one that did not
  // opens a warning with the reason.
  void OpenLink(const QString& target);
  bool WasVisited(const QString& target) const;

 private:
  struct Link {
    QString target, text;
    QLabel* label;
    bool visited;
  };
  void ShowLink(const Link& link);
  std::vector<Link> m_links;
};

}  // namespace ui
