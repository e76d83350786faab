// The WAV decoder fed any file: no fault, and what it reports matches what it wrote.

#include <sys/stat.h>

#include <cstdlib>

#include "fuzz/memory_file.h"
#include "audio_store/codec_api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile input, output;
  input.Fill(data, size);
  std::string inputPath = input.Path();
  int16_t bits = 0, channels = 0;
  int32_t rate = 0, ignored = 0, dataBytes = 0;
  if (WaveDecode(inputPath.data(), output.Path().c_str(), &bits, &channels, &rate, &ignored, &dataBytes, nullptr) ==
      kCodecDone) {
    struct stat written {};
    if (stat(output.Path().c_str(), &written) != 0) std::abort();
    if (bits != 16 || (channels != 1 && channels != 2) || rate <= 0) std::abort();
    if (static_cast<uint32_t>(dataBytes) != static_cast<uint64_t>(written.st_size)) std::abort();
  }
  return 0;
}
