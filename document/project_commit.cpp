#include "document/project_commit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/errors.h"
#include "core/file_utils.h"
#include "document/project_record.h"
#include "platform/file_commit.h"
#include "platform/folders.h"
#include "platform/side_file.h"

namespace {

constexpr int kTracks = 8;

// The files a save of projectPath may replace: the project file itself and the
// track and peak files of one project folder.
bool IsSaveTarget(const std::string& projectPath, const std::string& target, std::string& trackFolder) {
  if (target == projectPath) return true;
  const std::string folder = platform::FolderOf(target);
  for (int n = 0; n < kTracks; ++n) {
    for (const char* extension : {"pcm", "pek"}) {
      if (target != ProjectTrackFile(folder, n, extension)) continue;
      if (trackFolder.empty()) trackFolder = folder;
      return folder == trackFolder;
    }
  }
  return false;
}

// The project folder the record at projectPath names; empty when it names none.
std::string RecordFolder(const std::string& projectPath) {
  std::vector<uint8_t> bytes;
  if (ReadProjectFileBytes(projectPath, ProjectRecord::kSize, bytes) != ProjectFileRead::kRead) return {};
  auto record = ProjectRecord::Decode(bytes.data(), bytes.size());
  return record ? record->folder : std::string();
}

}  // namespace

std::string ProjectTrackFile(const std::string& folder, int track, const char* extension) {
  return JoinPath(folder, "track" + std::to_string(track) + "." + extension);
}

ProjectFileRead ReadProjectFileBytes(const std::string& path, size_t size, std::vector<uint8_t>& bytes) {
  bytes.clear();
  // Opened without waiting, so that a FIFO under the name cannot block the open.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ProjectFileRead::kCannotOpen;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return ProjectFileRead::kNotAFile;
  }
  bytes.resize(size);
  size_t done = 0;
  while (done < size) {
    ssize_t got = read(fd, bytes.data() + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      // A read error is not the end of a short file: the file may well be whole.
      const int error = errno;
      close(fd);
      bytes.clear();
      errno = error;
      return ProjectFileRead::kReadFailed;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  close(fd);
  return ProjectFileRead::kRead;
}

std::string SaveCommitPath(const std::string& projectPath) {
  const std::string folder = platform::FolderOf(projectPath);
  auto slash = projectPath.find_last_of('/');
  const std::string name = slash == std::string::npos ? projectPath : projectPath.substr(slash + 1);
  return JoinPath(folder, "." + name + ".commit");
}

int FinishInterruptedSave(const std::string& projectPath, const char* where) {
  const std::string commitPath = SaveCommitPath(projectPath);
  std::vector<platform::Replacement> replacements;
  platform::CommitState state = platform::ReadCommitFile(commitPath, replacements);
  if (state == platform::CommitState::kComplete) {
    std::string trackFolder;
    for (const platform::Replacement& r : replacements) {
      if (!IsSaveTarget(projectPath, r.target, trackFolder)) state = platform::CommitState::kDamaged;
    }
  }
  if (state == platform::CommitState::kComplete) {
    if (!platform::ApplyCommit(commitPath, replacements)) {
      ReportErrorCode(where,
                      "The save of " + projectPath +
                          " that was interrupted could not be finished; the project stays as it is until it is.",
                      errno);
      return 0;
    }
    ShowInformation("The save of " + projectPath + " that was interrupted has been finished.");
  } else if (state == platform::CommitState::kDamaged) {
    // Cut short before the save was decided, or not ours: nothing of it is used.
    platform::RemoveCommitFile(commitPath);
  }
  // What a save that never got as far as its commit file left beside the files.
  platform::RemoveSideFiles(projectPath);
  platform::RemoveSideFiles(commitPath);
  const std::string folder = RecordFolder(projectPath);
  if (!folder.empty()) {
    for (int n = 0; n < kTracks; ++n) {
      for (const char* extension : {"pcm", "pek"}) platform::RemoveSideFiles(ProjectTrackFile(folder, n, extension));
    }
  }
  return 1;
}
