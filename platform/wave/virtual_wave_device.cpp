#include "platform/wave/virtual_wave_device.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

unsigned CheckDeviceId(unsigned deviceId, unsigned deviceCount, unsigned* resolved) {
  if (deviceId == WAVE_MAPPER) {
    if (deviceCount == 0) return MMSYSERR_NODRIVER;
    *resolved = 0;
    return MMSYSERR_NOERROR;
  }
  if (deviceId >= deviceCount) return MMSYSERR_BADDEVICEID;
  *resolved = deviceId;
  return MMSYSERR_NOERROR;
}

// Pieces of a tenth of a second keep the scratch block small whatever the clock jumps.
std::vector<char> ScratchFor(const WaveFormat& format) {
  uint32_t bytes = format.avgBytesPerSec / 10;
  bytes -= bytes % format.blockAlign;
  return std::vector<char>(std::max<uint32_t>(bytes, format.blockAlign));
}

// The frames due for the milliseconds since the last pump; the fraction of a frame left
// over is carried in remainder so that no time is lost over many pumps.
uint64_t FramesDue(uint32_t ms, uint32_t rate, uint64_t* remainder) {
  uint64_t scaled = uint64_t{ms} * rate + *remainder;
  *remainder = scaled % 1000;
  return scaled / 1000;
}

template <typename Device>
void Forget(std::vector<Device*>& devices, Device* device) {
  devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
}

}  // namespace

VirtualWaveOut::~VirtualWaveOut() {
  Shutdown();
  if (m_system) Forget(m_system->m_outputs, this);
}

unsigned VirtualWaveOut::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  if (unsigned result = CheckDeviceId(deviceId, m_deviceCount, &m_deviceId)) return result;
  m_lastMs = m_clock.TimeGetTime();
  m_frameRemainder = 0;
  m_nanos = 0;
  m_scratch = ScratchFor(format);
  m_played.clear();
  m_gaps.clear();
  m_silence = 0;
  m_playedSinceReset = false;
  return MMSYSERR_NOERROR;
}

void VirtualWaveOut::Halt() {
  // After a reset the next data starts afresh: silence before it is no gap.
  m_silence = 0;
  m_playedSinceReset = false;
}

int64_t VirtualWaveOut::NowNanos() {
  // Everything played has sounded.
  return std::numeric_limits<int64_t>::max();
}

void VirtualWaveOut::Pump() {
  if (!IsOpen()) return;
  uint32_t now = m_clock.TimeGetTime();
  uint32_t ms = now - m_lastMs;
  m_lastMs = now;
  if (ms == 0) return;
  const WaveFormat& format = Format();
  uint64_t bytes = FramesDue(ms, format.samplesPerSec, &m_frameRemainder) * format.blockAlign;
  int64_t start = m_nanos;
  m_nanos += int64_t{ms} * 1000000;
  // Time passes while paused; nothing plays and nothing is owed afterwards.
  if (IsPaused()) return;
  uint64_t done = 0;
  while (done < bytes) {
    uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(bytes - done, m_scratch.size()));
    int64_t pieceStart = start + static_cast<int64_t>(done * 1000000000u / format.avgBytesPerSec);
    uint32_t data = Queue().Render(m_scratch.data(), piece, pieceStart);
    done += piece;
    if (data > 0) {
      if (m_silence > 0 && m_playedSinceReset) m_gaps.push_back({m_played.size(), m_silence});
      m_silence = 0;
      m_playedSinceReset = true;
      m_played.insert(m_played.end(), m_scratch.begin(), m_scratch.begin() + data);
    }
    if (data < piece) {
      // The queue ran dry; nothing can arrive before the caller's next call.
      m_silence += (piece - data) + (bytes - done);
      break;
    }
  }
}

VirtualWaveIn::~VirtualWaveIn() {
  Shutdown();
  if (m_system) Forget(m_system->m_inputs, this);
}

unsigned VirtualWaveIn::OpenDevice(unsigned deviceId, const WaveFormat& format) {
  if (unsigned result = CheckDeviceId(deviceId, m_deviceCount, &m_deviceId)) return result;
  m_scratch = ScratchFor(format);
  m_dropped = 0;
  return MMSYSERR_NOERROR;
}

unsigned VirtualWaveIn::Resume() {
  // Only what is heard from now on is captured.
  m_lastMs = m_clock.TimeGetTime();
  m_frameRemainder = 0;
  return MMSYSERR_NOERROR;
}

void VirtualWaveIn::Pump() {
  if (!IsOpen() || !IsStarted()) return;
  uint32_t now = m_clock.TimeGetTime();
  uint32_t ms = now - m_lastMs;
  m_lastMs = now;
  const WaveFormat& format = Format();
  uint64_t bytes = FramesDue(ms, format.samplesPerSec, &m_frameRemainder) * format.blockAlign;
  while (bytes > 0) {
    uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(bytes, m_scratch.size()));
    if (m_source)
      m_source(m_scratch.data(), piece);
    else
      std::fill(m_scratch.begin(), m_scratch.begin() + piece, format.bitsPerSample == 8 ? char(0x80) : char(0));
    m_dropped += piece - Queue().Capture(m_scratch.data(), piece);
    bytes -= piece;
  }
}

VirtualWaveSystem::VirtualWaveSystem(Clock& clock, std::vector<std::string> outputs, std::vector<std::string> inputs)
    : m_clock(clock), m_outputNames(std::move(outputs)), m_inputNames(std::move(inputs)) {}

VirtualWaveSystem::~VirtualWaveSystem() {
  for (VirtualWaveOut* device : m_outputs) device->m_system = nullptr;
  for (VirtualWaveIn* device : m_inputs) device->m_system = nullptr;
}

unsigned VirtualWaveSystem::GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) {
  if (!caps) return MMSYSERR_INVALPARAM;
  unsigned id;
  if (unsigned result = CheckDeviceId(deviceId, OutputCount(), &id)) return result;
  caps->productName = m_outputNames[id];
  caps->channels = 2;
  return MMSYSERR_NOERROR;
}

unsigned VirtualWaveSystem::GetInputCaps(unsigned deviceId, WaveInCaps* caps) {
  if (!caps) return MMSYSERR_INVALPARAM;
  unsigned id;
  if (unsigned result = CheckDeviceId(deviceId, InputCount(), &id)) return result;
  caps->productName = m_inputNames[id];
  caps->channels = 2;
  return MMSYSERR_NOERROR;
}

std::unique_ptr<WaveOutDevice> VirtualWaveSystem::CreateOutput() {
  auto device = std::make_unique<VirtualWaveOut>(m_clock, OutputCount());
  device->m_system = this;
  m_outputs.push_back(device.get());
  return device;
}

std::unique_ptr<WaveInDevice> VirtualWaveSystem::CreateInput() {
  auto device = std::make_unique<VirtualWaveIn>(m_clock, InputCount());
  device->m_system = this;
  m_inputs.push_back(device.get());
  return device;
}

void VirtualWaveSystem::Pump() {
  // Copies: a callback may destroy a device.
  std::vector<VirtualWaveOut*> outputs = m_outputs;
  for (VirtualWaveOut* device : outputs)
    if (std::find(m_outputs.begin(), m_outputs.end(), device) != m_outputs.end()) device->Pump();
  std::vector<VirtualWaveIn*> inputs = m_inputs;
  for (VirtualWaveIn* device : inputs)
    if (std::find(m_inputs.begin(), m_inputs.end(), device) != m_inputs.end()) device->Pump();
}

}  // namespace platform
