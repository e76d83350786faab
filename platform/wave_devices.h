#pragma once

#include <string>
#include <vector>

namespace platform {

// The wave input and output devices, by index in the audio layer's order.
class WaveDevices {
 public:
  virtual ~WaveDevices() = default;
  virtual std::vector<std::string> OutputNames() = 0;
  virtual std::vector<std::string> InputNames() = 0;
};

// A fixed device list (tests, and runs without a sound system).
struct FixedWaveDevices : WaveDevices {
  FixedWaveDevices(std::vector<std::string> outputNames, std::vector<std::string> inputNames)
      : outputs(std::move(outputNames)), inputs(std::move(inputNames)) {}
  std::vector<std::string> OutputNames() override { return outputs; }
  std::vector<std::string> InputNames() override { return inputs; }

  std::vector<std::string> outputs, inputs;
};

}  // namespace platform
