#pragma once

#include <optional>
#include <string>

// What an audio file's header declares of its audio, beside what the file holds.
struct DeclaredLength {
  double seconds = 0;     // the length of the audio the header declares
  bool cutShort = false;  // the file ends before the bytes the header declares
};

// Read from a WAV file's RIFF chunks or from the Xing or Info frame that starts an MP3
// file; nothing when the file declares no length (a WAV written as a stream, an MP3
// without that frame) or is neither.
std::optional<DeclaredLength> ReadDeclaredLength(const std::string& path);
