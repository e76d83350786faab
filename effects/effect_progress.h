#pragma once

#include <cstdint>

namespace effects {

// The progress display an effect reports to, and the cancel flag it watches.
class EffectProgress {
 public:
  virtual ~EffectProgress() = default;
  virtual void Step(uint32_t amount) = 0;
  virtual void SetPosition(uint32_t position) = 0;
  virtual uint32_t Position() const = 0;
  virtual bool Cancelled() const = 0;
};

}  // namespace effects
