#pragma once

#include <cstdint>
#include <cstdio>

#include "audio_store/pcm_stream.h"

class COperationDialog;

// A PCM format: 1 or 2 channels, 8 (unsigned, silence at 128) or 16 (signed,
// little-endian) bits per sample, frames per second.
struct AudioQuality {
  int16_t channels;
  int16_t bitsPerSample;
  int32_t sampleRate;
};

// The project format: 16-bit stereo at 44100 frames per second.
inline constexpr AudioQuality kProjectQuality{2, 16, 44100};

// The channel-sum limits of the converter: -127..127 for 8 bits, -32000..32000 for 16.
int ClampSample8(int value);
int ClampSample16(int value);

// Converts whole headerless PCM files from one format into another.
class CConvertAudioFile {
 public:
  // The bytes that converting sourceBytes of source audio into the target format is
  // estimated to give, a multiple of 4; 0 after a reported validation failure.
  uint32_t CalculateTargetFileSize(uint32_t sourceBytes, const AudioQuality* source, const AudioQuality* target);

  // Converts the whole file sourceFileName and writes the result at targetFile's
  // position; the target stays open and belongs to the caller. 1 converted, 3
  // cancelled through the progress dialog (the bytes written so far stay), 0 failed
  // (reported), including a target that could not be written.
  int WritePCMToPCM(const char* sourceFileName, std::FILE* targetFile, const AudioQuality* source,
                    const AudioQuality* target);
  // The same conversion of sourceBytes read from source (a mix, a decoder) into
  // sink, stepping progress (when given) and testing its cancel per source buffer.
  int ConvertStream(PcmSource& source, uint32_t sourceBytes, PcmSink& sink, const AudioQuality& sourceQuality,
                    const AudioQuality& targetQuality, COperationDialog* progress);

  // The most output bytes the last conversion writes, set at its start.
  uint32_t m_outputCap = 0;
  // The bytes the last conversion actually wrote to the target. It can differ from
  // the cap by part of a frame (a cap that is not a whole number of target frames)
  // or by what the source did not produce, so a caller that splices the output into
  // a track should count these.
  uint32_t m_outputWritten = 0;
};
