#include "effects/paged_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace effects {

PagedFile::PagedFile(std::FILE* file, uint32_t pageSize, int pageCount)
    : m_file(file), m_pageSize(pageSize), m_pages(static_cast<size_t>(pageCount)) {}

PagedFile::Page* PagedFile::PageAt(uint64_t pageStart) {
  Page* page = nullptr;
  for (Page& candidate : m_pages) {
    if (candidate.start == pageStart) {
      candidate.lastUse = ++m_clock;
      return &candidate;
    }
    if (!page || candidate.lastUse < page->lastUse) page = &candidate;
  }
  if (!WriteBack(*page)) return nullptr;
  page->bytes.resize(m_pageSize);
  page->start = pageStart;
  page->dirty = false;
  page->lastUse = ++m_clock;
  page->valid = 0;
  if (fseeko(m_file, static_cast<off_t>(pageStart), SEEK_SET) == 0) {
    page->valid = static_cast<uint32_t>(std::fread(page->bytes.data(), 1, m_pageSize, m_file));
    if (std::ferror(m_file)) Fail();
  } else {
    Fail();
  }
  std::clearerr(m_file);
  return page;
}

void PagedFile::Fail() {
  if (!m_failed) m_error = errno;
  m_failed = true;
}

bool PagedFile::WriteBack(Page& page) {
  if (!page.dirty) return !m_failed;
  page.dirty = false;
  if (fseeko(m_file, static_cast<off_t>(page.start), SEEK_SET) != 0 ||
      std::fwrite(page.bytes.data(), 1, page.valid, m_file) != page.valid) {
    Fail();
  }
  return !m_failed;
}

uint32_t PagedFile::Read(uint64_t position, void* buffer, uint32_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  uint32_t done = 0;
  while (done < count) {
    const uint64_t at = position + done;
    Page* page = PageAt(at - at % m_pageSize);
    if (!page) break;
    const uint32_t offset = static_cast<uint32_t>(at - page->start);
    if (offset >= page->valid) break;
    const uint32_t n = std::min(count - done, page->valid - offset);
    std::memcpy(out + done, page->bytes.data() + offset, n);
    done += n;
    if (page->valid < m_pageSize && offset + n == page->valid) break;
  }
  return done;
}

bool PagedFile::Write(uint64_t position, const void* buffer, uint32_t count) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  uint32_t done = 0;
  while (done < count && !m_failed) {
    const uint64_t at = position + done;
    Page* page = PageAt(at - at % m_pageSize);
    if (!page) break;
    const uint32_t offset = static_cast<uint32_t>(at - page->start);
    const uint32_t n = std::min(count - done, m_pageSize - offset);
    // A write past what the file holds fills the gap with silence, as the file would.
    if (offset > page->valid) std::memset(page->bytes.data() + page->valid, 0, offset - page->valid);
    std::memcpy(page->bytes.data() + offset, in + done, n);
    page->valid = std::max(page->valid, offset + n);
    page->dirty = true;
    done += n;
  }
  return !m_failed;
}

bool PagedFile::Flush() {
  for (Page& page : m_pages) WriteBack(page);
  if (!m_failed && std::fflush(m_file) != 0) Fail();
  return !m_failed;
}

}  // namespace effects
