#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "audio_store/codec_api.h"

// Helpers shared by the two codec modules.
namespace codec {

// Reports the position to the callback; false when it asked to stop.
inline bool KeepGoing(CodecCallback callback, uint64_t done, uint64_t total) {
  if (!callback) return true;
  int percent = total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(100, done * 100 / total));
  int keepGoing = 1;
  callback(percent, &keepGoing);
  return keepGoing != 0;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The size of a regular file; false for anything else (missing, a folder).
inline bool RegularFileSize(const char* path, uint64_t& size) {
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

// An output file whose every write is checked; Close tells whether all of it reached
// the file system.
class Output {
 public:
  bool Open(const char* path) {
    m_file.reset(std::fopen(path, "wb"));
    m_ok = m_file != nullptr;
    return m_ok;
  }
  // Writes through a stream of its own onto an open descriptor, from its position;
  // the descriptor stays the caller's.
  bool Adopt(int fd) {
    int copy = dup(fd);
    m_file.reset(copy >= 0 ? fdopen(copy, "wb") : nullptr);
    if (!m_file && copy >= 0) close(copy);
    m_ok = m_file != nullptr;
    return m_ok;
  }
  bool Write(const void* bytes, size_t count) {
    if (m_ok && count != 0) m_ok = std::fwrite(bytes, 1, count, m_file.get()) == count;
    return m_ok;
  }
  // Positions at offset for an overwrite (a header or tag known only at the end).
  bool Seek(long offset) {
    if (m_ok) m_ok = std::fseek(m_file.get(), offset, SEEK_SET) == 0;
    return m_ok;
  }
  bool SeekEnd() {
    if (m_ok) m_ok = std::fseek(m_file.get(), 0, SEEK_END) == 0;
    return m_ok;
  }
  long Tell() { return m_ok ? std::ftell(m_file.get()) : -1; }
  bool Close() {
    if (!m_file) return false;
    bool closed = std::fclose(m_file.release()) == 0;
    return m_ok && closed;
  }
  bool Ok() const { return m_ok; }

 private:
  FilePtr m_file;
  bool m_ok = false;
};

// Stores a 16-bit sample little-endian.
inline void PutSample(uint8_t* at, int16_t sample) {
  auto value = static_cast<uint16_t>(sample);
  at[0] = static_cast<uint8_t>(value & 0xff);
  at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace codec
