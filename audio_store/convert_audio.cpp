#include "audio_store/convert_audio.h"

#include <sys/types.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/program_links.h"
#include "core/progress_dialog.h"
#include "platform/last_error.h"

namespace {

// The source is read through one buffer of this size; progress and cancel go per buffer.
constexpr uint32_t kBufferSize = 8192;
// The progress units (bytes / 100) of one full buffer.
constexpr unsigned int kUnitsPerBuffer = kBufferSize / 100;
// Output bytes are gathered and handed to the target in pieces of this size.
constexpr size_t kOutputSize = 16384;
// A copy between equal formats moves blocks of this size.
constexpr size_t kCopyBlock = 1 << 20;

constexpr const char* kValidationLocation = "CMixerApp::WritePCMToPCM";
constexpr const char* kConvertLocation = "CConvertAudioFile::WritePCMToPCM";
constexpr const char* kEstimateLocation = "CConvertAudioFile::CalculateTargetFileSize";

// A report carrying the given system error (0: none), so that no stale errno shows.
void Report(const char* location, const std::string& message, int code = 0) {
  platform::SetLastError(code);
  ReportError(location, message);
}

std::string WithValue(const char* format, int value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

bool ValidWidth(int bits) {
  return bits == 8 || bits == 16;
}
bool ValidChannels(int channels) {
  return channels == 1 || channels == 2;
}
bool ValidRate(int32_t rate) {
  return rate >= 2000 && rate <= 450000;
}

// The format checks shared by the estimate and the conversion; the first failure is
// reported and gives false.
bool ValidateQualities(const AudioQuality& source, const AudioQuality& target) {
  const char* message = nullptr;
  int value = 0;
  if (!ValidWidth(source.bitsPerSample)) {
    message = "Source quality bits are %d - Not 8 or 16";
    value = source.bitsPerSample;
  } else if (!ValidChannels(source.channels)) {
    message = "Source quality channels are %d - Not 1 or 2";
    value = source.channels;
  } else if (!ValidRate(source.sampleRate)) {
    message = "Source frequency is out of range at %d.";
    value = source.sampleRate;
  } else if (!ValidWidth(target.bitsPerSample)) {
    message = "Target quality bits are %d - Not 8 or 16";
    value = target.bitsPerSample;
  } else if (!ValidChannels(target.channels)) {
    message = "Target quality channels are %d - Not 1 or 2";
    value = target.channels;
  } else if (!ValidRate(target.sampleRate)) {
    message = "Target frequency is out of range at %d.";
    value = target.sampleRate;
  }
  if (!message) return true;
  Report(kValidationLocation, WithValue(message, value));
  return false;
}

// A count in single precision. The counts stay far below 2^63, where the signed
// conversion (one instruction) rounds exactly as the unsigned one (a branch and more).
float Single(uint64_t count) {
  return static_cast<float>(static_cast<int64_t>(count));
}

uint32_t Saturate32(uint64_t value) {
  return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}

// The signed sample values of one frame; a mono frame uses the first.
struct Frame {
  int value[2];
};

// The frame at bytes in the source format, brought to the target's width and channel
// count. The formats are template arguments, so that each conversion's frame loop
// has no format tests in it.
template <int SC, int SB, int TC, int TB>
inline Frame MapFrame(const uint8_t* bytes) {
  Frame frame{{0, 0}};
  for (int c = 0; c < SC; ++c) {
    int v = SB == 8 ? static_cast<int>(bytes[c]) - 128
                    : static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * c] | (bytes[2 * c + 1] << 8)));
    if constexpr (SB == 8 && TB == 16) {
      v *= 256;
    } else if constexpr (SB == 16 && TB == 8) {
      // A mono source rounds toward minus infinity, a stereo one toward zero.
      v = SC == 1 ? v >> 8 : v / 256;
    }
    frame.value[c] = v;
  }
  if constexpr (SC == 1 && TC == 2) {
    frame.value[1] = frame.value[0];
  } else if constexpr (SC == 2 && TC == 1) {
    const int sum = frame.value[0] + frame.value[1];
    frame.value[0] = TB == 8 ? ClampSample8(sum) : ClampSample16(sum);
  }
  return frame;
}

