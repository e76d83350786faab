// LameInterface.so: MP3 encoding with libmp3lame and decoding with libmpg123.

#include <lame/lame.h>
#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "audio_store/wave_header.h"
#include "audio_store/codec_api.h"
#include "modules/module_support.h"
#include "modules/stereo_resampler.h"

namespace {

using codec::KeepGoing;

// Frames read from the PCM input per encoder call.
constexpr size_t kEncodeFrames = 8192;
// Bytes asked of the decoder per read.
constexpr size_t kDecodeBytes = 65536;
// Bytes of the MP3 file read at a time.
constexpr size_t kInputBytes = 1 << 18;
// The decoder's output: the project format.
constexpr uint32_t kOutRate = 44100;
constexpr uint32_t kOutFrameBytes = 4;
// The largest PCM data a WAV header can describe, in whole frames.
constexpr uint64_t kMaxWaveData = (UINT32_MAX - 36) / kOutFrameBytes * kOutFrameBytes;

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct Mpg123Closer {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};

// Samples of one block of the raw input, as signed 16-bit values.
void DecodeInput(const uint8_t* bytes, size_t samples, int bitsPerSample, short* out) {
  for (size_t i = 0; i < samples; ++i) {
    if (bitsPerSample == 8) {
      out[i] = static_cast<short>((static_cast<int>(bytes[i]) - 128) * 256);
    } else {
      out[i] = static_cast<short>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    }
  }
}

// The MP3 file as libmpg123 reads it: through a buffer of kInputBytes, so that the
// decoder's reads of a frame header and a frame at a time cost no system call each.
// Seeks within the buffer stay in it; any other goes to the file.
class BufferedInput {
 public:
  explicit BufferedInput(int fd) : m_fd(fd) {}
  ~BufferedInput() { close(m_fd); }
  BufferedInput(const BufferedInput&) = delete;
  BufferedInput& operator=(const BufferedInput&) = delete;

  ssize_t Read(void* bytes, size_t count) {
    auto* to = static_cast<uint8_t*>(bytes);
    size_t done = 0;
    while (done < count) {
      if (m_next == m_end) {
        const ssize_t got = Fill();
        if (got < 0) return done != 0 ? static_cast<ssize_t>(done) : got;
        if (got == 0) break;
      }
      const size_t part = std::min(count - done, m_end - m_next);
      std::memcpy(to + done, m_buffer.data() + m_next, part);
      m_next += part;
      done += part;
    }
    return static_cast<ssize_t>(done);
  }
  off_t Seek(off_t offset, int whence) {
    off_t target = offset;
    if (whence == SEEK_CUR) {
      target = m_start + static_cast<off_t>(m_next) + offset;
    } else if (whence == SEEK_END) {
      // The file is positioned there: the buffer starts anew.
      target = lseek(m_fd, offset, SEEK_END);
      if (target < 0) return target;
      m_start = target;
      m_next = m_end = 0;
      return target;
    } else if (whence != SEEK_SET) {
      errno = EINVAL;
      return -1;
    }
    if (target >= m_start && target <= m_start + static_cast<off_t>(m_end)) {
      m_next = static_cast<size_t>(target - m_start);
      return target;
    }
    if (lseek(m_fd, target, SEEK_SET) < 0) return -1;
    m_start = target;
    m_next = m_end = 0;
    return target;
  }

  static ssize_t ReadHandle(void* input, void* bytes, size_t count) {
    return static_cast<BufferedInput*>(input)->Read(bytes, count);
  }
  static off_t SeekHandle(void* input, off_t offset, int whence) {
    return static_cast<BufferedInput*>(input)->Seek(offset, whence);
  }
  static void Delete(void* input) { delete static_cast<BufferedInput*>(input); }

  // The errno of the first read that failed, else 0: libmpg123 takes a failed read
  // for the end of the stream.
  int Error() const { return m_error; }

