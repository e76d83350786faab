#include "document/decode_ahead.h"

#include "audio_store/codec_results.h"

CDecodeAhead::CDecodeAhead(CAudioDecoder& decoder, size_t pieceBytes) : m_decoder(decoder), m_pieces(kQueuedPieces) {
  for (Piece& piece : m_pieces) piece.bytes.resize(pieceBytes);
  m_thread = std::thread(&CDecodeAhead::Run, this);
}

CDecodeAhead::~CDecodeAhead() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_abandon = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

int CDecodeAhead::Next(const uint8_t*& bytes, size_t& got) {
  std::unique_lock<std::mutex> hold(m_lock);
  // The piece taken last is done with.
  if (m_released < m_taken) {
    ++m_released;
    m_changed.notify_all();
  }
  m_changed.wait(hold, [this] { return m_decoded > m_taken || m_stopped; });
  if (m_decoded == m_taken) {
    bytes = nullptr;
    got = 0;
    return 1;
  }
  const Piece& piece = m_pieces[m_taken++ % kQueuedPieces];
  hold.unlock();
  bytes = piece.bytes.data();
  got = piece.decoded == kCodecDone ? piece.got : 0;
  return m_decoder.Result(piece.decoded, piece.error);
}

void CDecodeAhead::Run() {
  std::unique_lock<std::mutex> hold(m_lock);
  for (;;) {
    m_changed.wait(hold, [this] { return m_abandon || m_decoded - m_released < kQueuedPieces; });
    if (m_abandon) return;
    // The piece is the thread's alone until it is counted decoded.
    Piece& piece = m_pieces[m_decoded % kQueuedPieces];
    hold.unlock();
    piece.got = 0;
    piece.decoded = m_decoder.Decode(piece.bytes.data(), piece.bytes.size(), piece.got, piece.error);
    hold.lock();
    ++m_decoded;
    m_changed.notify_all();
    // After the end or a refusal there is nothing more to decode.
    if (piece.decoded != kCodecDone || piece.got == 0) {
      m_stopped = true;
      return;
    }
  }
}
