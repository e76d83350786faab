#include "platform/system.h"

namespace platform {

System& Os() {
  static System system;
  return system;
}

}  // namespace platform
