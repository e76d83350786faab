#include "audio_store/wave_header.h"

#include <cerrno>

#include "core/errors.h"
#include "platform/last_error.h"

int WriteWaveHeader(std::FILE* file, uint32_t dataSize, int32_t sampleRate, int16_t channels, int16_t bitsPerSample) {
  if (!file) {
    platform::SetLastError(0);
    ReportError("WriteWaveHeader", "Pointer to passed in file is null.");
    return 0;
  }
  if (bitsPerSample != 8 && bitsPerSample != 16) return 0;
  auto header = WaveHeaderBytes(dataSize, sampleRate, channels, bitsPerSample);
  errno = 0;
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
    int code = errno != 0 ? errno : EIO;
    platform::SetLastError(code);
    ReportError("WriteWaveHeader", "Writing the wave header failed.");
    return 0;
  }
  return 1;
}
