// Mixing the project down to one stereo stream, and writing it as a WAV file, as
// an MP3 file with its tag, or onto one of the project's tracks.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "core/file_utils.h"
#include "document/document_workspace.h"
#include "document/export_note.h"
#include "audio_store/codec_modules.h"
#include "audio_store/wave_header.h"
#include "document/export_dialogs.h"
#include "document/mix_samples.h"
#include "document/mixer_doc.h"
#include "platform/folders.h"
#include "platform/last_error.h"
#include "platform/side_file.h"

namespace {

constexpr uint32_t kBlock = 88200;

// A finished export is copied into a side file beside its target, flushed, and
// renamed over the target: the rename never crosses filesystems, a link planted in
// the target's folder is never written through, and a failure never leaves a
// half-written file under the target's name.
int PublishExport(ScratchFile& temporary, const std::string& target, const std::string& unwritable,
                  const std::string& moveFailed, const char* where) {
  if (platform::IsReadOnlyFile(target)) {
    ShowInformation(unwritable + "\nThe file is read-only.");
    return 0;
  }
  // What an export that was stopped left beside the target goes first.
  platform::RemoveSideFiles(target);
  const ExportNote note(platform::FolderOf(temporary.Path()), target);
  platform::SideFile side;
  if (!side.Create(target)) {
    const int code = errno;
    ShowInformation(unwritable + "\n" + platform::SystemErrorText(code));
    return 0;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> from(std::fopen(temporary.Path().c_str(), "rb"), std::fclose);
  if (!from) {
    ReportErrorCode(where, "Failed to open the written file (" + temporary.Path() + ") for reading.", errno);
    return 0;
  }
  uint64_t copied = 0;
  auto result = side.CopyFrom(from.get(), UINT64_MAX, nullptr, copied);
  if (result != platform::SideFile::CopyResult::kSourceEnded || !side.Finish()) {
    ReportErrorCode(where, "Failed to write " + target + ".", errno);
    return 0;
  }
  if (!side.Publish()) {
    temporary.Keep();
    ReportErrorCode(where, moveFailed, errno);
    return 0;
  }
  platform::SyncFolder(platform::FolderOf(target));
  return 1;
}

}  // namespace

int CMixerDoc::MixDownToOneFile(std::FILE* target, bool onlySelected) {
  constexpr const char* kWhere = "CMixerDoc::MixDownToOneFile";
  DocumentWorkspace* work = &m_workspace;
  if (!m_pOperationDialog || !target) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  const auto& sources = work->m_trackMixdownDialog.m_bSource;
  auto mixes = [&](int n) { return !onlySelected || sources[static_cast<size_t>(n)]; };
  std::array<std::FILE*, kTrackCount> files{};
  for (int n = 0; n < kTrackCount; ++n) {
    if (!mixes(n) || Track(n).m_pos.m_nLength == 0) continue;
    files[static_cast<size_t>(n)] = std::fopen(Track(n).m_PCM.szPath.c_str(), "rb");
    if (!files[static_cast<size_t>(n)]) {
      ReportError(kWhere, "Failed to open pcm file (" + Track(n).m_PCM.szPath + ") for track " + std::to_string(n));
    }
  }
  auto closeAll = [&files] {
    for (std::FILE*& file : files) {
      if (file) std::fclose(file);
      file = nullptr;
    }
  };
  m_pOperationDialog->SetMessage("Performing mixdown...", 0);
  m_pOperationDialog->SetProgressRange(m_nProjectLength / 100);
  m_pOperationDialog->UpdateProgress(0);

  uint32_t length = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    if (mixes(n)) length = std::max(length, Track(n).m_pos.m_nLength);
  }
  const bool anySolo = AnySolo();
  std::vector<int> mix(kBlock / 2);
  std::vector<uint8_t> bytes(kBlock);
  for (uint32_t done = 0; done < length; done += kBlock) {
    std::fill(mix.begin(), mix.end(), 0);
    for (int n = 0; n < kTrackCount; ++n) {
      const CAudioTrack& track = Track(n);
      std::FILE* file = files[static_cast<size_t>(n)];
      if (!mixes(n) || !file || done >= track.m_pos.m_nLength) continue;
      if ((anySolo && !track.m_bSolo) || track.m_bMuted || (m_bRecording && track.m_bArmed)) continue;
      std::fill(bytes.begin(), bytes.end(), 0);
      size_t got =
          std::fseek(file, static_cast<long>(done), SEEK_SET) == 0 ? std::fread(bytes.data(), 1, kBlock, file) : 0;
      // A track file that holds less than its track (cut short by another program) would
      // mix as silence: the mix would not be the project's.
      if (got < std::min(kBlock, track.m_pos.m_nLength - done)) {
        const int error = std::ferror(file) ? errno : 0;
        closeAll();
        if (error != 0) {
          ShowInformation("Reading the audio file of track " + std::to_string(n + 1) + " (" + track.m_PCM.szPath +
                          ") failed: " + std::strerror(error) + ".  The mix down was stopped.");
          return 0;
        }
        ShowInformation("The audio file of track " + std::to_string(n + 1) + " (" + track.m_PCM.szPath +
                        ") ends after " + std::to_string(done + got) + " of its " +
                        std::to_string(track.m_pos.m_nLength) +
                        " bytes: it was changed outside the program.  The mix down was stopped.");
        return 0;
      }
      const std::array<float, 2> gains = {LevelGain(work->m_boardTracks.GetTrackLevel(n, kLevelLeft)),
                                          LevelGain(work->m_boardTracks.GetTrackLevel(n, kLevelRight))};
      // A last partial frame counts whole: its missing bytes are the block's zeros.
      AddScaledSamples(mix.data(), bytes.data(), (got + 3) / 4 * 2, gains);
    }
    ApplyMasterGain(
        mix.data(), mix.size(),
        {LevelGain(work->m_boardMain.MasterLevel(kLevelLeft)), LevelGain(work->m_boardMain.MasterLevel(kLevelRight))});
    for (size_t s = 0; s < mix.size(); ++s) {
      auto value = static_cast<int16_t>(mix[s]);
      bytes[2 * s] = static_cast<uint8_t>(value);
      bytes[2 * s + 1] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
    }
    if (std::fwrite(bytes.data(), 1, kBlock, target) != kBlock) {
      closeAll();
      ReportError(kWhere, "Failed to write the mixdown.");
      return 0;
    }
    m_pOperationDialog->StepProgress(kBlock / 100);
    if (m_pOperationDialog->CancelRequested()) {
      closeAll();
      return 3;
    }
  }
  closeAll();
  if (onlySelected) m_nUndoCount = m_nRedoCount = 0;
  return 1;
}

