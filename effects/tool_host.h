#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace effects {

// The current track's positions a tool's range is taken from (-1: a marker not set).
struct TrackRange {
  uint32_t highlightBegin = 0;
  uint32_t highlightEnd = 0;
  int32_t markerBegin = -1;
  int32_t markerEnd = -1;
  uint32_t length = 0;
};

// What the tool dialogs need of the program around them.
class ToolHost {
 public:
  virtual ~ToolHost() = default;
  // Nothing while no document is open.
  virtual std::optional<TrackRange> CurrentTrack() const = 0;
  // The folder the user's preset files are kept in.
  virtual std::string PresetFolder() const = 0;
  virtual void ShowInformation(const std::string& text) = 0;
  virtual void ReportError(const std::string& location, const std::string& message) = 0;
};

}  // namespace effects
