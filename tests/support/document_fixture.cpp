#include "tests/support/document_fixture.h"

#include "core/file_utils.h"
#include "core/message_dialog.h"
#include "tests/support/started_app.h"

::testing::AssertionResult SameAudio(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected, first difference at byte " << at;
}

void DocumentTest::SetUp() {
  WriteFirstRunConfig(root.Path());
  // The program lives in the build's program folder, so that the codec modules are
  // found beside it as the real program finds them.
  system = std::make_unique<platform::ScriptedSystem>(TRACKWRIGHT_PROGRAM_FOLDER, root / "config", root / "home");
  system->dialogs.OnShow("message_dialog", [this](platform::DialogLogic& logic, platform::MemoryDialogSurface& dialog) {
    messageDialogTexts.push_back(dialog.Control(IDC_MESSAGE_TEXT)->GetText());
    logic.OnOK();
  });
  app = StartApplication(frame);
  ASSERT_NE(app, nullptr);
  doc = app->m_pDocument;
}

void DocumentTest::LoadTrack(int track, const std::string& bytes) {
  doc->PrepTracksForOp();
  WriteFileBytes(app->m_tempA.szPath, bytes);
  app->m_tempA.nSize = static_cast<uint32_t>(bytes.size());
  doc->AlignTrackToDoc(doc->m_nCurrentTrack);
  doc->Track(track).m_pos.m_nLength = static_cast<uint32_t>(bytes.size());
  ASSERT_EQ(doc->DocFinalize(kKindInsertion, track, &app->m_tempA, 0, static_cast<uint32_t>(bytes.size())), 1);
  doc->PostTracksForOp();
}

std::string DocumentTest::TrackBytes(int track) {
  return ReadFileBytes(doc->Track(track).m_PCM.szPath);
}

std::string DocumentTest::ClipboardBytes() {
  return ReadFileBytes(app->m_clipboard.szPath);
}

std::string DocumentTest::MixDownFile(const std::string& name) {
  const std::string path = root / name;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  doc->PrepTracksForOp();
  app->m_operationDialog.BeginOperation();
  EXPECT_EQ(doc->MixDownToOneFile(out, false), 1);
  app->m_operationDialog.EndOperation();
  doc->PostTracksForOp();
  std::fclose(out);
  return path;
}

void DocumentTest::Select(uint32_t first, uint32_t last) {
  doc->m_mirror.m_nHighlightBegin = first;
  doc->m_mirror.m_nHighlightEnd = last;
  doc->m_mirror.m_nHighlightSpan = last - first;
}

std::string DocumentTest::Pattern(uint32_t bytes, uint8_t seed) {
  std::string data(bytes, '\0');
  for (uint32_t i = 0; i < bytes; ++i) {
    uint32_t frame = i / 4;
    data[i] = static_cast<char>((i % 4 == 3) ? seed : (frame >> (8 * (i % 4))) & 0xFF);
  }
  return data;
}

bool DocumentTest::Showed(const std::string& text) {
  bool found = false;
  for (size_t i = seenBoxes; i < system->messages.shown.size(); ++i) {
    if (system->messages.shown[i].text.find(text) != std::string::npos) found = true;
  }
  for (const std::string& dialogText : messageDialogTexts) {
    if (dialogText.find(text) != std::string::npos) found = true;
  }
  seenBoxes = system->messages.shown.size();
  messageDialogTexts.clear();
  return found;
}
