// make_intro: makes the shipped files of the intro project.
//
//   make_intro MODULE_FOLDER OUTPUT_FOLDER
//
// Synthesises the four parts of the intro piece, encodes each into trackN.mp3 with
// the LameInterface.so found in MODULE_FOLDER, decodes it again as the first start
// will, renders trackN.pek from that decoded audio and writes intro.mix, whose track
// lengths are those of the decoded audio: exactly what the first start puts on disk.
// Needs neither a display nor a sound device.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_utils.h"
#include "core/progress_dialog.h"
#include "assets/intro_music.h"
#include "audio_store/codec_modules.h"
#include "audio_store/peak_file.h"
#include "document/intro_project.h"
#include "document/project_record.h"
#include "platform/folders.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kWhere = "make_intro";
constexpr int kBitRate = 160;
constexpr const char* kDescription =
    "Welcome to Sonavel Trackwright! This short piece in A minor at 100 beats per minute is "
    "four tracks: drums, bass, chords and melody. Solo, mute and mix them, edit them, or "
    "record a part of your own on tracks 5 to 8.";
// The mixer holds sums of tracks to this; the four tracks together must stay below it.
constexpr int kMixLimit = 32700;

// The program's reports, printed: a build has nobody to answer a box.
class PrintedMessages : public platform::MessageBoxes {
 public:
  platform::MessageResult Show(const std::string& text, const std::string&, platform::MessageIcon,
                               platform::MessageButtons, platform::MessageKind) override {
    std::fprintf(stderr, "make_intro: %s\n", text.c_str());
    ++count;
    return platform::MessageResult::Ok;
  }
  int count = 0;
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::vector<int16_t> ReadSamples(const std::string& path) {
  std::vector<int16_t> samples;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return samples;
  uint8_t pair[2];
  while (std::fread(pair, 1, 2, file) == 2) samples.push_back(static_cast<int16_t>(pair[0] | pair[1] << 8));
  std::fclose(file);
  return samples;
}

double Decibels(double value) {
  return value > 0 ? 20.0 * std::log10(value / 32768.0) : -999.0;
}

// The intermediate files, removed however the run ends.
struct WorkFolder {
  std::string path;
  ~WorkFolder() {
    std::error_code error;
    fs::remove_all(path, error);
  }
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "make_intro: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_intro MODULE_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string modules = argv[1];
  const std::string output = argv[2];
  std::error_code error;
  fs::create_directories(output, error);
  // Everything is made in a folder of this run's own and renamed into the output
  // folder only once all of it is there: a failed run leaves the previous files, a
  // second run at the same time makes and renames its own.
  const std::string work = JoinPath(output, ".make_intro-" + std::to_string(getpid()));
  fs::remove_all(work, error);
  fs::create_directories(work, error);
  if (!fs::is_directory(work)) return Fail("cannot create " + work);
  WorkFolder cleanup{work};

  // The codec modules are looked for beside the running program: this one stands in
  // the module folder for that.
  PrintedMessages messages;
  platform::FixedFolders folders(JoinPath(modules, "make_intro"), work, work);
  platform::System system;
  system.interactive = false;
  system.messages = &messages;
  system.folders = &folders;
  platform::ScopedSystem scope(system);
  COperationDialog progress;

  const auto parts = intro_music::Synthesise();
  ProjectRecord record;
  record.description = kDescription;
  record.metronome.tempo = intro_music::kTempo;
  std::vector<int32_t> mix;
  for (int i = 0; i < intro_music::kPartCount; ++i) {
    const auto n = static_cast<size_t>(i);
    const std::string stem = "track" + std::to_string(i);
    const std::string raw = JoinPath(work, stem + ".raw");
    const std::string mp3 = JoinPath(work, stem + ".mp3");
    const std::string wave = JoinPath(work, stem + ".wav");
    const std::string pcm = JoinPath(work, stem + ".pcm");
    const std::string peak = JoinPath(work, stem + ".pek");
    if (!WriteFile(raw, intro_music::ToPcm16(parts[n]))) return Fail("cannot write " + raw);
    int result = CallLameEncode(kWhere, raw, mp3, 2, 16, intro_music::kSampleRate, kBitRate, nullptr);
    if (result != kCodecDone) return Fail("encoding " + raw + " failed (" + std::to_string(result) + ")");
    // The track as the first start will hold it: decoded, without the WAV header.
    result = CallLameDecode(kWhere, mp3, wave, nullptr);
    if (result != kCodecDone) return Fail("decoding " + mp3 + " failed (" + std::to_string(result) + ")");
    uint32_t bytes = 0;
    if (ExtractProjectPcm(wave, pcm, bytes) != 1) return Fail("cannot read the decoded " + wave);
    PCMFile audio;
    audio.szPath = pcm;
    audio.nSize = bytes;
    uint32_t peakLength = 0;
    if (RenderPeakFile(audio, peak, &progress, peakLength) != 1) return Fail("cannot render " + peak);

    TrackRecord& track = record.tracks[n];
    track.name = intro_music::kPartNames[n];
    track.current = i == 0 ? 1 : 0;
    track.length = bytes;
    track.viewStart = 0;
    track.viewEnd = bytes;
    track.viewWidth = bytes;
    track.renderedLength = peakLength;

    // What the parts reach on their own and together, after the MP3 round trip.
    const std::vector<int16_t> samples = ReadSamples(pcm);
    if (mix.size() < samples.size()) mix.resize(samples.size(), 0);
    double peakValue = 0, power = 0;
    for (size_t s = 0; s < samples.size(); ++s) {
      mix[s] += samples[s];
      peakValue = std::max(peakValue, std::abs(static_cast<double>(samples[s])));
      power += static_cast<double>(samples[s]) * samples[s];
    }
    const double rms = samples.empty() ? 0 : std::sqrt(power / static_cast<double>(samples.size()));
    std::printf("make_intro: %-6s %u bytes (%.2f s), peak %.1f dBFS, RMS %.1f dBFS\n", track.name.c_str(), bytes,
                bytes / 4.0 / intro_music::kSampleRate, Decibels(peakValue), Decibels(rms));
  }
  int mixPeak = 0;
  for (int32_t value : mix) mixPeak = std::max(mixPeak, std::abs(value));
  std::printf("make_intro: all four tracks together peak at %.1f dBFS\n", Decibels(mixPeak));
  if (mixPeak > kMixLimit) return Fail("the four tracks together clip (peak " + std::to_string(mixPeak) + ")");

  if (messages.count != 0) return Fail("the codec module reported a failure");
  const std::string mixFile = JoinPath(work, kIntroProjectFile);
  if (!WriteFile(mixFile, record.Encode())) return Fail("cannot write " + mixFile);
  std::vector<std::string> made = {kIntroProjectFile};
  for (int i = 0; i < intro_music::kPartCount; ++i) {
    made.push_back("track" + std::to_string(i) + ".mp3");
    made.push_back("track" + std::to_string(i) + ".pek");
  }
  for (const std::string& name : made) {
    fs::rename(JoinPath(work, name), JoinPath(output, name), error);
    if (error) return Fail("cannot put " + name + " into " + output + ": " + error.message());
  }
  return 0;
}
