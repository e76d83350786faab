// The MP3 decoder fed any file: no fault, and a decoded file is a WAV header followed
// by whole 16-bit stereo frames.

#include <sys/stat.h>

#include <cstdlib>

#include "fuzz/memory_file.h"
#include "audio_store/codec_api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile input, output;
  input.Fill(data, size);
  if (LameDecode(input.Path().c_str(), output.Path().c_str(), nullptr) == kCodecDone) {
    struct stat written {};
    if (stat(output.Path().c_str(), &written) != 0) std::abort();
    if (written.st_size < 44 || (written.st_size - 44) % 4 != 0) std::abort();
  }
  return 0;
}
