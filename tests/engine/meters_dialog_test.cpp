// The output meters during playback, the audio failure dialog and the start-tick
// estimate.

#include "core/command_ids.h"
#include "engine/audio_failure_dialog.h"
#include "engine/playback_meters.h"
#include "engine/start_tick.h"
#include "tests/support/playback_fixture.h"

namespace {

TEST(MeasureLevels, PeaksOfSixteenAndEightBitStereoAndMono) {
  const std::string loud = Frames({{-32768, 100}, {20000, -16384}, {5, 0}});
  PeakLevels levels = MeasureLevels(loud.data(), static_cast<uint32_t>(loud.size()), 16, 2);
  EXPECT_EQ(levels.left, 99);
  EXPECT_EQ(levels.right, 49);  // 16384 / 32767 x 99 = 49.5
  levels = MeasureLevels(loud.data(), static_cast<uint32_t>(loud.size()), 16, 1);
  EXPECT_EQ(levels.left, 99);
  EXPECT_EQ(levels.right, 99);
  const std::string bytes = {static_cast<char>(128), static_cast<char>(0), static_cast<char>(192),
                             static_cast<char>(120)};
  levels = MeasureLevels(bytes.data(), 4, 8, 2);
  EXPECT_EQ(levels.left, 49);   // 64 / 128 x 99
  EXPECT_EQ(levels.right, 99);  // 128 / 128 x 99
  EXPECT_EQ(MeasureLevels(nullptr, 4, 16, 2).left, 0);
}

class MetersTest : public PlaybackTest {};

TEST_F(MetersTest, FollowTheSoundingBufferAndDropToZeroAtStop) {
  // The first half second loud on the left, then quiet; the right stays at a third.
  LoadTrack(0, Constant(22050, 32767, 10922) + Constant(44100, 3276, 10922));
  std::vector<std::pair<int, int>> shown;
  CPlaybackMeters meters([&](int left, int right) { shown.emplace_back(left, right); });
  player().SetMeters(&meters);
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1);
  EXPECT_TRUE(meters.Active());
  Run(200);
  ASSERT_FALSE(shown.empty());
  // Full scale plays as 32700 after the mix's clamp: level 98.
  EXPECT_EQ(shown.back(), std::make_pair(int{kMeterResponse[98]}, int{kMeterResponse[32]}));
  Run(600);
  EXPECT_EQ(shown.back(), std::make_pair(int{kMeterResponse[9]}, int{kMeterResponse[32]}));
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_STOP), 1);
  EXPECT_FALSE(meters.Active());
  EXPECT_EQ(shown.back(), std::make_pair(0, 0));
  const size_t count = shown.size();
  Run(200);
  EXPECT_EQ(shown.size(), count) << "meters moved after the stop";
  player().SetMeters(nullptr);
}

TEST_F(MetersTest, BufferInfoIsEmptyWhileNotPlaying) {
  const char* data = "x";
  uint32_t length = 1;
  uint16_t bits = 1, channels = 1;
  player().GetBufferInfo(0, &data, &length, &bits, &channels);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(length + bits + channels, 0u);
  LoadTrack(0, Constant(100, 1, 1));
  ASSERT_EQ(app->OnCommand(ID_TRANSPORT_PLAY), 1);
  player().GetBufferInfo(0, &data, &length, &bits, &channels);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(length, 400u);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(channels, 2);
  player().GetBufferInfo(2, &data, &length, &bits, &channels);
  EXPECT_EQ(data, nullptr);
}

TEST(AudioFailureDialog, EachKindHasItsCaptionParagraphAndMailSubject) {
  CAudioIOFailureDialog playback(CAudioIOFailureDialog::Kind::Playback, "Consecutive Delays");
  CAudioIOFailureDialog monitor(CAudioIOFailureDialog::Kind::Monitor, "Accumulated Delays");
  CAudioIOFailureDialog record(CAudioIOFailureDialog::Kind::Record, "Consecutive Delays");
  EXPECT_EQ(playback.Caption(), "Playback Failure");
  EXPECT_EQ(monitor.Caption(), "Monitor Failure");
  EXPECT_EQ(record.Caption(), "Recording Failure");
  EXPECT_EQ(playback.FirstParagraph().rfind("Interruption in playback due to playback mechanism", 0), 0u);
  EXPECT_EQ(monitor.FirstParagraph().rfind("Interruption in monitoring (record) due to monitor mechanism", 0), 0u);
  EXPECT_EQ(record.FirstParagraph().rfind("Interruption in recording due to recording mechanism", 0), 0u);
  for (const CAudioIOFailureDialog* dialog : {&playback, &monitor, &record}) {
    const std::string text = dialog->FirstParagraph();
    EXPECT_EQ(text.substr(text.size() - 49), "  This is usually caused by one of the following:");
  }
  EXPECT_EQ(playback.MailSubject(), "Playback Mechanism Failure - Consecutive Delays - ");
  EXPECT_EQ(monitor.MailSubject(), "Monitor (Record) Mechanism Failure - Accumulated Delays - ");
  EXPECT_EQ(record.MailSubject(), "Recording Mechanism Failure - Consecutive Delays - ");
  EXPECT_EQ(monitor.LinkTarget(),
            "mailto:support@sonavel.com?subject=Monitor%20%28Record%29%20Mechanism%20Failure%20-%20Accumulated%"
            "20Delays%20-%20");
  CAudioIOFailureDialog longCause(CAudioIOFailureDialog::Kind::Playback, std::string(300, 'x'));
  EXPECT_EQ(longCause.MailSubject().size(), std::string("Playback Mechanism Failure -  - ").size() + 255);
}

