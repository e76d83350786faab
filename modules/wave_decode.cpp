// WaveDecode.so: WAV decoding with libsndfile.

#include <sndfile.h>

#include <cmath>
#include <memory>
#include <vector>

#include "audio_store/codec_api.h"
#include "modules/module_support.h"

namespace {

using codec::KeepGoing;

// Frames read per block.
constexpr sf_count_t kBlockFrames = 8192;

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

// The containers of the WAV family. libsndfile reads many more (AIFF, FLAC, MP3...),
// which are not what this decoder is for: such a file named .wav is refused.
bool IsWaveContainer(int format) {
  switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_W64: return true;
    default: return false;
  }
}

bool IsFloatData(int format) {
  int subtype = format & SF_FORMAT_SUBMASK;
  return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

// A full-scale 32-bit sample rounded to 16 bits.
int16_t FromInt(int value) {
  int64_t rounded = (static_cast<int64_t>(value) + 0x8000) >> 16;
  return static_cast<int16_t>(rounded > 32767 ? 32767 : rounded);
}

// A float sample (full scale ±1.0) to 16 bits, clipped; the inverse of the usual
// v / 32768, so 16-bit audio stored as float comes back exactly.
int16_t FromFloat(float value) {
  if (std::isnan(value)) return 0;
  float scaled = std::nearbyint(value * 32768.0f);
  if (scaled > 32767.0f) return 32767;
  if (scaled < -32768.0f) return -32768;
  return static_cast<int16_t>(scaled);
}

}  // namespace

int WaveDecode(char* inputPath, const char* outputPath, int16_t* bitsPerSample, int16_t* channels, int32_t* sampleRate,
               int32_t* ignored, int32_t* dataBytes, CodecCallback callback) {
  if (!inputPath || !outputPath || !bitsPerSample || !channels || !sampleRate || !dataBytes) return kCodecBadArguments;
  uint64_t inputSize = 0;
  if (!codec::RegularFileSize(inputPath, inputSize)) return kCodecUnreadable;
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> wave(sf_open(inputPath, SFM_READ, &info));
  if (!wave) return kCodecUnreadable;
  // The converter after this takes one or two channels; a rate of 0 is a broken header.
  if (!IsWaveContainer(info.format) || info.channels < 1 || info.channels > 2 || info.samplerate <= 0 ||
      info.frames < 0) {
    return kCodecUnreadable;
  }
  const auto fileChannels = static_cast<size_t>(info.channels);
  const uint64_t frameBytes = 2 * fileChannels;
  // dataBytes is a 32-bit count; longer audio could not be described.
  if (static_cast<uint64_t>(info.frames) * frameBytes > UINT32_MAX) return kCodecUnreadable;

  codec::Output output;
  if (!output.Open(outputPath)) return kCodecWriteFailed;

  const bool floatData = IsFloatData(info.format);
  std::vector<int> whole(floatData ? 0 : kBlockFrames * fileChannels);
  std::vector<float> fractions(floatData ? kBlockFrames * fileChannels : 0);
  std::vector<uint8_t> bytes(kBlockFrames * frameBytes);
  uint64_t framesDone = 0;
  for (;;) {
    sf_count_t got = floatData ? sf_readf_float(wave.get(), fractions.data(), kBlockFrames)
                               : sf_readf_int(wave.get(), whole.data(), kBlockFrames);
    if (got <= 0) break;
    const size_t samples = static_cast<size_t>(got) * fileChannels;
    if ((framesDone + static_cast<uint64_t>(got)) * frameBytes > UINT32_MAX) return kCodecUnreadable;
    for (size_t i = 0; i < samples; ++i) {
      codec::PutSample(bytes.data() + 2 * i, floatData ? FromFloat(fractions[i]) : FromInt(whole[i]));
    }
    if (!output.Write(bytes.data(), 2 * samples)) return kCodecWriteFailed;
    framesDone += static_cast<uint64_t>(got);
    if (!KeepGoing(callback, framesDone, static_cast<uint64_t>(info.frames))) return kCodecCancelled;
  }
  // A read that stopped on an error, not at the end of the data.
  if (sf_error(wave.get()) != SF_ERR_NO_ERROR) return kCodecUnreadable;
  if (!output.Close()) return kCodecWriteFailed;

  *bitsPerSample = 16;
  *channels = static_cast<int16_t>(info.channels);
  *sampleRate = info.samplerate;
  if (ignored) *ignored = 0;
  *dataBytes = static_cast<int32_t>(static_cast<uint32_t>(framesDone * frameBytes));
  return kCodecDone;
}
