#include "document/recorded_take.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/errors.h"
#include "core/progress_dialog.h"

namespace {

constexpr uint32_t kHalfSecond = 88200;
constexpr uint32_t kPiece = 8192;
constexpr const char* kWriteWhere = "CRecordingDialog::WriteRecordedFileToPCM";

}  // namespace

TakeLag LagOf(const RecordedTake& take) {
  // Start ticks wrap; the two starts lie far closer together than 2^31 microseconds.
  const auto difference = static_cast<int32_t>(take.recordStartEstimate - take.playStartEstimate);
  const double microseconds = std::fabs(static_cast<double>(difference));
  TakeLag lag;
  // To the nearest frame.
  lag.bytes = static_cast<uint32_t>(std::llround(microseconds * 44100.0 / 1e6)) * 4u;
  lag.recordingEarlier = difference < 0;
  return lag;
}

bool PlaceTake(const RecordedTake& take, uint32_t trackLength, TakePlacement* placement) {
  TakePlacement& p = *placement;
  p = {};
  const uint32_t R = take.recordedLength & ~3u;
  const TakeLag lag = LagOf(take);
  // Bytes of the file that precede what was heard (recording earlier), or silence that
  // stands for what was heard before the input began (recording later).
  uint32_t lead = 0;
  if (take.useMarkers) {
    const auto begin = static_cast<uint32_t>(take.punchBegin);
    if (take.punchBegin < 0 || uint64_t{take.recordStart} + R < uint64_t{begin} + kHalfSecond) return false;
    if (take.punchEnd >= 0 && take.punchEnd <= take.punchBegin) return false;
    p.start = begin;
    int64_t offset = int64_t{begin} - take.recordStart + (lag.recordingEarlier ? lag.bytes : -int64_t{lag.bytes});
    if (offset < 0) {
      lead = static_cast<uint32_t>(-offset);
      offset = 0;
    }
    int64_t end = R;
    if (take.punchEnd >= 0) end = std::min<int64_t>(end, offset + (take.punchEnd - take.punchBegin) - lead);
    p.readFrom = static_cast<uint32_t>(std::min<int64_t>(offset, R));
    p.readTo = static_cast<uint32_t>(std::max<int64_t>(end, p.readFrom));
  } else {
    p.start = take.recordStart;
    p.readFrom = lag.recordingEarlier ? std::min(lag.bytes, R) : 0;
    p.readTo = R;
    if (!lag.recordingEarlier) lead = lag.bytes;
  }
  // A take that starts past the end of the track is preceded by silence up to its start.
  p.join = std::min(p.start, trackLength);
  p.silence = p.start - p.join + lead;
  p.written = p.silence + (p.readTo - p.readFrom);
  if (p.written == 0) return false;
  const uint64_t takeEnd = uint64_t{p.join} + p.written;
  p.replacedFirst = p.join;
  p.keepsTail = takeEnd < trackLength ? 1 : 0;
  p.replacedLast = p.keepsTail ? static_cast<uint32_t>(takeEnd) : trackLength;
  return true;
}

int WriteRecordedFileToPCM(const RecordedTake& take, const TakePlacement& placement, std::FILE* target,
                           COperationDialog* progress) {
  if (!target) {
    ReportError(kWriteWhere, "Pointer to target file is NULL");
    return 0;
  }
  std::FILE* source = std::fopen(take.path.c_str(), "rb");
  if (!source || std::fseek(source, static_cast<long>(placement.readFrom), SEEK_SET) != 0) {
    if (source) std::fclose(source);
    ReportError(kWriteWhere, "OnRecord() - Failed to 'fopen' file for read: " + take.path);
    return 0;
  }
  std::array<char, kPiece> piece{};
  const uint32_t audio = placement.readTo - placement.readFrom;
  const uint32_t total = placement.silence + audio;
  int result = 1;
  for (uint32_t done = 0; done < total && result == 1;) {
    const bool silent = done < placement.silence;
    const uint32_t size = std::min(kPiece, silent ? placement.silence - done : total - done);
    if (silent) {
      piece.fill(0);
    } else if (std::fread(piece.data(), 1, size, source) != size) {
      ReportError(kWriteWhere, "The recorded file " + take.path + " ends before the take does.");
      result = 0;
      break;
    }
    if (std::fwrite(piece.data(), 1, size, target) != size) {
      ReportError(kWriteWhere, "Failed to write the recorded audio into the track.");
      result = 0;
      break;
    }
    done += size;
    if (progress) {
      progress->StepProgress(size / 100);
      if (progress->CancelRequested()) result = 3;
    }
  }
  if (std::fclose(source) != 0 && result == 1) {
    ReportError(kWriteWhere, "Failed to close recorded file: " + take.path);
    return 0;
  }
  return result;
}