TEST(AudioFailureDialog, ShowsItsTextsAndTheLinkOpensAMail) {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  CAudioIOFailureDialog dialog(CAudioIOFailureDialog::Kind::Record, "Accumulated Delays");
  std::string caption, text, link;
  system.dialogs.OnShow("audio_failure_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          caption = surface.Caption();
                          text = surface.Control(IDC_FAILURE_TEXT)->GetText();
                          link = surface.Control(IDC_FAILURE_LINK)->GetText();
                          logic.OnCommand(IDC_FAILURE_LINK);
                          system.shell.result = platform::kShellNoAssociation;
                          logic.OnCommand(IDC_FAILURE_LINK);
                          logic.OnOK();
                        });
  EXPECT_EQ(dialog.DoModal(), platform::IDOK);
  EXPECT_EQ(caption, "Recording Failure");
  EXPECT_EQ(text, dialog.FirstParagraph());
  EXPECT_EQ(link, "support@sonavel.com");
  ASSERT_EQ(system.shell.opened.size(), 2u);
  EXPECT_EQ(system.shell.opened[0], dialog.LinkTarget());
  EXPECT_TRUE(dialog.LinkVisited());
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(system.messages.shown[0].text.rfind("Unable to open hyperlink:\n\n", 0), 0u);
  EXPECT_EQ(system.messages.shown[0].icon, platform::MessageIcon::Warning);
}

TEST(AudioFailureDialog, AConsoleGetsTheReportAsAWarning) {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  system.SetInteractive(false);
  CAudioIOFailureDialog::Report(CAudioIOFailureDialog::Kind::Playback, "Accumulated Delays");
  EXPECT_TRUE(system.dialogs.shown.empty());
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(system.messages.shown[0].caption, "Playback Failure");
  EXPECT_NE(system.messages.shown[0].text.find(kAudioFailureCauses[2]), std::string::npos);
  EXPECT_NE(system.messages.shown[0].text.find("Accumulated Delays"), std::string::npos);
}

TEST(StartTickEstimate, IsTheMeanOfItsSamples) {
  const uint32_t none[1] = {5};
  EXPECT_EQ(EstimateStartTick(none, 0), 0u);
  EXPECT_EQ(EstimateStartTick(nullptr, 3), 0u);
  const uint32_t lopsided[] = {1000, 1000, 1000, 1010};
  EXPECT_EQ(EstimateStartTick(lopsided, 4), 1002u);  // 1002.5, truncated
  const uint32_t jitter[] = {2000000005, 2000000001, 2000000003, 1999999999};
  EXPECT_EQ(EstimateStartTick(jitter, 4), 2000000002u);
}

TEST(StartTickEstimate, HoldsNearAndAcrossTwoToThe31And32) {
  const uint32_t near31[] = {0x7FFFFFFEu, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0x80000001u};
  EXPECT_EQ(EstimateStartTick(near31, 5), 0x7FFFFFFFu);  // 2^31 - 0.2, truncated
  const uint32_t below31[] = {2147483640u, 2147483646u, 2147483644u};
  EXPECT_EQ(EstimateStartTick(below31, 3), 2147483643u);
  const uint32_t acrossWrap[] = {0xFFFFFFFEu, 0xFFFFFFFFu, 0u, 1u, 2u};
  EXPECT_EQ(EstimateStartTick(acrossWrap, 5), 0u);
}

TEST(StartTickEstimate, ASampleKeepsTheFractionOfAMillisecondThatThePositionTells) {
  uint32_t samples[kMaxStartTickSamples] = {};
  uint32_t count = 0;
  // 100 bytes are 566.9 microseconds; 2 are 11.3.
  AddStartTickSample(1000, 1001, 0, 100, samples, &count);
  AddStartTickSample(0, 0, 0, 2, samples, &count);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(samples[0], 1000000u - 567u);
  EXPECT_EQ(samples[1], 0u - 11u);
  // Not trusted: a failed read, nothing played yet, a read that took longer than 3 ms.
  AddStartTickSample(1000, 1000, 1, 100, samples, &count);
  AddStartTickSample(1000, 1000, 0, 0, samples, &count);
  AddStartTickSample(1000, 1004, 0, 100, samples, &count);
  EXPECT_EQ(count, 2u);
}

TEST(StartTickEstimate, UsesAtMostAHundredSamples) {
  std::vector<uint32_t> samples(150, 500);
  for (size_t i = 100; i < samples.size(); ++i) samples[i] = 900000;
  EXPECT_EQ(EstimateStartTick(samples.data(), 150), 500u);
}

}  // namespace