template <int TC, int TB>
inline void StoreFrame(const Frame& frame, uint8_t* at) {
  for (int c = 0; c < TC; ++c) {
    if constexpr (TB == 8) {
      at[c] = static_cast<uint8_t>(frame.value[c] + 128);
    } else {
      const auto value = static_cast<uint16_t>(frame.value[c]);
      at[2 * c] = static_cast<uint8_t>(value & 0xff);
      at[2 * c + 1] = static_cast<uint8_t>(value >> 8);
    }
  }
}

// Gathers the output and hands it to the sink in pieces of kOutputSize, counting what
// the sink accepted. Bytes past the limit given are dropped.
class OutputWriter {
 public:
  OutputWriter(PcmSink& sink, uint64_t limit) : m_sink(sink), m_room(limit) {}

  // One frame of the target format.
  template <int TC, int TB>
  void PutFrame(const Frame& frame) {
    constexpr size_t kFrameBytes = TC * TB / 8;
    StoreFrame<TC, TB>(frame, m_bytes + m_fill);
    // Past the limit the bytes stay in the slack behind the gathered ones.
    const size_t kept = static_cast<size_t>(std::min<uint64_t>(kFrameBytes, m_room));
    m_fill += kept;
    m_room -= kept;
    if (m_fill >= kOutputSize) Flush();
  }
  // The frames of buffer at the offsets given, in the target format: as many PutFrame
  // calls, made a piece at a time.
  template <int SC, int SB, int TC, int TB>
  void PutFrames(const uint8_t* buffer, const uint32_t* offsets, size_t count) {
    constexpr size_t kFrameBytes = TC * TB / 8;
    while (count > 0 && m_room > 0) {
      // The frames that fit in the piece, up to the one the limit cuts.
      const uint64_t underLimit = (m_room + kFrameBytes - 1) / kFrameBytes;
      const size_t fit = std::min(count, (kOutputSize - m_fill) / kFrameBytes);
      const auto frames = static_cast<size_t>(std::min<uint64_t>(fit, underLimit));
      uint8_t* at = m_bytes + m_fill;
      for (size_t i = 0; i < frames; ++i) {
        StoreFrame<TC, TB>(MapFrame<SC, SB, TC, TB>(buffer + offsets[i]), at + i * kFrameBytes);
      }
      const size_t kept = static_cast<size_t>(std::min<uint64_t>(frames * kFrameBytes, m_room));
      m_fill += kept;
      m_room -= kept;
      if (m_fill >= kOutputSize) Flush();
      offsets += frames;
      count -= frames;
    }
  }
  // Hands a whole block to the sink at once, after what was gathered before it.
  void PutBlock(const uint8_t* bytes, size_t count) {
    if (!Flush() || count == 0) return;
    Hand(bytes, count);
  }
  // Hands over what is gathered; false once any write has failed.
  bool Flush() {
    if (m_fill != 0 && m_error == 0) Hand(m_bytes, m_fill);
    m_fill = 0;
    return m_error == 0;
  }
  // Flushes the sink too, so that a full disk shows here and not at the caller's close.
  bool Finish() {
    if (!Flush()) return false;
    if (!m_sink.Flush()) m_error = errno != 0 ? errno : EIO;
    return m_error == 0;
  }
  uint64_t Written() const { return m_written; }
  int Error() const { return m_error; }

 private:
  void Hand(const uint8_t* bytes, size_t count) {
    if (m_sink.Put(bytes, count)) {
      m_written += count;
    } else {
      m_error = errno != 0 ? errno : EIO;
    }
  }

  PcmSink& m_sink;
  // A full piece and room for a frame past the limit.
  uint8_t m_bytes[kOutputSize + 4];
  size_t m_fill = 0;
  uint64_t m_room;
  uint64_t m_written = 0;
  int m_error = 0;
};

// Whether lowering the rate skips a source frame: whether out / in, both counts in
// single precision and their quotient rounded to it, exceeds ratio. The quotient
// rounds above ratio exactly when the exact one lies above the midpoint between ratio
// and the next float (at the midpoint, when that float is the even one), and the
// midpoint times the count, 25 by 24 significant bits, is exact in double precision:
// a multiplication stands for the division.
class SkipTest {
 public:
  explicit SkipTest(float ratio)
      : m_midpoint((static_cast<double>(ratio) +
                    static_cast<double>(std::nextafter(ratio, std::numeric_limits<float>::infinity()))) /
                   2),
        m_tieSkips((std::bit_cast<uint32_t>(ratio) & 1) != 0) {}
  // A count as the test takes it: in single precision.
  static double Count(uint64_t count) { return static_cast<double>(Single(count)); }
  // out: the written samples' Count; in: the source samples.
  bool operator()(double out, uint64_t in) const {
    const double bound = m_midpoint * Count(in);
    return m_tieSkips ? out >= bound : out > bound;
  }

