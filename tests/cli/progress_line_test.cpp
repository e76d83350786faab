// The progress line of a console run: on a terminal, for work that lasts.

#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/progress_dialog.h"

namespace {

struct ProgressLineTest : ::testing::Test {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  uint64_t now = 1000;
  platform::MemoryDialogSurface surface;

  ~ProgressLineTest() override {
    std::fclose(stream);
    std::free(text);
  }
  std::string Shown() {
    std::fflush(stream);
    return std::string(text, size);
  }
  void Show(ProgressLine& line, const std::string& message, int percent) {
    surface.Control(IDC_OP_MESSAGE)->SetText(message);
    surface.Control(IDC_OP_PROGRESS)->SetPos(percent);
    line.Render(kOperationDialogLayout, surface, false);
  }
};

TEST_F(ProgressLineTest, AppearsOnceTheWorkHasLastedHalfASecond) {
  ProgressLine line(stream, true, [this] { return now; });
  Show(line, "Rendering the waveform...", 0);  // the message of the work before
  now += 300;
  Show(line, "Performing cut operation...", 40);
  EXPECT_EQ(Shown(), "");
  now += ProgressLine::kDelayMs;
  Show(line, "Performing cut operation...", 50);
  EXPECT_EQ(Shown(), "\rPerforming cut operation... [###############               ] 50%\033[K");
  line.Render(kOperationDialogLayout, surface, true);
  EXPECT_EQ(Shown().back(), '\n');

  // The next operation starts its own half second.
  const size_t before = Shown().size();
  Show(line, "Inserting silence...", 10);
  now += 100;
  Show(line, "Inserting silence...", 90);
  line.Render(kOperationDialogLayout, surface, true);
  EXPECT_EQ(Shown().size(), before);
}

TEST_F(ProgressLineTest, NothingIsDrawnWhereTheStreamIsNotATerminal) {
  ProgressLine line(stream, false, [this] { return now; });
  Show(line, "Performing mixdown...", 0);
  now += 10 * ProgressLine::kDelayMs;
  Show(line, "Performing mixdown...", 60);
  line.Render(kOperationDialogLayout, surface, true);
  EXPECT_EQ(Shown(), "");
}

}  // namespace
