// Writes the fuzz targets' first inputs with the program's own encoders, one folder per
// target under the folder given: a configuration record, project files of each version
// and a 2.x file, a preset file, and typed times in each unit. The audio seeds come
// from sox and lame.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/mixer_config.h"
#include "document/project_record.h"
#include "effects/effect_preset.h"

namespace {

void Write(const std::filesystem::path& path, const void* data, size_t size) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Write(const std::filesystem::path& path, const std::string& text) { Write(path, text.data(), text.size()); }

ProjectRecord AProject() {
  ProjectRecord record;
  record.folder = "song";
  record.description = "two takes";
  for (size_t n = 0; n < record.tracks.size(); ++n) {
    TrackRecord& t = record.tracks[n];
    t.name = "Track " + std::to_string(n + 1);
    t.length = 176400 * static_cast<uint32_t>(n);
    t.viewEnd = t.viewWidth = t.renderedLength = t.length;
    t.markerBegin = n % 2 ? 4000 : -1;
    t.markerEnd = n % 2 ? 80000 : -1;
  }
  record.tracks[0].current = 1;
  record.tracks[2].armed = 1;
  record.currentPosition = 44100;
  return record;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];

  const auto config = MixerConfig::FirstRunDefaults("/home/user/Trackwright Audio", 0, true).Encode();
  Write(root / "mixer_config_fuzz" / "first_run.cfg", config.data(), config.size());

  std::vector<uint8_t> project = AProject().Encode();
  Write(root / "project_record_fuzz" / "v33.mix", project.data(), project.size());
  for (const char* version : {"32", "30"}) {
    std::memcpy(&project[4], version, 2);
    Write(root / "project_record_fuzz" / (std::string("v") + version + ".mix"), project.data(), project.size());
  }
  std::vector<uint8_t> legacy(LegacyRecord::kSize, 0);
  std::memcpy(legacy.data(), "SNVXoldsong", 11);
  legacy[27] = 3;
  Write(root / "project_record_fuzz" / "legacy.mix", legacy.data(), legacy.size());

  std::vector<uint8_t> presets(2 * effects::EffectPreset::kSize);
  effects::EffectPreset preset;
  preset.SetName("Hall");
  preset.lock = 1;
  preset.level1Left = preset.level1Right = 70;
  preset.delayLeft = preset.delayRight = 300;
  preset.Encode(presets.data());
  preset.SetName("Chorus");
  preset.voices = 3;
  preset.Encode(presets.data() + effects::EffectPreset::kSize);
  Write(root / "preset_file_fuzz" / "echo.prt", presets.data(), presets.size());

  // The first byte picks the unit (time, beats, samples), the second the tempo.
  const char* times[] = {"\x00\x77" "1:05.5", "\x00\x77" "2.25", "\x01\x77" "3.5", "\x02\x77" "44100", "\x00\x77" "0:00.001"};
  for (size_t n = 0; n < std::size(times); ++n) {
    Write(root / "time_text_fuzz" / ("time" + std::to_string(n)), std::string(times[n], 2 + std::strlen(times[n] + 2)));
  }

  // Command lines of a script, and words to join (ended by zero bytes).
  const std::string lines[] = {"select 0 1:05.5", "save '/tmp/my song.mix'", "export \"it's.wav\" --bits 8",
                               "  track\t3  ", "import 'it'\"'\"'s a take.mp3'", std::string("open\0a b\0it's\0\"\0", 16)};
  for (size_t n = 0; n < std::size(lines); ++n) {
    Write(root / "command_words_fuzz" / ("line" + std::to_string(n)), lines[n]);
  }
  return 0;
}
