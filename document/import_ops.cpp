// Importing WAV and MP3 files into the current track: decoded by the codec
// modules, converted to the project format and spliced in at the highlight's begin.

#include "document/import_ops.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/program_links.h"
#include "document/document_workspace.h"
#include "audio_store/codec_modules.h"
#include "document/mixer_doc.h"

namespace {

COperationDialog* Progress() {
  return Links().operationDialog;
}

// Names a decoder's file in the session folder on first use.
bool NameTempFile(std::string& path, const std::string& folder, const char* base, const char* extension) {
  if (!path.empty()) return true;
  return OurGetTempFileName(path, folder, base, extension) == 1;
}

// A decoder's result as the import's: a refusal is told to the user, a cancel is not.
// error is errno after the decoder, cleared before it: a failed read or write is
// told with its cause (a file that is merely not audio leaves none of these).
int DecodeResult(int result, int error, const std::string& file) {
  if (result == kCodecDone) return 1;
  if (result == kCodecNotLoaded) return 0;
  if (result == kCodecCancelled) return 3;
  std::string text = "Cannot import " + file + ":\n" + CodecResultText(result);
  for (int cause : {EIO, ENOSPC, EDQUOT, EFBIG, EACCES, EPERM, EROFS}) {
    if (error == cause) text += "\n" + std::string(std::strerror(error));
  }
  ShowInformation(text);
  return 3;
}

void RemoveFile(const std::string& path) {
  if (path.empty()) return;
  if (std::FILE* emptied = std::fopen(path.c_str(), "wb")) std::fclose(emptied);
  std::remove(path.c_str());
}

// The decoders' files go when the import ends: done, failed, refused or cancelled.
struct DecodedFilesRemover {
  DocumentWorkspace& work;
  ~DecodedFilesRemover() {
    work.m_waveImport.RemoveTempFile();
    work.m_mp3Import.RemoveTempFile();
  }
};

}  // namespace

void DecodeCallback(int position, int* keepGoing) {
  OperationCallback(position, keepGoing);
}

int CWaveImport::ImportFile(const std::string& folder, AudioQuality& quality, const std::string& wavPath) {
  if (COperationDialog* progress = Progress()) {
    progress->SetMessage("Opening audio file...", 0);
    progress->SetProgressRange(100);
  }
  if (!NameTempFile(m_szTempPath, folder, "import_wave_file", "pcm")) return 0;
  if (std::FILE* created = std::fopen(m_szTempPath.c_str(), "wb")) std::fclose(created);
  errno = 0;
  const int decoded =
      CallWaveDecode("CWaveImport::ImportFile", wavPath, m_szTempPath, &m_quality, &m_nDataBytes, DecodeCallback);
  int result = DecodeResult(decoded, errno, wavPath);
  if (result == 1) quality = m_quality;
  return result;
}

void CWaveImport::RemoveTempFile() {
  RemoveFile(m_szTempPath);
}

int CMP3Import::ImportFile(const std::string& folder, const std::string& mp3Path) {
  if (COperationDialog* progress = Progress()) {
    progress->SetMessage("Decoding MP3 file...", 0);
    progress->SetProgressRange(100);
  }
  if (!NameTempFile(m_szTempPath, folder, "import_mp3_file", "wav")) return 0;
  errno = 0;
  const int decoded = CallLameDecode("CMP3Import::ImportFile", mp3Path, m_szTempPath, DecodeCallback);
  return DecodeResult(decoded, errno, mp3Path);
}

void CMP3Import::RemoveTempFile() {
  RemoveFile(m_szTempPath);
}

int CMixerDoc::ImportDecoded(bool mp3) {
  const char* where = mp3 ? "CMixerDoc::UserOpImportMP3" : "CMixerDoc::UserOpImportWave";
  if (!CheckTrack(m_nCurrentTrack, where)) return 0;
  DocumentWorkspace* work = &m_workspace;
  if (!m_pOperationDialog) {
    ReportError(where, "Pointer to dialog op is NULL");
    return 0;
  }
  work->m_bOpInProgress = true;
  DecodedFilesRemover removeDecodedFiles{*work};
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();

  AudioQuality quality{};
  int result = 1;
  if (mp3) {
    result = work->m_mp3Import.ImportFile(work->m_szTempFolder, m_szImportPath);
    if (result == 1) result = work->m_waveImport.ImportFile(work->m_szTempFolder, quality, work->m_mp3Import.m_szTempPath);
  } else {
    result = work->m_waveImport.ImportFile(work->m_szTempFolder, quality, m_szImportPath);
  }
  if (result != 1) return result;

  const uint32_t position = m_mirror.m_nHighlightBegin;
  if (position > track.m_PCM.nSize) {
    ReportError(where, "The position " + std::to_string(position) + " lies beyond the track's " +
                           std::to_string(track.m_PCM.nSize) + " bytes.");
    return 0;
  }
  const uint32_t tail = PCMFileInsertExteriorPost_ByteCount(&track.m_PCM, &work->m_tempA, position);
  m_pOperationDialog->SetMessage(mp3 ? "Importing MP3 file into project..." : "Importing wave file into project...",
                                 mp3 ? 0 : 1);
  m_pOperationDialog->SetProgressRange((work->m_waveImport.m_nDataBytes + position + tail) / 100);
  m_pOperationDialog->UpdateProgress(0);

  std::FILE* out = nullptr;
  if ((result = PCMFileInsertExteriorPre(&track.m_PCM, &work->m_tempA, position, &out)) != 1) {
    PCMFileClose(&work->m_tempA);
    return result;
  }
  result = work->m_converter.WritePCMToPCM(work->m_waveImport.m_szTempPath.c_str(), out, &work->m_waveImport.m_quality,
                                          &kProjectQuality);
  if (result != 1) {
    if (PCMFileClose(&work->m_tempA) != 1) ReportError(where, "Failed to close file (" + work->m_tempA.szPath + ")");
    return mp3 ? result : (result == 0 ? 0 : 3);
  }
  // The bytes the converter really wrote are what was inserted: the cap can exceed
  // them by part of a frame, and counting it would shift the track's tail.
  const uint32_t count = work->m_converter.m_outputWritten;
  if ((result = PCMFileInsertExteriorPost(&track.m_PCM, &work->m_tempA, position, count)) != 1) return result;
  track.m_pos.m_nLength += count;
  return CommitEdit(nullptr, kKindInsertion, m_nCurrentTrack, position, position + count, 0, &work->m_tempA);
}

int CMixerDoc::UserOpImportWave() {
  return ImportDecoded(false);
}
int CMixerDoc::UserOpImportMP3() {
  return ImportDecoded(true);
}