 private:
  double m_midpoint;
  bool m_tieSkips;
};

// What the frame loop of a conversion works with.
struct Conversion {
  PcmSource& input;
  uint32_t sourceBytes;
  COperationDialog* progress;
  float ratioDown;
  SkipTest skip;
  bool raise, lower;
  OutputWriter& output;
};

// The frame loop of one pair of formats (the rates are run-time values): 1, 3
// cancelled, or the source's failure. The source is read through a buffer of
// kBufferSize; a last, partial frame is completed with zero bytes.
//
// Raising the rate, each source frame is written and followed by the frames the
// sample counts' ratio asks to insert, stepped toward the next source frame (at a
// buffer's end the next frame is the current one). Lowering it, source frames are
// skipped while the written samples per source sample exceed the ratio. The ratios
// of the counts are taken in single precision.
template <int SC, int SB, int TC, int TB>
int ConvertFrames(const Conversion& job) {
  constexpr uint32_t kSourceFrame = SC * SB / 8;
  PcmSource& input = job.input;
  OutputWriter& output = job.output;
  const uint64_t sourceBytes = job.sourceBytes;
  const float ratioDown = job.ratioDown;
  // The counts are wider than the 32 bits their values need in any real conversion,
  // so that none can wrap.
  uint64_t consumed = 0, inSamples = 0, outSamples = 0;
  uint32_t bufPos = 0, bytesRead = 0;
  bool firstPass = true;
  uint8_t buffer[kBufferSize];
  // The offsets in the buffer of the frames written, when the rate is kept or lowered.
  uint32_t offsets[kBufferSize / kSourceFrame];

  auto frameAt = [&](uint32_t at) { return MapFrame<SC, SB, TC, TB>(buffer + at); };
  auto write = [&](const Frame& frame) {
    outSamples += TC;
    output.PutFrame<TC, TB>(frame);
  };
  auto advance = [&] {
    bufPos += kSourceFrame;
    consumed += kSourceFrame;
  };
  while (consumed < sourceBytes) {
    if (firstPass || bufPos >= kBufferSize) {
      firstPass = false;
      bufPos = 0;
      bytesRead = static_cast<uint32_t>(std::min<uint64_t>(kBufferSize, sourceBytes - consumed));
      if (int read = input.Read(consumed, buffer, bytesRead); read != 1) return read;
      std::memset(buffer + bytesRead, 0, kBufferSize - bytesRead);
    }
    // The frames of this buffer.
    if (job.raise) {
      while (consumed < sourceBytes && bufPos < kBufferSize) {
        const Frame f0 = frameAt(bufPos);
        const Frame f1 = bufPos + 2 * kSourceFrame <= bytesRead ? frameAt(bufPos + kSourceFrame) : f0;
        write(f0);
        advance();
        inSamples += SC;
        uint64_t x = outSamples;
        int inserts = 0;
        while (Single(inSamples) / Single(x) >= ratioDown) {
          x += TC;
          ++inserts;
        }
        for (int k = inserts; k >= 1; --k) {
          Frame between{{0, 0}};
          for (int c = 0; c < TC; ++c) {
            const double step = static_cast<double>(f1.value[c] - f0.value[c]) / k;
            between.value[c] = static_cast<int>(f0.value[c] + step);
          }
          write(between);
        }
      }
    } else {
      // The frames of the buffer that are written are chosen first, then converted.
      size_t taken = 0;
      // The frames before end are in the buffer and the source; the skipping may pass it.
      const auto end = static_cast<uint32_t>(std::min<uint64_t>(kBufferSize, bufPos + (sourceBytes - consumed)));
      uint32_t at = bufPos;
      if (job.lower) {
        // y: the source samples counted once the frame at is.
        uint64_t y = inSamples + SC;
        while (at < end) {
          const double out = SkipTest::Count(outSamples);
          if (job.skip(out, y)) {
            do {
              at += kSourceFrame;
              y += SC;
            } while (job.skip(out, y));
            // The frame the skipping stopped at is taken at once when it lies in this
            // buffer; else after the buffer's progress step, its test being the same.
            if (at >= end) break;
          }
          offsets[taken++] = at;
          outSamples += TC;
          at += kSourceFrame;
          y += SC;
        }
        inSamples = y - SC;
      } else {
        for (; at < end; at += kSourceFrame) offsets[taken++] = at;
      }
      consumed += at - bufPos;
      bufPos = at;
      output.PutFrames<SC, SB, TC, TB>(buffer, offsets, taken);
    }

    if (output.Error() != 0) return 0;
    if (bufPos != 0 && bufPos % kBufferSize == 0 && job.progress) {
      job.progress->StepProgress(kUnitsPerBuffer);
      if (job.progress->CancelRequested()) return 3;
    }
  }
  return 1;
}

