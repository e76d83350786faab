#pragma once

#include <string>

namespace platform {

// The system clipboard's plain text.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // False when the clipboard could not be opened or written.
  virtual bool SetText(const std::string& text) = 0;
  virtual std::string GetText() = 0;
};

// A clipboard private to this process (console runs and tests).
class MemoryClipboard : public Clipboard {
 public:
  bool SetText(const std::string& text) override {
    m_text = text;
    return true;
  }
  std::string GetText() override { return m_text; }

 private:
  std::string m_text;
};

}  // namespace platform
