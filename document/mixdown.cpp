// Mixing the project down to one stereo stream, and writing it as a WAV file, as
// an MP3 file with its tag, or onto one of the project's tracks.

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/errors.h"
#include "core/file_utils.h"
#include "document/document_workspace.h"
#include "document/export_note.h"
#include "audio_store/codec_modules.h"
#include "audio_store/wave_header.h"
#include "document/export_dialogs.h"
#include "document/export_file.h"
#include "document/mix_stream.h"
#include "document/mp3_encoder_thread.h"
#include "document/mixer_doc.h"

int CMixerDoc::MixDownToOneFile(std::FILE* target, bool onlySelected) {
  if (!m_pOperationDialog || !target) {
    ReportError("CMixerDoc::MixDownToOneFile", "Pointer to dialog op is NULL");
    return 0;
  }
  CMixStream mix(*this, onlySelected, *m_pOperationDialog);
  while (!mix.Done()) {
    if (int result = mix.Next(); result != 1) return result;
    if (std::fwrite(mix.Block(), 1, CMixStream::kBlockBytes, target) != CMixStream::kBlockBytes) {
      ReportError("CMixerDoc::MixDownToOneFile", "Failed to write the mixdown.");
      return 0;
    }
  }
  return 1;
}

int CMixerDoc::WriteWAV() {
  constexpr const char* kWhere = "CMixerDoc::WriteWAV";
  DocumentWorkspace& work = m_workspace;
  CWaveDialog& format = work.m_waveDialog;
  if (format.DoModal() != platform::IDOK) return kCancelled;
  if (!m_pOperationDialog) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  ExportFile out(m_szExportPath, "Unable to write to wave file " + m_szExportPath +
                                     ".\nPlease make sure that no other program currently has this file open.");
  if (!out.Open(m_szTempFolder)) return 0;

  // The header's sizes are the project's; the data are the whole padded mix, converted
  // as it is made.
  const AudioQuality chosen{format.channels, format.bitsPerSample, format.sampleRate};
  const uint32_t size = work.m_converter.CalculateTargetFileSize(m_nProjectLength, &kProjectQuality, &chosen);
  const auto header = WaveHeaderBytes(size, chosen.sampleRate, chosen.channels, chosen.bitsPerSample);
  if (!out.Put(header.data(), header.size())) return out.WriteFailed(kWhere);
  CMixStream mix(*this, false, *m_pOperationDialog);
  int result = 1;
  if (chosen.channels == 2 && chosen.bitsPerSample == 16 && chosen.sampleRate == 44100) {
    // The project format: the converter would copy every byte, so the blocks go as they are.
    while (result == 1 && !mix.Done()) {
      result = mix.Next();
      if (result == 1 && !out.Put(mix.Block(), CMixStream::kBlockBytes)) return out.WriteFailed(kWhere);
    }
  } else {
    result = work.m_converter.ConvertStream(mix, static_cast<uint32_t>(mix.Length()), out, kProjectQuality, chosen,
                                           nullptr);
  }
  if (result != 1) return result;
  return out.Publish(kWhere, "Failed to move newly written file (" + out.SidePath() + ") over existing file (" +
                                 m_szExportPath + ").");
}

int CMixerDoc::WriteMP3() {
  constexpr const char* kWhere = "CMixerDoc::WriteMP3";
  DocumentWorkspace& work = m_workspace;
  LameEncoderFunctions encoder;
  if (!LoadLameEncoder(encoder, kWhere, "CMP3Import::WriteMP3")) return 0;
  CMP3Dialog& settings = work.m_mp3Dialog;
  if (settings.DoModal() != platform::IDOK) return kCancelled;
  if (!m_pOperationDialog) {
    ReportError(kWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  ExportFile out(m_szExportPath, "WriteWAV: Unable to write to wave file " + m_szExportPath);
  if (!out.Open(m_szTempFolder)) return 0;
  LameEncoder* opened = nullptr;
  int encoded = encoder.open(out.Descriptor(), 2, 16, 44100, settings.m_nBitRate, &opened);
  if (encoded != kCodecDone) {
    ReportError(kWhere, std::string("The MP3 encoder failed: ") + CodecResultText(encoded));
    return 0;
  }
  {
    // The mix is made here while the encoder thread encodes the blocks before it.
    CMp3EncoderThread encoding(encoder, opened, CMixStream::kBlockBytes);
    CMixStream mix(*this, false, *m_pOperationDialog);
    bool fed = true;
    while (fed && !mix.Done()) {
      if (int result = mix.Next(); result != 1) return result;
      fed = encoding.Push(mix.Block(), CMixStream::kBlockBytes);
    }
    encoded = encoding.Finish();
  }
  if (encoded != kCodecDone) {
    ReportError(kWhere, std::string("The MP3 encoder failed: ") + CodecResultText(encoded));
    return 0;
  }
  auto tag = Mp3Tag(settings.m_strTitle, settings.m_strArtist, settings.m_strAlbum, settings.m_strYear,
                    settings.m_strComment, settings.m_nGenre);
  if (!out.Put(tag.data(), tag.size())) return out.WriteFailed(kWhere);
  return out.Publish(kWhere, "WriteWAV: Failed to move newly written file over existing file " + m_szExportPath +
                                 ".  Your new file exists at " + out.SidePath() + "  Please contact customer support.");
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
  longest = (longest + CMixStream::kBlockBytes - 1) / CMixStream::kBlockBytes * CMixStream::kBlockBytes;

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
  // From here the mix is in the project, which no undo step knows of.
  m_nUndoCount = m_nRedoCount = 0;
  track.m_PCM.szPath = targetPath;
  track.m_szPeakPath = JoinPath(m_szTempFolder, "track" + std::to_string(target) + ".pek");
  track.bNamesAssigned = 1;
  track.m_PCM.Close();
  track.m_PCM.nSize = longest;
  track.CreatePeakFile(m_pOperationDialog);
  track.m_pos.SetInitial(longest, track.m_nPeakLength);
  track.m_pos.m_nLength = longest;
  track.m_pos.m_nRenderedLength = track.m_nPeakLength;
  track.bHasAudio = longest != 0;

  // The sources are emptied as a removal of all their audio, whose result is empty:
  // no file is needed for it, so nothing can fail half-way through the sources.
  PCMFile emptied;
  for (int n = 0; n < kTrackCount; ++n) {
    if (!work.m_trackMixdownDialog.m_bSource[static_cast<size_t>(n)] || n == target) continue;
    Track(n).m_pos.m_nLength = 0;
    if (DocFinalize(kKindRemoval, n, &emptied, 0, 0) != 1) return 0;
  }
  m_nCurrentPos = 0;
  RecomputeProjectLength();
  AlignDocToTrack(m_nCurrentTrack);
  AfterChange(target);
  return 1;
}
