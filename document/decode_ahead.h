#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "document/import_ops.h"

// A decoder read on a thread of its own a few pieces ahead of the thread that takes
// its pieces (to write them and gather their peaks), so that the two run side by
// side. The thread waits while all kQueuedPieces are full, so the memory held stays
// a few pieces whatever the length of the audio. The decoder is the thread's from
// the start until this is destroyed.
class CDecodeAhead {
 public:
  static constexpr size_t kQueuedPieces = 4;

  CDecodeAhead(CAudioDecoder& decoder, size_t pieceBytes);
  // Stops the thread, abandoning what it decoded and nobody took.
  ~CDecodeAhead();
  CDecodeAhead(const CDecodeAhead&) = delete;
  CDecodeAhead& operator=(const CDecodeAhead&) = delete;

  // The next piece, as CAudioDecoder::Read gives it: 1 with bytes and got (0 at the
  // end, and ever after it or a refusal), or the decoder's refusal (told to the user
  // here). The bytes stay valid until the next call.
  int Next(const uint8_t*& bytes, size_t& got);

 private:
  struct Piece {
    std::vector<uint8_t> bytes;
    size_t got = 0;
    int decoded = 0;  // the decoder's result, codec_results.h
    int error = 0;    // errno after it
  };

  void Run();

  CAudioDecoder& m_decoder;
  std::vector<Piece> m_pieces;
  std::mutex m_lock;
  std::condition_variable m_changed;
  // Counts of pieces: decoded, taken, and given back once their taker is done.
  uint64_t m_decoded = 0, m_taken = 0, m_released = 0;
  bool m_abandon = false;
  bool m_stopped = false;  // the thread decodes no more
  std::thread m_thread;
};
