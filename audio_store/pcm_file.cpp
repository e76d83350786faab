#include "audio_store/pcm_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <utility>

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/program_links.h"
#include "core/progress_dialog.h"

namespace {

// Progress and cancel work per chunk of this size.
constexpr uint32_t kChunkSize = 8192;
// The copy engine reads and writes blocks of whole chunks: the system-call cost of
// 8192-byte transfers would otherwise dominate a copy that runs from the page cache.
constexpr uint32_t kBlockSize = 128 * kChunkSize;

uint32_t SaturatingSub(uint32_t a, uint32_t b) {
  return a > b ? a - b : 0;
}

// Reads count bytes at offset; returns the bytes read, fewer only at the end of the
// file or on a read error (then error holds errno).
size_t ReadFully(int fd, uint8_t* buffer, size_t count, off_t offset, int& error) {
  size_t done = 0;
  error = 0;
  while (done < count) {
    ssize_t got = pread(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// Writes count bytes at offset; returns the bytes written, fewer when the write
// failed (then errno tells why).
size_t WriteFully(int fd, const uint8_t* buffer, size_t count, off_t offset) {
  size_t done = 0;
  while (done < count) {
    ssize_t put = pwrite(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
    if (put < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (put == 0) {
      errno = ENOSPC;
      break;
    }
    done += static_cast<size_t>(put);
  }
  return done;
}

// Closes both files of a copy that is being abandoned.
void CloseBoth(PCMFile* source, PCMFile* target) {
  PCMFileClose(source);
  PCMFileClose(target);
}

}  // namespace

PCMFile::PCMFile(PCMFile&& other) noexcept
    : szPath(std::move(other.szPath)), nSize(other.nSize), fp(std::exchange(other.fp, nullptr)) {
  other.nSize = 0;
}

PCMFile& PCMFile::operator=(PCMFile&& other) noexcept {
  if (this != &other) {
    Close();
    szPath = std::move(other.szPath);
    nSize = std::exchange(other.nSize, 0);
    fp = std::exchange(other.fp, nullptr);
  }
  return *this;
}

bool PCMFile::Close() {
  // fclose releases the stream even when it fails, so the record must not keep it.
  std::FILE* stream = std::exchange(fp, nullptr);
  return !stream || std::fclose(stream) == 0;
}

Outcome PCMFileOpen(PCMFile* file, int mode) {
  if (!file) {
    ReportError("PCMFileOpen", "The pPCMFile is NULL.");
    return kFailed;
  }
  // A stream still open from before would be lost by the new one.
  if (file->fp) PCMFileClose(file);
  const char* how = nullptr;
  switch (mode) {
    case kPCMRead: how = "rb"; break;
    case kPCMWrite: how = "wb"; break;
    case kPCMUpdate: how = file->nSize != 0 ? "rb+" : "wb"; break;
    default: break;
  }
  std::FILE* fp = how ? std::fopen(file->szPath.c_str(), how) : nullptr;
  struct stat info {};
  if (fp && fstat(fileno(fp), &info) != 0) {
    std::fclose(fp);
    fp = nullptr;
  }
  if (!fp) {
    // A file that is not there holds nothing; one that could not be opened keeps the
    // size it has, or a passing failure would make the document forget its audio.
    const int error = errno;
    if (error == ENOENT) file->nSize = 0;
    errno = error;
    return kFailed;
  }
  file->nSize = static_cast<uint32_t>(std::min<off_t>(info.st_size, UINT32_MAX));
  file->fp = fp;
  return kDone;
}

Outcome PCMFileClose(PCMFile* file) {
  if (!file) {
    ReportError("PCMFileClose", "The pPCMFile is NULL.");
    return kFailed;
  }
  return file->Close() ? kDone : kFailed;
}

Outcome PCMFileSeek(PCMFile* file, uint32_t position) {
  if (!file) {
    ReportError("PCMFileSeek", "The pPCMFile is NULL.");
    return kFailed;
  }
  if (file->nSize == 0) return kDone;
  if (file->IsClosed()) return kFailed;
  return std::fseek(file->fp, static_cast<long>(std::min(file->nSize, position)), SEEK_SET) == 0 ? kDone : kFailed;
}

Outcome PCMFileSetup(PCMFile* file, const std::string& folder, const std::string& prefix) {
  if (!file) {
    ReportError("PCMFileSetup", "The pPCMFile is NULL where prefix is " + prefix + ".");
    return kFailed;
  }
  PCMFileClose(file);
  std::string path;
  if (!OurGetTempFileName(path, folder, prefix, "pcm")) {
    ShowInformation("SetupTempAudioFile Failed to create temp PCM File");
    return kFailed;
  }
  file->szPath = path;
  file->nSize = 0;
  return kDone;
}

Outcome PCMFileCleanup(PCMFile* file) {
  if (!file) {
    ReportError("PCMFileCleanup", "The pPCMFile is NULL");
    return kFailed;
  }
  PCMFileClose(file);
  if (file->nSize != 0) {
    if (!PCMFileOpen(file, kPCMWrite) || !PCMFileClose(file)) return kFailed;
  }
  if (std::remove(file->szPath.c_str()) != 0) return kFailed;
  file->nSize = 0;
  return kDone;
}

Outcome PCMFileWrite(PCMFile* source, PCMFile* target, uint32_t from, uint32_t to, int targetMode) {
  if (!source) {
    ReportError("PCMFileWrite", "The source file pointer is NULL.");
    return kFailed;
  }
  if (!target) {
    ReportError("PCMFileWrite", "The target file pointer is NULL.");
    return kFailed;
  }
  if (from >= to) return kDone;

  // A file that cannot be opened (it vanished, or its folder is not writable) is
  // reported here, where its name is known, so that no edit fails without a word.
  Outcome result = PCMFileOpen(source, kPCMRead);
  if (result != kDone) {
    ReportErrorCode("PCMFileWrite", "Failed to open " + source->szPath + " for reading.", errno);
    return result;
  }
  result = PCMFileSeek(source, from);
  if (result != kDone) {
    PCMFileClose(source);
    return result;
  }
  result = PCMFileOpen(target, targetMode);
  if (result != kDone) {
    int error = errno;
    PCMFileClose(source);
    ReportErrorCode("PCMFileWrite", "Failed to open " + target->szPath + " for writing.", error);
    return result;
  }
  if (targetMode == kPCMUpdate) result = PCMFileSeek(target, target->nSize);
  if (result != kDone) {
    CloseBoth(source, target);
    return result;
  }
  // The bytes go where the seeks above put the streams; the transfers name those
  // offsets explicitly, so nothing depends on the streams' buffered positions.
  const off_t targetStart = targetMode == kPCMUpdate ? static_cast<off_t>(target->nSize) : 0;
  const int in = fileno(source->fp);
  const int out = fileno(target->fp);
  auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kBlockSize);
  COperationDialog* progress = Links().operationDialog;
  bool cancelled = false;
  uint32_t position = from;
  while (position < to && !cancelled) {
    uint32_t wanted = std::min(kBlockSize, to - position);
    int readError = 0;
    auto got = static_cast<uint32_t>(ReadFully(in, buffer.get(), wanted, position, readError));
    // Chunks of the block, each stepping the progress dialog and followed by the
    // cancel test; after a cancel only the chunks already counted are written.
    uint32_t counted = 0;
    while (counted < got) {
      uint32_t chunk = std::min(kChunkSize, got - counted);
      counted += chunk;
      if (progress) {
        progress->StepProgress(chunk / 100);
        if (progress->CancelRequested()) {
          cancelled = true;
          break;
        }
      }
    }
    off_t at = targetStart + (position - from);
    size_t written = WriteFully(out, buffer.get(), counted, at);
    if (written < counted) {
      int error = errno;
      CloseBoth(source, target);
      ReportErrorCode(
          "PCMFileWrite",
          "Writing " + target->szPath + " failed at byte " + std::to_string(static_cast<uint64_t>(at) + written) + ".",
          error);
      return kFailed;
    }
    position += counted;
    if (!cancelled && got < wanted) {
      // Never write what the source does not hold: the range is incomplete.
      CloseBoth(source, target);
      std::string message = readError != 0
                                ? "Reading " + source->szPath + " failed at byte " + std::to_string(position) + "."
                                : "The file " + source->szPath + " ended at byte " + std::to_string(position) +
                                      ", before the " + std::to_string(to) + " bytes asked for.";
      ReportErrorCode("PCMFileWrite", message, readError);
      return kFailed;
    }
  }
  result = PCMFileClose(source);
  if (result != kDone) {
    const int error = errno;
    PCMFileClose(target);
    ReportErrorCode("PCMFileWrite", "Reading " + source->szPath + " failed.", error);
    return result;
  }
  result = PCMFileClose(target);
  if (result != kDone) {
    ReportErrorCode("PCMFileWrite", "Writing " + target->szPath + " failed.", errno);
    return result;
  }
  if (progress && progress->CancelRequested()) return kCancelled;
  return kDone;
}

namespace {

// The null-record checks shared by the composite edits: each present record name is
// tested in order and the first missing one is reported under the edit's name.
bool MissingRecord(const char* location, std::initializer_list<std::pair<const void*, const char*>> records) {
  for (const auto& [record, message] : records) {
    if (!record) {
      ReportError(location, message);
      return true;
    }
  }
  return false;
}

constexpr const char* kNoOriginal = "The original file pointer is NULL.";
constexpr const char* kNoTarget = "The target file pointer is NULL.";
constexpr const char* kNoInsert = "The insert file pointer is NULL.";
constexpr const char* kNoOver = "The over file pointer is NULL.";
constexpr const char* kNoPastEOF = "The past EOF pointer is NULL.";
constexpr const char* kNoStream = "The stream pointer is NULL.";

// Whether the base keeps a tail after an overwrite of overSize bytes at position,
// resolving a pastEOF of 2 to the answer (1 or 0).
bool KeepsTail(uint32_t baseSize, uint32_t position, uint32_t overSize, int* pastEOF) {
  bool tailExists = static_cast<uint64_t>(position) + overSize < baseSize;
  if (*pastEOF == 2) *pastEOF = tailExists ? 1 : 0;
  return *pastEOF != 0 && tailExists;
}

// Hands out the target's stream open for updating at position, after the base's
// first position bytes have been written to it.
Outcome ReopenForCaller(PCMFile* target, uint32_t position, std::FILE** out) {
  Outcome result = PCMFileOpen(target, kPCMUpdate);
  if (result != kDone) {
    ReportErrorCode("PCMFileWrite", "Failed to open " + target->szPath + " for writing.", errno);
    return result;
  }
  result = PCMFileSeek(target, position);
  if (result != kDone) {
    PCMFileClose(target);
    return result;
  }
  *out = target->fp;
  return kDone;
}

// Closes the stream handed out by ReopenForCaller. What the caller wrote may reach the
// file only now, so a full disk can show here first: it is reported, not passed over.
Outcome CloseCallerStream(const char* location, PCMFile* target) {
  if (PCMFileClose(target) == 1) return kDone;
  ReportErrorCode(location, "Writing " + target->szPath + " failed.", errno);
  return kFailed;
}

// An edit whose every range was empty has written nothing; its result is still a
// file, and an empty one, not whatever the target held before.
Outcome EnsureEmptyResult(PCMFile* target) {
  if (target->nSize != 0) return kDone;
  Outcome result = PCMFileOpen(target, kPCMWrite);
  if (result != kDone) return result;
  return PCMFileClose(target);
}

}  // namespace

// Every composite edit starts its target at size 0: the target receives the edited
// whole, and a first step with nothing to copy then leaves the next step to start a
// fresh file instead of appending to whatever the target held before.

Outcome PCMFileCut(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last) {
  if (MissingRecord("PCMFileCut", {{base, kNoOriginal}, {target, kNoTarget}})) return kFailed;
  target->nSize = 0;
  Outcome result = PCMFileWrite(base, target, 0, first, kPCMWrite);
  if (result != kDone) return result;
  target->nSize += first;
  uint32_t end = base->nSize;
  result = PCMFileWrite(base, target, last, end, kPCMUpdate);
  if (result != kDone) return result;
  target->nSize += SaturatingSub(end, last);
  return EnsureEmptyResult(target);
}

Outcome PCMFileCopy(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last) {
  if (MissingRecord("PCMFileCopy", {{base, kNoOriginal}, {target, kNoTarget}})) return kFailed;
  target->nSize = 0;
  Outcome result = PCMFileWrite(base, target, first, last, kPCMWrite);
  if (result != kDone) return result;
  target->nSize += SaturatingSub(last, first);
  return kDone;
}

Outcome PCMFileInsert(PCMFile* base, PCMFile* insert, PCMFile* target, uint32_t position) {
  if (MissingRecord("PCMFileInsert", {{base, kNoOriginal}, {insert, kNoInsert}, {target, kNoTarget}})) return kFailed;
  target->nSize = 0;
  Outcome result = PCMFileWrite(base, target, 0, position, kPCMWrite);
  if (result != kDone) return result;
  target->nSize += position;
  uint32_t insertSize = insert->nSize;
  result = PCMFileWrite(insert, target, 0, insertSize, kPCMUpdate);
  if (result != kDone) return result;
  target->nSize += insertSize;
  uint32_t end = base->nSize;
  result = PCMFileWrite(base, target, position, end, kPCMUpdate);
  if (result != kDone) return result;
  target->nSize += SaturatingSub(end, position);
  return EnsureEmptyResult(target);
}

Outcome PCMFileOver(PCMFile* base, PCMFile* over, PCMFile* target, uint32_t position, int* pastEOF) {
  if (MissingRecord("PCMFileOver",
                    {{base, kNoOriginal}, {over, kNoOver}, {target, kNoTarget}, {pastEOF, kNoPastEOF}})) {
    return kFailed;
  }
  target->nSize = 0;
  Outcome result = PCMFileWrite(base, target, 0, position, kPCMWrite);
  if (result != kDone) return result;
  target->nSize += position;
  uint32_t overSize = over->nSize;
  result = PCMFileWrite(over, target, 0, overSize, kPCMUpdate);
  if (result != kDone) return result;
  target->nSize += overSize;
  uint32_t end = base->nSize;
  if (KeepsTail(end, position, overSize, pastEOF)) {
    result = PCMFileWrite(base, target, position + overSize, end, kPCMUpdate);
    if (result != kDone) return result;
    target->nSize += end - (position + overSize);
  }
  return EnsureEmptyResult(target);
}

namespace {

// The start of an exterior insert or overwrite: the base's bytes before position go
// to the target, which is then handed to the caller to write its own bytes on.
Outcome ExteriorPre(const char* where, PCMFile* base, PCMFile* target, uint32_t position, std::FILE** out) {
  if (MissingRecord(where, {{base, kNoOriginal}, {target, kNoTarget}, {out, kNoStream}})) return kFailed;
  *out = nullptr;
  target->nSize = 0;
  Outcome result = PCMFileWrite(base, target, 0, position, kPCMWrite);
  if (result != kDone) return result;
  target->nSize += position;
  return ReopenForCaller(target, position, out);
}

}  // namespace

Outcome PCMFileInsertExteriorPre(PCMFile* base, PCMFile* target, uint32_t position, std::FILE** out) {
  return ExteriorPre("PCMFileInsertExteriorPre", base, target, position, out);
}

Outcome PCMFileInsertExteriorPost(PCMFile* base, PCMFile* target, uint32_t position, uint32_t count) {
  if (MissingRecord("PCMFileInsertExteriorPost", {{base, kNoOriginal}, {target, kNoTarget}})) return kFailed;
  Outcome result = CloseCallerStream("PCMFileInsertExteriorPost", target);
  if (result != kDone) return result;
  target->nSize += count;
  uint32_t end = base->nSize;
  result = PCMFileWrite(base, target, position, end, kPCMUpdate);
  if (result != kDone) return result;
  target->nSize += SaturatingSub(end, position);
  return kDone;
}

Outcome PCMFileOverExteriorPre(PCMFile* base, PCMFile* target, uint32_t position, std::FILE** out) {
  return ExteriorPre("PCMFileOverExteriorPre", base, target, position, out);
}

Outcome PCMFileOverExteriorPost(PCMFile* base, PCMFile* target, uint32_t position, uint32_t count) {
  if (MissingRecord("PCMFileOverExteriorPost", {{base, kNoOriginal}, {target, kNoTarget}})) return kFailed;
  Outcome result = CloseCallerStream("PCMFileOverExteriorPost", target);
  if (result != kDone) return result;
  target->nSize += count;
  uint32_t end = base->nSize;
  uint64_t written = static_cast<uint64_t>(position) + count;
  if (written < end) {
    auto tailStart = static_cast<uint32_t>(written);
    result = PCMFileWrite(base, target, tailStart, end, kPCMUpdate);
    if (result != kDone) return result;
    target->nSize += end - tailStart;
  }
  return kDone;
}

uint32_t PCMFileCut_ByteCount(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last) {
  if (MissingRecord("PCMFileCut_ByteCount", {{base, kNoOriginal}, {target, kNoTarget}})) return 0;
  return first + SaturatingSub(base->nSize, last);
}

uint32_t PCMFileCopy_ByteCount(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last) {
  if (MissingRecord("PCMFileCopy_ByteCount", {{base, kNoOriginal}, {target, kNoTarget}})) return 0;
  return SaturatingSub(last, first);
}

uint32_t PCMFileInsert_ByteCount(PCMFile* base, PCMFile* insert) {
  if (MissingRecord("PCMFileInsert_ByteCount", {{base, kNoOriginal}, {insert, kNoInsert}})) return 0;
  return base->nSize + insert->nSize;
}

uint32_t PCMFileOver_ByteCount(PCMFile* base, PCMFile* over, uint32_t position, int* pastEOF) {
  if (MissingRecord("PCMFileOver_ByteCount", {{base, kNoOriginal}, {over, kNoOver}, {pastEOF, kNoPastEOF}})) {
    return 0;
  }
  uint32_t count = position + over->nSize;
  if (KeepsTail(base->nSize, position, over->nSize, pastEOF)) count += base->nSize - over->nSize - position;
  return count;
}

uint32_t PCMFileExteriorPre_ByteCount(PCMFile*, PCMFile*, uint32_t position) {
  return position;
}

uint32_t PCMFileInsertExteriorPost_ByteCount(PCMFile* base, PCMFile*, uint32_t position) {
  if (MissingRecord("PCMFileInsertExteriorPost_ByteCount", {{base, kNoOriginal}})) return 0;
  return SaturatingSub(base->nSize, position);
}

uint32_t PCMFileOverExteriorPost_ByteCount(PCMFile* base, PCMFile*, uint32_t position, uint32_t count) {
  if (MissingRecord("PCMFileOverExteriorPost_ByteCount", {{base, kNoOriginal}})) return 0;
  if (static_cast<uint64_t>(position) + count < base->nSize) return base->nSize - position;
  return count;
}

Outcome MoveAudioFile(PCMFile* source, PCMFile* destination) {
  if (!source) {
    ReportError("MoveAudioFile", "The source PCM file pointer is NULL.");
    return kFailed;
  }
  if (!destination) {
    ReportError("MoveAudioFile", "The dest PCM file pointer is NULL.");
    return kFailed;
  }
  const std::string what = "MoveAudioFile: Failed to move " + source->szPath + " over " + destination->szPath;
  if (source->nSize == 0) {
    ShowInformation(what + "  Because the file size was 0.");
    return kFailed;
  }
  // A stream still open on the source would hold back buffered bytes.
  if (!source->Close()) {
    const int error = errno;
    ShowInformation(what + "  Error: " + std::to_string(error) + " (" + std::strerror(error) + ")");
    return kFailed;
  }
  // rename replaces the destination in one step: it holds either its old audio or the
  // new, never nothing, whatever happens.
  if (std::rename(source->szPath.c_str(), destination->szPath.c_str()) != 0) {
    const int error = errno;
    ShowInformation(what + "  Error: " + std::to_string(error) + " (" + std::strerror(error) + ")");
    return kFailed;
  }
  // A stream on the destination reads the replaced file; it is of no further use.
  destination->Close();
  destination->nSize = source->nSize;
  source->nSize = 0;
  return kDone;
}
