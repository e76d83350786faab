#include "tests/view/view_fixture.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "core/errors.h"
#include "tests/support/started_app.h"

platform::Canvas* RecordingHost::WindowCanvas() {
  if (!window || window->Width() != width || window->Height() != height) {
    window = std::make_unique<platform::RecordingCanvas>(width, height);
  }
  return window.get();
}

std::unique_ptr<platform::Canvas> RecordingHost::CreateSurface(int w, int h) {
  if (outOfMemory) return nullptr;
  return std::make_unique<platform::RecordingCanvas>(w, h);
}

void RecordingHost::Report(const std::string& location, const std::string& message) {
  if (location.empty()) {
    ShowInformation(message);
  } else {
    ReportError(location, message);
  }
}

void ViewTest::SetUp() {
  WriteFirstRunConfig(root.Path());
  system = std::make_unique<platform::ScriptedSystem>(root / "bin", root / "config", root / "home");
  app = StartApplication(frame);
  ASSERT_NE(app, nullptr);
  doc = app->m_pDocument;
  view = std::make_unique<CMixerView>(host, app.get());
  frame->onDocumentChanged = [this](int) { view->OnDocumentChanged(); };
}

void ViewTest::TearDown() {
  if (frame) frame->onDocumentChanged = nullptr;
  view.reset();
}

void ViewTest::LoadTrack(int track, uint32_t frames, const std::function<Frame16(uint32_t)>& frameAt) {
  doc->PrepTracksForOp();
  std::FILE* out = std::fopen(app->m_tempA.szPath.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::vector<uint8_t> piece;
  for (uint32_t n = 0; n < frames; ++n) {
    auto [left, right] = frameAt(n);
    for (int16_t sample : {left, right}) {
      piece.push_back(static_cast<uint8_t>(sample & 0xFF));
      piece.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
    if (piece.size() >= 16384 || n + 1 == frames) {
      std::fwrite(piece.data(), 1, piece.size(), out);
      piece.clear();
    }
  }
  std::fclose(out);
  const uint32_t size = frames * 4;
  app->m_tempA.nSize = size;
  doc->AlignTrackToDoc(doc->m_nCurrentTrack);
  doc->Track(track).m_pos.m_nLength = size;
  ASSERT_EQ(doc->DocFinalize(kKindInsertion, track, &app->m_tempA, 0, size), 1);
  doc->PostTracksForOp();
}

void ViewTest::SetView(uint32_t start, uint32_t end) {
  doc->m_mirror.m_nViewStart = start;
  doc->m_mirror.m_nViewEnd = end;
  doc->m_mirror.m_nViewWidth = end - start;
}

void ViewTest::Select(uint32_t begin, uint32_t end) {
  doc->m_mirror.m_nHighlightBegin = begin;
  doc->m_mirror.m_nHighlightEnd = end;
  doc->m_mirror.m_nHighlightSpan = end - begin;
}

namespace {

platform::RecordingCanvas& Recording(const platform::Canvas* canvas) {
  auto* recording = dynamic_cast<const platform::RecordingCanvas*>(canvas);
  if (!recording) throw std::runtime_error("the view has not painted");
  return const_cast<platform::RecordingCanvas&>(*recording);
}

}  // namespace

platform::RecordingCanvas& ViewTest::Wave() {
  return Recording(view->WaveformSurface());
}
platform::RecordingCanvas& ViewTest::Panel() {
  return Recording(view->PanelSurface());
}
platform::RecordingCanvas& ViewTest::Strip() {
  return Recording(view->StripSurface());
}

bool ViewTest::Showed(const std::string& text) {
  bool found = false;
  for (size_t i = seenBoxes; i < system->messages.shown.size(); ++i) {
    if (system->messages.shown[i].text.find(text) != std::string::npos) found = true;
  }
  seenBoxes = system->messages.shown.size();
  return found;
}
