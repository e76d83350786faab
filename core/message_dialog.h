#pragma once

#include <string>

#include "platform/dialog_logic.h"

inline constexpr const char* IDC_MESSAGE_TEXT = "IDC_MESSAGE_TEXT";

// A small "Sonavel Trackwright" dialog with the program's picture, one text and OK.
class CMessageDialog : public platform::DialogLogic {
 public:
  static constexpr size_t kMaxText = 1023;

  CMessageDialog() : DialogLogic("message_dialog") {}
  // Keeps up to kMaxText characters of text, shown as they are.
  void SetText(const std::string& text);
  const std::string& Text() const { return m_text; }
  bool OnInitDialog() override;

  // Shows text in the dialog; where nobody sees dialogs (the console), as a message.
  static void Show(const std::string& text);

 private:
  std::string m_text;
};
