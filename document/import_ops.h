#pragma once

#include <cerrno>

#include <cstdint>
#include <string>

#include "audio_store/codec_modules.h"
#include "audio_store/convert_audio.h"

// A file being decoded for an import, read block by block as it is decoded.
class CAudioDecoder {
 public:
  virtual ~CAudioDecoder() = default;
  // Fills up to capacity bytes and sets got, 0 at the end: 1, or 3 when the decoder
  // refused the file midway (explained to the user).
  int Read(uint8_t* bytes, size_t capacity, size_t& got) {
    int error = 0;
    const int decoded = Decode(bytes, capacity, got, error);
    return Result(decoded, error);
  }
  // Read without its telling: the decoder's result (codec_results.h), with errno after
  // it in error. It shows nothing, so it may run on a thread of its own.
  virtual int Decode(uint8_t* bytes, size_t capacity, size_t& got, int& error) = 0;
  // What Read gives for a result of Decode, telling the user of a refusal.
  virtual int Result(int decoded, int error) const = 0;
  virtual void Close() = 0;
};

// A decoder's result as the import's: 1 done; a refusal is told to the user and
// gives 3, as a cancel does; 0 when the module was not loaded (reported). error is
// errno after the decoder call: a failed read is told with its cause.
int ImportDecodeResult(int result, int error, const std::string& file);

// A decoder of one of the codec modules, freed when closed.
template <typename Functions, typename Handle>
class CModuleDecoder : public CAudioDecoder {
 public:
  ~CModuleDecoder() override { Close(); }
  int Decode(uint8_t* bytes, size_t capacity, size_t& got, int& error) override {
    got = 0;
    errno = 0;
    const int result = m_functions.read(m_decoder, bytes, capacity, &got);
    error = errno;
    return result;
  }
  int Result(int decoded, int error) const override { return ImportDecodeResult(decoded, error, m_path); }
  void Close() override {
    if (m_decoder) m_functions.free(m_decoder);
    m_decoder = nullptr;
  }

 protected:
  Functions m_functions;
  Handle* m_decoder = nullptr;
  std::string m_path;
};

// Decodes WAV files, reporting their format: 16-bit samples at the file's own rate
// and channel count.
class CWaveImport : public CModuleDecoder<WaveDecoderFunctions, WaveDecoder> {
 public:
  // Opens wavPath: 1 (quality and m_nDataBytes valid), 3 cancelled or refused
  // (refusals are explained to the user), 0 failed (reported).
  int ImportFile(AudioQuality& quality, const std::string& wavPath);

  AudioQuality m_quality{2, 16, 44100};
  // The bytes the decoding gives.
  uint32_t m_nDataBytes = 0;
};

// Decodes MP3 files into the project format.
class CMP3Import : public CModuleDecoder<Mp3DecoderFunctions, Mp3Decoder> {
 public:
  // Opens mp3Path: 1, 3 refused (explained), 0 failed (reported).
  int ImportFile(const std::string& mp3Path);

  // The bytes the stream's length information promises, 0 when it has none.
  uint32_t m_nEstimatedBytes = 0;
};