// The frame loops of every pair of formats, at ((SC - 1) * 2 + (SB == 16)) * 4 +
// (TC - 1) * 2 + (TB == 16).
using FrameLoop = int (*)(const Conversion&);
template <size_t N>
constexpr FrameLoop LoopAt() {
  constexpr int kSourceChannels = (N / 8) + 1, kSourceBits = (N / 4) % 2 != 0 ? 16 : 8;
  constexpr int kTargetChannels = (N / 2) % 2 + 1, kTargetBits = N % 2 != 0 ? 16 : 8;
  return &ConvertFrames<kSourceChannels, kSourceBits, kTargetChannels, kTargetBits>;
}
template <size_t... N>
constexpr std::array<FrameLoop, sizeof...(N)> FrameLoops(std::index_sequence<N...>) {
  return {LoopAt<N>()...};
}
constexpr auto kFrameLoops = FrameLoops(std::make_index_sequence<16>());

}  // namespace

int ClampSample8(int value) {
  return std::clamp(value, -127, 127);
}

int ClampSample16(int value) {
  return std::clamp(value, -32000, 32000);
}

uint32_t CConvertAudioFile::CalculateTargetFileSize(uint32_t sourceBytes, const AudioQuality* source,
                                                    const AudioQuality* target) {
  if (!source) {
    Report(kEstimateLocation, "The pStructSourceAudioQuality is NULL");
    return 0;
  }
  if (!target) {
    Report(kEstimateLocation, "The pStructTargetAudioQuality is NULL");
    return 0;
  }
  if (!ValidateQualities(*source, *target)) return 0;

  double scaled = static_cast<double>(target->sampleRate) / source->sampleRate * sourceBytes;
  auto size = static_cast<uint64_t>(scaled);
  if (target->bitsPerSample == 8 && source->bitsPerSample == 16) {
    size /= 2;
  } else if (target->bitsPerSample == 16 && source->bitsPerSample == 8) {
    size *= 2;
  }
  if (target->channels == 1 && source->channels == 2) {
    size /= 2;
  } else if (target->channels == 2 && source->channels == 1) {
    size *= 2;
  }
  // A size beyond what a 32-bit length holds is given as the largest it can.
  return Saturate32(size) & ~3u;
}

int CConvertAudioFile::WritePCMToPCM(const char* sourceFileName, std::FILE* targetFile, const AudioQuality* source,
                                     const AudioQuality* target) {
  m_outputWritten = 0;
  if (!sourceFileName) {
    Report(kConvertLocation, "The pszSourceFileName is NULL");
    return 0;
  }
  if (!targetFile) {
    Report(kConvertLocation, "The pTargetFile is NULL");
    return 0;
  }
  if (!source) {
    Report(kConvertLocation, "The pStructSourceAudioQuality is NULL");
    return 0;
  }
  if (!target) {
    Report(kConvertLocation, "The pStructTargetAudioQuality is NULL");
    return 0;
  }
  if (!ValidateQualities(*source, *target)) return 0;

  std::FILE* input = std::fopen(sourceFileName, "rb");
  if (!input) {
    Report(kValidationLocation, "The pSourceFile is NULL", errno);
    return 0;
  }
  off_t length = -1;
  if (fseeko(input, 0, SEEK_END) == 0) length = ftello(input);
  if (length < 0 || length > static_cast<off_t>(UINT32_MAX)) {
    int code = length < 0 ? errno : EFBIG;
    std::fclose(input);
    Report(kConvertLocation, std::string("The source file ") + sourceFileName + " cannot be measured or is too large.",
           code);
    return 0;
  }
  FilePcmSource reader(input, sourceFileName, kConvertLocation);
  FilePcmSink writer(targetFile);
  COperationDialog* progress = Links().operationDialog;
  int result = ConvertStream(reader, static_cast<uint32_t>(length), writer, *source, *target, progress);
  std::fclose(input);
  return result;
}

