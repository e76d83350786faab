// What the wave layer costs its audio thread, and how far behind the handed-over audio
// the real device's position runs.
//
//   wave_bench
//
// 1. The audio side of the playback queue: one render call of a typical device buffer
//    (383 frames, as the ALSA route to PulseAudio asks for) against a plain memcpy of
//    the same bytes, and one position read on the interface side.
// 2. With a sound server: the real output device plays two seconds of silence; printed
//    is how far the position runs behind the wall clock since the write (start-up and
//    device latency), and how steadily.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/wave/portaudio_wave_system.h"
#include "platform/wave/wave_queue.h"

using namespace platform;

namespace {

using Clock = std::chrono::steady_clock;

double NanosPer(Clock::time_point start, long count) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / count;
}

void QueueCosts() {
  constexpr uint32_t kCall = 383 * 4;
  constexpr long kCalls = 200000;
  PlaybackQueue queue(nullptr, nullptr);
  queue.SetFormat(kProjectWaveFormat);
  std::vector<char> block(88200, 1), out(kCall);
  std::vector<WaveHeader> headers(2);
  for (WaveHeader& header : headers) {
    header.data = block.data();
    header.bufferLength = static_cast<uint32_t>(block.size());
  }
  int next = 0;
  for (WaveHeader& header : headers) queue.Push(&header);
  // Requeues each header as soon as it comes back, as fast as a client could.
  auto start = Clock::now();
  for (long call = 0; call < kCalls; ++call) {
    queue.Render(out.data(), kCall, call);
    if (headers[next].flags.load(std::memory_order_acquire) & WHDR_DONE) {
      headers[next].flags.store(WHDR_PREPARED | WHDR_INQUEUE);
      queue.Push(&headers[next]);
      next ^= 1;
    }
  }
  double render = NanosPer(start, kCalls);

  start = Clock::now();
  for (long call = 0; call < kCalls; ++call) {
    std::memcpy(out.data(), block.data() + (call * kCall) % (block.size() - kCall), kCall);
    asm volatile("" : : "r"(out.data()) : "memory");
  }
  double copy = NanosPer(start, kCalls);

  start = Clock::now();
  uint64_t sum = 0;
  for (long call = 0; call < kCalls; ++call) sum += queue.PlayedBytes(call * 1000);
  double position = NanosPer(start, kCalls);
  std::printf("render of %u bytes: %.0f ns (memcpy alone %.0f ns); position read: %.0f ns  [%llu]\n", kCall, render,
              copy, position, static_cast<unsigned long long>(sum % 10));
}

void DeviceLag() {
  PortAudioWaveSystem system;
  auto output = system.CreateOutput();
  if (system.OutputCount() == 0 ||
      output->Open(WAVE_MAPPER, kProjectWaveFormat, nullptr, nullptr) != MMSYSERR_NOERROR) {
    std::printf("real device: none (no sound server); lag not measured\n");
    return;
  }
  std::vector<char> silence(88200 * 4);
  WaveHeader header;
  header.data = silence.data();
  header.bufferLength = static_cast<uint32_t>(silence.size());
  output->Prepare(&header);
  auto written = Clock::now();
  output->Write(&header);
  // The lag of the position behind the wall clock since the write is when the first
  // byte sounded, as the position has it; once the stream has settled it should stay
  // put. The first fifth of a second (the stream's start) is left out.
  std::vector<double> lags;
  for (int sample = 0; sample < 100; ++sample) {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    uint32_t bytes = 0;
    output->GetPosition(&bytes);
    double wall = std::chrono::duration<double, std::milli>(Clock::now() - written).count();
    if (wall > 200) lags.push_back(wall - bytes / 176.4);
  }
  std::sort(lags.begin(), lags.end());
  std::printf(
      "real device: the position runs %.2f ms behind the wall clock since the write (spread %.2f ms "
      "over %zu reads)\n",
      lags[lags.size() / 2], lags.back() - lags.front(), lags.size());
  output->Reset();
  output->Close();
}

}  // namespace

int main() {
  QueueCosts();
  DeviceLag();
  return 0;
}
