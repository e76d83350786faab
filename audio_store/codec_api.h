#pragma once

#include <cstdint>

#include "audio_store/codec_results.h"

// The modules are built with hidden symbols; these are the ones they export.
#define CODEC_EXPORT __attribute__((visibility("default")))

// The functions the codec modules export, by these names (C linkage). All run
// synchronously and return one of the results of codec_results.h. The callback, if
// given, receives the position as a percentage 0..100 and a keepGoing flag that is 1
// before each call; storing 0 in it stops the work with kCodecCancelled.
extern "C" {

using CodecCallback = void (*)(int position, int* keepGoing);

// LameInterface.so: encodes a headerless PCM file (1 or 2 channels, 8 or 16 bits, the
// given rate) into an MP3 file at bitRate kbit/s, with a LAME tag for gapless decoding.
CODEC_EXPORT int LameEncode(const char* inputPath, const char* outputPath, int channels, int bitsPerSample,
                            int sampleRate, int bitRate, CodecCallback callback);

// LameInterface.so: decodes an MP3 file into a WAV file (44-byte header and PCM) that
// is always 16-bit stereo at 44100 Hz, of the gapless length of the stream.
CODEC_EXPORT int LameDecode(const char* inputPath, const char* outputPath, CodecCallback callback);

// WaveDecode.so: decodes a WAV file (PCM of any width, float, extensible; 1 or 2
// channels) into headerless 16-bit PCM at the file's own rate and channel count.
// On kCodecDone the outs hold 16, the channels, the rate and the bytes written
// (dataBytes carries an unsigned 32-bit count); the ignored out is set to 0.
CODEC_EXPORT int WaveDecode(char* inputPath, const char* outputPath, int16_t* bitsPerSample, int16_t* channels,
                            int32_t* sampleRate, int32_t* ignored, int32_t* dataBytes, CodecCallback callback);
}
