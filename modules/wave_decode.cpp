// WaveDecode.so: WAV decoding with libsndfile.

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
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

// The file libsndfile reads, through calls of our own: a read that fails keeps its
// error, which libsndfile would report as the end of the data.
struct WaveSource {
  int fd = -1;
  sf_count_t position = 0;
  sf_count_t length = 0;
  int error = 0;

  WaveSource() = default;
  WaveSource(const WaveSource&) = delete;
  WaveSource& operator=(const WaveSource&) = delete;
  ~WaveSource() {
    if (fd >= 0) close(fd);
  }
};

sf_count_t SourceLength(void* data) {
  return static_cast<WaveSource*>(data)->length;
}

sf_count_t SourceSeek(sf_count_t offset, int whence, void* data) {
  auto* source = static_cast<WaveSource*>(data);
  const sf_count_t base = whence == SEEK_CUR ? source->position : whence == SEEK_END ? source->length : 0;
  if (base + offset < 0) return -1;
  source->position = base + offset;
  return source->position;
}

sf_count_t SourceRead(void* buffer, sf_count_t count, void* data) {
  auto* source = static_cast<WaveSource*>(data);
  sf_count_t done = 0;
  while (done < count) {
    const ssize_t got = pread(source->fd, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done),
                              static_cast<off_t>(source->position + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (source->error == 0) source->error = errno;
      break;
    }
    if (got == 0) break;
    done += got;
  }
  source->position += done;
  return done;
}

sf_count_t SourceWrite(const void*, sf_count_t, void*) {
  return 0;
}

sf_count_t SourceTell(void* data) {
  return static_cast<WaveSource*>(data)->position;
}

}  // namespace

// One WAV file being decoded block by block.
struct WaveDecoder {
  // Declared before the decoder, which reads it until it is closed.
  WaveSource source;
  std::unique_ptr<SNDFILE, SndfileCloser> wave;
  SF_INFO info{};
  bool floatData = false;
  // 16-bit data is read as it is: the rounding of wider samples leaves it unchanged.
  bool shortData = false;
  size_t channels = 1;
  uint64_t framesDone = 0;
  std::vector<int> whole;
  std::vector<float> fractions;
  std::vector<short> shorts;
};

int WaveDecoderOpen(const char* inputPath, WaveDecoder** decoder, int16_t* bitsPerSample, int16_t* channels,
                    int32_t* sampleRate, uint32_t* dataBytes) {
  if (!inputPath || !decoder || !bitsPerSample || !channels || !sampleRate || !dataBytes) return kCodecBadArguments;
  *decoder = nullptr;
  uint64_t inputSize = 0;
  if (!codec::RegularFileSize(inputPath, inputSize)) return kCodecUnreadable;
  auto made = std::make_unique<WaveDecoder>();
  made->source.fd = open(inputPath, O_RDONLY | O_CLOEXEC);
  if (made->source.fd < 0) return kCodecUnreadable;
  made->source.length = static_cast<sf_count_t>(inputSize);
  SF_VIRTUAL_IO io{SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};
  made->wave.reset(sf_open_virtual(&io, SFM_READ, &made->info, &made->source));
  if (!made->wave) {
    if (made->source.error != 0) errno = made->source.error;
    return kCodecUnreadable;
  }
  const SF_INFO& info = made->info;
  // The converter after this takes one or two channels; a rate of 0 is a broken header.
  if (!IsWaveContainer(info.format) || info.channels < 1 || info.channels > 2 || info.samplerate <= 0 ||
      info.frames < 0) {
    return kCodecUnreadable;
  }
  made->channels = static_cast<size_t>(info.channels);
  // dataBytes is a 32-bit count; longer audio could not be described.
  const uint64_t bytes = static_cast<uint64_t>(info.frames) * 2 * made->channels;
  if (bytes > UINT32_MAX) return kCodecUnreadable;
  made->floatData = IsFloatData(info.format);
  made->shortData = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  const size_t samples = kBlockFrames * made->channels;
  if (made->floatData) made->fractions.resize(samples);
  else if (made->shortData) made->shorts.resize(samples);
  else made->whole.resize(samples);
  *bitsPerSample = 16;
  *channels = static_cast<int16_t>(info.channels);
  *sampleRate = info.samplerate;
  *dataBytes = static_cast<uint32_t>(bytes);
  *decoder = made.release();
  return kCodecDone;
}

