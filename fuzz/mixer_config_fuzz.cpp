// The configuration record read from any bytes: no fault, and what it decodes to is
// stored and read back unchanged.

#include <cstdlib>
#include <cstring>

#include "core/mixer_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const MixerConfig config = MixerConfig::Decode(data, size);
  const MixerConfig::Bytes stored = config.Encode();
  const MixerConfig::Bytes again = MixerConfig::Decode(stored.data(), stored.size()).Encode();
  if (std::memcmp(stored.data(), again.data(), stored.size()) != 0) std::abort();
  return 0;
}
