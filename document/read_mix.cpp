// Mixing one playback buffer from the track files.

#include <array>
#include <cstring>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "document/mix_samples.h"
#include "document/mixer_doc.h"

namespace {

constexpr uint32_t kMaxMixBytes = 88200;

}  // namespace

int CMixerDoc::ReadMix(char* buffer, uint32_t length, uint32_t position) {
  if (!buffer || length > kMaxMixBytes) return 0;
  DocumentWorkspace* work = &m_workspace;
  // The mix is built in place as 16-bit samples; a fixed block takes each track's read.
  std::array<int16_t, kMaxMixBytes / 2> scratch;
  std::array<int16_t, kMaxMixBytes / 2> mix;
  const size_t samples = length / 2;
  std::fill(mix.begin(), mix.begin() + static_cast<std::ptrdiff_t>(samples), 0);

  const bool anySolo = AnySolo();
  // The track a take records into is heard only when the take listens to it.
  const int unheard = m_takeMix.recording && !m_takeMix.listen ? ArmedTrack() : -1;
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    std::FILE* file = track.m_PCM.fp;
    if (position >= track.m_pos.m_nLength || !file) continue;
    // Every track with audio here is read, heard or not, so that its file stays at the
    // same position as the others'. A file somewhere else is brought there first.
    if (std::ftell(file) != static_cast<long>(position)) std::fseek(file, static_cast<long>(position), SEEK_SET);
    const size_t got = std::fread(scratch.data(), 1, length, file);
    if ((anySolo && !track.m_bSolo) || track.m_bMuted || n == unheard) continue;
    const std::array<float, 2> gains = {LevelGain(work->m_boardTracks.GetTrackLevel(n, kLevelLeft)),
                                        LevelGain(work->m_boardTracks.GetTrackLevel(n, kLevelRight))};
    AddScaledSamples(mix.data(), scratch.data(), got / 2, gains);
  }
  if (m_takeMix.recording && m_takeMix.clicks) m_takeMix.clicks->AddToMix(mix.data(), length, position);
  ApplyMasterGain(
      mix.data(), samples,
      {LevelGain(work->m_boardMain.MasterLevel(kLevelLeft)), LevelGain(work->m_boardMain.MasterLevel(kLevelRight))});
  for (size_t s = 0; s < samples; ++s) {
    const auto value = static_cast<uint16_t>(mix[s]);
    buffer[2 * s] = static_cast<char>(value & 0xFF);
    buffer[2 * s + 1] = static_cast<char>(value >> 8);
  }
  if (length % 2) buffer[length - 1] = 0;
  return 1;
}
