#include <map>

#include "core/command_ids.h"
#include "audio_store/wave_header.h"
#include "document/import_or_new_dialog.h"
#include "document/project_settings_dialog.h"
#include "tests/support/document_fixture.h"

namespace {

TEST_F(DocumentTest, FailedPreconditionsShowTheirMessageWithoutAnOperation) {
  LoadTrack(0, Pattern(8000, 1));
  struct Case {
    int command;
    const char* message;
  };
  const Case cases[] = {
      {ID_EDIT_CUT, "Nothing selected to cut."},
      {ID_EDIT_COPY, "No audio selected to copy."},
      {ID_EDIT_DELETE, "Nothing selected to delete."},
      {ID_EDIT_PASTE_INSERT, "No audio available on clipboard."},
      {ID_EDIT_PASTE_OVER, "No audio available on clipboard."},
      {ID_EDIT_CUT_MARKERS, "No markers set for cut."},
      {ID_EDIT_COPY_MARKERS, "No markers set for copy."},
      {ID_EDIT_DELETE_MARKERS, "No markers set for delete."},
      {ID_EDIT_UNDO, "Sorry, undo buffer is empty"},
      {ID_EDIT_REDO, "Sorry, redo buffer is empty"},
  };
  Select(400, 400);  // a click without a drag
  for (const Case& c : cases) {
    system->dialogs.shown.clear();
    EXPECT_EQ(app->OnCommand(c.command), 0) << c.message;
    ASSERT_FALSE(system->messages.shown.empty());
    EXPECT_EQ(system->messages.shown.back().text, c.message);
    EXPECT_EQ(system->messages.shown.back().icon, platform::MessageIcon::Information);
    EXPECT_TRUE(system->dialogs.shown.empty()) << c.message;  // no progress dialog
  }
  app->OnCommand(TrackSelectCommand(2));
  EXPECT_EQ(app->OnCommand(ID_EDIT_CLEAR_TRACK), 0);
  EXPECT_EQ(system->messages.shown.back().text, "No audio exists to delete.");
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, EnablingFollowsTheDocument) {
  EXPECT_TRUE(app->IsCommandEnabled(ID_FILE_NEW));
  EXPECT_TRUE(app->IsCommandEnabled(ID_TOOLS_INSERT_SILENCE));
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CLEAR_TRACK));
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_PASTE_INSERT));
  EXPECT_FALSE(app->IsCommandEnabled(ID_FILE_SAVE));
  LoadTrack(0, Pattern(8000, 1));
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_CLEAR_TRACK));
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CUT));
  Select(400, 800);
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_CUT));
  Select(800, 400);
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CUT));

  // Only the begin marker: the between-markers commands stay disabled.
  doc->m_mirror.m_nMarkerBegin = 1000;
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CUT_MARKERS));
  EXPECT_TRUE(app->IsCommandEnabled(ID_MARKER_ERASE_BEGIN));
  EXPECT_FALSE(app->IsCommandEnabled(ID_MARKER_ERASE_BOTH));
  Select(2000, 2000);
  EXPECT_TRUE(app->IsCommandEnabled(ID_MARKER_SET_END));
  EXPECT_FALSE(app->IsCommandEnabled(ID_MARKER_SET_BEGIN));  // the tracker lies after the begin marker
  ASSERT_EQ(app->OnCommand(ID_MARKER_SET_END), 1);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 2000);
  EXPECT_TRUE(app->IsCommandEnabled(ID_EDIT_CUT_MARKERS));

  app->m_bPlaying = true;
  EXPECT_FALSE(app->IsCommandEnabled(ID_FILE_NEW));
  EXPECT_FALSE(app->IsCommandEnabled(ID_EDIT_CUT_MARKERS));
  app->m_bPlaying = false;
  // Commands whose subsystems do not exist stay disabled; the tools need audio.
  EXPECT_FALSE(app->IsCommandEnabled(ID_TRANSPORT_RECORD));
  EXPECT_TRUE(app->IsCommandEnabled(ID_TOOLS_ECHO));
  EXPECT_TRUE(app->IsCommandEnabled(ID_FILE_SAVE));  // the project holds audio
}

TEST_F(DocumentTest, MarkerCommandsKeepTheBeginBeforeTheEnd) {
  LoadTrack(0, Pattern(40000, 1));
  Select(8000, 8000);
  app->OnCommand(ID_MARKER_SET_BEGIN);
  Select(4000, 4000);
  app->OnCommand(ID_MARKER_SET_BEGIN);  // a second begin before the first makes the first the end
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 4000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 8000);
  app->OnCommand(ID_MARKER_ERASE_BEGIN);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 8000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, kMarkerNotSet);
  Select(12000, 16000);
  app->OnCommand(ID_MARKER_SET_HIGHLIGHT);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 12000);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 16000);
  app->OnCommand(ID_MARKER_ERASE_BOTH);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, kMarkerNotSet);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, kMarkerNotSet);
}

