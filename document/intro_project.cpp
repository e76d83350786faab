// The intro project of the first start: the shipped MP3 tracks are decoded into the
// intro folder beside their shipped peak files, and a copy of the shipped project
// file that names that folder is opened. The shipped files themselves are only read:
// once installed they lie in a folder the user cannot write.

#include "document/intro_project.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/errors.h"
#include "core/file_utils.h"
#include "core/main_frame.h"
#include "document/document_workspace.h"
#include "audio_store/codec_modules.h"
#include "document/mixer_doc.h"
#include "document/project_record.h"
#include "platform/folders.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kWhere = "CMixerApp::CreateIntro";
// Progress after each decoded track: 26, 51, 75, 98.
constexpr std::array<unsigned int, kIntroTrackCount> kProgressAfterTrack = {26, 51, 75, 98};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

uint32_t Get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
uint16_t Get16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}

std::string TrackName(int track, const char* extension) {
  return "track" + std::to_string(track) + "." + extension;
}

// Writes a file whole: beside the target first, renamed over it when complete. The
// new file gets the usual permissions, whatever the source of its bytes had.
bool WriteWhole(const std::string& target, const std::vector<uint8_t>& bytes) {
  const std::string side = target + ".new";
  File file(std::fopen(side.c_str(), "wb"));
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  ok = std::fclose(file.release()) == 0 && ok;
  if (!ok || std::rename(side.c_str(), target.c_str()) != 0) {
    std::remove(side.c_str());
    return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.insert(bytes.end(), block, block + got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool CopyWhole(const std::string& source, const std::string& target) {
  auto bytes = ReadWhole(source);
  return bytes && WriteWhole(target, *bytes);
}

// The intro's decoding cannot be cancelled; the module's keep-going flag stays set.
void IgnoreProgress(int, int*) {}

// Ends the progress dialog's operation when the intro stops, however it stops.
class OperationScope {
 public:
  explicit OperationScope(COperationDialog& dialog) : m_dialog(dialog) { m_dialog.BeginOperation(); }
  ~OperationScope() { End(); }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
  void End() {
    if (m_open) m_dialog.EndOperation();
    m_open = false;
  }

 private:
  COperationDialog& m_dialog;
  bool m_open = true;
};

int Fail(const std::string& message) {
  ReportError(kWhere, message);
  return 0;
}

}  // namespace

std::string IntroFolder(const std::string& audioFolder) {
  return JoinPath(audioFolder, "00000000000000");
}

int ExtractProjectPcm(const std::string& wavePath, const std::string& pcmPath, uint32_t& dataBytes) {
  dataBytes = 0;
  File wave(std::fopen(wavePath.c_str(), "rb"));
  if (!wave) return 0;
  uint8_t riff[12];
  if (std::fread(riff, 1, sizeof riff, wave.get()) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return 0;
  }
  std::error_code error;
  const uintmax_t fileSize = fs::file_size(wavePath, error);
  if (error) return 0;

  // The chunks in order; the format must come before the data.
  bool projectFormat = false;
  uintmax_t position = sizeof riff;
  for (;;) {
    uint8_t chunk[8];
    if (std::fread(chunk, 1, sizeof chunk, wave.get()) != sizeof chunk) return 0;
    position += sizeof chunk;
    const uint32_t size = Get32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t format[16];
      if (size < sizeof format || std::fread(format, 1, sizeof format, wave.get()) != sizeof format) return 0;
      const uint16_t tag = Get16(format);
      // Plain PCM, or the extensible form of it.
      projectFormat = (tag == 1 || tag == 0xFFFE) && Get16(format + 2) == 2 && Get32(format + 4) == 44100 &&
                      Get16(format + 14) == 16;
      position += sizeof format;
      const uint32_t rest = size - static_cast<uint32_t>(sizeof format) + (size & 1);
      if (std::fseek(wave.get(), static_cast<long>(rest), SEEK_CUR) != 0) return 0;
      position += rest;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!projectFormat) return 0;
      // A length beyond the file's end (a stream whose header was never completed)
      // stands for what is there; only whole frames are audio.
      const uintmax_t there = fileSize > position ? fileSize - position : 0;
      dataBytes = static_cast<uint32_t>(std::min<uintmax_t>(size, there)) & ~3u;
      break;
    } else {
      const uint32_t skip = size + (size & 1);
      if (std::fseek(wave.get(), static_cast<long>(skip), SEEK_CUR) != 0) return 0;
      position += skip;
    }
  }

  const std::string side = pcmPath + ".new";
  File pcm(std::fopen(side.c_str(), "wb"));
  if (!pcm) {
    dataBytes = 0;
    return 0;
  }
  std::vector<uint8_t> block(65536);
  uint32_t left = dataBytes;
  bool ok = true;
  while (ok && left > 0) {
    const size_t want = std::min<size_t>(left, block.size());
    ok = std::fread(block.data(), 1, want, wave.get()) == want && std::fwrite(block.data(), 1, want, pcm.get()) == want;
    left -= static_cast<uint32_t>(want);
  }
  ok = std::fclose(pcm.release()) == 0 && ok;
  if (!ok || std::rename(side.c_str(), pcmPath.c_str()) != 0) {
    std::remove(side.c_str());
    dataBytes = 0;
    return 0;
  }
  return 1;
}

