#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "audio_store/codec_modules.h"

// An MP3 encoder running on a thread of its own, fed by the thread that makes the
// audio through a queue of a few blocks: the maker waits while the queue is full,
// so the two run side by side and the memory held stays a few blocks whatever the
// length of the audio.
class CMp3EncoderThread {
 public:
  static constexpr size_t kQueuedBlocks = 4;

  // Starts the thread over an opened encoder, which it owns from here on.
  CMp3EncoderThread(const LameEncoderFunctions& functions, LameEncoder* encoder, size_t blockBytes);
  // Abandons what is not encoded yet, stops the thread and frees the encoder.
  ~CMp3EncoderThread();
  CMp3EncoderThread(const CMp3EncoderThread&) = delete;
  CMp3EncoderThread& operator=(const CMp3EncoderThread&) = delete;

  // Queues a copy of count (at most blockBytes) bytes, waiting for room; false once
  // the encoder has failed (Finish tells how).
  bool Push(const uint8_t* bytes, size_t count);
  // Waits until everything queued is encoded, stops the thread and finishes the
  // stream: kCodecDone or the first failure's code of codec_results.h.
  int Finish();

 private:
  void Run();
  void Stop();

  LameEncoderFunctions m_functions;
  LameEncoder* m_encoder;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<std::vector<uint8_t>> m_blocks;
  std::vector<size_t> m_free;   // blocks the maker may fill
  std::deque<size_t> m_queued;  // blocks waiting for the encoder, in order
  std::vector<size_t> m_sizes;
  bool m_closing = false;  // no more blocks come
  bool m_abandon = false;  // stop at once
  int m_result = kCodecDone;
  std::thread m_thread;
};
