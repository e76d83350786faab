// A long random run of edits, undos and redos on the eight tracks, checked byte for
// byte after every step against a plain in-memory model of the project.

#include <array>
#include <deque>
#include <random>

#include "core/command_ids.h"
#include "tests/support/document_fixture.h"

namespace {

using Tracks = std::array<std::string, kTrackCount>;

struct Model {
  Tracks tracks;
  std::string clipboard;
  std::deque<Tracks> undo, redo;

  void Change(int track, const std::string& audio) {
    undo.push_back(tracks);
    if (undo.size() > kUndoDepth) undo.pop_front();
    redo.clear();
    tracks[static_cast<size_t>(track)] = audio;
  }
};

TEST_F(DocumentTest, RandomEditsUndosAndRedosMatchAModel) {
  std::mt19937 random(20261208);
  auto below = [&](uint32_t n) { return n == 0 ? 0u : static_cast<uint32_t>(random() % n); };
  auto frame = [&](uint32_t length) { return below(length / 4 + 1) * 4; };

  Model model;
  for (int n = 0; n < kTrackCount; n += 3) {
    std::string audio = Pattern(4 * (1000 + below(9000)), static_cast<uint8_t>(n + 1));
    LoadTrack(n, audio);
    model.tracks[static_cast<size_t>(n)] = audio;
  }
  ASSERT_EQ(app->OnCommand(ID_FILE_NEW), 1);  // an empty ring to start from, tracks reloaded below
  for (int n = 0; n < kTrackCount; n += 3) LoadTrack(n, model.tracks[static_cast<size_t>(n)]);

  for (int step = 0; step < 400; ++step) {
    int track = static_cast<int>(below(kTrackCount));
    app->OnCommand(TrackSelectCommand(track));
    std::string& audio = model.tracks[static_cast<size_t>(track)];
    const auto length = static_cast<uint32_t>(audio.size());
    uint32_t first = frame(length), last = frame(length);
    if (first > last) std::swap(first, last);
    Select(first, last);
    const std::string clip = model.clipboard;
    const auto n = static_cast<uint32_t>(clip.size());
    std::string label;

    switch (below(9)) {
      case 0:
        if (first == last) break;
        label = "cut";
        ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1) << step;
        model.clipboard = audio.substr(first, last - first);
        model.Change(track, audio.substr(0, first) + audio.substr(last));
        break;
      case 1:
        if (first == last) break;
        label = "copy";
        ASSERT_EQ(app->OnCommand(ID_EDIT_COPY), 1) << step;
        model.clipboard = audio.substr(first, last - first);
        model.redo.clear();  // every successful operation but undo and redo ends redo
        break;
      case 2:
        if (clip.empty()) break;
        label = "paste insert";
        ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_INSERT), 1) << step;
        model.Change(track, audio.substr(0, first) + clip + audio.substr(first));
        break;
      case 3:
        if (clip.empty()) break;
        label = "paste over";
        ASSERT_EQ(app->OnCommand(ID_EDIT_PASTE_OVER), 1) << step;
        model.Change(track, audio.substr(0, first) + clip + (first + n < length ? audio.substr(first + n) : ""));
        break;
      case 4:
        if (first == last) break;
        label = "delete";
        ASSERT_EQ(app->OnCommand(ID_EDIT_DELETE), 1) << step;
        model.Change(track, audio.substr(0, first) + audio.substr(last));
        break;
      case 5: {
        label = "insert silence";
        uint32_t silence = frame(20000);
        app->m_silenceDialog.m_nLength = silence;
        app->m_silenceDialog.m_nUnit = 2;
        app->m_silenceDialog.m_bUseMarker = false;
        system->dialogs.OnShow("silence_dialog",
                               [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) { logic.OnOK(); });
        ASSERT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), 1) << step;
        model.Change(track, audio.substr(0, first) + std::string(silence, '\0') + audio.substr(first));
        break;
      }
      case 6:
        if (below(4) != 0 || length == 0) break;
        label = "clear";
        ASSERT_EQ(app->OnCommand(ID_EDIT_CLEAR_TRACK), 1) << step;
        model.Change(track, "");
        break;
      case 7:
        if (model.undo.empty()) break;
        label = "undo";
        ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1) << step;
        model.redo.push_back(model.tracks);
        model.tracks = model.undo.back();
        model.undo.pop_back();
        break;
      case 8:
        if (model.redo.empty()) break;
        label = "redo";
        ASSERT_EQ(app->OnCommand(ID_EDIT_REDO), 1) << step;
        model.undo.push_back(model.tracks);
        model.tracks = model.redo.back();
        model.redo.pop_back();
        break;
    }
    if (label.empty()) continue;
    for (int t = 0; t < kTrackCount; ++t) {
      ASSERT_TRUE(SameAudio(TrackBytes(t), model.tracks[static_cast<size_t>(t)]))
          << "step " << step << " " << label << " track " << t;
      ASSERT_EQ(doc->Track(t).m_pos.m_nLength, model.tracks[static_cast<size_t>(t)].size()) << step;
    }
    ASSERT_TRUE(SameAudio(ClipboardBytes(), model.clipboard)) << step << " " << label;
    ASSERT_EQ(doc->m_nUndoCount, static_cast<int>(model.undo.size())) << step << " " << label;
    ASSERT_EQ(doc->m_nRedoCount, static_cast<int>(model.redo.size())) << step << " " << label;
  }
  EXPECT_TRUE(system->messages.shown.empty());
}

}  // namespace