int CreateIntroProject(DocumentWorkspace& work) {
  CMixerDoc* doc = work.m_pDocument;
  if (!doc) {
    ReportMissingObject("document", kWhere);
    return 0;
  }
  // The shipped files: beside the program, or in the installed share folder.
  platform::Folders* folders = platform::Os().folders;
  if (!folders) return Fail("Failed to get program path");
  auto find = [folders](const std::string& name) { return folders->FindDataFile(name); };
  const std::string shippedMix = find(kIntroProjectFile);
  if (shippedMix.empty()) return Fail(std::string("Failed to find the intro project file ") + kIntroProjectFile + ".");
  std::array<std::string, kIntroTrackCount> shippedMp3, shippedPeak;
  for (int i = 0; i < kIntroTrackCount; ++i) {
    const auto n = static_cast<size_t>(i);
    for (auto [list, extension] : {std::pair{&shippedMp3, "mp3"}, std::pair{&shippedPeak, "pek"}}) {
      (*list)[n] = find(TrackName(i, extension));
      if ((*list)[n].empty()) return Fail("Failed to find the intro project file " + TrackName(i, extension) + ".");
    }
  }
  // Reported by the loader when missing.
  if (!LoadCodecFunction(kLameModule, "LameDecode", kWhere, kWhere)) return 0;

  const std::string folder = IntroFolder(work.m_szAudioFolder);
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::is_directory(folder, error)) return Fail("Failed to create the intro folder (" + folder + ").");

  COperationDialog& progress = work.m_operationDialog;
  OperationScope operation(progress);
  progress.SetMessage("Initializing intro project...", 0);
  progress.SetProgressRange(100);
  progress.UpdateProgress(0);
  progress.DisableCancel();

  for (int i = 0; i < kIntroTrackCount; ++i) {
    const auto n = static_cast<size_t>(i);
    // The decoder writes a WAV file; the track file is its PCM data and nothing else,
    // so the track's length is exactly the audio's.
    const std::string decoded = JoinPath(folder, TrackName(i, "decoding.wav"));
    const std::string pcm = JoinPath(folder, TrackName(i, "pcm"));
    const int decodeResult = CallLameDecode(kWhere, shippedMp3[n], decoded, IgnoreProgress);
    if (decodeResult == kCodecNotLoaded) return 0;
    if (decodeResult != kCodecDone) {
      std::remove(decoded.c_str());
      return Fail("Cancel of decode");
    }
    uint32_t bytes = 0;
    const int extracted = ExtractProjectPcm(decoded, pcm, bytes);
    std::remove(decoded.c_str());
    if (extracted != 1) return Fail("Failed to open the new track.");
    if (!CopyWhole(shippedPeak[n], JoinPath(folder, TrackName(i, "pek")))) return Fail("Failed move peak file.");
    progress.UpdateProgress(kProgressAfterTrack[n]);
  }
  for (int i = kIntroTrackCount; i < kTrackCount; ++i) {
    if (!WriteWhole(JoinPath(folder, TrackName(i, "pcm")), {})) return Fail("Failed to create other tracks.");
    if (!WriteWhole(JoinPath(folder, TrackName(i, "pek")), {})) return Fail("Failed to create other peak tracks.");
  }

  // The shipped record names no folder; its copy in the intro folder names that one.
  auto shipped = ReadWhole(shippedMix);
  auto record = shipped ? ProjectRecord::Decode(shipped->data(), shipped->size()) : std::nullopt;
  if (!record) return Fail("Failed to open intro mix file.");
  if (folder.size() >= ProjectRecord::kFolderSize) {
    return Fail("The intro folder (" + folder + ") is too long for a project file.");
  }
  record->folder = folder;
  const std::string mix = JoinPath(folder, kIntroProjectFile);
  if (!WriteWhole(mix, record->Encode())) return Fail("Failed to write the intro mix file (" + mix + ").");

  operation.End();
  // Reported by the opening when it fails. The intro brings its own tempo but keeps
  // the metronome on or off as the first-run page set it.
  const int32_t metronomeOn = work.m_config.metronomeOn;
  if (doc->OnMyOpenDocument(mix) != 1) return 0;
  MetronomeSettings metronome = work.m_config.Metronome();
  metronome.on = metronomeOn;
  work.m_config.SetMetronome(metronome);
  doc->Host().ApplyMetronomeSettings();
  if (CMainFrame* frame = doc->Host().MainFrame()) frame->OnDocumentChanged(doc->m_nCurrentTrack);
  // The tracks read the intro folder's files until an edit rewrites them, and the
  // project counts as unchanged.
  doc->SetModifiedFlag(false);
  for (int i = 0; i < kTrackCount; ++i) doc->Track(i).bNamesAssigned = 0;
  return 1;
}
