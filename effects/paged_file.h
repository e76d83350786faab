#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace effects {

// Reads and writes of a file through a few cached pages, so that the effects can work
// in their own small chunks (which their results depend on) without a system call per
// chunk. Reads see every earlier write. Memory stays at pageCount x pageSize whatever
// the file's length.
class PagedFile {
 public:
  explicit PagedFile(std::FILE* file, uint32_t pageSize = 64 * 1024, int pageCount = 8);
  PagedFile(const PagedFile&) = delete;
  PagedFile& operator=(const PagedFile&) = delete;

  // Copies up to count bytes at position into buffer; returns how many the file held
  // there. The rest of the buffer is left as it was. A read that fails counts as a
  // failure of the file (see Failed), not as its end.
  uint32_t Read(uint64_t position, void* buffer, uint32_t count);
  // False when the file could not take the bytes (the failure stays: every later call
  // fails too).
  bool Write(uint64_t position, const void* buffer, uint32_t count);
  // Writes every changed page back; false when that failed (or an earlier read or
  // write did).
  bool Flush();
  // Whether a read or a write failed, and the system's error code of the first that did.
  bool Failed() const { return m_failed; }
  int Error() const { return m_error; }

 private:
  struct Page {
    uint64_t start = UINT64_MAX;
    uint32_t valid = 0;  // bytes of the page the file holds, or that were written
    bool dirty = false;
    uint64_t lastUse = 0;
    std::vector<unsigned char> bytes;
  };
  Page* PageAt(uint64_t pageStart);
  bool WriteBack(Page& page);
  // Marks the file failed, keeping the errno of the first failure.
  void Fail();

  std::FILE* m_file;
  uint32_t m_pageSize;
  std::vector<Page> m_pages;
  uint64_t m_clock = 0;
  bool m_failed = false;
  int m_error = 0;
};

}  // namespace effects
