#include "cli/progress_line.h"

#include "core/progress_dialog.h"

ProgressLine::ProgressLine(std::FILE* stream, bool terminal, Clock now)
    : m_stream(stream), m_terminal(terminal), m_now(std::move(now)) {}

void ProgressLine::Render(const std::string& layout, platform::MemoryDialogSurface& surface, bool closing) {
  if (layout != kOperationDialogLayout || !m_terminal) return;
  if (closing) {
    if (m_drawn) std::fputc('\n', m_stream);
    m_drawn = false;
    m_last.clear();
    m_start.reset();
    return;
  }
  const uint64_t now = m_now();
  if (!m_start) m_start = now;
  if (now - *m_start < kDelayMs) return;
  int percent = surface.Control(IDC_OP_PROGRESS)->GetPos();
  std::string message = surface.Control(IDC_OP_MESSAGE)->GetText();
  constexpr int kWidth = 30;
  int filled = percent < 0 ? 0 : (percent > 100 ? kWidth : percent * kWidth / 100);
  std::string line = message + " [" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                     std::to_string(percent) + "%";
  if (line == m_last) return;
  m_last = line;
  // Back to the line's start, the new text, and the rest of a longer old text erased.
  std::fprintf(m_stream, "\r%s\033[K", line.c_str());
  std::fflush(m_stream);
  m_drawn = true;
}
