#include "audio_store/pcm_stream.h"

#include <sys/types.h>

#include <cerrno>

#include "core/errors.h"
#include "platform/last_error.h"

int FilePcmSource::Read(uint64_t offset, uint8_t* bytes, size_t count) {
  errno = 0;
  size_t got = 0;
  if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0) got = std::fread(bytes, 1, count, m_file);
  if (got == count) return 1;
  // The file shrank or cannot be read: the rest would be made up, not converted.
  platform::SetLastError(errno);
  ReportError(m_location, "Reading " + m_name + " failed at byte " + std::to_string(offset + got) + ".");
  return 0;
}

bool FilePcmSink::Put(const uint8_t* bytes, size_t count) {
  errno = 0;
  if (std::fwrite(bytes, 1, count, m_file) == count) return true;
  if (errno == 0) errno = EIO;
  return false;
}

bool FilePcmSink::Flush() {
  errno = 0;
  if (std::fflush(m_file) == 0 && !std::ferror(m_file)) return true;
  if (errno == 0) errno = EIO;
  return false;
}
