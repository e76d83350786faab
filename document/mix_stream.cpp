#include "document/mix_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "document/mix_samples.h"
#include "platform/last_error.h"

namespace {

constexpr const char* kWhere = "CMixerDoc::MixDownToOneFile";

// Reads up to count bytes at offset; fewer only at the end of the file or on an error.
// Reads count bytes at offset; fewer at the end of the file or on a read error, which
// leaves its errno in error (0 otherwise).
size_t ReadAt(int fd, uint8_t* bytes, size_t count, uint64_t offset, int& error) {
  size_t done = 0;
  error = 0;
  while (done < count) {
    ssize_t got = pread(fd, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

}  // namespace

CMixStream::CMixStream(CMixerDoc& doc, bool onlySelected, COperationDialog& progress)
    : m_doc(doc),
      m_progress(progress),
      m_mix(kBlockBytes / 2),
      // Room for a last partial frame completed with zeros.
      m_input(kBlockBytes / 2 + 2) {
  DocumentWorkspace& work = doc.Workspace();
  const auto& selected = work.m_trackMixdownDialog.m_bSource;
  const bool anySolo = doc.AnySolo();
  uint32_t longest = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    if (onlySelected && !selected[static_cast<size_t>(n)]) continue;
    const CAudioTrack& track = doc.Track(n);
    longest = std::max(longest, track.m_pos.m_nLength);
    if (track.m_pos.m_nLength == 0) continue;
    Source source;
    source.track = n;
    source.length = track.m_pos.m_nLength;
    source.fd = open(track.m_PCM.szPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (source.fd < 0) {
      // Mixed as silence, the track would be missing from a mix that looks complete.
      ReportError(kWhere, "Failed to open pcm file (" + track.m_PCM.szPath + ") for track " + std::to_string(n));
      m_failed = true;
      continue;
    }
    posix_fadvise(source.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // A track that is not heard is not read: its blocks are found by their offsets.
    source.heard = !((anySolo && !track.m_bSolo) || track.m_bMuted || (doc.m_bRecording && track.m_bArmed));
    source.gains = {LevelGain(work.m_boardTracks.GetTrackLevel(n, kLevelLeft)),
                    LevelGain(work.m_boardTracks.GetTrackLevel(n, kLevelRight))};
    if (source.heard) m_sources.push_back(source);
    else close(source.fd);
  }
  m_master = {LevelGain(work.m_boardMain.MasterLevel(kLevelLeft)),
              LevelGain(work.m_boardMain.MasterLevel(kLevelRight))};
  const uint64_t length = onlySelected ? longest : doc.m_nProjectLength;
  m_length = (length + kBlockBytes - 1) / kBlockBytes * kBlockBytes;

  m_progress.SetMessage("Performing mixdown...", 0);
  m_progress.SetProgressRange(doc.m_nProjectLength / 100);
  m_progress.UpdateProgress(0);
}

CMixStream::~CMixStream() {
  for (const Source& source : m_sources) close(source.fd);
}

int CMixStream::Next() {
  if (m_failed) return 0;
  const uint64_t done = m_next;
  std::fill(m_mix.begin(), m_mix.end(), 0);
  auto* bytes = reinterpret_cast<uint8_t*>(m_input.data());
  for (const Source& source : m_sources) {
    if (done >= source.length) continue;
    int error = 0;
    const size_t got = ReadAt(source.fd, bytes, kBlockBytes, done, error);
    // A track file that holds less than its track (cut short by another program) would
    // mix as silence: the mix would not be the project's.
    if (got < std::min<uint64_t>(kBlockBytes, source.length - done)) {
      const CAudioTrack& track = m_doc.Track(source.track);
      const std::string file =
          "audio file of track " + std::to_string(source.track + 1) + " (" + track.m_PCM.szPath + ")";
      if (error != 0) {
        ShowInformation("Reading the " + file + " failed after " + std::to_string(done + got) +
                        " bytes: " + platform::SystemErrorText(error) + ".  The mix down was stopped.");
      } else {
        ShowInformation("The " + file + " ends after " + std::to_string(done + got) + " of its " +
                        std::to_string(source.length) +
                        " bytes: it was changed outside the program.  The mix down was stopped.");
      }
      return 0;
    }
    // A last partial frame counts whole: its missing bytes are zeros.
    const size_t whole = (got + 3) / 4 * 4;
    std::memset(bytes + got, 0, whole - got);
    AddScaledSamples(m_mix.data(), m_input.data(), whole / 2, source.gains);
  }
  ApplyMasterGain(m_mix.data(), m_mix.size(), m_master);
  m_next += kBlockBytes;
  m_progress.StepProgress(kBlockBytes / 100);
  return m_progress.CancelRequested() ? 3 : 1;
}

int CMixStream::Read(uint64_t offset, uint8_t* bytes, size_t count) {
  while (count > 0) {
    const uint64_t start = m_next - kBlockBytes;
    if (m_next == 0 || offset >= m_next) {
      if (offset + count > m_length) {
        ReportError(kWhere, "The mix ends at byte " + std::to_string(m_length) + ".");
        return 0;
      }
      if (int result = Next(); result != 1) return result;
      continue;
    }
    if (offset < start) {
      ReportError(kWhere, "The mix is read backwards at byte " + std::to_string(offset) + ".");
      return 0;
    }
    const size_t part = static_cast<size_t>(std::min<uint64_t>(count, m_next - offset));
    std::memcpy(bytes, Block() + (offset - start), part);
    bytes += part;
    offset += part;
    count -= part;
  }
  return 1;
}
