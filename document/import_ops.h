#pragma once

#include <cstdint>
#include <string>

#include "audio_store/convert_audio.h"

// Decodes WAV files into raw PCM in the session folder, reporting their format.
class CWaveImport {
 public:
  // 1 decoded into m_szTempPath, 3 cancelled or refused (refusals are explained to
  // the user), 0 failed (reported).
  int ImportFile(const std::string& folder, AudioQuality& quality, const std::string& wavPath);
  void RemoveTempFile();

  std::string m_szTempPath;
  AudioQuality m_quality{2, 16, 44100};
  uint32_t m_nDataBytes = 0;
};

// Decodes MP3 files into a WAV file in the session folder.
class CMP3Import {
 public:
  int ImportFile(const std::string& folder, const std::string& mp3Path);
  void RemoveTempFile();

  std::string m_szTempPath;
};

// The progress callback of both decoders.
void DecodeCallback(int position, int* keepGoing);
