#include "audio_store/peak_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

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

// The file being rendered, written beside the peak file and renamed over it only once
// it is complete, so that a failed rendering leaves the previous peak file in place.
class PeakWriter {
 public:
  explicit PeakWriter(const std::string& peakPath) : m_path(peakPath + ".rendering") {
    m_fp = std::fopen(m_path.c_str(), "wb");
  }
  ~PeakWriter() { Abandon(); }
  PeakWriter(const PeakWriter&) = delete;
  PeakWriter& operator=(const PeakWriter&) = delete;

  bool IsOpen() const { return m_fp != nullptr; }
  bool Write(const uint8_t* bytes, size_t count) { return std::fwrite(bytes, 1, count, m_fp) == count; }
  bool Close() {
    int result = std::fclose(m_fp);
    m_fp = nullptr;
    return result == 0;
  }
  bool ReplaceOver(const std::string& peakPath) {
    if (std::rename(m_path.c_str(), peakPath.c_str()) != 0) return false;
    m_renamed = true;
    return true;
  }
  // Removes the unfinished file, keeping errno for the report that follows.
  void Abandon() {
    int saved = errno;
    if (m_fp) std::fclose(m_fp);
    m_fp = nullptr;
    if (!m_renamed) std::remove(m_path.c_str());
    m_renamed = true;
    errno = saved;
  }

 private:
  std::string m_path;
  std::FILE* m_fp = nullptr;
  bool m_renamed = false;
};

// Reports with the errno value of the failure, not of the clean-up after it.
int Fail(PeakWriter& writer, std::FILE* source, const char* location, const std::string& message) {
  int code = errno;
  writer.Abandon();
  if (source) std::fclose(source);
  platform::SetLastError(code);
  ReportError(location, message);
  return 0;
}

}  // namespace

int RenderPeakFile(const PCMFile& pcm, const std::string& peakPath, COperationDialog* progress, uint32_t& peakLength) {
  const uint32_t size = pcm.nSize;
  peakLength = size >> 6;

  PeakWriter writer(peakPath);
  if (!writer.IsOpen()) return Fail(writer, nullptr, kLocation, "Failed to open peak file: " + Clipped(peakPath));
  std::FILE* source = std::fopen(pcm.szPath.c_str(), "rb");
  if (!source) return Fail(writer, nullptr, kLocation, "Failed to open track file: " + Clipped(pcm.szPath));
  if (!progress) return Fail(writer, source, "CMixerDoc::CreatePeakFile", "Pointer to dialog op is NULL");

  auto input = std::make_unique_for_overwrite<uint8_t[]>(kReadSize);
  auto output = std::make_unique_for_overwrite<uint8_t[]>(kOutputSize);
  progress->DisableCancel();
  progress->SetMessage("Rendering the waveform...", 0);
  progress->UpdateProgress(0);
  progress->SetProgressRange(size / 100);

  size_t outCount = 0;
  int maxL = 0, maxR = 0;
  uint32_t blockStart = 0;  // byte offset of the block in the PCM file
  while (blockStart < size) {
    size_t got = std::fread(input.get(), 1, kReadSize, source);
    if (got == 0) {
      if (std::ferror(source))
        return Fail(writer, source, kLocation, "Failed to read track file: " + Clipped(pcm.szPath));
      break;  // the file is shorter than its known size: render what it holds
    }
    // The known size is the track's length; bytes beyond it are not its audio.
    size_t usable = std::min<size_t>(got, size - blockStart);
    for (size_t b = 0; b + 2 <= usable; b += kFrameStep) {
      int l = AbsoluteSample(input.get() + b);
      if (l > maxL) maxL = l;
      if (b + 4 <= usable) {
        int r = AbsoluteSample(input.get() + b + 2);
        if (r > maxR) maxR = r;
      }
      uint32_t offset = blockStart + static_cast<uint32_t>(b);
      if (offset != 0 && offset % kEntrySpan == 0) {
        output[outCount++] = static_cast<uint8_t>(maxL >> 7);
        output[outCount++] = static_cast<uint8_t>(maxR >> 7);
        maxL = maxR = 0;
        if (outCount == kOutputSize) {
          if (!writer.Write(output.get(), outCount))
            return Fail(writer, source, kLocation, "Failed to write peak file: " + Clipped(peakPath));
          outCount = 0;
        }
        progress->UpdateProgress(offset / 100);
      }
    }
    blockStart += static_cast<uint32_t>(usable);
  }

  if (outCount != 0 && !writer.Write(output.get(), outCount))
    return Fail(writer, source, kLocation, "Failed to write peak file: " + Clipped(peakPath));
  if (std::fclose(source) != 0) ReportError(kLocation, "Failed to close pSourceFile");
  if (!writer.Close()) return Fail(writer, nullptr, kLocation, "Failed to close m_pPeakFile");
  if (!writer.ReplaceOver(peakPath))
    return Fail(writer, nullptr, kLocation, "Failed to replace peak file: " + Clipped(peakPath));
  return 1;
}
