#include "cli/progress_line.h"

#include <unistd.h>

#include <cstdio>

#include "app/progress_dialog.h"

void ProgressLine::Render(const std::string& layout, platform::MemoryDialogSurface& surface, bool closing) {
  if (layout != kOperationDialogLayout) return;
  if (closing) {
    if (m_drawn) std::fputc('\n', stderr);
    m_drawn = false;
    m_last.clear();
    return;
  }
  int percent = surface.Control(IDC_OP_PROGRESS)->GetPos();
  std::string message = surface.Control(IDC_OP_MESSAGE)->GetText();
  // Into a log or a pipe the bar would be noise: there each new message is one line.
  if (!isatty(fileno(stderr))) {
    if (!message.empty() && message != m_last) std::fprintf(stderr, "%s\n", message.c_str());
    m_last = message;
    return;
  }
  constexpr int kWidth = 30;
  int filled = percent < 0 ? 0 : (percent > 100 ? kWidth : percent * kWidth / 100);
  std::string line = message + " [" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                     std::to_string(percent) + "%";
  if (line == m_last) return;
  m_last = line;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
  m_drawn = true;
}
