#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace ui {

// Opens documents and links with the desktop's default handler (through the desktop
// portal where there is one); handler look-ups and launches are the desktop shell's.
class QtShell : public platform::DesktopShell {
 public:
  int Open(const std::string& target) override;
};

// The URL a target stands for: a link with a scheme (http:, https:, mailto:, file:)
// as it is, anything else as a local file name.
QUrl TargetUrl(const std::string& target);

}  // namespace ui
