#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "audio_store/pcm_stream.h"
#include "document/mixer_doc.h"

// The project's mix, made half a second at a time from every track that is heard,
// with the mixing board's levels, mute and solo: each block is the sum of the tracks
// scaled by their gains (clamped after each track), then scaled by the master gain
// (clamped). The mix always ends with a whole block, silence after the audio.
// Progress is stepped and the cancel flag read once per block. As a PcmSource it
// makes its blocks as the reader gets to them, so nothing of the mix is kept but
// the block at hand.
class CMixStream : public PcmSource {
  static_assert(std::endian::native == std::endian::little, "the mix is handed out as the bytes of its samples");

 public:
  static constexpr uint32_t kBlockBytes = 88200;

  // Opens the track files; one that cannot be opened is reported, and the mix then
  // fails at its first block. onlySelected: only the track mixdown dialog's source
  // tracks.
  CMixStream(CMixerDoc& doc, bool onlySelected, COperationDialog& progress);
  ~CMixStream() override;
  CMixStream(const CMixStream&) = delete;
  CMixStream& operator=(const CMixStream&) = delete;

  // The bytes of the whole mix, a multiple of kBlockBytes.
  uint64_t Length() const { return m_length; }
  bool Done() const { return m_next >= m_length; }
  // Mixes the next block: 1, 0 (a track file ended early: reported) or 3 (cancelled).
  int Next();
  // The block just mixed: 16-bit samples, little-endian as in the track files.
  const uint8_t* Block() const { return reinterpret_cast<const uint8_t*>(m_mix.data()); }

  int Read(uint64_t offset, uint8_t* bytes, size_t count) override;

 private:
  struct Source {
    int track = 0;
    int fd = -1;
    uint32_t length = 0;
    std::array<float, 2> gains{};
    bool heard = false;
  };

  CMixerDoc& m_doc;
  COperationDialog& m_progress;
  std::vector<Source> m_sources;
  std::array<float, 2> m_master{};
  uint64_t m_length = 0;
  uint64_t m_next = 0;  // where the next block starts
  bool m_failed = false;
  // The sums stay within +-32700 after every track: 16 bits hold them.
  std::vector<int16_t> m_mix;
  std::vector<int16_t> m_input;
};
