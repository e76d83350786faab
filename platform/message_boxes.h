#pragma once

#include <string>

namespace platform {

enum class MessageIcon { Information, Stop, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };
// An error report is a failure for support to hear of; a console run that showed one
// ends with a failure status.
enum class MessageKind { Message, ErrorReport };

// Modal message boxes on the main window. Show blocks until the user answers.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageResult Show(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons, MessageKind kind = MessageKind::Message) = 0;
  // The system's alert sound, where there is one.
  virtual void Beep() {}
};

// The caption every box of the program carries unless a caller names another.
inline constexpr const char* kProgramCaption = "Sonavel Trackwright";

}  // namespace platform
