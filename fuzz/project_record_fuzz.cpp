// The project file read from any bytes, as both of its generations: no fault, and a
// record that decodes is stored and read back unchanged.

#include <cstdlib>

#include "document/project_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (auto record = ProjectRecord::Decode(data, size)) {
    const std::vector<uint8_t> stored = record->Encode();
    auto back = ProjectRecord::Decode(stored.data(), stored.size());
    if (!back || back->Encode() != stored) std::abort();
  }
  LegacyRecord::Decode(data, size);
  return 0;
}