int CConvertAudioFile::ConvertStream(PcmSource& input, uint32_t sourceBytes, PcmSink& sink, const AudioQuality& source,
                                     const AudioQuality& target, COperationDialog* progress) {
  m_outputWritten = 0;
  if (!ValidateQualities(source, target)) return 0;
  const int sourceChannels = source.channels, targetChannels = target.channels;
  const int sourceBits = source.bitsPerSample, targetBits = target.bitsPerSample;
  const int32_t sourceRate = source.sampleRate, targetRate = target.sampleRate;
  const uint32_t sourceFrame = static_cast<uint32_t>(sourceChannels * sourceBits / 8);
  const uint32_t targetFrame = static_cast<uint32_t>(targetChannels * targetBits / 8);

  // The cap: each factor in single precision, each product truncated.
  double cap = sourceBytes;
  auto scale = [&cap](float factor) { cap = std::trunc(cap * static_cast<double>(factor)); };
  if (sourceBits != targetBits) scale(static_cast<float>(targetBits) / static_cast<float>(sourceBits));
  if (sourceChannels != targetChannels) scale(static_cast<float>(targetChannels) / static_cast<float>(sourceChannels));
  if (sourceRate != targetRate) scale(static_cast<float>(targetRate) / static_cast<float>(sourceRate));
  auto capBytes = static_cast<uint64_t>(cap);
  m_outputCap = Saturate32(capBytes + capBytes % targetFrame);
  const uint64_t outputCap = m_outputCap;

  const float ratioDown =
      static_cast<float>(sourceChannels * sourceRate) / static_cast<float>(targetChannels * targetRate);
  const float ratioUp =
      static_cast<float>(targetChannels * targetRate) / static_cast<float>(sourceChannels * sourceRate);

  // A frame is written while the bytes counted before it are under the cap: a 16-bit
  // frame whole, an 8-bit one byte by byte.
  const uint64_t limit = targetBits == 8 ? outputCap : (outputCap + targetFrame - 1) / targetFrame * targetFrame;
  OutputWriter output(sink, limit);
  auto finish = [&](int result) {
    bool written = output.Finish();
    m_outputWritten = Saturate32(output.Written());
    if (!written) {
      Report(kConvertLocation,
             "Writing the converted audio failed after " + std::to_string(output.Written()) + " bytes.",
             output.Error());
      return 0;
    }
    return result;
  };
  // The same format in and out (an import of project-format audio) is a copy of the
  // whole frames, the result the frame loop gives, made a block at a time.
  const bool sameFormat = sourceChannels == targetChannels && sourceBits == targetBits && sourceRate == targetRate;
  if (sameFormat && sourceBytes % sourceFrame == 0) {
    std::vector<uint8_t> block(kCopyBlock);
    for (uint64_t copied = 0; copied < sourceBytes;) {
      const auto got = static_cast<size_t>(std::min<uint64_t>(kCopyBlock, sourceBytes - copied));
      if (int read = input.Read(copied, block.data(), got); read != 1) return finish(read);
      // Progress and the cancel test per source buffer, as in the frame loop; after a
      // cancel the buffers already counted are written.
      size_t counted = 0;
      bool cancelled = false;
      while (counted < got && !cancelled) {
        counted += std::min<size_t>(kBufferSize, got - counted);
        if (progress && counted % kBufferSize == 0) {
          progress->StepProgress(kUnitsPerBuffer);
          cancelled = progress->CancelRequested();
        }
      }
      output.PutBlock(block.data(), counted);
      if (output.Error() != 0) return finish(0);
      if (cancelled) return finish(3);
      copied += got;
    }
    return finish(1);
  }

  const bool raise = sourceRate < targetRate;
  const bool lower = sourceRate > targetRate;
  const Conversion job{input, sourceBytes, progress, ratioDown, SkipTest(ratioUp), raise, lower, output};
  const auto loop = static_cast<size_t>(((sourceChannels - 1) * 2 + (sourceBits == 16 ? 1 : 0)) * 4 +
                                        (targetChannels - 1) * 2 + (targetBits == 16 ? 1 : 0));
  return finish(kFrameLoops[loop](job));
}