TEST_F(DocumentTest, ACancelledOperationChangesNothing) {
  std::string audio = Pattern(200000, 2);
  LoadTrack(0, audio);
  Select(0, 4000);
  ASSERT_EQ(app->OnCommand(ID_EDIT_CUT), 1);
  ASSERT_EQ(app->OnCommand(ID_EDIT_UNDO), 1);
  doc->SetModifiedFlag(false);
  // The user presses Cancel while the operation runs: the progress dialog lets one
  // waiting message through per report, here a timer that is always due.
  struct Canceller : platform::TimerOwner {
    COperationDialog* dialog;
    int reports = 0;
    void OnTimer(unsigned int) override {
      if (++reports == 3) dialog->OnCancel();
    }
  } canceller;
  canceller.dialog = &app->m_operationDialog;
  system->timers.SetTimer(&canceller, 1, 0);
  Select(8000, 150000);
  EXPECT_EQ(app->OnCommand(ID_EDIT_CUT), 3);
  system->timers.KillTimer(&canceller, 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), audio));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->m_nRedoCount, 1);
  EXPECT_EQ(doc->m_nUndoCount, 0);
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
}

TEST_F(DocumentTest, OpeningAFileIsClassifiedByItsExtension) {
  EXPECT_EQ(doc->OnMyOpenDocument(root / "notes.txt"), 0);
  EXPECT_TRUE(Showed("File extension not supported"));
  EXPECT_EQ(doc->OnMyOpenDocument("ab"), 0);
  EXPECT_TRUE(Showed("File extension not supported"));

  // A second of silence as a WAV file.
  auto header = WaveHeaderBytes(176400, 44100, 2, 16);
  WriteFileBytes(root / "SONG.WAV", std::string(header.begin(), header.end()) + std::string(176400, '\0'));
  ASSERT_EQ(doc->OnMyOpenDocument(root / "SONG.WAV"), 1);  // an empty project: no question
  EXPECT_TRUE(system->dialogs.shown.empty() || system->dialogs.shown.back() != "import_or_new_dialog");
  EXPECT_EQ(doc->m_mirror.m_nLength, 176400u);
  EXPECT_FALSE(doc->IsModified());

  // Into a project with audio the user is asked; Cancel changes nothing.
  EXPECT_EQ(doc->OnMyOpenDocument(root / "SONG.WAV"), 0);
  EXPECT_EQ(system->dialogs.shown.back(), "import_or_new_dialog");
  EXPECT_EQ(doc->m_mirror.m_nLength, 176400u);
  system->dialogs.OnShow("import_or_new_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    logic.OnCommand(IDC_IMPORT);
  });
  ASSERT_EQ(doc->OnMyOpenDocument(root / "SONG.WAV"), 1);
  EXPECT_EQ(doc->m_mirror.m_nLength, 352800u);
  EXPECT_TRUE(doc->IsModified());
  system->dialogs.OnShow("import_or_new_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface&) {
    logic.OnCommand(IDC_NEW);
  });
  // A new project throws the edited one away: the user is asked first, and Cancel keeps it.
  system->messages.Answer(platform::MessageResult::Cancel);
  EXPECT_EQ(doc->OnMyOpenDocument(root / "SONG.WAV"), 0);
  EXPECT_EQ(system->messages.shown.back().text, "Save changes to SONG.WAV?");
  EXPECT_EQ(doc->m_mirror.m_nLength, 352800u);
  system->messages.Answer(platform::MessageResult::No);
  ASSERT_EQ(doc->OnMyOpenDocument(root / "SONG.WAV"), 1);
  EXPECT_EQ(doc->m_mirror.m_nLength, 176400u);
  EXPECT_EQ(doc->m_nUndoCount, 1);
}

}  // namespace

namespace {

TEST_F(DocumentTest, ProjectSettingsShowWhatTheProjectIs) {
  LoadTrack(0, Pattern(176400 * 3, 1));
  app->m_config.metronomeTempo = 120;
  app->m_config.metronomeMeasure = 2;
  app->m_boardMain.SetProjectDescription("Demo");
  std::map<std::string, std::string> shown;
  system->dialogs.OnShow(
      "project_settings_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
        for (const char* id : {IDC_PROJ_DESCRIPTION, IDC_PROJ_AUDIO_PATH, IDC_PROJ_LENGTH_TIME, IDC_PROJ_LENGTH_BEATS,
                               IDC_PROJ_LENGTH_SAMPLES, IDC_PROJ_BPM, IDC_PROJ_TIMING}) {
          shown[id] = page.Control(id)->GetText();
        }
        logic.OnOK();
      });
  ASSERT_EQ(app->OnCommand(ID_SETTINGS_PROJECT), platform::IDOK);
  EXPECT_EQ(shown[IDC_PROJ_DESCRIPTION], "Demo");
  EXPECT_EQ(shown[IDC_PROJ_AUDIO_PATH], "Not currently set");
  EXPECT_EQ(shown[IDC_PROJ_LENGTH_TIME], "00:03.000");
  EXPECT_EQ(shown[IDC_PROJ_LENGTH_BEATS], "6.000");
  EXPECT_EQ(shown[IDC_PROJ_LENGTH_SAMPLES], "264600");
  EXPECT_EQ(shown[IDC_PROJ_BPM], "120");
  EXPECT_EQ(shown[IDC_PROJ_TIMING], "3/4");
}

}  // namespace