int CMixerDoc::WriteWAV() {
  constexpr const char* kWhere = "CMixerDoc::WriteWAV";
  DocumentWorkspace& work = m_workspace;
  ScratchFile mix, wav;
  if (mix.Create(m_szTempFolder, "mixdown_file", "pcm") != 1 ||
      wav.Create(m_szTempFolder, "write_wave_file", "wav") != 1) {
    return 0;
  }
  const std::string& mixPath = mix.Path();
  const std::string& wavPath = wav.Path();
  std::FILE* mixFile = std::fopen(mixPath.c_str(), "wb");
  if (!mixFile) {
    ReportError(kWhere, "Failed to open temp mixdown file for write (" + mixPath + ")");
    return 0;
  }
  CWaveDialog& format = work.m_waveDialog;
  if (format.DoModal() != platform::IDOK) {
    std::fclose(mixFile);
    return 3;
  }
  const uint32_t progressBase = (m_nProjectLength / kBlock + 1) * kBlock;
  int result = MixDownToOneFile(mixFile, false);
  if (std::fclose(mixFile) != 0) {
    ReportError(kWhere, "Failed to close temp mixdown file (" + mixPath + ") after mix down.");
    return 0;
  }
  if (result != 1) return result;

  std::FILE* wavFile = std::fopen(wavPath.c_str(), "wb");
  if (!wavFile) {
    ReportError(kWhere, "Failed to open temp wave file (" + wavPath + ")for write.");
    return 0;
  }
  m_pOperationDialog->SetMessage("Writing wave file...", 0);
  m_pOperationDialog->SetProgressRange(progressBase / 100);
  m_pOperationDialog->UpdateProgress(0);
  const AudioQuality chosen{format.channels, format.bitsPerSample, format.sampleRate};
  const uint32_t size = work.m_converter.CalculateTargetFileSize(m_nProjectLength, &kProjectQuality, &chosen);
  result = WriteWaveHeader(wavFile, size, chosen.sampleRate, chosen.channels, chosen.bitsPerSample);
  if (result == 1) result = work.m_converter.WritePCMToPCM(mixPath.c_str(), wavFile, &kProjectQuality, &chosen);
  if (std::fclose(wavFile) != 0 && result == 1) {
    ReportError(kWhere, "Failed to close temp wave file (" + wavPath + ") after write of mixed down file.");
    result = 0;
  }
  if (result != 1) return result;
  return PublishExport(
      wav, m_szExportPath,
      "Unable to write to wave file " + m_szExportPath +
          ".\nPlease make sure that no other program currently has this file open.",
      "Failed to move newly written file (" + wavPath + ") over existing file (" + m_szExportPath + ").", kWhere);
}

