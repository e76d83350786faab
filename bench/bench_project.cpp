#include "bench/bench_project.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "core/main_frame.h"
#include "document/mixer_doc.h"

namespace {

struct Frame : CMainFrame {
  void ShowMainWindow(bool) override {}
  void EnableWindow(bool) override {}
  bool IsWindowEnabled() const override { return true; }
  void SetDocumentTitle(const std::string&) override {}
  void UpdateCommandStates() override {}
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

BenchProject::BenchProject(const char* name) {
  std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
  if (!mkdtemp(pattern.data())) return;
  m_root = pattern;
  std::filesystem::create_directories(m_root + "/config");
  std::filesystem::create_directories(m_root + "/audio");
  system = std::make_unique<platform::ScriptedSystem>(m_root + "/program", m_root + "/config", m_root + "/home");
  auto record = MixerConfig::FirstRunDefaults(m_root + "/audio", 0, false).Encode();
  WriteFile(m_root + "/config/mixer.cfg", std::string(record.begin(), record.end()));
  app = std::make_unique<CMixerApp>();
  m_started = app->InitInstance({"", [] { return std::make_unique<Frame>(); }});
}

BenchProject::~BenchProject() {
  app.reset();
  system.reset();
  if (!m_root.empty()) std::filesystem::remove_all(m_root);
}

void BenchProject::LoadTrack(int track, const std::string& bytes) {
  CMixerDoc& doc = *app->m_pDocument;
  doc.PrepTracksForOp();
  WriteFile(app->m_tempA.szPath, bytes);
  app->m_tempA.nSize = static_cast<uint32_t>(bytes.size());
  doc.AlignTrackToDoc(doc.m_nCurrentTrack);
  doc.Track(track).m_pos.m_nLength = static_cast<uint32_t>(bytes.size());
  doc.DocFinalize(kKindInsertion, track, &app->m_tempA, 0, static_cast<uint32_t>(bytes.size()));
  doc.PostTracksForOp();
}

void BenchProject::LoadNoiseTracks(uint32_t bytes) {
  uint32_t seed = 12345;
  for (int track = 0; track < kTrackCount; ++track) {
    std::string audio(bytes, '\0');
    for (char& byte : audio) {
      seed = seed * 1103515245u + 12345u;
      byte = static_cast<char>(seed >> 16);
    }
    LoadTrack(track, audio);
    app->m_boardTracks.SetTrackLevel(track, static_cast<int16_t>(10 + track), kLevelBoth);
  }
}
