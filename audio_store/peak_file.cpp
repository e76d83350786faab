#include "audio_store/peak_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <cstring>

#include "core/errors.h"
#include "core/progress_dialog.h"
#include "platform/last_error.h"

namespace {

constexpr const char* kLocation = "CAudioTrack::CreatePeakFile";
constexpr size_t kReadSize = 32768;
constexpr size_t kOutputSize = 65536;
// An entry follows each examined frame at a positive multiple of this byte offset.
constexpr uint32_t kEntrySpan = 128;
// Only every fourth frame is examined.
constexpr uint32_t kFrameStep = 16;

// Paths in messages are cut to what the fixed message buffers held.
std::string Clipped(const std::string& path) {
  return path.substr(0, 254);
}

// The absolute value of a little-endian 16-bit sample; -32768 has none in 16 bits and
// stays negative, so it never raises a maximum.
int AbsoluteSample(const uint8_t* bytes) {
  auto value = static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
  return value == INT16_MIN ? INT16_MIN : (value < 0 ? -value : value);
}

// Reports with the errno value of the failure, not of the clean-up after it.
int Fail(CPeakBuilder& builder, std::FILE* source, const char* location, const std::string& message) {
  int code = errno;
  builder.Abandon();
  if (source) std::fclose(source);
  platform::SetLastError(code);
  ReportError(location, message);
  return 0;
}

}  // namespace

CPeakBuilder::~CPeakBuilder() {
  Abandon();
}

bool CPeakBuilder::Start(const std::string& path, COperationDialog* progress) {
  Abandon();
  m_path = path;
  m_progress = progress;
  m_file = std::fopen(path.c_str(), "wb");
  m_failed = false;
  m_received = m_next = 0;
  m_maxLeft = m_maxRight = 0;
  m_entries.clear();
  m_entries.reserve(kOutputSize);
  return m_file != nullptr;
}

void CPeakBuilder::Examine(const uint8_t* frame, bool withRight, uint64_t offset) {
  int l = AbsoluteSample(frame);
  if (l > m_maxLeft) m_maxLeft = l;
  if (withRight) {
    int r = AbsoluteSample(frame + 2);
    if (r > m_maxRight) m_maxRight = r;
  }
  if (offset != 0 && offset % kEntrySpan == 0) EndEntry(offset);
}

void CPeakBuilder::EndEntry(uint64_t offset) {
  m_entries.push_back(static_cast<uint8_t>(m_maxLeft >> 7));
  m_entries.push_back(static_cast<uint8_t>(m_maxRight >> 7));
  m_maxLeft = m_maxRight = 0;
  if (m_entries.size() == kOutputSize) {
    if (!m_failed && std::fwrite(m_entries.data(), 1, m_entries.size(), m_file) != m_entries.size()) m_failed = true;
    m_entries.clear();
  }
  if (m_progress) m_progress->UpdateProgress(static_cast<unsigned int>(offset / 100));
}

void CPeakBuilder::Add(const uint8_t* bytes, size_t count) {
  if (!m_file) return;
  const uint64_t start = m_received, end = start + count;
  // A frame cut by the end of the last piece is completed from this one.
  if (m_next < start) {
    const size_t have = static_cast<size_t>(start - m_next);
    const size_t needed = std::min<size_t>(4 - have, count);
    std::memcpy(m_carry + have, bytes, needed);
    if (have + needed < 4) {
      m_received = end;
      return;
    }
    Examine(m_carry, true, m_next);
    m_next += kFrameStep;
  }
  while (m_next + 4 <= end) {
    // A whole entry ahead (the eight frames after one entry up to the next): one
    // branch-free pass over them.
    if (m_next % kEntrySpan == kFrameStep && m_next + kEntrySpan - kFrameStep + 4 <= end) {
      const uint8_t* group = bytes + (m_next - start);
      int left = m_maxLeft, right = m_maxRight;
      for (uint32_t k = 0; k < kEntrySpan / kFrameStep; ++k) {
        left = std::max(left, AbsoluteSample(group + k * kFrameStep));
        right = std::max(right, AbsoluteSample(group + k * kFrameStep + 2));
      }
      m_maxLeft = left, m_maxRight = right;
      m_next += kEntrySpan - kFrameStep;
      EndEntry(m_next);
    } else {
      Examine(bytes + (m_next - start), true, m_next);
    }
    m_next += kFrameStep;
  }
  if (m_next < end) std::memcpy(m_carry, bytes + (m_next - start), static_cast<size_t>(end - m_next));
  m_received = end;
}

bool CPeakBuilder::Publish(const std::string& peakPath, uint32_t& peakLength) {
  if (!m_file) {
    errno = EBADF;
    return false;
  }
  // A last frame with its left sample only.
  if (m_next + 2 <= m_received) Examine(m_carry, false, m_next);
  peakLength = static_cast<uint32_t>(std::min<uint64_t>(m_received, UINT32_MAX) >> 6);
  bool written = !m_failed && (m_entries.empty() ||
                               std::fwrite(m_entries.data(), 1, m_entries.size(), m_file) == m_entries.size());
  int code = errno;
  bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!written || !closed) {
    errno = !written ? code : errno;
    Abandon();
    return false;
  }
  if (std::rename(m_path.c_str(), peakPath.c_str()) != 0) {
    Abandon();
    return false;
  }
  m_path.clear();
  return true;
}

void CPeakBuilder::Abandon() {
  int saved = errno;
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
  if (!m_path.empty()) std::remove(m_path.c_str());
  m_path.clear();
  errno = saved;
}

int RenderPeakFile(const PCMFile& pcm, const std::string& peakPath, COperationDialog* progress, uint32_t& peakLength) {
  const uint32_t size = pcm.nSize;
  peakLength = size >> 6;

  // The rendering is written beside the peak file and renamed over it only once it is
  // complete, so that a failed rendering leaves the previous peak file in place.
  CPeakBuilder builder;
  if (!builder.Start(peakPath + ".rendering", progress))
    return Fail(builder, nullptr, kLocation, "Failed to open peak file: " + Clipped(peakPath));
  std::FILE* source = std::fopen(pcm.szPath.c_str(), "rb");
  if (!source) return Fail(builder, nullptr, kLocation, "Failed to open track file: " + Clipped(pcm.szPath));
  if (!progress) return Fail(builder, source, "CMixerDoc::CreatePeakFile", "Pointer to dialog op is NULL");

  auto input = std::make_unique_for_overwrite<uint8_t[]>(kReadSize);
  progress->DisableCancel();
  progress->SetMessage("Rendering the waveform...", 0);
  progress->UpdateProgress(0);
  progress->SetProgressRange(size / 100);

  uint32_t blockStart = 0;  // byte offset of the block in the PCM file
  while (blockStart < size) {
    size_t got = std::fread(input.get(), 1, kReadSize, source);
    if (got == 0) {
      if (std::ferror(source))
        return Fail(builder, source, kLocation, "Failed to read track file: " + Clipped(pcm.szPath));
      break;  // the file is shorter than its known size: render what it holds
    }
    // The known size is the track's length; bytes beyond it are not its audio.
    size_t usable = std::min<size_t>(got, size - blockStart);
    builder.Add(input.get(), usable);
    blockStart += static_cast<uint32_t>(usable);
  }

  if (std::fclose(source) != 0) ReportError(kLocation, "Failed to close pSourceFile");
  uint32_t rendered = 0;
  if (!builder.Publish(peakPath, rendered))
    return Fail(builder, nullptr, kLocation, "Failed to write peak file: " + Clipped(peakPath));
  return 1;
}
