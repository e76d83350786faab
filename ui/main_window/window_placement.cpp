#include "ui/main_window/window_placement.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace ui {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<long long> ParseNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string FormatPlacement(const WindowPlacement& p) {
  char text[160];
  std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showState, p.minX, p.minY, p.maxX,
                p.maxY, p.left, p.top, p.right, p.bottom);
  return text;
}

std::optional<WindowPlacement> ParsePlacement(const std::string& text) {
  std::vector<long long> fields;
  std::string_view rest = text;
  while (true) {
    size_t comma = rest.find(',');
    auto number = ParseNumber(rest.substr(0, comma));
    if (!number) return std::nullopt;
    fields.push_back(*number);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (fields.size() != 10) return std::nullopt;
  for (size_t i = 0; i < fields.size(); ++i) {
    long long low = i < 2 ? 0 : std::numeric_limits<int>::min();
    long long high = i < 2 ? std::numeric_limits<unsigned int>::max() : std::numeric_limits<int>::max();
    if (fields[i] < low || fields[i] > high) return std::nullopt;
  }
  WindowPlacement p;
  p.flags = static_cast<unsigned int>(fields[0]);
  p.showState = static_cast<unsigned int>(fields[1]);
  p.minX = static_cast<int>(fields[2]);
  p.minY = static_cast<int>(fields[3]);
  p.maxX = static_cast<int>(fields[4]);
  p.maxY = static_cast<int>(fields[5]);
  p.left = static_cast<int>(fields[6]);
  p.top = static_cast<int>(fields[7]);
  p.right = static_cast<int>(fields[8]);
  p.bottom = static_cast<int>(fields[9]);
  if (p.right <= p.left || p.bottom <= p.top) return std::nullopt;
  return p;
}

}  // namespace ui
