#include "engine/meter_response.h"

#include <algorithm>

const std::array<uint8_t, 100> kMeterResponse = {
    0,  3,  6,  9,  12, 16, 18, 20, 22, 25, 28, 30, 31, 33, 35, 37, 38, 41, 43, 44, 45, 46, 47, 48, 49,
    51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 62, 63, 64, 65, 65, 66, 67, 68, 69, 70, 70, 70, 71, 72, 73,
    74, 75, 76, 77, 77, 77, 78, 78, 79, 80, 81, 81, 82, 83, 83, 84, 84, 85, 85, 86, 86, 86, 87, 87, 88,
    89, 89, 90, 90, 91, 91, 92, 92, 93, 93, 94, 94, 95, 95, 96, 96, 96, 97, 97, 98, 98, 98, 98, 99, 100};

int MeterPosition(int level) {
  return kMeterResponse[static_cast<size_t>(std::clamp(level, 0, 99))];
}
