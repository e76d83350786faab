#include "document/export_file.h"

#include <fcntl.h>

#include <cerrno>

#include "core/errors.h"
#include "platform/folders.h"
#include "platform/last_error.h"

bool ExportFile::Open(const std::string& sessionFolder) {
  if (platform::IsReadOnlyFile(m_target)) {
    ShowInformation(m_unwritable + "\nThe file is read-only.");
    return false;
  }
  // What an export that was stopped left beside the target goes first.
  platform::RemoveSideFiles(m_target);
  m_note.emplace(sessionFolder, m_target);
  if (!m_side.Create(m_target)) {
    const int code = errno;
    ShowInformation(m_unwritable + "\n" + platform::SystemErrorText(code));
    return false;
  }
  return true;
}

bool ExportFile::Put(const uint8_t* bytes, size_t count) {
  if (!m_side.Write(bytes, count)) return false;
  m_written += count;
  // The disk starts on what is written while the rest is made, so that the flush
  // that ends the export has little left to wait for.
  if (m_written - m_flushed >= kWritebackBytes) {
    sync_file_range(m_side.Descriptor(), static_cast<off_t>(m_flushed), static_cast<off_t>(m_written - m_flushed),
                    SYNC_FILE_RANGE_WRITE);
    m_flushed = m_written;
  }
  return true;
}

int ExportFile::WriteFailed(const char* where) {
  ReportErrorCode(where, "Failed to write " + m_target + ".", errno);
  return 0;
}

int ExportFile::Publish(const char* where, const std::string& moveFailed) {
  if (!m_side.Finish()) return WriteFailed(where);
  if (!m_side.Publish()) {
    const int code = errno;
    m_side.Keep();
    ReportErrorCode(where, moveFailed, code);
    return 0;
  }
  platform::SyncFolder(platform::FolderOf(m_target));
  return 1;
}
