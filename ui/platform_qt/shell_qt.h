#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace ui {

// Opens documents and links with the desktop's default handler (xdg-open).
class QtShell : public platform::Shell {
 public:
  bool Open(const std::string& target) override;
};

// The URL a target stands for: a link with a scheme (http:, https:, mailto:, file:)
// as it is, anything else as a local file name.
QUrl TargetUrl(const std::string& target);

}  // namespace ui
