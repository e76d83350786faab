#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "platform/memory_dialog_surface.h"

// Draws the progress dialog as one line on a terminal: message, bar, percentage. Only
// work that lasts longer than a moment gets the line, and only a terminal: into a log
// or a pipe a progress line would be noise.
class ProgressLine {
 public:
  // How long an operation runs before its line appears.
  static constexpr uint64_t kDelayMs = 500;
  // The time in milliseconds, from any fixed start.
  using Clock = std::function<uint64_t()>;

  // Draws on stream when terminal is set.
  ProgressLine(std::FILE* stream, bool terminal, Clock now);

  void Render(const std::string& layout, platform::MemoryDialogSurface& surface, bool closing);

 private:
  std::FILE* m_stream;
  bool m_terminal;
  Clock m_now;
  // When the running operation's dialog appeared.
  std::optional<uint64_t> m_start;
  std::string m_last;
  bool m_drawn = false;
};
