#include "effects/level_effects.h"

#include <array>
#include <cmath>

#include "effects/sample_math.h"

namespace effects {

namespace {

enum class ProgressKind { Step, Position };

// Reads each chunk of [start, end), lets transform change its frames (it is given the
// chunk's bytes, their count and the chunk's position) and writes it back.
template <typename Transform>
EffectResult ChunkLoop(PagedFile& file, uint32_t start, uint32_t end, EffectProgress& progress, ProgressKind kind,
                       Transform transform) {
  std::array<unsigned char, kChunkBytes> buffer{};
  const uint32_t entry = progress.Position();
  // The chunk in hand when the cancel comes is finished and written.
  for (uint32_t p = start; p < end && !progress.Cancelled();) {
    const uint32_t n = std::min(kChunkBytes, end - p);
    file.Read(p, buffer.data(), n);
    transform(buffer.data(), n, p);
    if (!file.Write(p, buffer.data(), n)) return EffectResult::Failed;
    p += n;
    if (kind == ProgressKind::Step) {
      progress.Step(n / 100);
    } else {
      progress.SetPosition(entry + (p - start) / 100);
    }
  }
  if (!file.Flush()) return EffectResult::Failed;
  return progress.Cancelled() ? EffectResult::Cancelled : EffectResult::Done;
}

// A channel's level at fraction t of the range, truncated to a whole percent.
int FadeLevel(int from, int to, float t) {
  if (from == to) return from;
  if (from > to) return static_cast<int>(static_cast<float>(from) - static_cast<float>(from - to) * t);
  return static_cast<int>(static_cast<float>(from) + static_cast<float>(to - from) * t);
}

}  // namespace

EffectResult AdjustVolume(PagedFile& file, uint32_t start, uint32_t end, Levels levels, EffectProgress& progress) {
  if (start == end || (levels.left == 100 && levels.right == 100)) return EffectResult::NothingToDo;
  const float left = PercentFactor(levels.left);
  const float right = PercentFactor(levels.right);
  return ChunkLoop(file, start, end, progress, ProgressKind::Step, [&](unsigned char* bytes, uint32_t n, uint32_t) {
    for (uint32_t i = 0; i < n / 2; i += 2) {
      SetSampleAt(bytes, i, Scale(SampleAt(bytes, i), left));
      SetSampleAt(bytes, i + 1, Scale(SampleAt(bytes, i + 1), right));
    }
  });
}

EffectResult Fade(PagedFile& file, uint32_t start, uint32_t end, Levels starting, Levels ending,
                  EffectProgress& progress) {
  if (start == end || (starting.left == 100 && starting.right == 100 && ending.left == 100 && ending.right == 100)) {
    return EffectResult::NothingToDo;
  }
  const double length = end - start;
  return ChunkLoop(file, start, end, progress, ProgressKind::Step, [&](unsigned char* bytes, uint32_t n, uint32_t at) {
    for (uint32_t frame = 0; frame < n / kFrameBytes; ++frame) {
      const auto t = static_cast<float>((at + frame * kFrameBytes - start) / length);
      const float left = PercentFactor(FadeLevel(starting.left, ending.left, t));
      const float right = PercentFactor(FadeLevel(starting.right, ending.right, t));
      SetSampleAt(bytes, 2 * frame, Scale(SampleAt(bytes, 2 * frame), left));
      SetSampleAt(bytes, 2 * frame + 1, Scale(SampleAt(bytes, 2 * frame + 1), right));
    }
  });
}

EffectResult Mute(PagedFile& file, uint32_t start, uint32_t end, Channels channels, EffectProgress& progress) {
  if (start == end || (!channels.left && !channels.right)) return EffectResult::NothingToDo;
  return ChunkLoop(file, start, end, progress, ProgressKind::Step, [&](unsigned char* bytes, uint32_t n, uint32_t) {
    for (uint32_t i = 0; i < n / 2; i += 2) {
      if (channels.left) SetSampleAt(bytes, i, 0);
      if (channels.right) SetSampleAt(bytes, i + 1, 0);
    }
  });
}

EffectResult SwapChannels(PagedFile& file, uint32_t start, uint32_t end, EffectProgress& progress) {
  return ChunkLoop(file, start, end, progress, ProgressKind::Position, [](unsigned char* bytes, uint32_t n, uint32_t) {
    for (uint32_t i = 0; i < n / 2; i += 2) {
      const int16_t left = SampleAt(bytes, i);
      SetSampleAt(bytes, i, SampleAt(bytes, i + 1));
      SetSampleAt(bytes, i + 1, left);
    }
  });
}

EffectResult CopyChannel(PagedFile& file, uint32_t start, uint32_t end, bool rightToLeft, EffectProgress& progress) {
  return ChunkLoop(file, start, end, progress, ProgressKind::Position, [&](unsigned char* bytes, uint32_t n, uint32_t) {
    for (uint32_t i = 0; i < n / 2; i += 2) {
      if (rightToLeft) {
        SetSampleAt(bytes, i, SampleAt(bytes, i + 1));
      } else {
        SetSampleAt(bytes, i + 1, SampleAt(bytes, i));
      }
    }
  });
}

EffectResult Reverse(PagedFile& file, uint32_t start, uint32_t end, Channels channels, EffectProgress& progress) {
  if (start == end || (!channels.left && !channels.right)) return EffectResult::NothingToDo;
  // Pairs of chunks from both ends meet in the middle; the last pair splits what is
  // left between them, in whole frames.
  auto chunkFor = [](uint32_t front, uint32_t back) {
    const uint32_t span = back - front;
    if (span >= 2 * kChunkBytes) return kChunkBytes;
    const auto half = static_cast<uint32_t>(span * 0.5);
    return half - half % kFrameBytes;
  };
  std::array<unsigned char, kChunkBytes> a{};
  std::array<unsigned char, kChunkBytes> b{};
  uint32_t front = start;
  uint32_t back = end;
  uint32_t n = chunkFor(front, back);
  bool cancelled = false;
  for (;;) {
    file.Read(front, a.data(), n);
    file.Read(back - n, b.data(), n);
    const uint32_t frames = n / kFrameBytes;
    for (uint32_t i = 0; i < frames; ++i) {
      const uint32_t j = frames - 1 - i;
      for (uint32_t channel = 0; channel < 2; ++channel) {
        if (!(channel == 0 ? channels.left : channels.right)) continue;
        const int16_t sample = SampleAt(a.data(), 2 * i + channel);
        SetSampleAt(a.data(), 2 * i + channel, SampleAt(b.data(), 2 * j + channel));
        SetSampleAt(b.data(), 2 * j + channel, sample);
      }
    }
    if (!file.Write(front, a.data(), n) || !file.Write(back - n, b.data(), n)) return EffectResult::Failed;
    front += n;
    back -= n;
    if (n < kChunkBytes) break;
    n = chunkFor(front, back);
    progress.Step(2 * n / 100);
    if ((cancelled = progress.Cancelled())) break;
  }
  if (!file.Flush()) return EffectResult::Failed;
  return cancelled ? EffectResult::Cancelled : EffectResult::Done;
}

}  // namespace effects
