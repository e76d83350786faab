#pragma once

#include <optional>

#include <cstdint>
#include <string>

#include "document/export_note.h"
#include "audio_store/pcm_stream.h"
#include "platform/side_file.h"

// The file an export writes as it goes: a side file beside the target, flushed and
// renamed over the target only once it is complete, so that a failure or a cancel
// leaves the target as it was and nothing behind.
class ExportFile : public PcmSink {
 public:
  // unwritable: what the user is told when the target cannot be replaced.
  ExportFile(std::string target, std::string unwritable)
      : m_target(std::move(target)), m_unwritable(std::move(unwritable)) {}

  // Creates the side file, noted in the session folder while it exists; false after
  // telling the user why it cannot be.
  bool Open(const std::string& sessionFolder);
  bool Put(const uint8_t* bytes, size_t count) override;
  // The side file's descriptor, for a writer of its own (the MP3 encoder).
  int Descriptor() const { return m_side.Descriptor(); }
  const std::string& SidePath() const { return m_side.Path(); }
  // Reports a failed write under where (errno tells why) and gives 0.
  int WriteFailed(const char* where);
  // Flushes the file to the disk and renames it over the target: 1, or 0 after a
  // report (moveFailed when the rename fails; the finished file is then kept).
  int Publish(const char* where, const std::string& moveFailed);

 private:
  std::string m_target;
  std::string m_unwritable;
  static constexpr uint64_t kWritebackBytes = 4 << 20;

  std::optional<ExportNote> m_note;
  platform::SideFile m_side;
  uint64_t m_written = 0;  // bytes put
  uint64_t m_flushed = 0;  // bytes handed to the disk
};
