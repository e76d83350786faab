#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/outcome.h"

// One headerless PCM file of the project format: a track, scratch, clipboard, undo or
// redo file. nSize is the size as far as the record knows it. The record owns the
// stream it has open: it closes it when it goes, and moves but is never copied, so
// that no two records share one stream.
struct PCMFile {
  std::string szPath;
  uint32_t nSize = 0;
  std::FILE* fp = nullptr;

  PCMFile() = default;
  PCMFile(const PCMFile&) = delete;
  PCMFile& operator=(const PCMFile&) = delete;
  PCMFile(PCMFile&& other) noexcept;
  PCMFile& operator=(PCMFile&& other) noexcept;
  ~PCMFile() { Close(); }

  bool IsClosed() const { return fp == nullptr; }
  // Closes the stream; false with errno when the close failed (the stream is gone
  // all the same). True when none was open.
  bool Close();
};

// Modes of PCMFileOpen.
inline constexpr int kPCMRead = 0;    // "rb"
inline constexpr int kPCMWrite = 1;   // "wb": created or emptied
inline constexpr int kPCMUpdate = 2;  // "rb+" keeping the content (as kPCMWrite when nSize is 0)

// Results: done, failed (reported) or cancelled through the progress dialog.
Outcome PCMFileOpen(PCMFile* file, int mode);
Outcome PCMFileClose(PCMFile* file);
Outcome PCMFileSeek(PCMFile* file, uint32_t position);
// Creates (or empties) prefix.pcm in folder (the session folder) and makes the record name it.
Outcome PCMFileSetup(PCMFile* file, const std::string& folder, const std::string& prefix);
// Empties and deletes the file.
Outcome PCMFileCleanup(PCMFile* file);

// Copies source bytes from..to (exclusive) to the target, 8192 bytes at a time,
// stepping the progress dialog; targetMode kPCMWrite starts a fresh target,
// kPCMUpdate appends at the target's nSize. The target's nSize is not changed.
// A source that ends before `to`, and a write that fails, are reported and give 0.
Outcome PCMFileWrite(PCMFile* source, PCMFile* target, uint32_t from, uint32_t to, int targetMode);

// The composite edits build the edited whole in target and set its nSize.
Outcome PCMFileCut(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last);
Outcome PCMFileCopy(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last);
Outcome PCMFileInsert(PCMFile* base, PCMFile* insert, PCMFile* target, uint32_t position);
// pastEOF: 0 drops the base's tail; otherwise the tail after position + over size is
// kept; 2 is replaced by 1 when such a tail existed and 0 when not.
Outcome PCMFileOver(PCMFile* base, PCMFile* over, PCMFile* target, uint32_t position, int* pastEOF);
// Exterior edits: Pre copies base 0..position to the target and hands out its stream,
// open for writing at position; the caller writes count bytes; Post closes it and
// appends the rest of the base.
Outcome PCMFileInsertExteriorPre(PCMFile* base, PCMFile* target, uint32_t position, std::FILE** out);
Outcome PCMFileInsertExteriorPost(PCMFile* base, PCMFile* target, uint32_t position, uint32_t count);
Outcome PCMFileOverExteriorPre(PCMFile* base, PCMFile* target, uint32_t position, std::FILE** out);
Outcome PCMFileOverExteriorPost(PCMFile* base, PCMFile* target, uint32_t position, uint32_t count);

// The bytes each edit will copy, for the progress range; no file is touched.
uint32_t PCMFileCut_ByteCount(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last);
uint32_t PCMFileCopy_ByteCount(PCMFile* base, PCMFile* target, uint32_t first, uint32_t last);
uint32_t PCMFileInsert_ByteCount(PCMFile* base, PCMFile* insert);
uint32_t PCMFileOver_ByteCount(PCMFile* base, PCMFile* over, uint32_t position, int* pastEOF);
uint32_t PCMFileExteriorPre_ByteCount(PCMFile* base, PCMFile* target, uint32_t position);
uint32_t PCMFileInsertExteriorPost_ByteCount(PCMFile* base, PCMFile* target, uint32_t position);
uint32_t PCMFileOverExteriorPost_ByteCount(PCMFile* base, PCMFile* target, uint32_t position, uint32_t count);

// Puts a finished (closed) source file in place of the destination: the destination
// record takes the source's size, the source record is left without a file. The
// destination is replaced in one step; on failure both files stay as they were.
Outcome MoveAudioFile(PCMFile* source, PCMFile* destination);
