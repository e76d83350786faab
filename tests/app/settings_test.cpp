#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/command_ids.h"
#include "core/folder_dialog.h"
#include "core/message_dialog.h"
#include "app/settings/app_settings_dialog.h"
#include "platform/wave/wave_device.h"
#include "tests/support/document_fixture.h"

namespace {

namespace fs = std::filesystem;
using platform::DialogLogic;
using platform::MemoryDialogSurface;

class SettingsTest : public DocumentTest {
 protected:
  // Opens the settings dialog; script plays the user and decides how it closes.
  int OpenSettings(std::function<void(DialogLogic&, MemoryDialogSurface&)> script) {
    system->dialogs.OnShow("app_settings_dialog", std::move(script));
    return app->OnCommand(ID_SETTINGS_APPLICATION);
  }
  // Selects a tab as a click on it would; the page's surface, null when it failed.
  MemoryDialogSurface* Visit(DialogLogic& logic, MemoryDialogSurface& dialog, int page, const char* layout) {
    platform::MemoryControl* tabs = dialog.Control(IDC_SETTINGS_TABS);
    while (tabs->GetCount() < CAppSettingsDialog::kPages) tabs->AddString("tab");  // the layout's tabs
    tabs->SetCurSel(page);
    logic.OnSelChange(IDC_SETTINGS_TABS);
    return system->dialogs.pages[layout];
  }
  static void Choose(MemoryDialogSurface& page, const char* combo, int item) { page.Control(combo)->SetCurSel(item); }
};

TEST_F(SettingsTest, OkWithoutVisitingThePagesChangesNothing) {
  app->m_config.audioFolder = root / "audio";
  app->m_config.timeDisplayType = 1;
  const MixerConfig before = app->m_config;
  EXPECT_EQ(OpenSettings([](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); }), platform::IDOK);
  // Only the first page was made, and it changed nothing either.
  EXPECT_EQ(system->dialogs.shown.back(), "audio_path_page");
  EXPECT_EQ(app->m_config.Encode(), before.Encode());
  EXPECT_TRUE(system->messages.shown.empty());
  EXPECT_GT(frame->changes, 0);  // the view was asked to redraw
}

TEST_F(SettingsTest, AudioPathChangesOnlyForTheNextStart) {
  const std::string running = app->m_szAudioFolder;
  fs::create_directories(root / "elsewhere");
  system->folderBrowser.Answer(root / "elsewhere");
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface&) {
              MemoryDialogSurface* page = system->dialogs.pages["audio_path_page"];
              ASSERT_NE(page, nullptr);
              EXPECT_EQ(page->Control(IDC_SETTINGS_AUDIO_PATH)->GetText(), app->m_config.audioFolder);
              app->m_appSettingsDialog.m_audioPath.OnCommand(IDC_SETTINGS_BROWSE);
              EXPECT_EQ(page->Control(IDC_SETTINGS_AUDIO_PATH)->GetText(), root / "elsewhere");
              logic.OnOK();
            }),
            platform::IDOK);
  EXPECT_EQ(system->folderBrowser.titles.back(), "Select Folder");
  EXPECT_EQ(app->m_config.audioFolder, root / "elsewhere");
  EXPECT_EQ(app->m_szAudioFolder, running);
  ASSERT_EQ(system->messages.shown.size(), 1u);
  EXPECT_EQ(system->messages.shown[0].text,
            "The audio path has been modified.  This path will\nbe used the next time you start the Sonavel "
            "Trackwright.");

  // The same text again is no change; a path the record cannot hold keeps the dialog open.
  EXPECT_EQ(OpenSettings([](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); }), platform::IDOK);
  EXPECT_EQ(system->messages.shown.size(), 1u);
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface&) {
              system->dialogs.pages["audio_path_page"]->Control(IDC_SETTINGS_AUDIO_PATH)->SetText(std::string(300, 'a'));
              logic.OnOK();
            }),
            platform::IDCANCEL);
  EXPECT_EQ(app->m_config.audioFolder, root / "elsewhere");
  EXPECT_TRUE(Showed("The audio path is too long."));
}

