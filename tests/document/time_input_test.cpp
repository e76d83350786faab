#include "document/time_input.h"

#include "core/command_ids.h"
#include "tests/support/document_fixture.h"

namespace {

TEST(ConvertTimeStringToBytes, ReadsTimesBeatsAndSamples) {
  EXPECT_EQ(ConvertTimeStringToBytes("1:05.5", 0, 176400, 120), 11554200);
  EXPECT_EQ(ConvertTimeStringToBytes("1:05.05", 0, 176400, 120), 176400 * 65 + 8820);
  EXPECT_EQ(ConvertTimeStringToBytes("2", 0, 176400, 120), 352800);
  EXPECT_EQ(ConvertTimeStringToBytes("0.001", 0, 176400, 120), 176);  // 176.4: the fraction is cut
  EXPECT_EQ(ConvertTimeStringToBytes("2.5", 1, 176400, 120), 220500);
  EXPECT_EQ(ConvertTimeStringToBytes("1", 1, 176400, 0), 105840);
  EXPECT_EQ(ConvertTimeStringToBytes("1001", 2, 176400, 120), 2000);
  EXPECT_EQ(ConvertTimeStringToBytes("0", 2, 176400, 120), 0);
}

TEST(ConvertTimeStringToBytes, HalfAFrameOrMoreAddsAFrame) {
  // 0.003 s is 529.2 bytes: cut; at 100 bpm 0.001 beats is 105.84 bytes: .84 adds 4.
  EXPECT_EQ(ConvertTimeStringToBytes("0.003", 0, 176400, 0), 529);
  EXPECT_EQ(ConvertTimeStringToBytes("0.001", 1, 176400, 100), 109);
}

TEST(ConvertTimeStringToBytes, RefusesWhatIsNotATime) {
  for (const char* text : {"", "abc", "1:2:3", "1.2.3", "-5", "1,5", " 1", "1.5:3"}) {
    EXPECT_EQ(ConvertTimeStringToBytes(text, 0, 176400, 120), -1) << text;
  }
  EXPECT_EQ(ConvertTimeStringToBytes("1:05", 1, 176400, 120), -1);  // no minutes in beats
  EXPECT_EQ(ConvertTimeStringToBytes("99999999999", 2, 176400, 120), -1);
}

TEST_F(DocumentTest, MarkerTimesDialogOrdersTheMarkersAndClampsToTheTrack) {
  LoadTrack(0, Pattern(176400 * 3, 1));
  system->dialogs.OnShow("marker_times_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    EXPECT_EQ(page.Control("IDC_BEGIN_MARKER")->GetText(), "Marker Not Set");
    page.Control("IDC_BEGIN_MARKER")->SetText("0:02.5");
    logic.OnKillFocus("IDC_BEGIN_MARKER");
    EXPECT_EQ(page.Control("IDC_BEGIN_MARKER")->GetText(), "00:02.500");
    page.Control("IDC_END_MARKER")->SetText("0:01");
    logic.OnKillFocus("IDC_END_MARKER");
    page.Control("IDC_TIME_TYPE")->SetCurSel(2);
    logic.OnSelChange("IDC_TIME_TYPE");
    EXPECT_EQ(page.Control("IDC_END_MARKER")->GetText(), "88200");
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_MARKER_INPUT_TIMES), platform::IDOK);
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 176400);
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, 441000);

  system->dialogs.OnShow("marker_times_dialog", [](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control("IDC_BEGIN_MARKER")->SetText("");  // clears it
    page.Control("IDC_END_MARKER")->SetText("9:00");
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_MARKER_INPUT_TIMES), platform::IDOK);
  EXPECT_TRUE(Showed("Given time is past the current track length.\nSetting marker time to the max."));
  EXPECT_EQ(doc->m_mirror.m_nMarkerBegin, 176400 * 3);  // the single value is the begin marker
  EXPECT_EQ(doc->m_mirror.m_nMarkerEnd, kMarkerNotSet);
}

TEST_F(DocumentTest, SilenceDialogRefusesALengthThatIsNoLength) {
  app->m_silenceDialog.m_nLength = 88200;
  system->dialogs.OnShow("silence_dialog", [this](platform::DialogLogic& logic, platform::MemoryDialogSurface& page) {
    page.Control("IDC_SILENCE_LENGTH")->SetText("half a second");
    logic.OnOK();
    EXPECT_TRUE(logic.HasWindow());
    EXPECT_TRUE(Showed("is not a length"));
    EXPECT_EQ(page.Control("IDC_SILENCE_LENGTH")->GetText(), "00:00.500");  // the previous length again
    page.Control("IDC_SILENCE_TIME_TYPE")->SetCurSel(1);
    logic.OnSelChange("IDC_SILENCE_TIME_TYPE");
    EXPECT_EQ(page.Control("IDC_SILENCE_LENGTH")->GetText(), "0.833");  // 100 beats a minute
    page.Control("IDC_SILENCE_LENGTH")->SetText("1");
    logic.OnOK();
  });
  ASSERT_EQ(app->OnCommand(ID_TOOLS_INSERT_SILENCE), 1);
  EXPECT_EQ(doc->m_mirror.m_nLength, 105840u);
  EXPECT_EQ(app->m_silenceDialog.m_nUnit, 1);
}

}  // namespace
