#pragma once

#include <cstddef>
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

// LameInterface.so: the same encoder fed block by block, for audio that is made as
// it is encoded. LameEncoderOpen starts one that writes the MP3 stream to the open
// descriptor fd from its current position (the descriptor stays the caller's);
// LameEncoderWrite takes PCM bytes in the given format, any count (a frame cut
// between two writes is joined); LameEncoderFinish flushes the encoder, fills in the
// LAME tag at the stream's start, leaves fd at the stream's end and frees the
// encoder, whatever it returns; LameEncoderFree abandons an encoder.
struct LameEncoder;
CODEC_EXPORT int LameEncoderOpen(int fd, int channels, int bitsPerSample, int sampleRate, int bitRate,
                                 LameEncoder** encoder);
CODEC_EXPORT int LameEncoderWrite(LameEncoder* encoder, const uint8_t* pcm, size_t bytes);
CODEC_EXPORT int LameEncoderFinish(LameEncoder* encoder);
CODEC_EXPORT void LameEncoderFree(LameEncoder* encoder);

// LameInterface.so: decodes an MP3 file into a WAV file (44-byte header and PCM) that
// is always 16-bit stereo at 44100 Hz, of the gapless length of the stream.
CODEC_EXPORT int LameDecode(const char* inputPath, const char* outputPath, CodecCallback callback);

// WaveDecode.so: decodes a WAV file (PCM of any width, float, extensible; 1 or 2
// channels) into headerless 16-bit PCM at the file's own rate and channel count.
// On kCodecDone the outs hold 16, the channels, the rate and the bytes written
// (dataBytes carries an unsigned 32-bit count); the ignored out is set to 0.
CODEC_EXPORT int WaveDecode(char* inputPath, const char* outputPath, int16_t* bitsPerSample, int16_t* channels,
                            int32_t* sampleRate, int32_t* ignored, int32_t* dataBytes, CodecCallback callback);

// WaveDecode.so: the same decoding block by block, for audio that is converted as it
// is decoded. WaveDecoderOpen reads the header: the outs hold 16, the channels, the
// rate and the bytes the decoding will give. WaveDecoderRead fills up to capacity
// bytes (at least one frame) and sets got; got 0 is the end. WaveDecoderFree ends it.
struct WaveDecoder;
CODEC_EXPORT int WaveDecoderOpen(const char* inputPath, WaveDecoder** decoder, int16_t* bitsPerSample,
                                 int16_t* channels, int32_t* sampleRate, uint32_t* dataBytes);
CODEC_EXPORT int WaveDecoderRead(WaveDecoder* decoder, uint8_t* bytes, size_t capacity, size_t* got);
CODEC_EXPORT void WaveDecoderFree(WaveDecoder* decoder);

// LameInterface.so: MP3 decoding block by block, into the project format as
// LameDecode gives it (without the WAV header). Mp3DecoderOpen sets estimatedBytes
// to what the stream's own length information promises (0 when it has none);
// Mp3DecoderRead fills up to capacity bytes (at least 4) and sets got; got 0 is the
// end. Mp3DecoderFree ends it.
struct Mp3Decoder;
CODEC_EXPORT int Mp3DecoderOpen(const char* inputPath, Mp3Decoder** decoder, uint32_t* estimatedBytes);
CODEC_EXPORT int Mp3DecoderRead(Mp3Decoder* decoder, uint8_t* bytes, size_t capacity, size_t* got);
CODEC_EXPORT void Mp3DecoderFree(Mp3Decoder* decoder);
}
