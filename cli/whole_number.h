#pragma once

#include <optional>
#include <string>

// A whole number 0..max written in decimal digits only, or nothing.
inline std::optional<int> WholeNumber(const std::string& text, int max) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int value = std::stoi(text);
  return value <= max ? std::optional<int>(value) : std::nullopt;
}