 private:
  // Reads the buffer's next fill from where the last one ended.
  ssize_t Fill() {
    // The file position is at the buffer's end: every read and seek of the file ends there.
    ssize_t got = 0;
    do {
      got = read(m_fd, m_buffer.data(), m_buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      if (m_error == 0) m_error = errno;
      return got;
    }
    m_start += static_cast<off_t>(m_end);
    m_next = 0;
    m_end = static_cast<size_t>(got);
    return got;
  }

  int m_fd;
  int m_error = 0;
  std::vector<uint8_t> m_buffer = std::vector<uint8_t>(kInputBytes);
  off_t m_start = 0;  // the file offset of the buffer's first byte
  size_t m_next = 0, m_end = 0;
};

// A decoder that gives 16-bit stereo at the stream's own rate (mono is doubled), with
// gapless trimming and without messages on the terminal. input is set to the file's
// reader, which the handle owns.
std::unique_ptr<mpg123_handle, Mpg123Closer> OpenDecoder(const char* path, BufferedInput** input) {
  mpg123_init();  // needed by libmpg123 before 1.27, harmless after
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, Mpg123Closer> handle(mpg123_new(nullptr, &error));
  if (!handle) return nullptr;
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_STEREO, 0.0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto* reader = new BufferedInput(fd);
  if (mpg123_replace_reader_handle(handle.get(), &BufferedInput::ReadHandle, &BufferedInput::SeekHandle,
                                   &BufferedInput::Delete) != MPG123_OK) {
    delete reader;
    return nullptr;
  }
  // From here the handle's close deletes the reader, also when the open fails.
  if (mpg123_open_handle(handle.get(), reader) != MPG123_OK) return nullptr;
  *input = reader;
  return handle;
}

}  // namespace

// The state of one encoding: the encoder, its output and a frame cut between writes.
struct LameEncoder {
  std::unique_ptr<lame_global_flags, LameCloser> lame;
  codec::Output output;
  long start = 0;  // where the stream begins in the output
  int channels = 2;
  int bitsPerSample = 16;
  size_t frameBytes = 4;
  std::vector<uint8_t> partial;
  std::vector<short> samples = std::vector<short>(kEncodeFrames * 2);
  // The encoder's worst case for a block: 1.25 × samples + 7200 bytes.
  std::vector<unsigned char> mp3 = std::vector<unsigned char>(kEncodeFrames * 5 / 4 + 7200);

  // Encodes whole frames, at most kEncodeFrames at a time.
  int EncodeFrames(const uint8_t* bytes, size_t frames) {
    while (frames != 0) {
      const size_t count = std::min(frames, kEncodeFrames);
      DecodeInput(bytes, count * static_cast<size_t>(channels), bitsPerSample, samples.data());
      const int size = static_cast<int>(mp3.size());
      int made = channels == 2 ? lame_encode_buffer_interleaved(lame.get(), samples.data(), static_cast<int>(count),
                                                                mp3.data(), size)
                               : lame_encode_buffer(lame.get(), samples.data(), nullptr, static_cast<int>(count),
                                                    mp3.data(), size);
      if (made < 0) return kCodecBadArguments;
      if (!output.Write(mp3.data(), static_cast<size_t>(made))) return kCodecWriteFailed;
      bytes += count * frameBytes;
      frames -= count;
    }
    return kCodecDone;
  }
};

namespace {

// Frees an encoder that was not finished.
struct EncoderFreer {
  void operator()(LameEncoder* encoder) const { LameEncoderFree(encoder); }
};

}  // namespace

int LameEncoderOpen(int fd, int channels, int bitsPerSample, int sampleRate, int bitRate, LameEncoder** encoder) {
  if (!encoder) return kCodecBadArguments;
  *encoder = nullptr;
  if ((channels != 1 && channels != 2) || (bitsPerSample != 8 && bitsPerSample != 16) || sampleRate <= 0 ||
      bitRate < 8 || bitRate > 320) {
    return kCodecBadArguments;
  }
  auto made = std::make_unique<LameEncoder>();
  made->lame.reset(lame_init());
  if (!made->lame) return kCodecBadArguments;
  lame_global_flags* lame = made->lame.get();
  lame_set_num_channels(lame, channels);
  lame_set_in_samplerate(lame, sampleRate);
  lame_set_brate(lame, bitRate);
  lame_set_mode(lame, channels == 2 ? JOINT_STEREO : MONO);
  // The caller appends its own tag; the LAME tag frame at the start carries the
  // encoder delay and padding that gapless decoders trim.
  lame_set_write_id3tag_automatic(lame, 0);
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) return kCodecBadArguments;
  if (!made->output.Adopt(fd)) return kCodecWriteFailed;
  made->start = made->output.Tell();
  if (made->start < 0) return kCodecWriteFailed;
  made->channels = channels;
  made->bitsPerSample = bitsPerSample;
  made->frameBytes = static_cast<size_t>(channels) * static_cast<size_t>(bitsPerSample / 8);
  *encoder = made.release();
  return kCodecDone;
}