int WaveDecoderRead(WaveDecoder* decoder, uint8_t* bytes, size_t capacity, size_t* got) {
  if (!decoder || !bytes || !got) return kCodecBadArguments;
  *got = 0;
  const size_t frameBytes = 2 * decoder->channels;
  const auto frames = static_cast<sf_count_t>(std::min<size_t>(capacity / frameBytes, kBlockFrames));
  if (frames == 0) return kCodecBadArguments;
  SNDFILE* wave = decoder->wave.get();
  sf_count_t read = decoder->floatData   ? sf_readf_float(wave, decoder->fractions.data(), frames)
                    : decoder->shortData ? sf_readf_short(wave, decoder->shorts.data(), frames)
                                         : sf_readf_int(wave, decoder->whole.data(), frames);
  if (decoder->source.error != 0) {
    // A read that stopped on an error, not at the end of the data.
    errno = decoder->source.error;
    return kCodecUnreadable;
  }
  if (read <= 0) return sf_error(decoder->wave.get()) != SF_ERR_NO_ERROR ? kCodecUnreadable : kCodecDone;
  if ((decoder->framesDone + static_cast<uint64_t>(read)) * frameBytes > UINT32_MAX) return kCodecUnreadable;
  const size_t samples = static_cast<size_t>(read) * decoder->channels;
  if (decoder->shortData && std::endian::native == std::endian::little) {
    std::memcpy(bytes, decoder->shorts.data(), 2 * samples);
  } else if (decoder->shortData) {
    for (size_t i = 0; i < samples; ++i) codec::PutSample(bytes + 2 * i, decoder->shorts[i]);
  } else {
    for (size_t i = 0; i < samples; ++i) {
      codec::PutSample(bytes + 2 * i,
                       decoder->floatData ? FromFloat(decoder->fractions[i]) : FromInt(decoder->whole[i]));
    }
  }
  decoder->framesDone += static_cast<uint64_t>(read);
  *got = 2 * samples;
  return kCodecDone;
}

void WaveDecoderFree(WaveDecoder* decoder) {
  delete decoder;
}

int WaveDecode(char* inputPath, const char* outputPath, int16_t* bitsPerSample, int16_t* channels, int32_t* sampleRate,
               int32_t* ignored, int32_t* dataBytes, CodecCallback callback) {
  if (!inputPath || !outputPath || !bitsPerSample || !channels || !sampleRate || !dataBytes) return kCodecBadArguments;
  int16_t bits = 0, fileChannels = 0;
  int32_t rate = 0;
  uint32_t declared = 0;
  WaveDecoder* opened = nullptr;
  if (int result = WaveDecoderOpen(inputPath, &opened, &bits, &fileChannels, &rate, &declared); result != kCodecDone) {
    return result;
  }
  std::unique_ptr<WaveDecoder, decltype(&WaveDecoderFree)> decoder(opened, WaveDecoderFree);
  codec::Output output;
  if (!output.Open(outputPath)) return kCodecWriteFailed;
  std::vector<uint8_t> bytes(kBlockFrames * 2 * decoder->channels);
  uint64_t written = 0;
  for (;;) {
    size_t got = 0;
    if (int result = WaveDecoderRead(decoder.get(), bytes.data(), bytes.size(), &got); result != kCodecDone) {
      return result;
    }
    if (got == 0) break;
    if (!output.Write(bytes.data(), got)) return kCodecWriteFailed;
    written += got;
    if (!KeepGoing(callback, decoder->framesDone, static_cast<uint64_t>(decoder->info.frames))) return kCodecCancelled;
  }
  if (!output.Close()) return kCodecWriteFailed;

  *bitsPerSample = bits;
  *channels = fileChannels;
  *sampleRate = rate;
  if (ignored) *ignored = 0;
  *dataBytes = static_cast<int32_t>(static_cast<uint32_t>(written));
  return kCodecDone;
}
