#include "platform/clock.h"

#include <chrono>

namespace platform {

namespace {
uint32_t SteadyMilliseconds() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
}  // namespace

uint32_t SteadyClock::GetTickCount() {
  return SteadyMilliseconds();
}
uint32_t SteadyClock::TimeGetTime() {
  return SteadyMilliseconds();
}

}  // namespace platform