int LameEncoderWrite(LameEncoder* encoder, const uint8_t* pcm, size_t bytes) {
  if (!encoder || (!pcm && bytes != 0)) return kCodecBadArguments;
  std::vector<uint8_t>& partial = encoder->partial;
  if (!partial.empty()) {
    const size_t taken = std::min(bytes, encoder->frameBytes - partial.size());
    partial.insert(partial.end(), pcm, pcm + taken);
    pcm += taken;
    bytes -= taken;
    if (partial.size() < encoder->frameBytes) return kCodecDone;
    if (int result = encoder->EncodeFrames(partial.data(), 1); result != kCodecDone) return result;
    partial.clear();
  }
  const size_t frames = bytes / encoder->frameBytes;
  if (int result = encoder->EncodeFrames(pcm, frames); result != kCodecDone) return result;
  partial.assign(pcm + frames * encoder->frameBytes, pcm + bytes);
  return kCodecDone;
}

int LameEncoderFinish(LameEncoder* encoder) {
  if (!encoder) return kCodecBadArguments;
  std::unique_ptr<LameEncoder, EncoderFreer> owned(encoder);
  // A trailing partial frame is not audio.
  int bytes = lame_encode_flush(encoder->lame.get(), encoder->mp3.data(), static_cast<int>(encoder->mp3.size()));
  if (bytes < 0) return kCodecBadArguments;
  codec::Output& output = encoder->output;
  if (!output.Write(encoder->mp3.data(), static_cast<size_t>(bytes))) return kCodecWriteFailed;
  // The encoder left an empty frame at the very start for the tag; it is filled in now
  // that the stream's length is known.
  unsigned char tag[8192];
  size_t tagBytes = lame_get_lametag_frame(encoder->lame.get(), tag, sizeof tag);
  if (tagBytes > sizeof tag) return kCodecBadArguments;
  if (tagBytes != 0 && !(output.Seek(encoder->start) && output.Write(tag, tagBytes) && output.SeekEnd())) {
    return kCodecWriteFailed;
  }
  return output.Close() ? kCodecDone : kCodecWriteFailed;
}

void LameEncoderFree(LameEncoder* encoder) {
  delete encoder;
}

int LameEncode(const char* inputPath, const char* outputPath, int channels, int bitsPerSample, int sampleRate,
               int bitRate, CodecCallback callback) {
  if (!inputPath || !outputPath) return kCodecBadArguments;
  if ((channels != 1 && channels != 2) || (bitsPerSample != 8 && bitsPerSample != 16) || sampleRate <= 0 ||
      bitRate < 8 || bitRate > 320) {
    return kCodecBadArguments;
  }
  uint64_t inputSize = 0;
  if (!codec::RegularFileSize(inputPath, inputSize)) return kCodecUnreadable;
  codec::FilePtr input(std::fopen(inputPath, "rb"));
  if (!input) return kCodecUnreadable;
  codec::FilePtr output(std::fopen(outputPath, "wb"));
  if (!output) return kCodecWriteFailed;

  LameEncoder* opened = nullptr;
  int result = LameEncoderOpen(fileno(output.get()), channels, bitsPerSample, sampleRate, bitRate, &opened);
  if (result != kCodecDone) return result;
  std::unique_ptr<LameEncoder, EncoderFreer> encoder(opened);
  std::vector<uint8_t> raw(kEncodeFrames * encoder->frameBytes);
  uint64_t done = 0;
  for (;;) {
    size_t got = std::fread(raw.data(), 1, raw.size(), input.get());
    if (std::ferror(input.get())) return kCodecUnreadable;
    if ((result = LameEncoderWrite(encoder.get(), raw.data(), got)) != kCodecDone) return result;
    done += got;
    if (got < raw.size()) break;
    if (!KeepGoing(callback, done, inputSize)) return kCodecCancelled;
  }
  if ((result = LameEncoderFinish(encoder.release())) != kCodecDone) return result;
  if (std::fclose(output.release()) != 0) return kCodecWriteFailed;
  if (!KeepGoing(callback, inputSize, inputSize)) return kCodecCancelled;
  return kCodecDone;
}

