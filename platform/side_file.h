#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace platform {

// A new file written beside the file it is to replace, under a unique hidden name
// (".NAME.saving.XXXXXXXX" in the target's own folder). It is created with
// O_CREAT|O_EXCL|O_NOFOLLOW, so it never opens an existing file nor follows a
// planted link, and since it lies in the target's folder the rename that
// publishes it never crosses filesystems. A side file that is neither published
// nor kept is removed when the object goes.
class SideFile {
 public:
  SideFile() = default;
  ~SideFile();
  SideFile(const SideFile&) = delete;
  SideFile& operator=(const SideFile&) = delete;
  SideFile(SideFile&& other) noexcept;
  SideFile& operator=(SideFile&& other) noexcept;

  // Creates the side file of target; false with errno set.
  bool Create(const std::string& target);
  // Writes all count bytes; false with errno set.
  bool Write(const void* data, size_t count);
  // How a copy into the side file went.
  enum class CopyResult { kDone, kSourceEnded, kReadFailed, kWriteFailed };
  // Writes count bytes read from source, telling step the bytes of each block;
  // copied holds the bytes written. errno is set for a failed read or write.
  CopyResult CopyFrom(std::FILE* source, uint64_t count, const std::function<void(size_t)>& step, uint64_t& copied);
  // Flushes the file to the disk and closes it; false with errno set.
  bool Finish();
  // Renames the finished file over its target; false with errno set.
  bool Publish();
  // Closes and removes the file.
  void Discard();
  // Leaves the finished file where it is (a commit file will publish it).
  void Keep() { m_keep = true; }

  const std::string& Path() const { return m_path; }
  const std::string& Target() const { return m_target; }
  // The open file's descriptor until Finish, else -1.
  int Descriptor() const { return m_fd; }

 private:
  std::string m_path;
  std::string m_target;
  int m_fd = -1;
  bool m_keep = false;
  uint64_t m_written = 0;      // bytes written so far
  uint64_t m_writtenBack = 0;  // of which handed on to the disk
};

// The side-file name pattern of target: true when name (a plain file name in the
// target's folder) is one of its side files.
bool IsSideFileName(const std::string& target, const std::string& name);

// Removes the side files of target that an interrupted write left behind.
void RemoveSideFiles(const std::string& target);

// Flushes a folder's entries (created, renamed, removed names) to the disk; false
// with errno set.
bool SyncFolder(const std::string& folder);

// Whether path names an existing file whose permissions allow nobody to write it.
bool IsReadOnlyFile(const std::string& path);

}  // namespace platform