TEST_F(SettingsTest, ColourPageEditsEachTrackAndAppliesOnOk) {
  app->m_config.waveColour[2] = 4;
  app->m_config.outlineColour[2] = 5;
  app->m_config.markerColour[2] = 6;
  doc->m_nCurrentTrack = 2;
  auto edit = [&](DialogLogic& logic, MemoryDialogSurface& dialog) {
    MemoryDialogSurface* page = Visit(logic, dialog, 1, "color_settings_page");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Control(IDC_BODY_COLOR)->GetCount(), CColourTable::kCount);
    EXPECT_EQ(page->Control(IDC_BODY_COLOR)->GetItemText(8), "Dull Yellow");
    EXPECT_TRUE(page->Control("IDC_COLOR_TRACK3")->IsChecked());
    EXPECT_EQ(page->Control(IDC_BODY_COLOR)->GetCurSel(), 4);
    EXPECT_EQ(page->Control(IDC_OUTLINE_COLOR)->GetCurSel(), 5);
    EXPECT_EQ(page->Control(IDC_MARKER_COLOR)->GetCurSel(), 6);
    CSettingsPage& colours = app->m_appSettingsDialog.m_colorSettings;
    Choose(*page, IDC_MARKER_COLOR, 1);
    colours.OnSelChange(IDC_MARKER_COLOR);
    // Another track shows its own colours and takes its own change.
    page->Control("IDC_COLOR_TRACK3")->SetChecked(false);
    page->Control("IDC_COLOR_TRACK8")->SetChecked(true);
    colours.OnCommand("IDC_COLOR_TRACK8");
    EXPECT_EQ(page->Control(IDC_BODY_COLOR)->GetCurSel(), app->m_config.waveColour[7]);
    Choose(*page, IDC_BODY_COLOR, 3);
    colours.OnSelChange(IDC_BODY_COLOR);
  };
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface& dialog) {
              edit(logic, dialog);
              logic.OnCancel();
            }),
            platform::IDCANCEL);
  EXPECT_EQ(app->m_config.markerColour[2], 6);
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface& dialog) {
              edit(logic, dialog);
              logic.OnOK();
            }),
            platform::IDOK);
  EXPECT_EQ(app->m_config.markerColour[2], 1);
  EXPECT_EQ(app->m_config.waveColour[2], 4);
  EXPECT_EQ(app->m_config.waveColour[7], 3);
}

TEST_F(SettingsTest, TimeDisplayPageSetsTheUnit) {
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface& dialog) {
              MemoryDialogSurface* page = Visit(logic, dialog, 2, "time_display_page");
              ASSERT_NE(page, nullptr);
              EXPECT_TRUE(page->Control(IDC_TIME)->IsChecked());
              page->Control(IDC_TIME)->SetChecked(false);
              page->Control(IDC_SAMPLES)->SetChecked(true);
              logic.OnOK();
            }),
            platform::IDOK);
  EXPECT_EQ(app->m_config.timeDisplayType, 2);
}

// Devices whose capabilities may fail to be read, and whose number can change.
struct FakeWaveSystem : platform::WaveSystem {
  std::vector<std::string> outputs{"Speakers", "Headphones"}, inputs{"Microphone", "Line In"};
  unsigned failure = platform::MMSYSERR_NOERROR;
  unsigned OutputCount() override { return static_cast<unsigned>(outputs.size()); }
  unsigned InputCount() override { return static_cast<unsigned>(inputs.size()); }
  unsigned GetOutputCaps(unsigned id, platform::WaveOutCaps* caps) override {
    caps->productName = outputs.at(id);
    return failure;
  }
  unsigned GetInputCaps(unsigned id, platform::WaveInCaps* caps) override {
    caps->productName = inputs.at(id);
    return platform::MMSYSERR_NOERROR;
  }
  std::unique_ptr<platform::WaveOutDevice> CreateOutput() override { return nullptr; }
  // The recording engine opens the chosen input: a virtual device of the same list.
  platform::WaveSystem* devices = nullptr;
  std::unique_ptr<platform::WaveInDevice> CreateInput() override { return devices->CreateInput(); }
};

TEST_F(SettingsTest, DevicePageChangesInputAtOnceAndOutputNextTime) {
  FakeWaveSystem wave;
  platform::VirtualWaveSystem inputs(system->clock, wave.outputs, wave.inputs);
  wave.devices = &inputs;
  platform::Os().waveSystem = &wave;
  platform::Os().waveDevices = &wave;
  auto choose = [&](int input, int output) {
    return OpenSettings([&, input, output](DialogLogic& logic, MemoryDialogSurface& dialog) {
      MemoryDialogSurface* page = Visit(logic, dialog, 3, "audio_io_page");
      ASSERT_NE(page, nullptr);
      ASSERT_EQ(page->Control(IDC_INPUT_DEVICE)->GetCount(), static_cast<int>(wave.inputs.size()));
      EXPECT_EQ(page->Control(IDC_OUTPUT_DEVICE)->GetItemText(1), "Headphones");
      if (input >= 0) Choose(*page, IDC_INPUT_DEVICE, input);
      if (output >= 0) Choose(*page, IDC_OUTPUT_DEVICE, output);
      logic.OnOK();
    });
  };
  const int runningOutput = app->m_nCurrentOutputDevice;
  EXPECT_EQ(choose(1, 0), platform::IDOK);  // the same output device: no message
  EXPECT_EQ(app->m_nCurrentInputDevice, 1);
  EXPECT_EQ(app->m_config.waveInDevice, 1);
  EXPECT_TRUE(system->messages.shown.empty());

  EXPECT_EQ(choose(-1, 1), platform::IDOK);
  ASSERT_EQ(system->messages.shown.size(), 1u);
  EXPECT_EQ(system->messages.shown[0].text,
            "The audio output device has been changed.  This setting\nwill be used the next time you start the "
            "Sonavel Trackwright.");
  EXPECT_EQ(app->m_config.waveOutDevice, 1);
  EXPECT_EQ(app->m_nCurrentOutputDevice, runningOutput);

  // A device that went away since the last opening resets the input to the first one.
  wave.inputs.push_back("USB Interface");
  EXPECT_EQ(choose(-1, -1), platform::IDOK);
  EXPECT_EQ(app->m_nCurrentInputDevice, 0);
  EXPECT_EQ(system->messages.shown.size(), 1u);

  wave.failure = platform::MMSYSERR_NODRIVER;
  EXPECT_EQ(OpenSettings([&](DialogLogic& logic, MemoryDialogSurface& dialog) {
              MemoryDialogSurface* page = Visit(logic, dialog, 3, "audio_io_page");
              EXPECT_EQ(page->Control(IDC_INPUT_DEVICE)->GetCount(), 0);
              EXPECT_EQ(page->Control(IDC_OUTPUT_DEVICE)->GetCount(), 0);
              logic.OnOK();
            }),
            platform::IDOK);
  EXPECT_TRUE(Showed("Local Function (CAudioIODialog::OnInitDialog) calling Wave Function (waveOutGetDevCaps)"));
  EXPECT_EQ(app->m_config.waveOutDevice, 1);
}

