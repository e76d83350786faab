// The metronome's dialog and its clicks as a take hears them: the click files read at
// start-up, the settings the dialog shows, changes at once and keeps or takes back,
// and the beats at the ends of the tempo range.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/mixer_config.h"
#include "assets/metronome_samples.h"
#include "engine/metronome_dialog.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::DialogLogic;
using platform::MemoryDialogSurface;

struct MetronomeDialogTest : ::testing::Test {
  TempFolder root;
  std::string data = root / "data";
  std::unique_ptr<platform::ScriptedSystem> system;
  MixerConfig config = MixerConfig::FirstRunDefaults(root / "audio", 0, false);
  CMetronomeDialog dialog{config};
  std::vector<int16_t> buffer = std::vector<int16_t>(MetronomeClicks::kBufferBytes / 2);

  void SetUp() override {
    fs::create_directories(data);
    system = std::make_unique<platform::ScriptedSystem>(root / "bin", data, root / "home");
    for (const auto& sample : metronome_samples::kSamples) {
      const std::vector<uint8_t> bytes = sample.make();
      WriteFileBytes(data + "/" + sample.fileName, std::string(bytes.begin(), bytes.end()));
    }
  }
  // The buffer a take hears at position, on silence.
  void Play(uint32_t position) {
    std::fill(buffer.begin(), buffer.end(), 0);
    dialog.Mix(buffer.data(), position);
  }
  // The byte offsets in the buffer where a click starts: sound after at least 512 bytes
  // of silence (or at the buffer's start).
  std::vector<uint32_t> ClickStarts() const {
    std::vector<uint32_t> starts;
    size_t silent = 256;
    for (size_t i = 0; i < buffer.size(); ++i) {
      if (buffer[i] == 0) {
        ++silent;
        continue;
      }
      if (silent >= 256) starts.push_back(static_cast<uint32_t>(i * 2 & ~3u));
      silent = 0;
    }
    return starts;
  }
  size_t ErrorReports() const {
    size_t count = 0;
    for (const auto& box : system->messages.shown) count += box.text.find("Error Location:") != std::string::npos;
    return count;
  }
};

TEST_F(MetronomeDialogTest, TheShippedClicksLoadAndSoundOnTheBeatsOfTheTempo) {
  dialog.LoadSamples(&system->folders);
  ASSERT_FALSE(dialog.SamplesMissing());
  // 260 beats per minute: 40704 bytes a beat, the third beat's click cut by the buffer's end.
  config.metronomeOn = 1;
  config.metronomeTempo = 260;
  dialog.ApplySettings();
  ASSERT_TRUE(dialog.IsOn());
  Play(0);
  EXPECT_EQ(ClickStarts(), (std::vector<uint32_t>{0, 40704, 81408}));
  // The rest of the cut click, then the beats at 122112 and 162816.
  Play(88200);
  EXPECT_EQ(ClickStarts(), (std::vector<uint32_t>{0, 33912, 74616}));

  // 20 beats per minute: a beat every 529200 bytes, six buffers apart.
  config.metronomeTempo = 20;
  dialog.ApplySettings();
  std::vector<uint32_t> sounding;
  for (uint32_t n = 0; n < 12; ++n) {
    Play(n * 88200);
    if (!ClickStarts().empty()) sounding.push_back(n);
  }
  EXPECT_EQ(sounding, (std::vector<uint32_t>{0, 6}));
  EXPECT_EQ(ErrorReports(), 0u);
}

TEST_F(MetronomeDialogTest, AMissingOrShortClickFileKeepsTheMetronomeOffAndSaysSoOnce) {
  fs::remove(data + "/snare.dat");
  WriteFileBytes(data + "/hihat.dat", std::string(8191, '\x10'));
  dialog.LoadSamples(&system->folders);
  EXPECT_TRUE(dialog.SamplesMissing());
  // Nothing is said while the metronome is off.
  dialog.ApplySettings();
  EXPECT_EQ(ErrorReports(), 0u);

  config.metronomeOn = 1;
  dialog.ApplySettings();
  EXPECT_FALSE(dialog.IsOn());
  EXPECT_EQ(dialog.Settings().on, 0);
  EXPECT_EQ(config.metronomeOn, 1);  // the record keeps the user's choice for a later start
  ASSERT_EQ(ErrorReports(), 1u);
  const std::string& text = system->messages.shown[0].text;
  EXPECT_NE(text.find("Failed to load snare metronome. (snare.dat)"), std::string::npos);
  EXPECT_NE(text.find("Failed to load hi-hat metronome. (hihat.dat)"), std::string::npos);
  EXPECT_EQ(text.find("stick"), std::string::npos);
  Play(0);
  EXPECT_TRUE(ClickStarts().empty());

  dialog.ApplySettings();
  EXPECT_EQ(ErrorReports(), 1u);
}

