#pragma once

#include "platform/clipboard.h"

namespace ui {

// The desktop's clipboard (plain text).
class QtClipboard : public platform::Clipboard {
 public:
  bool SetText(const std::string& text) override;
  std::string GetText() override;
};

}  // namespace ui
