// What a take onto a slow disk costs the interface thread.
//
//   slow_disk_record_bench
//
// A 10-second take, serviced at the pace of the real 40 ms timer, into a pipe whose
// reader stands for a slow disk (a busy disk, a USB stick): it spends 0.4 s on every
// half-second buffer, and 3 s on the eighth. The figures: how long a write and flush
// of one buffer holds up the thread that makes it, the interface thread's time per
// tick (mean and maximum) with the take's writes on their own thread, how long the
// stop waits for them, and whether the take lost anything.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_project.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kBuffer = AudioRecorderNonThreaded::kBufferBytes;

double Millis(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// Reads the pipe to its end, resting 0.4 s after every buffer's worth (3 s after the
// eighth of the take, which follows three written straight); the bytes read.
void SlowDisk(int fd, size_t* total) {
  std::vector<char> chunk(kBuffer);
  size_t sinceRest = 0;
  int buffers = 0;
  for (;;) {
    const ssize_t got = read(fd, chunk.data(), kBuffer - sinceRest);
    if (got <= 0) return;
    *total += static_cast<size_t>(got);
    sinceRest += static_cast<size_t>(got);
    if (sinceRest == kBuffer) {
      sinceRest = 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(++buffers == 3 + 8 ? 3000 : 400));
    }
  }
}

}  // namespace

int main() {
  BenchProject project("slow_disk_record_bench");
  if (!project.Started()) return 1;
  platform::ScriptedSystem& system = *project.system;
  AudioRecorderNonThreaded& recorder = project.app->m_recorder;
  if (!recorder.IsOpen() && recorder.SetupRecorder(0) != 1) return 1;

  char folder[] = "/tmp/slow_disk_record_bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  PCMFile take;
  take.szPath = std::string(folder) + "/take";
  if (mkfifo(take.szPath.c_str(), 0600) != 0) return 1;
  const int fd = open(take.szPath.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0 || PCMFileOpen(&take, kPCMWrite) != 1) return 1;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size_t received = 0;
  std::thread disk(SlowDisk, fd, &received);

  // Three buffers written and flushed straight to the disk, as the interface thread
  // once did.
  std::setvbuf(take.fp, nullptr, _IONBF, 0);
  const std::vector<char> block(kBuffer, 0);
  double direct = 0;
  for (int n = 0; n < 3; ++n) {
    const auto start = Clock::now();
    std::fwrite(block.data(), 1, block.size(), take.fp);
    std::fflush(take.fp);
    direct = std::max(direct, Millis(Clock::now() - start));
  }

  if (recorder.StartRecording(&take, nullptr) != 1) return 1;
  std::vector<double> ticks;
  auto next = Clock::now();
  for (int tick = 0; tick < 10000 / 40 && recorder.State() == RecorderRecording; ++tick) {
    next += std::chrono::milliseconds(40);
    system.clock.Advance(40);
    system.wave.Pump();
    const auto start = Clock::now();
    recorder.ServiceRecording();
    ticks.push_back(Millis(Clock::now() - start) * 1000.0);
    std::this_thread::sleep_until(next);
  }
  const auto stopping = Clock::now();
  const int stopped = recorder.StopRecording();
  const double stop = Millis(Clock::now() - stopping);
  const int finalized = recorder.FinalizeRecordSession();
  disk.join();
  close(fd);
  unlink(take.szPath.c_str());
  rmdir(folder);

  double total = 0;
  for (double tick : ticks) total += tick;
  std::printf("one buffer written and flushed straight to the slow disk: up to %.1f ms\n", direct);
  std::printf("interface thread per 40 ms tick of a take onto it (%zu ticks): mean %.1f us, max %.1f us\n",
              ticks.size(), total / static_cast<double>(std::max<size_t>(ticks.size(), 1)),
              ticks.empty() ? 0.0 : *std::max_element(ticks.begin(), ticks.end()));
  std::printf("the stop, waiting for the writes: %.0f ms\n", stop);
  std::printf("take: %u bytes handed on, %zu reached the disk, %llu bytes of input dropped, %s\n",
              recorder.BytesRecorded(), received - 3 * kBuffer,
              static_cast<unsigned long long>(system.wave.Inputs().front()->DroppedBytes()),
              stopped == 1 && finalized == 1 ? "no failure" : "failed");
  return 0;
}
