#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

// Appends a take's blocks to its file on a thread of its own, so that a slow disk holds
// up that thread and not the one that hands the blocks over. The blocks wait in a pool
// of kSlots slots allocated once; each reaches the file, in the order it was handed
// over, with a write and a flush of its own. After a write fails nothing more is
// written, and what was still queued is dropped.
class TakeWriter {
 public:
  // Four seconds of the half-second blocks of a take.
  static constexpr size_t kSlots = 8;

  explicit TakeWriter(uint32_t blockBytes);
  // Writes what is queued, as Finish does.
  ~TakeWriter();
  TakeWriter(const TakeWriter&) = delete;
  TakeWriter& operator=(const TakeWriter&) = delete;

  // Starts the thread that writes to fp (unbuffered, so that each flush reaches the
  // file); forgets the error of any earlier file. False, with no thread, when the
  // system has none to give: errno says why.
  bool Start(std::FILE* fp);
  // Waits until a slot is free: true at once while one is. False once a write has
  // failed, or when the thread is not running.
  bool WaitForSlot();
  // Copies bytes (at most a block) of data into a free slot, first waiting for one,
  // and queues it for the file. False, with nothing queued, as for WaitForSlot.
  bool Append(const char* data, uint32_t bytes);
  // Waits until everything queued is in the file (or a write failed) and ends the
  // thread. Nothing happens when it is not running.
  void Finish();
  // The errno of the write that failed, or 0.
  int Error() const { return m_error.load(std::memory_order_acquire); }

 private:
  void Run();

  std::vector<std::vector<char>> m_slots;
  std::vector<uint32_t> m_lengths;
  std::FILE* m_fp = nullptr;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  // The queue: m_count slots from m_first on, round the pool. The interface thread
  // fills the slot after them outside the lock: neither side touches it meanwhile.
  size_t m_first = 0;
  size_t m_count = 0;
  bool m_finishing = false;
  std::atomic<int> m_error{0};
};
