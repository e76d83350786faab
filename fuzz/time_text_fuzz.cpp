// A time typed into a dialog, in each unit, at the rates and tempos a project can have:
// no fault, and a text that reads gives a count of whole frames that is not negative.

#include <cstdlib>
#include <string>

#include "document/time_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int unit = data[0] % 3;
  const uint32_t beatsPerMinute = 1 + data[1];
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  for (uint32_t bytesPerSecond : {176400u, 88200u, 44100u, 22050u, 11025u}) {
    const int64_t bytes = ConvertTimeStringToBytes(text, unit, bytesPerSecond, beatsPerMinute);
    if (bytes < -1) std::abort();
  }
  return 0;
}
