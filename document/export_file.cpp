#include "document/export_file.h"

#include <cerrno>

#include "app/errors.h"
#include "platform/folders.h"
#include "platform/last_error.h"

bool ExportFile::Open() {
  if (platform::IsReadOnlyFile(m_target)) {
    ShowInformation(m_unwritable + "\nThe file is read-only.");
    return false;
  }
  // What an export that was stopped left beside the target goes first.
  platform::RemoveSideFiles(m_target);
  if (!m_side.Create(m_target)) {
    const int code = errno;
    ShowInformation(m_unwritable + "\n" + platform::SystemErrorText(code));
    return false;
  }
  return true;
}

bool ExportFile::Put(const uint8_t* bytes, size_t count) {
  return m_side.Write(bytes, count);
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
