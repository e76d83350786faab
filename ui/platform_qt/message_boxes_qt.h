#pragma once

#include "platform/message_boxes.h"

namespace ui {

// Message boxes as QMessageBox, modal over the window the user works in.
class QtMessageBoxes : public platform::MessageBoxes {
 public:
  platform::MessageResult Show(const std::string& text, const std::string& caption, platform::MessageIcon icon,
                               platform::MessageButtons buttons, platform::MessageKind kind) override;
  void Beep() override;
};

}  // namespace ui
