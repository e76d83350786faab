#include "tests/engine/loopback_take.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "app/mixer_app.h"
#include "cli/record_command.h"
#include "document/mixer_doc.h"
#include "platform/system.h"
#include "platform/wave/wave_device.h"

namespace {

constexpr uint32_t kSecond = 176400;

int16_t Left(const std::string& bytes, size_t frame) {
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[frame * 4]) | static_cast<uint8_t>(bytes[frame * 4 + 1]) << 8);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool UseRealDevices(CMixerApp& app, platform::Clock& clock, platform::PolledTimers& timers,
                    platform::WaveSystem& wave) {
  platform::System& os = platform::Os();
  os.clock = &clock;
  os.timers = &timers;
  os.pump = &timers;
  os.waveSystem = &wave;
  app.m_player.Stop();
  return app.m_player.SetupPlayer(&app, platform::WAVE_MAPPER) == 1 &&
         app.m_recorder.SetupRecorder(platform::WAVE_MAPPER) == 1;
}

std::string ClickTrack(uint32_t bytes) {
  std::string data(bytes & ~3u, '\0');
  const size_t frames = data.size() / 4;
  // A click every 0.2 to 0.35 s: 2 ms of a decaying 3 kHz tone.
  uint32_t seed = 12345;
  for (size_t at = 2000; at + 200 < frames;) {
    for (size_t n = 0; n < 88; ++n) {
      const double value = 20000.0 * std::exp(-static_cast<double>(n) / 25.0) * std::sin(2 * M_PI * 3000.0 * n / 44100.0);
      const auto sample = static_cast<uint16_t>(static_cast<int16_t>(value));
      for (size_t c = 0; c < 2; ++c) {
        data[(at + n) * 4 + c * 2] = static_cast<char>(sample & 0xFF);
        data[(at + n) * 4 + c * 2 + 1] = static_cast<char>(sample >> 8);
      }
    }
    seed = seed * 1103515245u + 12345u;
    at += 8820 + (seed >> 16) % 6615;
  }
  return data;
}

std::optional<int> ResidualOffset(const std::string& reference, const std::string& take, uint32_t from, uint32_t to,
                                  int maxLag) {
  const size_t referenceFrames = reference.size() / 4, takeFrames = take.size() / 4;
  std::vector<size_t> loud;
  for (size_t n = from; n < to && n < referenceFrames; ++n) {
    if (Left(reference, n) != 0) loud.push_back(n);
  }
  if (loud.empty()) return std::nullopt;
  // The clicks are sparse: only the reference's sounding frames add to a product.
  double best = 0;
  std::optional<int> bestLag;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double sum = 0;
    for (size_t n : loud) {
      const int64_t at = static_cast<int64_t>(n) + lag;
      if (at < 0 || static_cast<size_t>(at) >= takeFrames) continue;
      sum += static_cast<double>(Left(reference, n)) * Left(take, static_cast<size_t>(at));
    }
    if (sum > best) {
      best = sum;
      bestLag = lag;
    }
  }
  return bestLag;
}

std::optional<int> MeasureLoopbackTake(CMixerApp& app, const LoopbackCase& loopbackCase, std::string& why) {
  CMixerDoc& doc = *app.m_pDocument;
  if (doc.ArmedTrack() != 1) app.m_boardTracks.HandleArm(1);
  doc.Track(1).m_pos.m_nMarkerBegin = loopbackCase.punchBegin;
  doc.Track(1).m_pos.m_nMarkerEnd = loopbackCase.punchEnd;
  doc.m_nCurrentPos = loopbackCase.position;
  doc.TrackSeekOnLeftButton(loopbackCase.position);
  TakeRequest request;
  request.ms = loopbackCase.seconds * 1000;
  request.punch = loopbackCase.punchBegin >= 0;
  const int result = RecordTake(app, request, std::cerr);
  if (result != 1) {
    why = "the take was not stored (" + std::to_string(result) + ")";
    return std::nullopt;
  }
  const std::string reference = ReadAll(doc.Track(0).m_PCM.szPath);
  const std::string take = ReadAll(doc.Track(1).m_PCM.szPath);
  // Compare where the take lies in track 2, leaving out its first and last 100 ms.
  const uint32_t first = (request.punch ? loopbackCase.punchBegin : loopbackCase.position) / 4 + 4410;
  uint32_t last = static_cast<uint32_t>(take.size() / 4);
  if (request.punch && loopbackCase.punchEnd >= 0) last = static_cast<uint32_t>(loopbackCase.punchEnd) / 4;
  last = last > 4410 ? last - 4410 : 0;
  std::optional<int> offset = ResidualOffset(reference, take, first, last, 4410);
  if (!offset) why = "no click was heard in the take";
  return offset;
}
