#pragma once

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
  virtual int Read(uint8_t* bytes, size_t capacity, size_t& got) = 0;
  virtual void Close() = 0;
};

// Decodes WAV files, reporting their format: 16-bit samples at the file's own rate
// and channel count.
class CWaveImport : public CAudioDecoder {
 public:
  ~CWaveImport() override { Close(); }
  // Opens wavPath: 1 (quality and m_nDataBytes valid), 3 cancelled or refused
  // (refusals are explained to the user), 0 failed (reported).
  int ImportFile(AudioQuality& quality, const std::string& wavPath);
  int Read(uint8_t* bytes, size_t capacity, size_t& got) override;
  void Close() override;

  AudioQuality m_quality{2, 16, 44100};
  // The bytes the decoding gives.
  uint32_t m_nDataBytes = 0;

 private:
  WaveDecoderFunctions m_functions;
  WaveDecoder* m_decoder = nullptr;
  std::string m_path;
};

// Decodes MP3 files into the project format.
class CMP3Import : public CAudioDecoder {
 public:
  ~CMP3Import() override { Close(); }
  // Opens mp3Path: 1, 3 refused (explained), 0 failed (reported).
  int ImportFile(const std::string& mp3Path);
  int Read(uint8_t* bytes, size_t capacity, size_t& got) override;
  void Close() override;

  // The bytes the stream's length information promises, 0 when it has none.
  uint32_t m_nEstimatedBytes = 0;

 private:
  Mp3DecoderFunctions m_functions;
  Mp3Decoder* m_decoder = nullptr;
  std::string m_path;
};
