// Importing WAV and MP3 files into the current track in one pass: the codec modules
// decode block by block, each block is converted to the project format and written
// into the result, and the result's peaks are gathered as it is written. Into an
// empty track the result is written as the track's new file; otherwise it is
// spliced in at the highlight's begin.

#include "document/import_ops.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "core/program_links.h"
#include "document/document_workspace.h"
#include "audio_store/codec_modules.h"
#include "audio_store/peak_file.h"
#include "document/decode_ahead.h"
#include "core/errors.h"
#include "core/file_utils.h"
#include "document/mixer_doc.h"

namespace {

// Decoded audio is read in pieces of this size.
constexpr size_t kPieceBytes = 1 << 18;

COperationDialog* Progress() {
  return Links().operationDialog;
}

// The decoder as the converter's source: its blocks, front to back.
class DecodedSource : public PcmSource {
 public:
  DecodedSource(CAudioDecoder& decoder, const std::string& name) : m_decoder(decoder), m_name(name) {}
  int Read(uint64_t offset, uint8_t* bytes, size_t count) override {
    // The converter reads every byte in order; nothing is skipped here.
    while (count > 0) {
      if (m_position == m_end) {
        size_t got = 0;
        if (int result = m_decoder.Read(m_piece.data(), m_piece.size(), got); result != 1) return result;
        if (got == 0) {
          ReportError("CConvertAudioFile::WritePCMToPCM",
                      "Reading " + m_name + " failed at byte " + std::to_string(offset) + ".");
          return 0;
        }
        m_start = m_end;
        m_end += got;
        m_position = m_start;
      }
      if (offset < m_position || offset >= m_end) {
        ReportError("CConvertAudioFile::WritePCMToPCM", "The decoded audio is read out of order.");
        return 0;
      }
      const size_t part = static_cast<size_t>(std::min<uint64_t>(count, m_end - offset));
      std::copy_n(m_piece.data() + (offset - m_start), part, bytes);
      bytes += part;
      offset += part;
      count -= part;
      m_position = offset;
    }
    return 1;
  }

 private:
  CAudioDecoder& m_decoder;
  const std::string& m_name;
  std::vector<uint8_t> m_piece = std::vector<uint8_t>(kPieceBytes);
  uint64_t m_start = 0, m_end = 0, m_position = 0;
};

// The imported audio's way into its file, past the peak builder when the file is
// to be the whole track.
class ResultSink : public FilePcmSink {
 public:
  ResultSink(std::FILE* file, CPeakBuilder* peaks) : FilePcmSink(file), m_peaks(peaks) {}
  bool Put(const uint8_t* bytes, size_t count) override {
    if (!FilePcmSink::Put(bytes, count)) return false;
    if (m_peaks) m_peaks->Add(bytes, count);
    m_written += count;
    return true;
  }
  uint64_t Written() const { return m_written; }

 private:
  CPeakBuilder* m_peaks;
  uint64_t m_written = 0;
};

// Copies audio that is in the project format already, stepping the progress dialog
// by the bytes copied and stopping at a cancel: 1, 3, or 0 after a report. ahead:
// the decoder runs on a thread of its own while its pieces are written here, worth
// it where decoding is the bulk of the work (MP3); a WAV file's decoding is little
// more than a copy, which the thread's hand-over would only slow.
int CopyDecoded(CAudioDecoder& decoder, bool ahead, ResultSink& sink, COperationDialog& progress, const char* where) {
  auto writeFailed = [&] {
    ReportErrorCode(where, "Writing the imported audio failed after " + std::to_string(sink.Written()) + " bytes.",
                    errno);
    return 0;
  };
  std::optional<CDecodeAhead> decoding;
  if (ahead) decoding.emplace(decoder, kPieceBytes);
  std::vector<uint8_t> own(ahead ? 0 : kPieceBytes);
  for (;;) {
    const uint8_t* piece = own.data();
    size_t got = 0;
    const int result = decoding ? decoding->Next(piece, got) : decoder.Read(own.data(), own.size(), got);
    if (result != 1) return result;
    if (got == 0) break;
    if (!sink.Put(piece, got)) return writeFailed();
    progress.StepProgress(static_cast<unsigned int>(got / 100));
    if (progress.CancelRequested()) return kCancelled;
  }
  return sink.Flush() ? 1 : writeFailed();
}

}  // namespace

int ImportDecodeResult(int result, int error, const std::string& file) {
  if (result == kCodecDone) return 1;
  if (result == kCodecNotLoaded) return 0;
  // A cancel is the user's own: nothing to tell.
  if (result == kCodecCancelled) return kCancelled;
  std::string text = "Cannot import " + file + ":\n" + CodecResultText(result);
  // A file that is merely not audio leaves none of these causes.
  for (int cause : {EIO, ENOSPC, EDQUOT, EFBIG, EACCES, EPERM, EROFS}) {
    if (error == cause) text += "\n" + std::string(std::strerror(error));
  }
  ShowInformation(text);
  return kCancelled;
}