TEST_F(SettingsTest, PagesThatCannotBeMadeOrLackControlsAreReported) {
  system->dialogs.FailPage("time_display_page");
  system->dialogs.Without("color_settings_page", "IDC_COLOR_TRACK5");
  OpenSettings([&](DialogLogic& logic, MemoryDialogSurface& dialog) {
    EXPECT_EQ(Visit(logic, dialog, 2, "time_display_page"), nullptr);
    Visit(logic, dialog, 1, "color_settings_page");
    logic.OnOK();
  });
  std::string shown;
  for (const auto& box : system->messages.shown) shown += box.text + "\n";
  EXPECT_NE(shown.find("MyTabCtrl::ActivateTabDialogs"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Failed to create the time display dialog"), std::string::npos);
  EXPECT_NE(shown.find("Failed to get color button."), std::string::npos);
  EXPECT_EQ(app->m_config.timeDisplayType, 0);
}

TEST_F(SettingsTest, FolderHistoryKeepsTwentyRecentFoldersMostRecentFirst) {
  for (int i = 0; i < 25; ++i) CXFolderDialog::AddToHistory("/folder/" + std::to_string(i));
  CXFolderDialog::AddToHistory("/folder/10");
  std::vector<std::string> history = CXFolderDialog::LoadHistory();
  ASSERT_EQ(history.size(), CXFolderDialog::kHistorySize);
  EXPECT_EQ(history[0], "/folder/10");
  EXPECT_EQ(history[1], "/folder/24");
  EXPECT_EQ(history.back(), "/folder/5");
  EXPECT_EQ(std::count(history.begin(), history.end(), "/folder/10"), 1);
  EXPECT_EQ(system->settings.GetString("FolderHistory", "Folder0"), "/folder/10");
}

TEST_F(SettingsTest, FolderThatCannotBeEnteredIsReportedAndAskedAgain) {
  fs::create_directories(root / "locked");
  fs::create_directories(root / "open");
  chmod((root / "locked").c_str(), 0);
  system->folderBrowser.Answer(root / "locked");
  system->folderBrowser.Answer(root / "open");
  const bool privileged = access((root / "locked").c_str(), R_OK | X_OK) == 0;  // root enters anything
  EXPECT_EQ(CXFolderDialog::Choose(root / "audio"), root / (privileged ? "locked" : "open"));
  chmod((root / "locked").c_str(), 0755);
  if (!privileged) {
    EXPECT_EQ(system->messages.shown.at(0).text, "The folder '" + (root / "locked") + "' isn't accessible.");
    EXPECT_EQ(system->folderBrowser.startFolders.at(1), root / "locked");
    EXPECT_EQ(system->folderBrowser.recents.at(1), std::vector<std::string>{});
  }
  EXPECT_EQ(CXFolderDialog::LoadHistory().size(), 1u);
  system->folderBrowser.Answer(root / "audio");
  CXFolderDialog::Choose(root.Path());
  EXPECT_EQ(system->folderBrowser.recents.back().size(), 1u);  // the chooser offers the earlier choice
}

TEST_F(SettingsTest, PlaybackMessagesUseTheMessageDialog) {
  std::string text;
  system->dialogs.OnShow("message_dialog", [&](DialogLogic& logic, MemoryDialogSurface& dialog) {
    text = dialog.Control(IDC_MESSAGE_TEXT)->GetText();
    EXPECT_EQ(dialog.Caption(), "Sonavel Trackwright");
    logic.OnOK();
  });
  app->StartPlayback();
  EXPECT_EQ(text, "No audio exists to play.  Please open an audio file or record new audio first.");
  EXPECT_FALSE(app->m_bPlaying);

  CMessageDialog dialog;
  dialog.SetText(std::string(2000, 'x'));
  EXPECT_EQ(dialog.Text().size(), CMessageDialog::kMaxText);
}

}  // namespace
