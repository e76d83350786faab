#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/dialog_logic.h"

inline constexpr const char* IDC_PCM_MONO = "IDC_PCM_MONO";
inline constexpr const char* IDC_PCM_STEREO = "IDC_PCM_STEREO";
inline constexpr const char* IDC_PCM_8BIT = "IDC_PCM_8BIT";
inline constexpr const char* IDC_PCM_16BIT = "IDC_PCM_16BIT";
inline constexpr const char* IDC_PCM_11025 = "IDC_PCM_11025";
inline constexpr const char* IDC_PCM_22050 = "IDC_PCM_22050";
inline constexpr const char* IDC_PCM_44100 = "IDC_PCM_44100";
inline constexpr const char* IDC_PCM_USER = "IDC_PCM_USER";
inline constexpr const char* IDC_PCM_USER_RATE = "IDC_PCM_USER_RATE";

// "Wave Mix Down": the format of a WAV export. Remembers the last choice.
class CWaveDialog : public platform::DialogLogic {
 public:
  CWaveDialog() : DialogLogic("wave_dialog") {}
  bool OnInitDialog() override;
  void OnOK() override;

  int16_t channels = 2;
  int32_t sampleRate = 44100;
  int16_t bitsPerSample = 16;
};

inline constexpr const char* IDC_MP3_BIT_RATE = "IDC_MP3_BIT_RATE";
inline constexpr const char* IDC_MP3_GENRE = "IDC_MP3_GENRE";
inline constexpr const char* IDC_MP3_TITLE = "IDC_MP3_TITLE";
inline constexpr const char* IDC_MP3_ARTIST = "IDC_MP3_ARTIST";
inline constexpr const char* IDC_MP3_ALBUM = "IDC_MP3_ALBUM";
inline constexpr const char* IDC_MP3_YEAR = "IDC_MP3_YEAR";
inline constexpr const char* IDC_MP3_COMMENT = "IDC_MP3_COMMENT";

// The bit rates of an MP3 export in kbit/s, in the order of the dialog's list.
inline constexpr std::array<const char*, 14> kMp3BitRates = {"320", "256", "224", "192", "160", "128", "112",
                                                             "96",  "80",  "64",  "56",  "48",  "40",  "32"};
// The 148 genre names of the MP3 tag, by index.
extern const std::array<const char*, 148> kMp3Genres;
// The 128-byte tag appended to an MP3 file.
std::array<uint8_t, 128> Mp3Tag(const std::string& title, const std::string& artist, const std::string& album,
                                const std::string& year, const std::string& comment, int genre);

// "MP3 Mix Down": bit rate and tag of an MP3 export. Remembers bit rate and genre.
class CMP3Dialog : public platform::DialogLogic {
 public:
  CMP3Dialog() : DialogLogic("mp3_dialog") {}
  bool OnInitDialog() override;
  void OnOK() override;

  std::string m_strBitRate = "128";
  int m_nBitRate = 128;
  int m_nGenre = 0;
  std::string m_strTitle, m_strArtist, m_strAlbum, m_strYear, m_strComment;
};

// "Mix Down to Track": the source tracks and the target track.
class CTrackMixdownDialog : public platform::DialogLogic {
 public:
  static constexpr int kNoTarget = 999;
  CTrackMixdownDialog() : DialogLogic("track_mixdown_dialog") {}
  void OnOK() override;
  // The check state of a box; a missing box is reported.
  int GetCheck(const std::string& id);

  static std::string SourceId(int track) { return "IDC_MIX_SOURCE" + std::to_string(track + 1); }
  static std::string TargetId(int track) { return "IDC_MIX_TARGET" + std::to_string(track + 1); }

  std::array<bool, 8> m_bSource{};
  int m_nTargetTrack = kNoTarget;
};
