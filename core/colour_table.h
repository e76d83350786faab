#pragma once

#include <array>
#include <cstdint>
#include <string>

struct ColourEntry {
  std::string name;
  uint8_t red, green, blue;
};

// The nine named colours that the tracks' wave, outline and marker colours index.
struct CColourTable {
  static constexpr int kCount = 9;
  std::array<ColourEntry, kCount> entries{{{"Blue", 0, 128, 255},
                                           {"Red", 225, 15, 15},
                                           {"White", 225, 225, 225},
                                           {"Orange", 255, 110, 0},
                                           {"Purple", 105, 105, 255},
                                           {"Dark Green", 0, 105, 0},
                                           {"Light Green", 59, 222, 110},
                                           {"Black", 0, 0, 0},
                                           {"Dull Yellow", 145, 145, 25}}};
  // The entry of an index, the first one for an index outside the table.
  const ColourEntry& At(int index) const { return entries[(index >= 0 && index < kCount) ? index : 0]; }
};
