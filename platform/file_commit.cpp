#include "platform/file_commit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <set>

#include "platform/folders.h"
#include "platform/side_file.h"

namespace platform {

namespace {

// The commit file is text: a heading, the number of replacements, each path as its
// length and its bytes on a line of its own, and a check sum of all that.
constexpr const char* kHeading = "trackwright commit 1\n";
constexpr size_t kMaxCommitBytes = 1 << 20;

uint64_t CheckSum(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string CheckLine(const std::string& body) {
  char line[40];
  std::snprintf(line, sizeof line, "check %016llx\n", static_cast<unsigned long long>(CheckSum(body)));
  return line;
}

void AppendPath(std::string& text, const std::string& path) {
  text += std::to_string(path.size()) + " " + path + "\n";
}

// Reads "LENGTH PATH\n" at pos; false when the text does not hold one.
bool TakePath(const std::string& text, size_t& pos, std::string& path) {
  size_t space = text.find(' ', pos);
  if (space == std::string::npos || space == pos || space - pos > 6) return false;
  size_t length = 0;
  for (size_t i = pos; i < space; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    length = length * 10 + static_cast<size_t>(text[i] - '0');
  }
  if (space + 1 + length >= text.size() || text[space + 1 + length] != '\n') return false;
  path = text.substr(space + 1, length);
  pos = space + 2 + length;
  return true;
}

bool NameOk(const Replacement& r) {
  if (r.target.empty() || r.target.back() == '/' || FolderOf(r.side) != FolderOf(r.target)) return false;
  auto slash = r.side.find_last_of('/');
  return IsSideFileName(r.target, slash == std::string::npos ? r.side : r.side.substr(slash + 1));
}

}  // namespace

bool WriteCommitFile(const std::string& path, const std::vector<Replacement>& replacements) {
  std::set<std::string> folders;
  for (const Replacement& r : replacements) folders.insert(FolderOf(r.target));
  // The side files' names must be on the disk before the commit file that names them.
  for (const std::string& folder : folders) {
    if (!SyncFolder(folder)) return false;
  }
  std::string body = kHeading + std::to_string(replacements.size()) + "\n";
  for (const Replacement& r : replacements) {
    AppendPath(body, r.side);
    AppendPath(body, r.target);
  }
  const std::string text = body + CheckLine(body);
  SideFile file;
  if (!file.Create(path) || !file.Write(text.data(), text.size()) || !file.Finish() || !file.Publish()) return false;
  return SyncFolder(FolderOf(path));
}

CommitState ReadCommitFile(const std::string& path, std::vector<Replacement>& replacements) {
  replacements.clear();
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return CommitState::kNone;
    return CommitState::kDamaged;  // a link, or a file we may not read
  }
  struct stat info {};
  std::string text;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kMaxCommitBytes) {
    text.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < text.size()) {
      ssize_t got = read(fd, text.data() + done, text.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    text.resize(done);
  }
  close(fd);

  const size_t checkAt = text.rfind("check ");
  if (text.rfind(kHeading, 0) != 0 || checkAt == std::string::npos) return CommitState::kDamaged;
  const std::string body = text.substr(0, checkAt);
  if (text.substr(checkAt) != CheckLine(body)) return CommitState::kDamaged;
  size_t pos = std::char_traits<char>::length(kHeading);
  size_t newline = body.find('\n', pos);
  if (newline == std::string::npos) return CommitState::kDamaged;
  const std::string countText = body.substr(pos, newline - pos);
  if (countText.empty() || countText.size() > 4 || countText.find_first_not_of("0123456789") != std::string::npos) {
    return CommitState::kDamaged;
  }
  const size_t count = std::stoul(countText);
  pos = newline + 1;
  for (size_t n = 0; n < count; ++n) {
    Replacement r;
    if (!TakePath(body, pos, r.side) || !TakePath(body, pos, r.target) || !NameOk(r)) {
      replacements.clear();
      return CommitState::kDamaged;
    }
    replacements.push_back(r);
  }
  if (pos != body.size()) {
    replacements.clear();
    return CommitState::kDamaged;
  }
  return CommitState::kComplete;
}

bool ApplyCommit(const std::string& path, const std::vector<Replacement>& replacements) {
  std::set<std::string> folders;
  for (const Replacement& r : replacements) {
    folders.insert(FolderOf(r.target));
    struct stat info {};
    if (lstat(r.side.c_str(), &info) != 0) {
      if (errno == ENOENT) continue;  // renamed before
      return false;
    }
    // Only a plain file is put in place: a link planted under a side file's name
    // is no file of ours.
    if (!S_ISREG(info.st_mode)) continue;
    if (rename(r.side.c_str(), r.target.c_str()) != 0) return false;
  }
  for (const std::string& folder : folders) {
    if (!SyncFolder(folder)) return false;
  }
  RemoveCommitFile(path);
  return true;
}

void RemoveCommitFile(const std::string& path) {
  if (unlink(path.c_str()) == 0) SyncFolder(FolderOf(path));
}

}  // namespace platform
