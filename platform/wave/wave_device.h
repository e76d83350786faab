#pragma once

// The wave audio interface the engines are written against: output and input devices
// opened with a callback function, buffers handed over in prepared headers, and the
// multimedia result codes, so that WaveErrorFeedback's texts apply to every result.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wave_devices.h"

namespace platform {

// Results.
inline constexpr unsigned MMSYSERR_NOERROR = 0;
inline constexpr unsigned MMSYSERR_ERROR = 1;
inline constexpr unsigned MMSYSERR_BADDEVICEID = 2;
inline constexpr unsigned MMSYSERR_ALLOCATED = 4;
inline constexpr unsigned MMSYSERR_INVALHANDLE = 5;
inline constexpr unsigned MMSYSERR_NODRIVER = 6;
inline constexpr unsigned MMSYSERR_NOMEM = 7;
inline constexpr unsigned MMSYSERR_INVALPARAM = 11;
inline constexpr unsigned WAVERR_BADFORMAT = 32;
inline constexpr unsigned WAVERR_STILLPLAYING = 33;
inline constexpr unsigned WAVERR_UNPREPARED = 34;

// Messages to the device callback.
inline constexpr unsigned MM_WOM_OPEN = 0x3BB;
inline constexpr unsigned MM_WOM_CLOSE = 0x3BC;
inline constexpr unsigned MM_WOM_DONE = 0x3BD;
inline constexpr unsigned MM_WIM_OPEN = 0x3BE;
inline constexpr unsigned MM_WIM_CLOSE = 0x3BF;
inline constexpr unsigned MM_WIM_DATA = 0x3C0;

// Header flags.
inline constexpr uint32_t WHDR_DONE = 0x01;
inline constexpr uint32_t WHDR_PREPARED = 0x02;
inline constexpr uint32_t WHDR_INQUEUE = 0x10;

// The device id that stands for the system's default device.
inline constexpr unsigned WAVE_MAPPER = 0xFFFFFFFFu;

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormat {
  uint16_t formatTag = WAVE_FORMAT_PCM;
  uint16_t channels = 2;
  uint32_t samplesPerSec = 44100;
  uint32_t avgBytesPerSec = 176400;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;
};

// PCM, 2 channels, 16-bit, 44100 frames per second: the format every project uses.
inline constexpr WaveFormat kProjectWaveFormat{};

// True for the formats the devices take: PCM, 1 or 2 channels, 8 or 16 bits, a rate
// from 8000 to 192000, and block and byte rates that agree with them.
bool IsSupportedWaveFormat(const WaveFormat& format);

// One buffer handed to a device. The client owns the data block. From Write/AddBuffer
// until the device sets WHDR_DONE the header belongs to the device: the client must not
// change it. The device calls the callback with MM_WOM_DONE/MM_WIM_DATA first and sets
// WHDR_DONE after the callback returns, so the callback may read the header, and
// whatever the callback did is visible to a thread that sees WHDR_DONE.
struct WaveHeader {
  char* data = nullptr;
  uint32_t bufferLength = 0;
  // Input: the bytes the device put into the buffer, valid once WHDR_DONE is set.
  uint32_t bytesRecorded = 0;
  uintptr_t user = 0;
  std::atomic<uint32_t> flags{0};
};

class WaveOutDevice;
class WaveInDevice;

// Called with MM_WOM_OPEN and MM_WOM_CLOSE (header null) on the thread that opens and
// closes, and with MM_WOM_DONE for each finished header: on the device's audio thread,
// or on the caller's thread for headers that Reset hands back. It must return quickly
// and must not call the device.
using WaveOutCallback = void (*)(WaveOutDevice* device, unsigned message, void* instance, WaveHeader* header);
// The same for input, with MM_WIM_OPEN, MM_WIM_CLOSE and MM_WIM_DATA.
using WaveInCallback = void (*)(WaveInDevice* device, unsigned message, void* instance, WaveHeader* header);

// An output device handle. All calls come from one thread (the interface thread).
class WaveOutDevice {
 public:
  virtual ~WaveOutDevice() = default;
  // Opens deviceId (or WAVE_MAPPER) with format; the device starts unpaused and plays
  // each header as soon as it is written. callback may be null.
  virtual unsigned Open(unsigned deviceId, const WaveFormat& format, WaveOutCallback callback, void* instance) = 0;
  // Fails with WAVERR_STILLPLAYING while headers are queued (Reset hands them back).
  virtual unsigned Close() = 0;
  virtual unsigned Prepare(WaveHeader* header) = 0;
  // WAVERR_STILLPLAYING while the header is queued; an unprepared header is left alone.
  virtual unsigned Unprepare(WaveHeader* header) = 0;
  // Queues a prepared header behind the others: WAVERR_UNPREPARED, WAVERR_STILLPLAYING
  // for a header already queued, MMSYSERR_NOMEM when 64 are queued. A device that cannot
  // start playing says so here (the header then stays queued until Reset).
  virtual unsigned Write(WaveHeader* header) = 0;
  // Playback holds at the byte it reached; headers written meanwhile wait for Restart.
  virtual unsigned Pause() = 0;
  virtual unsigned Restart() = 0;
  // Stops at once and hands every queued header back done, in queue order; the
  // position returns to 0. A paused device stays paused.
  virtual unsigned Reset() = 0;
  // The bytes the device has played since it was opened or last reset: what has really
  // sounded, never ahead of what was written.
  virtual unsigned GetPosition(uint32_t* bytes) = 0;
};

// An input device handle. All calls come from one thread.
class WaveInDevice {
 public:
  virtual ~WaveInDevice() = default;
  // Opens deviceId (or WAVE_MAPPER); the device is stopped until Start.
  virtual unsigned Open(unsigned deviceId, const WaveFormat& format, WaveInCallback callback, void* instance) = 0;
  virtual unsigned Close() = 0;
  virtual unsigned Prepare(WaveHeader* header) = 0;
  virtual unsigned Unprepare(WaveHeader* header) = 0;
  // Queues a prepared header to be filled. A header is handed back when it is full.
  virtual unsigned AddBuffer(WaveHeader* header) = 0;
  // Begins capturing into the queued headers; input that finds no header is dropped.
  virtual unsigned Start() = 0;
  // Stops capturing; a partly filled header is handed back with what it holds, empty
  // ones stay queued.
  virtual unsigned Stop() = 0;
  // Stops and hands every queued header back; the position returns to 0.
  virtual unsigned Reset() = 0;
  // The bytes captured into headers since the device was opened or last reset.
  virtual unsigned GetPosition(uint32_t* bytes) = 0;
  // The bytes that have passed the converter since then, including those still on
  // their way to the headers: what tells when the first byte was captured.
  virtual unsigned GetConverterPosition(uint32_t* bytes) { return GetPosition(bytes); }
};

struct WaveOutCaps {
  std::string productName;
  uint16_t channels = 0;
};

struct WaveInCaps {
  std::string productName;
  uint16_t channels = 0;
};

// A family of wave devices: their count and capabilities, in the audio library's order,
// and device handles to open them with. It is also the device list the settings dialog
// and the first-run page show.
class WaveSystem : public WaveDevices {
 public:
  virtual unsigned OutputCount() = 0;
  virtual unsigned InputCount() = 0;
  // MMSYSERR_BADDEVICEID for an id that is not below the count; WAVE_MAPPER names the
  // default device.
  virtual unsigned GetOutputCaps(unsigned deviceId, WaveOutCaps* caps) = 0;
  virtual unsigned GetInputCaps(unsigned deviceId, WaveInCaps* caps) = 0;
  virtual std::unique_ptr<WaveOutDevice> CreateOutput() = 0;
  virtual std::unique_ptr<WaveInDevice> CreateInput() = 0;

  std::vector<std::string> OutputNames() override;
  std::vector<std::string> InputNames() override;
};

}  // namespace platform