TEST_F(MetronomeDialogTest, OpensWithTheSettingsAndOKPutsTheChosenOnesIntoTheRecord) {
  dialog.LoadSamples(&system->folders);
  config.metronomeTempo = 120;
  config.metronomeLevel = 20;
  config.metronomeMeasure = 2;
  dialog.ApplySettings();
  system->dialogs.OnShow("metronome_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    EXPECT_TRUE(page.Control(IDC_METRO_OFF)->IsChecked());
    EXPECT_FALSE(page.Control(IDC_METRO_ON)->IsChecked());
    EXPECT_TRUE(page.Control(IDC_METRO_THREE)->IsChecked());
    EXPECT_TRUE(page.Control(IDC_METRO_STICK)->IsChecked());
    EXPECT_TRUE(page.Control(IDC_METRO_ACCENT)->IsChecked());
    EXPECT_EQ(page.Control(IDC_METRO_BPM_SLIDER)->GetPos(), 120);
    EXPECT_EQ(page.Control(IDC_METRO_BPM_VALUE)->GetText(), "120");
    // The level slider stands at 60 - 20 and shows the level against unity.
    EXPECT_EQ(page.Control(IDC_METRO_LEVEL_SLIDER)->GetPos(), 40);
    EXPECT_EQ(page.Control(IDC_METRO_LEVEL_VALUE)->GetText(), "-10");

    page.Control(IDC_METRO_OFF)->SetChecked(false);
    page.Control(IDC_METRO_ON)->SetChecked(true);
    page.Control(IDC_METRO_THREE)->SetChecked(false);
    page.Control(IDC_METRO_FOUR)->SetChecked(true);
    page.Control(IDC_METRO_STICK)->SetChecked(false);
    page.Control(IDC_METRO_BEAT)->SetChecked(true);
    page.Control(IDC_METRO_ACCENT)->SetChecked(false);
    page.Control(IDC_METRO_BPM_SLIDER)->SetPos(90);
    logic.OnHScroll(IDC_METRO_BPM_SLIDER);
    EXPECT_EQ(page.Control(IDC_METRO_BPM_VALUE)->GetText(), "90");
    page.Control(IDC_METRO_LEVEL_SLIDER)->SetPos(55);
    logic.OnHScroll(IDC_METRO_LEVEL_SLIDER);
    EXPECT_EQ(page.Control(IDC_METRO_LEVEL_VALUE)->GetText(), "5");
    // The record changes only with OK.
    EXPECT_EQ(config.metronomeTempo, 120);
    logic.OnOK();
  });
  ASSERT_EQ(dialog.DoModal(), platform::IDOK);
  const MetronomeSettings saved = config.Metronome();
  EXPECT_EQ(saved.on, 1);
  EXPECT_EQ(saved.measure, 1);
  EXPECT_EQ(saved.sound, 0);
  EXPECT_EQ(saved.accent, 0);
  EXPECT_EQ(saved.tempo, 90);
  EXPECT_EQ(saved.level, 5);
  EXPECT_TRUE(dialog.IsOn());
  // 90 beats per minute: a beat every 117600 bytes; the hi-hat on the half beats.
  Play(0);
  EXPECT_EQ(ClickStarts(), (std::vector<uint32_t>{0, 58800}));
}

TEST_F(MetronomeDialogTest, CancelTakesBackTheSlidersThatActedAtOnce) {
  dialog.LoadSamples(&system->folders);
  config.metronomeOn = 1;
  config.metronomeTempo = 120;
  dialog.ApplySettings();
  system->dialogs.OnShow("metronome_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    page.Control(IDC_METRO_BPM_SLIDER)->SetPos(240);
    logic.OnHScroll(IDC_METRO_BPM_SLIDER);
    page.Control(IDC_METRO_LEVEL_SLIDER)->SetPos(0);
    logic.OnHScroll(IDC_METRO_LEVEL_SLIDER);
    // A take running now hears the new tempo (44100 bytes a beat) at once, and silence.
    Play(0);
    EXPECT_TRUE(ClickStarts().empty());
    EXPECT_EQ(dialog.Settings().tempo, 240);
    page.Control(IDC_METRO_ON)->SetChecked(false);
    logic.OnCancel();
  });
  ASSERT_EQ(dialog.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(dialog.Settings().tempo, 120);
  EXPECT_EQ(dialog.Settings().level, 10);
  EXPECT_TRUE(dialog.IsOn());
  dialog.StartTake();
  Play(0);
  EXPECT_EQ(ClickStarts(), (std::vector<uint32_t>{0}));
  EXPECT_EQ(config.Metronome().tempo, 120);
}

TEST_F(MetronomeDialogTest, OKWithAControlMissingSaysWhichAndChangesNothing) {
  system->dialogs.Without("metronome_dialog", IDC_METRO_ACCENT);
  config.metronomeTempo = 120;
  dialog.ApplySettings();
  system->dialogs.OnShow("metronome_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    page.Control(IDC_METRO_BPM_SLIDER)->SetPos(200);
    logic.OnHScroll(IDC_METRO_BPM_SLIDER);
    logic.OnOK();
    EXPECT_TRUE(logic.HasWindow());
  });
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  ASSERT_EQ(ErrorReports(), 1u);
  EXPECT_NE(system->messages.shown[0].text.find("IDC_METRO_ACCENT pButton is Null."), std::string::npos);
  EXPECT_EQ(config.metronomeTempo, 120);
}

}  // namespace
