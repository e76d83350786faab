#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "effects/effect_progress.h"
#include "effects/paged_file.h"

namespace effects_test {

using Frame = std::pair<int16_t, int16_t>;

// A progress display that counts what it is told and cancels after a number of steps.
struct CountingProgress : effects::EffectProgress {
  uint64_t stepped = 0;
  uint32_t position = 0;
  int steps = 0;
  int cancelAfter = -1;
  void Step(uint32_t amount) override {
    stepped += amount;
    ++steps;
  }
  void SetPosition(uint32_t at) override {
    position = at;
    ++steps;
  }
  uint32_t Position() const override { return position; }
  bool Cancelled() const override { return cancelAfter >= 0 && steps >= cancelAfter; }
};

// A temporary file of frames, open for update, with a paged view of it.
class FrameFile {
 public:
  explicit FrameFile(const std::vector<Frame>& frames);
  ~FrameFile();
  effects::PagedFile& Paged() { return *m_paged; }
  // The frames as the file holds them now (after the paged view is flushed).
  std::vector<Frame> Frames();

 private:
  std::FILE* m_file;
  std::unique_ptr<effects::PagedFile> m_paged;
};

std::vector<Frame> Ramp(size_t count, int16_t first, int16_t step);

}  // namespace effects_test
