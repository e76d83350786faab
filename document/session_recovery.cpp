// Taking over the tracks of a session folder that a program which ended without
// cleaning up left behind.

#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "document/mixer_doc.h"
#include "document/project_commit.h"

int CMixerDoc::UserOpRecoverSession() {
  constexpr const char* kWhere = "CMixerDoc::UserOpRecoverSession";
  DocumentWorkspace* work = &m_workspace;
  // The audio of each track as it was when the program stopped; a last frame cut off
  // by the stop is left out.
  std::array<PCMFile, kTrackCount> left;
  for (int n = 0; n < kTrackCount; ++n) {
    PCMFile& file = left[static_cast<size_t>(n)];
    const std::string path = ProjectTrackFile(m_szRecoverFolder, n, "pcm");
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 4) continue;
    file.szPath = path;
    file.nSize = static_cast<uint32_t>(std::min<off_t>(info.st_size, 0xFFFFFFFCu)) & ~3u;
    if (static_cast<off_t>(file.nSize) != info.st_size && truncate(path.c_str(), file.nSize) != 0) {
      ReportError(kWhere, "Failed to prepare the recovered track (" + path + ").");
      return 0;
    }
  }
  ForgetChanges();
  for (int n = 0; n < kTrackCount; ++n) {
    if (PlaceTrackAudio(n, left[static_cast<size_t>(n)], kWhere) != 1) return 0;
  }
  std::error_code error;
  std::filesystem::remove_all(m_szRecoverFolder, error);
  m_szProjectPath.clear();
  m_szProjectFolder.clear();
  m_nCurrentTrack = 0;
  m_nCurrentPos = 0;
  AlignDocToTrack(0);
  work->m_boardTracks.SelectTrack(0, false);
  RecomputeProjectLength();
  AfterChange(0);
  return 1;
}
