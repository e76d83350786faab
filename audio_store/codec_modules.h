#pragma once

#include <cstdint>
#include <string>

#include "audio_store/convert_audio.h"
#include "audio_store/codec_api.h"
#include "audio_store/codec_results.h"

// The file names of the two codec modules.
inline constexpr const char* kLameModule = "LameInterface.so";
inline constexpr const char* kWaveModule = "WaveDecode.so";

// What the Call functions return when the module or its function could not be loaded
// (already reported); otherwise they return the module's own result (codec_results.h).
inline constexpr int kCodecNotLoaded = -1;

// Loads the module by its file name, at every use and never unloading it: from the
// running program's folder, then from ../lib/trackwright beside it, then through the
// system's library search path. Returns the named function, or null after reporting
// "Missing <module>" under location or "GetProcAddress failed." under functionLocation.
void* LoadCodecFunction(const char* module, const char* function, const std::string& location,
                        const std::string& functionLocation);

// The three entry points. functionLocation, where given, is the location of a missing
// function's report; by default it is location.
int CallLameEncode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   int channels, int bitsPerSample, int sampleRate, int bitRate, CodecCallback callback,
                   const std::string& functionLocation = {});
int CallLameDecode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   CodecCallback callback, const std::string& functionLocation = {});
// The streaming encoder's four functions, all found, or null after the report of
// LoadCodecFunction.
struct LameEncoderFunctions {
  decltype(&LameEncoderOpen) open = nullptr;
  decltype(&LameEncoderWrite) write = nullptr;
  decltype(&LameEncoderFinish) finish = nullptr;
  decltype(&LameEncoderFree) free = nullptr;
};
bool LoadLameEncoder(LameEncoderFunctions& functions, const std::string& location,
                     const std::string& functionLocation);

// The streaming decoders' functions, all found, or null after the report of
// LoadCodecFunction.
struct WaveDecoderFunctions {
  decltype(&WaveDecoderOpen) open = nullptr;
  decltype(&WaveDecoderRead) read = nullptr;
  decltype(&WaveDecoderFree) free = nullptr;
};
bool LoadWaveDecoder(WaveDecoderFunctions& functions, const std::string& location);
struct Mp3DecoderFunctions {
  decltype(&Mp3DecoderOpen) open = nullptr;
  decltype(&Mp3DecoderRead) read = nullptr;
  decltype(&Mp3DecoderFree) free = nullptr;
};
bool LoadMp3Decoder(Mp3DecoderFunctions& functions, const std::string& location);

// On kCodecDone, quality holds the decoded format and dataBytes the PCM bytes written.
int CallWaveDecode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   AudioQuality* quality, uint32_t* dataBytes, CodecCallback callback,
                   const std::string& functionLocation = {});
