// Runs one effect over the whole of a project-format PCM file, in place, and prints the
// seconds it took: effects_bench RESULT SOURCE EFFECT, where RESULT is changed and
// SOURCE holds the same bytes untouched (the track the repeat effects copy from).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "effects/level_effects.h"
#include "effects/repeat_effects.h"

namespace {

struct NoProgress : effects::EffectProgress {
  uint32_t position = 0;
  void Step(uint32_t) override {}
  void SetPosition(uint32_t at) override { position = at; }
  uint32_t Position() const override { return position; }
  bool Cancelled() const override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: effects_bench RESULT SOURCE volume|fade|reverse|echo|reverb|multi-voice\n", stderr);
    return 2;
  }
  struct stat info {};
  std::FILE* resultFile = std::fopen(argv[1], "rb+");
  std::FILE* sourceFile = std::fopen(argv[2], "rb");
  if (!resultFile || !sourceFile || stat(argv[1], &info) != 0) {
    std::perror("effects_bench");
    return 1;
  }
  const auto end = static_cast<uint32_t>(info.st_size) & ~3u;
  effects::PagedFile result(resultFile);
  effects::PagedFile source(sourceFile);
  NoProgress progress;
  const std::string name = argv[3];
  const auto started = std::chrono::steady_clock::now();
  effects::EffectResult done = effects::EffectResult::Failed;
  if (name == "volume") {
    done = effects::AdjustVolume(result, 0, end, {50, 50}, progress);
  } else if (name == "fade") {
    done = effects::Fade(result, 0, end, {100, 100}, {0, 0}, progress);
  } else if (name == "reverse") {
    done = effects::Reverse(result, 0, end, {true, true}, progress);
  } else if (name == "echo") {  // "Canyon Echo"
    done = effects::Echo(result, source, 0, end, {{100, 50, 850}, {100, 50, 850}}, progress);
  } else if (name == "reverb") {  // "Large Cathedral"
    done = effects::Reverb(result, source, 0, end, {{96, 48, 146}, {83, 40, 183}}, progress);
  } else if (name == "multi-voice") {  // "Simple Chorus II"
    done = effects::MultiVoice(result, source, 0, end, {{45, 60, 45}, {45, 60, 45}}, 2, progress);
  } else {
    std::fprintf(stderr, "effects_bench: no effect %s\n", name.c_str());
    return 2;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fclose(resultFile);
  std::fclose(sourceFile);
  if (done != effects::EffectResult::Done) {
    std::fprintf(stderr, "effects_bench: %s did not complete\n", name.c_str());
    return 1;
  }
  std::printf("%.3f\n", seconds);
  return 0;
}