// One MP3 stream being decoded into the project format, a read at a time: what a
// read of the decoder gives is resampled into pending and handed out from there.
struct Mp3Decoder {
  std::unique_ptr<mpg123_handle, Mpg123Closer> handle;
  BufferedInput* input = nullptr;  // owned by the handle
  codec::StereoResampler resampler;
  bool formatKnown = false;
  bool ended = false;
  bool tooLong = false;
  uint64_t total = 0;  // bytes emitted
  std::vector<unsigned char> pcm = std::vector<unsigned char>(kDecodeBytes);
  std::vector<uint8_t> pending = std::vector<uint8_t>(2 * kDecodeBytes);
  size_t filled = 0;  // bytes of pending decoded
  size_t handed = 0;  // bytes of pending already read

  // Appends a frame; false (the stream is refused) past what a WAV header can describe.
  bool Emit(const int16_t frame[2]) {
    if (total + kOutFrameBytes > kMaxWaveData) {
      tooLong = true;
      return false;
    }
    // A low-rate stream gives more frames than it read bytes.
    if (filled + kOutFrameBytes > pending.size()) pending.resize(2 * pending.size());
    codec::PutSample(pending.data() + filled, frame[0]);
    codec::PutSample(pending.data() + filled + 2, frame[1]);
    filled += kOutFrameBytes;
    total += kOutFrameBytes;
    return true;
  }

  // Appends count frames as they are.
  bool EmitAll(const int16_t* frames, size_t count) {
    const size_t bytes = count * kOutFrameBytes;
    if (total + bytes > kMaxWaveData) {
      tooLong = true;
      return false;
    }
    if (filled + bytes > pending.size()) pending.resize(std::max(2 * pending.size(), filled + bytes));
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(pending.data() + filled, frames, bytes);
    } else {
      for (size_t i = 0; i < 2 * count; ++i) codec::PutSample(pending.data() + filled + 2 * i, frames[i]);
    }
    filled += bytes;
    total += bytes;
    return true;
  }

  // Takes the decoder's current format; a stream that changes its rate midway is
  // converted piece by piece. kCodecDone, or why decoding cannot go on.
  int AdoptFormat() {
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels != MPG123_STEREO || encoding != MPG123_ENC_SIGNED_16) {
      return kCodecUnreadable;
    }
    if (formatKnown && static_cast<uint32_t>(rate) == resampler.InRate()) return kCodecDone;
    if (formatKnown && !resampler.Finish([this](const int16_t frame[2]) { return Emit(frame); })) {
      return kCodecUnreadable;
    }
    resampler.Start(static_cast<uint32_t>(rate), kOutRate);
    formatKnown = true;
    return kCodecDone;
  }

  // One read of the decoder; kCodecDone, or why decoding cannot go on.
  int Step() {
    auto emit = [this](const int16_t frame[2]) { return Emit(frame); };
    size_t got = 0;
    int status = mpg123_read(handle.get(), pcm.data(), pcm.size(), &got);
    if (input && input->Error() != 0) {
      // The file could not be read on: what was decoded is not all of it.
      errno = input->Error();
      return kCodecUnreadable;
    }
    if (got != 0) {
      if (!formatKnown) {
        if (int adopted = AdoptFormat(); adopted != kCodecDone) return adopted;
      }
      // mpg123 hands out native-endian samples, suitably aligned in the buffer.
      const auto* frames = reinterpret_cast<const int16_t*>(pcm.data());
      if (resampler.InRate() == kOutRate) {
        // The project's rate: the resampler would pass every frame as it is.
        if (!EmitAll(frames, got / kOutFrameBytes)) return kCodecUnreadable;
      } else if (!resampler.Push(frames, got / kOutFrameBytes, emit)) {
        return kCodecUnreadable;
      }
    }
    if (status == MPG123_NEW_FORMAT) return AdoptFormat();
    if (status == MPG123_DONE) {
      ended = true;
      if (!resampler.Finish(emit)) return kCodecUnreadable;
      // Nothing decodable in it: not an MP3 file.
      return total == 0 ? kCodecUnreadable : kCodecDone;
    }
    // A stream that cannot be decoded further is refused rather than cut short silently.
    return status == MPG123_OK ? kCodecDone : kCodecUnreadable;
  }

  uint64_t StreamPosition() {
    off_t position = mpg123_tell_stream(handle.get());
    return position > 0 ? static_cast<uint64_t>(position) : 0;
  }
};

