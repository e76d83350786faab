#include "effects/repeat_effects.h"

#include <algorithm>
#include <array>
#include <vector>

#include "effects/sample_math.h"

namespace effects {

namespace {

constexpr uint32_t kReverbChunkBytes = 256;

float FirstRepeatGain(int wet) {
  return static_cast<float>((100 - wet) / 100.0);
}

// Every sample of the channels scaled by their initial ratios, in chunks of chunkBytes.
bool DryPass(PagedFile& file, uint32_t start, uint32_t end, const RepeatSettings& settings, uint32_t chunkBytes,
             EffectProgress& progress) {
  const float left = PercentFactor(settings.left.initial);
  const float right = PercentFactor(settings.right.initial);
  std::array<unsigned char, kChunkBytes> buffer{};
  for (uint32_t p = start; p < end && !progress.Cancelled();) {
    const uint32_t n = std::min(chunkBytes, end - p);
    file.Read(p, buffer.data(), n);
    for (uint32_t i = 0; i < n / 2; i += 2) {
      SetSampleAt(buffer.data(), i, Scale(SampleAt(buffer.data(), i), left));
      SetSampleAt(buffer.data(), i + 1, Scale(SampleAt(buffer.data(), i + 1), right));
    }
    if (!file.Write(p, buffer.data(), n)) return false;
    p += n;
    progress.Step(n / 100);
  }
  return true;
}

// Adds source x gain to one channel (0 left, 1 right) of [destination, end), the source
// read from `from` on, in chunks of chunkBytes.
bool RepeatPass(PagedFile& file, PagedFile& from, uint32_t destination, uint32_t start, uint32_t end,
                uint32_t channel, float gain, uint32_t chunkBytes, EffectProgress& progress) {
  std::array<unsigned char, kChunkBytes> in{};
  std::array<unsigned char, kChunkBytes> out{};
  uint32_t sourceAt = start;
  for (uint32_t at = destination; at < end;) {
    const uint32_t n = std::min(chunkBytes, end - at);
    from.Read(sourceAt, in.data(), std::min(chunkBytes, end - sourceAt));
    file.Read(at, out.data(), n);
    for (uint32_t i = channel; i < n / 2; i += 2) {
      SetSampleAt(out.data(), i, AddScaled(SampleAt(out.data(), i), SampleAt(in.data(), i), gain));
    }
    if (!file.Write(at, out.data(), n)) return false;
    progress.Step(n / 100);
    at += n;
    sourceAt += std::min(chunkBytes, end - sourceAt);
    if (progress.Cancelled()) return true;
  }
  return true;
}

struct Channel {
  uint32_t index;
  const RepeatChannel& settings;
};

// The common frame of the three effects: an empty range is nothing to do, then the dry
// pass and each channel's passes; pass(channel, k) runs the k-th pass of a channel and
// passes(channel) says how many there are.
template <typename Passes, typename Pass>
EffectResult Run(PagedFile& file, uint32_t start, uint32_t end, const RepeatSettings& settings, uint32_t dryChunk,
                 EffectProgress& progress, Passes passes, Pass pass) {
  if (start == end) return EffectResult::NothingToDo;
  if (!DryPass(file, start, end, settings, dryChunk, progress)) return EffectResult::Failed;
  for (const Channel channel : {Channel{0, settings.left}, Channel{1, settings.right}}) {
    const uint32_t count = passes(channel.settings);
    for (uint32_t k = 0; k < count && !progress.Cancelled(); ++k) {
      if (!pass(channel, k)) return EffectResult::Failed;
    }
  }
  if (!file.Flush()) return EffectResult::Failed;
  return progress.Cancelled() ? EffectResult::Cancelled : EffectResult::Done;
}

uint32_t PassesOf(const RepeatChannel& channel, uint32_t start, uint32_t end) {
  return RepeatPasses(FirstRepeatGain(channel.wet), DelayBytes(channel.delayMs), start, end);
}

// The bytes from the k-th repeat's start to the end, 0 when it starts at or after it.
uint64_t RepeatBytes(uint32_t start, uint32_t end, uint64_t delay, uint32_t k) {
  const uint64_t first = start + (k + 1) * delay;
  return first < end ? end - first : 0;
}

// Progress units of a stretch written in chunks of chunkBytes: 100 x the sum of
// trunc(chunk / 100), as the progress steps add up.
uint64_t ChunkedUnits(uint64_t bytes, uint32_t chunkBytes) {
  return 100 * ((bytes / chunkBytes) * (chunkBytes / 100) + (bytes % chunkBytes) / 100);
}

}  // namespace

uint32_t RepeatPasses(float gain, uint32_t delayBytes, uint32_t start, uint32_t end) {
  uint32_t n = 1;
  float g = gain;
  uint64_t step = delayBytes;
  uint64_t p = start;
  while (g > 0.005 && p < end) {
    if (delayBytes == 0 && n == kMaxPassesWithoutDelay) break;
    ++n;
    g = g * g;
    step += delayBytes;
    p += step;
  }
  return n;
}

namespace {

// Echo and Reverb: each channel's repeats, pass k at (k + 1) delays with the first
// repeat's gain squared k times. Echo's repeats are all of the original sound; Reverb's
// later ones are of the result so far, and its repeats start on whole frames.
EffectResult DecayingRepeats(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end,
                             const RepeatSettings& settings, uint32_t chunkBytes, bool reverb,
                             EffectProgress& progress) {
  float gain = 0;
  return Run(
      file, start, end, settings, chunkBytes, progress,
      [&](const RepeatChannel& channel) { return PassesOf(channel, start, end); },
      [&](const Channel& channel, uint32_t k) {
        gain = k == 0 ? FirstRepeatGain(channel.settings.wet) : gain * gain;
        uint64_t destination = start + uint64_t{k + 1} * DelayBytes(channel.settings.delayMs);
        if (reverb) destination -= destination % kFrameBytes;
        if (destination >= end) return true;
        PagedFile& from = reverb && k > 0 ? file : source;
        return RepeatPass(file, from, static_cast<uint32_t>(destination), start, end, channel.index, gain, chunkBytes,
                          progress);
      });
}

}  // namespace

EffectResult Echo(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end, const RepeatSettings& settings,
                  EffectProgress& progress) {
  return DecayingRepeats(file, source, start, end, settings, kChunkBytes, false, progress);
}

EffectResult Reverb(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end, const RepeatSettings& settings,
                    EffectProgress& progress) {
  return DecayingRepeats(file, source, start, end, settings, kReverbChunkBytes, true, progress);
}

EffectResult MultiVoice(PagedFile& file, PagedFile& source, uint32_t start, uint32_t end,
                        const RepeatSettings& settings, int voices, EffectProgress& progress) {
  return Run(
      file, start, end, settings, kChunkBytes, progress,
      [&](const RepeatChannel&) { return static_cast<uint32_t>(std::max(voices, 0)); },
      [&](const Channel& channel, uint32_t v) {
        const uint64_t destination = start + uint64_t{v + 1} * DelayBytes(channel.settings.delayMs);
        if (destination >= end) return true;
        return RepeatPass(file, source, static_cast<uint32_t>(destination), start, end, channel.index,
                          PercentFactor(channel.settings.wet), kChunkBytes, progress);
      });
}

uint32_t EchoByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings) {
  if (start == end) return 0;
  uint64_t bytes = end - start;
  for (const RepeatChannel* channel : {&settings.left, &settings.right}) {
    const uint32_t passes = PassesOf(*channel, start, end);
    for (uint32_t k = 0; k < passes; ++k) bytes += RepeatBytes(start, end, DelayBytes(channel->delayMs), k);
  }
  return static_cast<uint32_t>(bytes);
}

uint32_t ReverbByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings) {
  if (start == end) return 2;
  uint64_t units = ChunkedUnits(end - start, kReverbChunkBytes);
  for (const RepeatChannel* channel : {&settings.left, &settings.right}) {
    const uint32_t passes = PassesOf(*channel, start, end);
    for (uint32_t k = 0; k < passes; ++k) {
      uint64_t first = start + uint64_t{k + 1} * DelayBytes(channel->delayMs);
      first -= first % kFrameBytes;
      if (first < end) units += ChunkedUnits(end - first, kReverbChunkBytes);
    }
  }
  return static_cast<uint32_t>(units);
}

uint32_t MultiVoiceByteCount(uint32_t start, uint32_t end, const RepeatSettings& settings, int voices) {
  if (start == end) return 0;
  uint64_t bytes = end - start;
  for (const RepeatChannel* channel : {&settings.left, &settings.right}) {
    for (int v = 0; v < voices; ++v) bytes += RepeatBytes(start, end, DelayBytes(channel->delayMs), v);
  }
  return static_cast<uint32_t>(bytes);
}

}  // namespace effects
