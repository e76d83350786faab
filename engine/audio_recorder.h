#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio_store/pcm_file.h"
#include "engine/audio_monitor.h"
#include "engine/audio_player.h"
#include "engine/delay_watch.h"
#include "engine/recording_observers.h"
#include "engine/start_tick.h"
#include "engine/take_writer.h"
#include "platform/wave/wave_device.h"

// The recording engine's states, of the enumeration the playback engine uses.
inline constexpr int32_t RecorderRecording = PlayerRecording;
inline constexpr int32_t RecorderIdle = PlayerIdle;
inline constexpr int32_t RecorderMonitoring = PlayerMonitoring;

// The recording engine: one input device for the life of the process, used either to
// record (two half-second buffers appended to the recorded-audio file as the device
// fills them) or to monitor (eight small buffers measured for the meters). The
// recording session's 40 ms timer services it; the only thread of its own is a take's
// writer (TakeWriter), which lives from StartRecording to StopRecording and puts the
// filled buffers' copies in the file, so that a slow disk does not hold up the timer.
class AudioRecorderNonThreaded {
 public:
  static constexpr uint32_t kBufferBytes = 88200;  // half a second of the project format
  // The recording level looks at the last 40 ms captured.
  static constexpr uint32_t kLevelWindowBytes = 7056;

  AudioRecorderNonThreaded();
  ~AudioRecorderNonThreaded();
  AudioRecorderNonThreaded(const AudioRecorderNonThreaded&) = delete;
  AudioRecorderNonThreaded& operator=(const AudioRecorderNonThreaded&) = delete;

  // Opens input device deviceId of the system's wave devices (an index beyond the
  // devices that exist opens the default one). 1, or 0 after the failure was reported.
  int SetupRecorder(unsigned deviceId);
  // Ends monitoring or recording and closes the device; 1, or 0 after a reported
  // failure.
  int ShutdownRecorder();

  // Starts a take into file, a PCM file open for writing; the session, if any, hears
  // of failures. 1 (recording), or 0 after a reported failure.
  int StartRecording(PCMFile* file, RecordingSessionObserver* session);
  // Ends the take: everything the device captured, to the last frame before the stop,
  // is written, and the writer is done with the file when it returns. 1, or 0 after a
  // reported failure.
  int StopRecording();
  // After a take: works out when it began (RecordStartEstimate), takes the length of
  // the file (RecordedLength) and closes it. 1, or 0 when the close or any write of
  // the take failed (reported).
  int FinalizeRecordSession();
  // Every 40 ms while recording: hands the buffer the device has filled on to the
  // writer and queues it again; watches the delays; reports a write that failed.
  void ServiceRecording();
  // Adds an estimate of when the input began to capture to the start-tick samples, from
  // the converter's position read now, at tick t0. The session reads it right after the
  // playback's, at the same tick: estimates of both taken at the same moments line the
  // take up by what the two devices had sounded and captured then, however far the
  // devices' clocks stray from the nominal rate. True when the position was trusted.
  bool SampleStartTick(uint32_t t0);
  // The peak levels, 0 to 99, of the last 40 ms captured; the outputs are left as they
  // are while less than 40 ms of the present buffer has been captured.
  void GetRecordLevels(int* left, int* right);

  // Monitoring starts the view's timer too, through which the mixing board's meters
  // follow the input.
  int StartMonitoring();
  int StopMonitoring();
  void SetView(PlaybackViewObserver* view) { m_view = view; }
  AudioMonitor& Monitor() { return m_monitor; }

  bool IsOpen() const { return m_hWaveIn != nullptr; }
  int32_t State() const { return m_state; }
  // Bytes of the take handed on to the file so far.
  uint32_t BytesRecorded() const { return m_bytesRecorded; }
  uint32_t StartTick() const { return m_startTick; }
  uint32_t StartTickSampleCount() const { return m_startTickSampleCount; }
  int32_t ConsecutiveDelays() const { return m_delays.Consecutive(); }
  int32_t AccumulatedDelays() const { return m_delays.Accumulated(); }
  bool WriteFailed() const { return m_writeFailed; }
  // Set by FinalizeRecordSession.
  uint32_t RecordStartEstimate() const { return m_recordStartEstimate; }
  uint32_t RecordedLength() const { return m_recordedLength; }
  platform::WaveInDevice* Device() const { return m_hWaveIn.get(); }

 private:
  // Hands the next buffer on if the device has filled it and queues it again.
  void HandleBuffer();
  // Counts a stall of the hand-ons; on too many delays ends the take with the failure
  // dialog and gives false.
  bool CheckForDelays();
  // Hands what header h holds on to the writer, for the end of the file; false when
  // the writer has failed (not yet reported).
  bool QueueBuffer(int h);
  // Reports the writer's failed write and ends the take.
  void ReportWriteFailure();
  // The file is gone and the session told: nothing more is written.
  void WriteFailure();
  bool HeaderDone(int h) const {
    return (m_headers[h].flags.load(std::memory_order_acquire) & platform::WHDR_DONE) != 0;
  }
  uint32_t Now() const;

  uint32_t m_startTick = 0;
  std::array<uint32_t, kMaxStartTickSamples> m_startTickSamples{};
  uint32_t m_startTickSampleCount = 0;
  uint32_t m_bytesRecorded = 0;
  std::array<platform::WaveHeader, 2> m_headers;
  std::array<std::vector<char>, 2> m_blocks;
  TakeWriter m_writer{kBufferBytes};
  AudioMonitor m_monitor;
  std::unique_ptr<platform::WaveInDevice> m_hWaveIn;
  int32_t m_state = RecorderIdle;
  bool m_delayReported = false;
  DelayWatch m_delays;
  int m_nextHeader = 0;
  bool m_stopRequested = false;
  bool m_writeFailed = false;
  PCMFile* m_file = nullptr;
  RecordingSessionObserver* m_session = nullptr;
  PlaybackViewObserver* m_view = nullptr;
  uint32_t m_recordStartEstimate = 0;
  uint32_t m_recordedLength = 0;
};