int Mp3DecoderOpen(const char* inputPath, Mp3Decoder** decoder, uint32_t* estimatedBytes) {
  if (!inputPath || !decoder || !estimatedBytes) return kCodecBadArguments;
  *decoder = nullptr;
  *estimatedBytes = 0;
  uint64_t inputSize = 0;
  if (!codec::RegularFileSize(inputPath, inputSize) || inputSize == 0) return kCodecUnreadable;
  auto made = std::make_unique<Mp3Decoder>();
  made->handle = OpenDecoder(inputPath, &made->input);
  if (!made->handle) return kCodecUnreadable;
  // The length the stream's header or Info frame tells, at its first frame's rate
  // (read from the frame, not as the output format, which would start the decoding).
  const off_t frames = mpg123_length(made->handle.get());
  mpg123_frameinfo frame{};
  if (frames > 0 && mpg123_info(made->handle.get(), &frame) == MPG123_OK && frame.rate > 0) {
    const uint64_t bytes = static_cast<uint64_t>(frames) * kOutRate / static_cast<uint64_t>(frame.rate) * kOutFrameBytes;
    *estimatedBytes = static_cast<uint32_t>(std::min<uint64_t>(bytes, kMaxWaveData));
  }
  *decoder = made.release();
  return kCodecDone;
}

int Mp3DecoderRead(Mp3Decoder* decoder, uint8_t* bytes, size_t capacity, size_t* got) {
  if (!decoder || !bytes || !got || capacity < kOutFrameBytes) return kCodecBadArguments;
  *got = 0;
  if (decoder->handed == decoder->filled) {
    decoder->filled = decoder->handed = 0;
    while (decoder->filled == 0 && !decoder->ended) {
      if (int result = decoder->Step(); result != kCodecDone) return result;
    }
  }
  const size_t count = std::min(capacity / kOutFrameBytes * kOutFrameBytes, decoder->filled - decoder->handed);
  std::copy_n(decoder->pending.data() + decoder->handed, count, bytes);
  decoder->handed += count;
  *got = count;
  return kCodecDone;
}

void Mp3DecoderFree(Mp3Decoder* decoder) {
  delete decoder;
}

int LameDecode(const char* inputPath, const char* outputPath, CodecCallback callback) {
  if (!inputPath || !outputPath) return kCodecBadArguments;
  uint64_t inputSize = 0;
  uint32_t estimate = 0;
  Mp3Decoder* opened = nullptr;
  if (int result = Mp3DecoderOpen(inputPath, &opened, &estimate); result != kCodecDone) return result;
  std::unique_ptr<Mp3Decoder, decltype(&Mp3DecoderFree)> decoder(opened, Mp3DecoderFree);
  codec::RegularFileSize(inputPath, inputSize);

  codec::Output output;
  if (!output.Open(outputPath)) return kCodecWriteFailed;
  // The header's sizes are known at the end; its place is kept meanwhile.
  const uint8_t placeholder[44] = {};
  if (!output.Write(placeholder, sizeof placeholder)) return kCodecWriteFailed;
  std::vector<uint8_t> bytes(kDecodeBytes);
  for (;;) {
    size_t got = 0;
    if (int result = Mp3DecoderRead(decoder.get(), bytes.data(), bytes.size(), &got); result != kCodecDone) {
      return result;
    }
    if (got == 0) break;
    if (!output.Write(bytes.data(), got)) return kCodecWriteFailed;
    if (!KeepGoing(callback, decoder->StreamPosition(), inputSize)) return kCodecCancelled;
  }
  auto header = WaveHeaderBytes(static_cast<uint32_t>(decoder->total), kOutRate, 2, 16);
  if (!(output.Seek(0) && output.Write(header.data(), header.size()))) return kCodecWriteFailed;
  if (!output.Close()) return kCodecWriteFailed;
  return kCodecDone;
}
