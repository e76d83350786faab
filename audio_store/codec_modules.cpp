#include "audio_store/codec_modules.h"

#include <dlfcn.h>

#include <vector>

#include "core/errors.h"
#include "platform/folders.h"
#include "platform/last_error.h"
#include "platform/system.h"

namespace {

// The places a module is looked for, in order; the bare name last, for the system's
// own search path.
std::vector<std::string> Candidates(const std::string& module) {
  std::vector<std::string> names;
  platform::Folders* folders = platform::Os().folders;
  std::string program = folders ? folders->ExecutablePath() : std::string();
  if (!program.empty()) {
    std::string folder = platform::FolderOf(program);
    if (folder.empty() || folder.back() != '/') folder += '/';
    names.push_back(folder + module);
    names.push_back(folder + "../lib/trackwright/" + module);
  }
  names.push_back(module);
  return names;
}

template <class Function>
Function Load(const char* module, const char* function, const std::string& location,
              const std::string& functionLocation) {
  return reinterpret_cast<Function>(
      LoadCodecFunction(module, function, location, functionLocation.empty() ? location : functionLocation));
}

}  // namespace

void* LoadCodecFunction(const char* module, const char* function, const std::string& location,
                        const std::string& functionLocation) {
  void* handle = nullptr;
  for (const std::string& name : Candidates(module)) {
    // A module stays loaded for the life of the process; loading it again only finds it.
    handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) break;
  }
  if (!handle) {
    platform::SetLastError(0);
    ReportError(location, std::string("Missing ") + module);
    return nullptr;
  }
  void* entry = dlsym(handle, function);
  if (!entry) {
    platform::SetLastError(0);
    ReportError(functionLocation, "GetProcAddress failed.");
    return nullptr;
  }
  return entry;
}

bool LoadLameEncoder(LameEncoderFunctions& functions, const std::string& location,
                     const std::string& functionLocation) {
  functions = {};
  return (functions.open = Load<decltype(&LameEncoderOpen)>(kLameModule, "LameEncoderOpen", location,
                                                            functionLocation)) &&
         (functions.write = Load<decltype(&LameEncoderWrite)>(kLameModule, "LameEncoderWrite", location,
                                                              functionLocation)) &&
         (functions.finish = Load<decltype(&LameEncoderFinish)>(kLameModule, "LameEncoderFinish", location,
                                                                functionLocation)) &&
         (functions.free = Load<decltype(&LameEncoderFree)>(kLameModule, "LameEncoderFree", location,
                                                            functionLocation));
}

bool LoadWaveDecoder(WaveDecoderFunctions& functions, const std::string& location) {
  functions = {};
  return (functions.open = Load<decltype(&WaveDecoderOpen)>(kWaveModule, "WaveDecoderOpen", location, {})) &&
         (functions.read = Load<decltype(&WaveDecoderRead)>(kWaveModule, "WaveDecoderRead", location, {})) &&
         (functions.free = Load<decltype(&WaveDecoderFree)>(kWaveModule, "WaveDecoderFree", location, {}));
}

bool LoadMp3Decoder(Mp3DecoderFunctions& functions, const std::string& location) {
  functions = {};
  return (functions.open = Load<decltype(&Mp3DecoderOpen)>(kLameModule, "Mp3DecoderOpen", location, {})) &&
         (functions.read = Load<decltype(&Mp3DecoderRead)>(kLameModule, "Mp3DecoderRead", location, {})) &&
         (functions.free = Load<decltype(&Mp3DecoderFree)>(kLameModule, "Mp3DecoderFree", location, {}));
}

int CallLameEncode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   int channels, int bitsPerSample, int sampleRate, int bitRate, CodecCallback callback,
                   const std::string& functionLocation) {
  auto encode = Load<decltype(&LameEncode)>(kLameModule, "LameEncode", location, functionLocation);
  if (!encode) return kCodecNotLoaded;
  return encode(inputPath.c_str(), outputPath.c_str(), channels, bitsPerSample, sampleRate, bitRate, callback);
}

int CallLameDecode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   CodecCallback callback, const std::string& functionLocation) {
  auto decode = Load<decltype(&LameDecode)>(kLameModule, "LameDecode", location, functionLocation);
  if (!decode) return kCodecNotLoaded;
  return decode(inputPath.c_str(), outputPath.c_str(), callback);
}

int CallWaveDecode(const std::string& location, const std::string& inputPath, const std::string& outputPath,
                   AudioQuality* quality, uint32_t* dataBytes, CodecCallback callback,
                   const std::string& functionLocation) {
  auto decode = Load<decltype(&WaveDecode)>(kWaveModule, "WaveDecode", location, functionLocation);
  if (!decode) return kCodecNotLoaded;
  // The decoder takes a writable name; it gets its own copy.
  std::string name = inputPath;
  int16_t bits = 0, channels = 0;
  int32_t rate = 0, unused = 0, bytes = 0;
  int result = decode(name.data(), outputPath.c_str(), &bits, &channels, &rate, &unused, &bytes, callback);
  if (result == kCodecDone) {
    if (quality) *quality = AudioQuality{channels, bits, rate};
    if (dataBytes) *dataBytes = static_cast<uint32_t>(bytes);
  }
  return result;
}
