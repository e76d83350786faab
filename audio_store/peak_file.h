#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <cstdio>

#include "audio_store/pcm_file.h"

class COperationDialog;

// Builds a peak file from project-format audio handed to it front to back in pieces
// of any size, as the audio is written: one (left, right) byte pair per 128 bytes,
// each the largest examined absolute sample shifted right by 7, examining the frame
// at every multiple of 16 bytes. The entries go into a file of its own, which
// Publish renames over the peak file once the audio is complete.
class CPeakBuilder {
 public:
  CPeakBuilder() = default;
  ~CPeakBuilder();
  CPeakBuilder(const CPeakBuilder&) = delete;
  CPeakBuilder& operator=(const CPeakBuilder&) = delete;

  // Starts a build into path (created or emptied); false with errno set. A progress
  // dialog given is moved to each entry's audio offset / 100.
  bool Start(const std::string& path, COperationDialog* progress = nullptr);
  bool Started() const { return m_file != nullptr; }
  void Add(const uint8_t* bytes, size_t count);
  // Ends the audio and renames the entries over peakPath; peakLength is the audio's
  // length / 64. False, with errno set, when the file could not be written or moved
  // (then nothing is moved).
  bool Publish(const std::string& peakPath, uint32_t& peakLength);
  // Removes the unfinished file.
  void Abandon();

 private:
  void Examine(const uint8_t* frame, bool withRight, uint64_t offset);
  // Writes the entry that ends with the frame at offset.
  void EndEntry(uint64_t offset);

  std::string m_path;
  std::FILE* m_file = nullptr;
  COperationDialog* m_progress = nullptr;
  bool m_failed = false;
  uint64_t m_received = 0;  // bytes of audio handed over
  uint64_t m_next = 0;      // the offset of the next frame examined
  uint8_t m_carry[4] = {};  // the bytes of that frame already received
  int m_maxLeft = 0, m_maxRight = 0;
  std::vector<uint8_t> m_entries;
};

// Renders the peak file of a PCM file: one (left, right) byte pair per 128 bytes of
// audio, each the largest examined absolute sample shifted right by 7, examining every
// fourth frame. peakLength is set to the PCM size / 64. Returns 1, or 0 (reported)
// without a progress dialog or when a file fails; the peak file is replaced only by
// a complete rendering.
int RenderPeakFile(const PCMFile& pcm, const std::string& peakPath, COperationDialog* progress, uint32_t& peakLength);