int CWaveImport::ImportFile(AudioQuality& quality, const std::string& wavPath) {
  Close();
  if (COperationDialog* progress = Progress()) {
    progress->SetMessage("Opening audio file...", 0);
    progress->SetProgressRange(100);
  }
  if (!LoadWaveDecoder(m_functions, "CWaveImport::ImportFile")) return 0;
  m_path = wavPath;
  int16_t bits = 0, channels = 0;
  int32_t rate = 0;
  errno = 0;
  const int opened = m_functions.open(wavPath.c_str(), &m_decoder, &bits, &channels, &rate, &m_nDataBytes);
  int result = ImportDecodeResult(opened, errno, wavPath);
  if (result != 1) return result;
  m_quality = AudioQuality{channels, bits, rate};
  quality = m_quality;
  return 1;
}


int CMP3Import::ImportFile(const std::string& mp3Path) {
  Close();
  if (COperationDialog* progress = Progress()) {
    progress->SetMessage("Decoding MP3 file...", 0);
    progress->SetProgressRange(100);
  }
  if (!LoadMp3Decoder(m_functions, "CMP3Import::ImportFile")) return 0;
  m_path = mp3Path;
  errno = 0;
  const int opened = m_functions.open(mp3Path.c_str(), &m_decoder, &m_nEstimatedBytes);
  return ImportDecodeResult(opened, errno, mp3Path);
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
  AlignTrackToDoc(m_nCurrentTrack);
  CAudioTrack& track = CurrentTrack();

  // The decoder is closed when the import ends: done, failed, refused or cancelled.
  struct Closer {
    CAudioDecoder& decoder;
    ~Closer() { decoder.Close(); }
  };
  CAudioDecoder& decoder = mp3 ? static_cast<CAudioDecoder&>(work->m_mp3Import) : work->m_waveImport;
  Closer closeDecoder{decoder};
  AudioQuality quality = kProjectQuality;
  uint32_t expected = 0;
  int result = 1;
  if (mp3) {
    result = work->m_mp3Import.ImportFile(m_szImportPath);
    expected = work->m_mp3Import.m_nEstimatedBytes;
  } else {
    result = work->m_waveImport.ImportFile(quality, m_szImportPath);
    expected = work->m_waveImport.m_nDataBytes;
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
  m_pOperationDialog->SetProgressRange(static_cast<unsigned int>((uint64_t{expected} + position + tail) / 100));
  m_pOperationDialog->UpdateProgress(0);

  // An empty track takes the result as its file, peaks and all; any other has it
  // spliced in between its head and its tail, and its peaks rendered afterwards.
  const bool wholeTrack = track.m_PCM.nSize == 0;
  CPeakBuilder peaks;
  std::string peakPath;
  if (wholeTrack && OurGetTempFileName(peakPath, m_szTempFolder, "import_peaks", "pek") == 1) {
    peaks.Start(peakPath);
  }
  std::FILE* out = nullptr;
  if (wholeTrack) {
    work->m_tempA.nSize = 0;
    if (PCMFileOpen(&work->m_tempA, kPCMWrite) != 1) {
      ReportErrorCode(where, "Failed to open " + work->m_tempA.szPath + " for writing.", errno);
      return 0;
    }
    out = work->m_tempA.fp;
  } else if ((result = PCMFileInsertExteriorPre(&track.m_PCM, &work->m_tempA, position, &out)) != 1) {
    PCMFileClose(&work->m_tempA);
    return result;
  }
  ResultSink sink(out, peaks.Started() ? &peaks : nullptr);
  uint32_t count = 0;
  if (quality.channels == kProjectQuality.channels && quality.bitsPerSample == kProjectQuality.bitsPerSample &&
      quality.sampleRate == kProjectQuality.sampleRate) {
    result = CopyDecoded(decoder, mp3, sink, *m_pOperationDialog, where);
    count = static_cast<uint32_t>(sink.Written());
  } else {
    DecodedSource source(decoder, m_szImportPath);
    result =
        work->m_converter.ConvertStream(source, expected, sink, quality, kProjectQuality, m_pOperationDialog);
    // The bytes the converter really wrote are what was inserted: the cap can exceed
    // them by part of a frame, and counting it would shift the track's tail.
    count = work->m_converter.m_outputWritten;
  }
  if (result != 1) {
    if (PCMFileClose(&work->m_tempA) != 1) ReportError(where, "Failed to close file (" + work->m_tempA.szPath + ")");
    return mp3 ? result : (result == 0 ? 0 : 3);
  }
  if (wholeTrack) {
    if (PCMFileClose(&work->m_tempA) != 1) {
      ReportErrorCode(where, "Failed to close file (" + work->m_tempA.szPath + ")", errno);
      return 0;
    }
    work->m_tempA.nSize = count;
  } else if ((result = PCMFileInsertExteriorPost(&track.m_PCM, &work->m_tempA, position, count)) != 1) {
    return result;
  }
  track.m_pos.m_nLength += count;
  result = DocFinalize(kKindInsertion, m_nCurrentTrack, &work->m_tempA, position, position + count,
                       peaks.Started() ? &peaks : nullptr);
  if (result != 1) return result;
  if ((result = UndoStore(nullptr, kKindInsertion, m_nCurrentTrack, position, position + count, 0)) != 1) {
    return result;
  }
  return 1;
}

int CMixerDoc::UserOpImportWave() {
  return ImportDecoded(false);
}
int CMixerDoc::UserOpImportMP3() {
  return ImportDecoded(true);
}