int CMixerDoc::WriteMP3() {
  constexpr const char* kWhere = "CMixerDoc::WriteMP3";
  DocumentWorkspace& work = m_workspace;
  if (!LoadCodecFunction(kLameModule, "LameEncode", kWhere, "CMP3Import::WriteMP3")) return 0;
  ScratchFile pcm, mp3;
  if (pcm.Create(m_szTempFolder, "write_wave_file", "pcm") != 1 ||
      mp3.Create(m_szTempFolder, "write_mp3_file", "mp3") != 1) {
    return 0;
  }
  const std::string& pcmPath = pcm.Path();
  const std::string& mp3Path = mp3.Path();
  std::FILE* pcmFile = std::fopen(pcmPath.c_str(), "wb");
  if (!pcmFile) {
    ReportError(kWhere, "Unable to write to temp file (" + pcmPath + ").");
    return 0;
  }
  CMP3Dialog& settings = work.m_mp3Dialog;
  if (settings.DoModal() != platform::IDOK) {
    std::fclose(pcmFile);
    return 3;
  }
  int result = MixDownToOneFile(pcmFile, false);
  if (std::fclose(pcmFile) != 0) {
    ReportError(kWhere, "Failed to close temp file (" + pcmPath + ") after mixdown.");
    return 0;
  }
  if (result != 1) return result;
  m_pOperationDialog->SetMessage("Encoding as an MP3 File...", 0);
  m_pOperationDialog->SetProgressRange(100);
  m_pOperationDialog->UpdateProgress(0);
  int encoded = CallLameEncode(kWhere, pcmPath, mp3Path, 2, 16, 44100, settings.m_nBitRate, OperationCallback,
                               "CMP3Import::WriteMP3");
  if (encoded != kCodecDone) {
    if (encoded == kCodecNotLoaded) return 0;
    if (encoded != kCodecCancelled) {
      ReportError(kWhere, std::string("The MP3 encoder failed: ") + CodecResultText(encoded));
      return 0;
    }
    return 3;
  }
  std::FILE* mp3File = std::fopen(mp3Path.c_str(), "ab");
  if (!mp3File) {
    ReportError(kWhere, "Unable to append to file (" + mp3Path + ") when writing the tag.");
    return 0;
  }
  auto tag = Mp3Tag(settings.m_strTitle, settings.m_strArtist, settings.m_strAlbum, settings.m_strYear,
                    settings.m_strComment, settings.m_nGenre);
  bool written = std::fwrite(tag.data(), 1, tag.size(), mp3File) == tag.size();
  if (std::fclose(mp3File) != 0 || !written) {
    ReportError(kWhere, "Unable to append to file (" + mp3Path + ") when writing the tag.");
    return 0;
  }
  return PublishExport(mp3, m_szExportPath, "WriteWAV: Unable to write to wave file " + m_szExportPath,
                       "WriteWAV: Failed to move newly written file over existing file " + m_szExportPath +
                           ".  Your new file exists at " + mp3Path + "  Please contact customer support.",
                       kWhere);
}

