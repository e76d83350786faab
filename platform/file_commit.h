#pragma once

#include <string>
#include <vector>

namespace platform {

// One file of a change of several files: the finished side file and the file it
// replaces (in the same folder).
struct Replacement {
  std::string side;
  std::string target;
};

// A change of several files that happens whole or not at all. Every new file is
// first written to its side file and flushed; then a commit file listing the
// replacements is written and flushed with its folder: from that moment the change
// is decided. Then each side file is renamed over its target, the folders are
// flushed and the commit file is removed. A process that stops before the commit
// file is complete leaves every target as it was; one that stops after it leaves a
// commit file, and FinishCommit carries the change out later.
enum class CommitState {
  kNone,      // no commit file
  kComplete,  // a whole commit file; its replacements are to be carried out
  kDamaged,   // a commit file cut short or not written by this program
};

// Writes the commit file (created with O_CREAT|O_EXCL|O_NOFOLLOW) and flushes it
// and its folder, after flushing the folders of the side files. False with errno.
bool WriteCommitFile(const std::string& path, const std::vector<Replacement>& replacements);

// Reads a commit file. Each side file must lie beside its target under the target's
// side-file name; anything else makes the file damaged.
CommitState ReadCommitFile(const std::string& path, std::vector<Replacement>& replacements);

// Renames every side file that is still there over its target (one that is gone
// was renamed before), flushes the folders and removes the commit file. False
// with errno, the commit file kept, so that a later call finishes the change.
bool ApplyCommit(const std::string& path, const std::vector<Replacement>& replacements);

// Removes a commit file (a damaged one, or one whose change is abandoned).
void RemoveCommitFile(const std::string& path);

}  // namespace platform
