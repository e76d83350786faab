#include "document/project_record.h"

#include "document/byte_fields.h"

using namespace byte_fields;

namespace {

constexpr size_t kTracks = 1296;
constexpr size_t kTrackSize = 572;
constexpr size_t kPosition = 5872;
constexpr size_t kMetronome = 5876;

void PutMetronome(uint8_t* at, const MetronomeSettings& m) {
  Put32(at, static_cast<uint32_t>(m.on));
  at[4] = m.measure;
  at[5] = m.sound;
  Put32(at + 8, static_cast<uint32_t>(m.accent));
  Put16(at + 12, static_cast<uint16_t>(m.tempo));
  at[14] = m.level;
}

MetronomeSettings GetMetronome(const uint8_t* at) {
  MetronomeSettings m;
  m.on = static_cast<int32_t>(Get32(at));
  m.measure = at[4];
  m.sound = at[5];
  m.accent = static_cast<int32_t>(Get32(at + 8));
  m.tempo = static_cast<int16_t>(Get16(at + 12));
  m.level = at[14];
  return m;
}

}  // namespace

std::vector<uint8_t> ProjectRecord::Encode() const {
  std::vector<uint8_t> bytes(kSize, 0);
  std::memcpy(bytes.data(), "SNVX33", 6);
  PutText(&bytes[7], kFolderSize, folder);
  bytes[268] = 8;
  PutText(&bytes[269], kDescriptionSize, description);
  bytes[1293] = master1293;
  bytes[1294] = master1294;
  for (size_t n = 0; n < 8; ++n) {
    const TrackRecord& t = tracks[n];
    uint8_t* at = &bytes[kTracks + n * kTrackSize];
    PutText(at, kTrackNameSize, t.name);
    at[513] = t.left;
    at[514] = t.right;
    const uint32_t fields[] = {static_cast<uint32_t>(t.current),
                               static_cast<uint32_t>(t.armed),
                               static_cast<uint32_t>(t.solo),
                               static_cast<uint32_t>(t.muted),
                               t.highlightBegin,
                               t.highlightEnd,
                               t.viewStart,
                               t.viewEnd,
                               t.length,
                               t.highlightSpan,
                               t.viewWidth,
                               t.renderedLength,
                               static_cast<uint32_t>(t.markerBegin),
                               static_cast<uint32_t>(t.markerEnd)};
    for (size_t f = 0; f < std::size(fields); ++f) Put32(at + 516 + 4 * f, fields[f]);
  }
  Put32(&bytes[kPosition], currentPosition);
  PutMetronome(&bytes[kMetronome], metronome);
  return bytes;
}

ProjectFileKind ClassifyProjectFile(const uint8_t* data, size_t count) {
  if (count < 4 || std::memcmp(data, "SNVX", 4) != 0) return ProjectFileKind::kNotProject;
  // A 2.x record has a folder named by a time stamp here, whose year never begins
  // with a 3; a 3.x record has its two version digits.
  if (count < 5 || data[4] != '3') {
    return count < LegacyRecord::kMinimumSize ? ProjectFileKind::kShortLegacy : ProjectFileKind::kLegacy;
  }
  const char minor = count >= 6 ? static_cast<char>(data[5]) : '\0';
  if (minor != '3' && minor != '2' && minor != '0') {
    return count >= 6 ? ProjectFileKind::kUnknownVersion : ProjectFileKind::kShortProject;
  }
  return count < ProjectRecord::kSize ? ProjectFileKind::kShortProject : ProjectFileKind::kProject;
}

std::optional<ProjectRecord> ProjectRecord::Decode(const uint8_t* data, size_t count) {
  if (ClassifyProjectFile(data, count) != ProjectFileKind::kProject) return std::nullopt;
  const uint8_t* bytes = data;
  const std::string version(reinterpret_cast<const char*>(&bytes[4]), 2);
  ProjectRecord record;
  record.version = std::stoi(version);
  record.folder = GetText(&bytes[7], kFolderSize);
  record.description = GetText(&bytes[269], kDescriptionSize);
  record.master1293 = bytes[1293];
  record.master1294 = bytes[1294];
  for (size_t n = 0; n < 8; ++n) {
    TrackRecord& t = record.tracks[n];
    const uint8_t* at = &bytes[kTracks + n * kTrackSize];
    t.name = GetText(at, kTrackNameSize);
    t.level30 = at[512];
    t.left = at[513];
    t.right = at[514];
    uint32_t fields[14];
    for (size_t f = 0; f < 14; ++f) fields[f] = Get32(at + 516 + 4 * f);
    t.current = static_cast<int32_t>(fields[0]);
    t.armed = static_cast<int32_t>(fields[1]);
    t.solo = static_cast<int32_t>(fields[2]);
    t.muted = static_cast<int32_t>(fields[3]);
    t.highlightBegin = fields[4];
    t.highlightEnd = fields[5];
    t.viewStart = fields[6];
    t.viewEnd = fields[7];
    t.length = fields[8];
    t.highlightSpan = fields[9];
    t.viewWidth = fields[10];
    t.renderedLength = fields[11];
    t.markerBegin = static_cast<int32_t>(fields[12]);
    t.markerEnd = static_cast<int32_t>(fields[13]);
  }
  record.currentPosition = Get32(&bytes[kPosition]);
  record.metronome = GetMetronome(&bytes[kMetronome]);
  return record;
}

LegacyRecord LegacyRecord::Decode(const uint8_t* data, size_t count) {
  std::vector<uint8_t> bytes(kSize, 0);
  std::memcpy(bytes.data(), data, std::min(count, kSize));
  LegacyRecord record;
  record.complete = count >= kSize;
  record.folderName = GetText(&bytes[4], 14);
  record.master = bytes[18];
  for (size_t n = 0; n < 8; ++n) record.levels[n] = bytes[19 + n];
  record.tracksInUse = bytes[27];
  record.description = GetText(&bytes[28], 256);
  for (size_t n = 0; n < 8; ++n) record.names[n] = GetText(&bytes[284 + 128 * n], 128);
  record.metronomeOn = bytes[1308];
  record.metronomeMeasure = bytes[1309];
  record.metronomeTempo = static_cast<int16_t>(Get16(&bytes[1310]));
  record.metronomeLevel = bytes[1312];
  return record;
}
