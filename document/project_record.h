#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/metronome_settings.h"

// One track of the project file.
struct TrackRecord {
  std::string name;
  uint8_t level30 = 10;  // the one level of version 30 files
  uint8_t left = 10, right = 10;
  int32_t current = 0, armed = 0, solo = 0, muted = 0;
  uint32_t highlightBegin = 0, highlightEnd = 0, viewStart = 0, viewEnd = 0, length = 0, highlightSpan = 0,
           viewWidth = 0, renderedLength = 0;
  int32_t markerBegin = -1, markerEnd = -1;
};

// The project file: one record of 5892 bytes, versions 33 (written), 32 and 30.
struct ProjectRecord {
  static constexpr size_t kSize = 5892;
  static constexpr size_t kFolderSize = 261;
  static constexpr size_t kDescriptionSize = 1024;
  static constexpr size_t kTrackNameSize = 512;

  int version = 33;
  std::string folder;
  std::string description;
  uint8_t master1293 = 10;  // version 33 master left; 30 and 32 both channels
  uint8_t master1294 = 10;  // version 33 master right
  std::array<TrackRecord, 8> tracks;
  uint32_t currentPosition = 0;
  MetronomeSettings metronome;

  std::vector<uint8_t> Encode() const;
  // The record of a whole file beginning "SNVX33", "SNVX32" or "SNVX30". Nothing
  // for any other start, nor for a record cut short.
  static std::optional<ProjectRecord> Decode(const uint8_t* data, size_t count);
};

// A project file of the 2.x generation: 1313 bytes beginning "SNVX" and a folder name.
struct LegacyRecord {
  static constexpr size_t kSize = 1313;

  std::string folderName;  // 14 characters
  uint8_t master = 0;      // stored as 60 minus the index
  std::array<uint8_t, 8> levels{};
  uint8_t tracksInUse = 0;
  std::string description;
  std::array<std::string, 8> names;
  uint8_t metronomeOn = 0, metronomeMeasure = 0;
  int16_t metronomeTempo = 0;
  uint8_t metronomeLevel = 0;
  bool complete = false;  // all 1313 bytes were there

  // The fields up to the number of tracks in use must be there; the rest of a
  // shorter record is taken as zero.
  static constexpr size_t kMinimumSize = 28;

  static LegacyRecord Decode(const uint8_t* data, size_t count);
};

// What the first bytes of a file make of it.
enum class ProjectFileKind {
  kProject,         // a whole record of version 33, 32 or 30
  kShortProject,    // one of those versions, cut short
  kUnknownVersion,  // "SNVX3" and a version this program does not know
  kLegacy,          // a 2.x record
  kShortLegacy,     // "SNVX" and too little for a 2.x record
  kNotProject,
};
ProjectFileKind ClassifyProjectFile(const uint8_t* data, size_t count);
