#pragma once

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// A named pipe that stands for a disk that stalls: writes to it block once the pipe is
// full, until its reader lets them through. The reader reads nothing while it is held;
// released, it drains the pipe a little at a time (4096 bytes a millisecond), or
// breaks it (closes its end, so that writes fail with EPIPE; SIGPIPE is ignored while
// the pipe lives). It lets go by itself at the latest after `hold`, so that a writer
// waiting on it never hangs a test.
class HeldPipe {
 public:
  enum class Then { Drain, Break };

  // Makes the pipe at path and opens its read end, so that it opens for writing at
  // once. onRelease, if any, runs on the reader's thread just before it lets go.
  HeldPipe(std::string path, std::chrono::milliseconds hold, Then then = Then::Drain,
           std::function<void()> onRelease = {});
  ~HeldPipe();
  HeldPipe(const HeldPipe&) = delete;
  HeldPipe& operator=(const HeldPipe&) = delete;

  bool Opened() const { return m_opened; }
  const std::string& Path() const { return m_path; }
  // Lets go now.
  void Release();
  // True once the reader has read anything.
  bool ReadAny();
  // What was read so far, and what waits in the pipe unread.
  size_t Received();
  size_t Unread();
  // Waits (ten seconds at most) until the writer has closed the pipe and gives
  // everything read.
  std::string ReadToEnd();

 private:
  void Read(std::chrono::milliseconds hold, Then then, std::function<void()> onRelease);

  std::string m_path;
  int m_fd = -1;  // -1 once the pipe is broken
  bool m_opened = false;
  void (*m_sigpipe)(int) = nullptr;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_released = false;
  bool m_ended = false;
  bool m_stopping = false;
  std::string m_read;
  std::thread m_reader;
};