int CMixerDoc::TrackMixDown() {
  constexpr const char* kWhere = "CMixerDoc::TrackMixDown";
  DocumentWorkspace& work = m_workspace;
  const int target = work.m_trackMixdownDialog.m_nTargetTrack;
  if (target < 0 || target >= kTrackCount) {
    ReportError(kWhere, "Cannot perform operation, target track is " + std::to_string(target) + ".");
    return 0;
  }
  AlignTrackToDoc(m_nCurrentTrack);
  ScratchFile mix;
  if (mix.Create(m_szTempFolder, "write_wave_file", "pcm") != 1) return 0;
  const std::string& mixPath = mix.Path();
  std::FILE* mixFile = std::fopen(mixPath.c_str(), "wb");
  if (!mixFile) {
    ReportError(kWhere, "Failed to open temp file for track mixdown (" + mixPath + ").");
    return 0;
  }
  int result = MixDownToOneFile(mixFile, true);
  if (std::fclose(mixFile) != 0) {
    ReportError(kWhere, "Failed to close temp file for track mixdown (" + mixPath + ").");
    return 0;
  }
  if (result != 1) return result;

  uint32_t longest = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    if (work.m_trackMixdownDialog.m_bSource[static_cast<size_t>(n)]) longest = std::max(longest, Track(n).m_pos.m_nLength);
  }
  longest = (longest + kBlock - 1) / kBlock * kBlock;

  // The mix goes into the session's file of the target track, never into a saved
  // project's copy. It takes its place before any source is emptied, so that a
  // failure never leaves the sources' audio in neither place.
  CAudioTrack& track = Track(target);
  const std::string targetPath = JoinPath(m_szTempFolder, "track" + std::to_string(target) + ".pcm");
  if (std::rename(mixPath.c_str(), targetPath.c_str()) != 0) {
    ReportErrorCode(kWhere, "Failed to move newly written data (" + mixPath + ") over target track file (" +
                                targetPath + ").", errno);
    return 0;
  }
  track.m_PCM.szPath = targetPath;
  track.m_szPeakPath = JoinPath(m_szTempFolder, "track" + std::to_string(target) + ".pek");
  track.bNamesAssigned = 1;
  track.m_PCM.nSize = longest;
  track.m_PCM.bClosed = 1;
  track.m_PCM.fp = nullptr;
  track.CreatePeakFile(m_pOperationDialog);
  track.m_pos.SetInitial(longest, track.m_nPeakLength);
  track.m_pos.m_nLength = longest;
  track.m_pos.m_nRenderedLength = track.m_nPeakLength;
  track.bHasAudio = longest != 0;

  for (int n = 0; n < kTrackCount; ++n) {
    if (!work.m_trackMixdownDialog.m_bSource[static_cast<size_t>(n)] || n == target) continue;
    if (PCMFileOpen(&work.m_tempB, kPCMWrite) != 1) {
      ReportErrorCode(kWhere, "Unable to write to track " + std::to_string(n) + " file (" + work.m_tempB.szPath + ").",
                      errno);
      return 0;
    }
    PCMFileClose(&work.m_tempB);
    Track(n).m_pos.m_nLength = 0;
    if (DocFinalize(kKindRemoval, n, &work.m_tempB, 0, 0) != 1) return 0;
  }
  m_nCurrentPos = 0;
  RecomputeProjectLength();
  AlignDocToTrack(m_nCurrentTrack);
  AfterChange(target);
  return 1;
}
