#include "bench/bench_project.h"

#include <stdlib.h>

#include <filesystem>

#include "document/mixer_doc.h"
#include "tests/support/fake_main_frame.h"
#include "tests/support/started_app.h"
#include "tests/support/temp_folder.h"


BenchProject::BenchProject(const char* name) {
  std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
  if (!mkdtemp(pattern.data())) return;
  m_root = pattern;
  WriteFirstRunConfig(m_root);
  system = std::make_unique<platform::ScriptedSystem>(m_root + "/program", m_root + "/config", m_root + "/home");
  app = std::make_unique<CMixerApp>();
  m_started = app->InitInstance({"", [] { return std::make_unique<FakeMainFrame>(); }});
}

BenchProject::~BenchProject() {
  app.reset();
  system.reset();
  if (!m_root.empty()) std::filesystem::remove_all(m_root);
}

void BenchProject::LoadTrack(int track, const std::string& bytes) {
  CMixerDoc& doc = *app->m_pDocument;
  doc.PrepTracksForOp();
  WriteFileBytes(app->m_tempA.szPath, bytes);
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
