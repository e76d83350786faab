// make_metronome FOLDER: writes the metronome's four click files into FOLDER.
#include <cstdio>
#include <string>

#include "assets/metronome_samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_metronome FOLDER\n", stderr);
    return 2;
  }
  for (const auto& sample : metronome_samples::kSamples) {
    const std::string path = std::string(argv[1]) + "/" + sample.fileName;
    const std::vector<uint8_t> bytes = sample.make();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
