#include <gtest/gtest.h>

#include <filesystem>

#include "app/intro_dialogs.h"
#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/support/fake_main_frame.h"

namespace {

namespace fs = std::filesystem;
using platform::DialogLogic;
using platform::MemoryDialogSurface;

using Frame = FakeMainFrame;

struct StartupTest : ::testing::Test {
  TempFolder root;
  std::string configFolder = root / "config";
  std::string home = root / "home";
  std::string configPath = configFolder + "/mixer.cfg";
  std::unique_ptr<platform::ScriptedSystem> system;
  Frame* frame = nullptr;

  void SetUp() override {
    fs::create_directories(configFolder);
    fs::create_directories(home);
    system = std::make_unique<platform::ScriptedSystem>(root / "bin", configFolder, home);
  }

  StartupOptions Options() {
    return {"", [this] {
              auto made = std::make_unique<Frame>();
              frame = made.get();
              return made;
            }};
  }

  void WriteConfig(const MixerConfig& config) {
    auto bytes = config.Encode();
    WriteFileBytes(configPath, std::string(bytes.begin(), bytes.end()));
  }

  MixerConfig SavedConfig() {
    std::string bytes = ReadFileBytes(configPath);
    EXPECT_EQ(bytes.size(), MixerConfig::kSize);
    return MixerConfig::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  bool Shown(const std::string& textStart) {
    for (const auto& box : system->messages.shown) {
      if (box.text.rfind(textStart, 0) == 0 || box.text.find("Error Message: " + textStart) != std::string::npos)
        return true;
    }
    return false;
  }

  void AcceptFirstRunPages() {
    system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
    system->dialogs.OnShow("intro2_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  }
};

TEST_F(StartupTest, FirstStartRunsBothPagesWritesTheRecordAndMakesTheSessionFolder) {
  std::string defaultFolder = home + "/sonavel_audio";
  system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  system->dialogs.OnShow("intro2_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    EXPECT_EQ(page.Control(IDC_AUDIO_PATH)->GetText(), defaultFolder);
    EXPECT_EQ(page.Control(IDC_AUDIO_DEVICE)->GetCount(), 1);
    EXPECT_EQ(page.Control(IDC_AUDIO_DEVICE)->GetCurSel(), 0);
    EXPECT_TRUE(page.Control(IDC_METRO_OFF)->IsChecked());
    logic.OnOK();
  });
  std::string session;
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_FALSE(frame->restored);  // no configuration yet: the first-start size
    EXPECT_EQ(frame->title, "Untitled");
    EXPECT_EQ(system->dialogs.shown, (std::vector<std::string>{"intro_dialog", "intro2_dialog"}));
    auto expected = MixerConfig::FirstRunDefaults(defaultFolder, 0, false).Encode();
    EXPECT_EQ(ReadFileBytes(configPath), std::string(expected.begin(), expected.end()));
    session = app.m_szTempFolder;
    EXPECT_EQ(session, defaultFolder + "/temp/" + app.m_strSessionStamp);
    EXPECT_TRUE(fs::is_directory(session));
    EXPECT_EQ(app.m_szRecordedAudioPath, session + "/recorded_audio.pcm");
    app.m_config.timeDisplayType = 2;  // a setting changed while running reaches the file at exit
  }
  // The temp folder goes with the session, as no other session has a folder in it.
  EXPECT_FALSE(fs::exists(defaultFolder + "/temp"));
  EXPECT_TRUE(fs::is_directory(defaultFolder));
  EXPECT_EQ(SavedConfig().timeDisplayType, 2);
  // The first start then builds the intro project, whose files this test does not ship.
  ASSERT_EQ(system->messages.shown.size(), 1u);
  EXPECT_NE(system->messages.shown[0].text.find("Failed to find the intro project file"), std::string::npos);
}

TEST_F(StartupTest, EmptyFileIsAFirstStartAndAnExistingOneRestoresThePlacement) {
  WriteFileBytes(configPath, "");
  AcceptFirstRunPages();
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(system->dialogs.shown.size(), 2u);
  }
  system->dialogs.shown.clear();
  CMixerApp app;
  ASSERT_TRUE(app.InitInstance(Options()));
  EXPECT_TRUE(frame->restored);
  EXPECT_TRUE(system->dialogs.shown.empty());
}

TEST_F(StartupTest, ADamagedFileIsKeptAsideAndTheFirstRunPagesAskAgain) {
  auto good = MixerConfig::FirstRunDefaults(root / "elsewhere", 0, true).Encode();
  std::string wrongMagic(good.begin(), good.end());
  wrongMagic[0] = 'X';
  // A record cut short (here inside the folder text, which would name "/"), and one
  // of the right size that no write of this program made.
  for (const std::string& damaged : {std::string("SNVX30\0/", 8), std::string(good.begin(), good.begin() + 100),
                                     wrongMagic}) {
    SCOPED_TRACE(damaged.size());
    WriteFileBytes(configPath, damaged);
    system->messages.shown.clear();
    system->dialogs.shown.clear();
    AcceptFirstRunPages();
    {
      CMixerApp app;
      ASSERT_TRUE(app.InitInstance(Options()));
      EXPECT_TRUE(damaged.size() < MixerConfig::kSize
                      ? Shown("The entire config file was not read in.  Config file: (" + configPath +
                              ").  Amount read in: " + std::to_string(damaged.size()) +
                              "\r\n\r\nError Location: CMixerApp::LoadOrCreateConfigFile")
                      : Shown("The config file (" + configPath + ") is not a Sonavel Trackwright configuration file."));
      EXPECT_TRUE(Shown("The damaged configuration file was kept as " + configPath + ".bad."));
      EXPECT_EQ(system->dialogs.shown, (std::vector<std::string>{"intro_dialog", "intro2_dialog"}));
      EXPECT_EQ(app.m_szAudioFolder, home + "/sonavel_audio");
    }
    EXPECT_EQ(ReadFileBytes(configPath + ".bad"), damaged);
    EXPECT_EQ(SavedConfig().audioFolder, home + "/sonavel_audio");
  }
}

TEST_F(StartupTest, UnwritableAudioPathIsAskedForUntilAWritableOneIsChosen) {
  fs::create_directories(root / "chosen");
  WriteConfig(MixerConfig::FirstRunDefaults("/nonexistent/audio", 0, false));
  system->folderBrowser.Answer(root / "missing");  // not writable: asked again
  system->folderBrowser.Answer(root / "chosen");
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(app.m_szAudioFolder, root / "chosen");
    EXPECT_EQ(SavedConfig().audioFolder, root / "chosen");  // at once, not only at exit
  }
  ASSERT_GE(system->messages.shown.size(), 2u);
  EXPECT_EQ(system->messages.shown[0].text,
            "Error: Audio Path /nonexistent/audio is invalid.  Please choose a new audio directory.");
  EXPECT_EQ(system->messages.shown[0].icon, platform::MessageIcon::Error);
  EXPECT_EQ(system->messages.shown[1].text,
            "The choosen directory is not writeable.  Please choose a directory that can be written to.");
  EXPECT_EQ(system->folderBrowser.titles.front(), "Please Select an Audio Path:");
  EXPECT_EQ(SavedConfig().audioFolder, root / "chosen");
}

TEST_F(StartupTest, CancelInTheFolderPickerOffersToQuit) {
  fs::create_directories(root / "chosen");
  WriteConfig(MixerConfig::FirstRunDefaults("/nonexistent/audio", 0, false));
  // Cancel, then No to quitting: asked again, and a folder chosen then is used.
  system->folderBrowser.Answer(std::nullopt);
  system->messages.Answer(platform::MessageResult::Ok);  // the invalid-folder error
  system->messages.Answer(platform::MessageResult::No);
  system->folderBrowser.Answer(root / "chosen");
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(app.m_szAudioFolder, root / "chosen");
  }
  ASSERT_EQ(system->messages.shown.size(), 3u);
  EXPECT_EQ(system->messages.shown[1].text,
            "Sonavel Trackwright needs an audio folder it can write to.\n\nQuit Sonavel Trackwright?");
  EXPECT_EQ(system->messages.shown[1].buttons, platform::MessageButtons::YesNo);
  EXPECT_EQ(system->messages.shown[2].text.rfind("Error: Audio Path /nonexistent/audio is invalid.", 0), 0u);

  // Cancel, then Yes: start-up ends without an error report and without a session.
  WriteConfig(MixerConfig::FirstRunDefaults("/nonexistent/audio", 0, false));
  system->messages.shown.clear();
  {
    CMixerApp app;
    EXPECT_FALSE(app.InitInstance(Options()));
    EXPECT_TRUE(app.m_szTempFolder.empty());
  }
  ASSERT_EQ(system->messages.shown.size(), 2u);
  EXPECT_NE(system->messages.shown[1].text.find("Quit Sonavel Trackwright?"), std::string::npos);
  EXPECT_EQ(SavedConfig().audioFolder, "/nonexistent/audio");

  // The same in the session's own folder check, after a first-run page that was closed.
  system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  fs::remove(configPath);
  system->messages.shown.clear();
  CMixerApp app;
  EXPECT_FALSE(app.InitInstance(Options()));
  ASSERT_EQ(system->messages.shown.size(), 2u);
  EXPECT_EQ(system->messages.shown[0].text, "Error: Audio Folder () is invalid.  Please choose a valid audio folder.");
  EXPECT_NE(system->messages.shown[1].text.find("Quit Sonavel Trackwright?"), std::string::npos);
}

TEST_F(StartupTest, AFolderChosenForTheSessionIsWrittenToTheRecordAtOnce) {
  fs::create_directories(root / "chosen");
  fs::create_directories(root / "audio");
  WriteConfig(MixerConfig::FirstRunDefaults(root / "audio", 0, true));
  CMixerApp app;
  bool firstRun = false;
  ASSERT_EQ(app.LoadOrCreateConfigFile(7, firstRun), 1);
  ASSERT_TRUE(system->messages.shown.empty());
  // The folder goes away before the session is set up in it.
  fs::remove(root / "audio");
  app.m_szAudioFolder = root / "audio";
  system->folderBrowser.Answer(root / "chosen");
  ASSERT_EQ(app.SetupTempArea(), 1);
  EXPECT_EQ(system->messages.shown[0].text,
            "Error: Audio Folder (" + root / "audio" + ") is invalid.  Please choose a valid audio folder.");
  MixerConfig saved = SavedConfig();
  EXPECT_EQ(saved.audioFolder, root / "chosen");
  EXPECT_EQ(saved.metronomeOn, 1);  // the rest of the record as it was
}

TEST_F(StartupTest, SettingsPageKeepsAFolderThatCannotBeMadeOffTheRecord) {
  WriteFileBytes(root / "a-file", "not a folder");
  system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  system->dialogs.OnShow("intro2_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    page.Control(IDC_AUDIO_PATH)->SetText(root / "a-file/audio");
    logic.OnOK();
    EXPECT_TRUE(logic.HasWindow());  // still open, nothing written
    EXPECT_FALSE(fs::exists(configPath));
    page.Control(IDC_AUDIO_PATH)->SetText(root / "audio");
    logic.OnOK();
  });
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(app.m_szAudioFolder, root / "audio");
  }
  ASSERT_FALSE(system->messages.shown.empty());
  EXPECT_EQ(system->messages.shown[0].text, "Cannot use " + root / "a-file/audio" +
                                                " as the audio folder: it is not a folder, or it cannot be written "
                                                "to.  Please choose another folder.");
  EXPECT_EQ(SavedConfig().audioFolder, root / "audio");
}

TEST_F(StartupTest, FolderWithoutTerminatorIsReplacedNotOverrun) {
  fs::create_directories(root / "chosen");
  auto bytes = MixerConfig::FirstRunDefaults("", 0, false).Encode();
  std::fill(bytes.begin() + 7, bytes.begin() + 268, 'a');
  WriteFileBytes(configPath, std::string(bytes.begin(), bytes.end()));
  system->folderBrowser.Answer(root / "chosen");
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
  }
  EXPECT_EQ(system->messages.shown[0].text.rfind("Error: Audio Path aaaa", 0), 0u);
  MixerConfig saved = SavedConfig();
  EXPECT_EQ(saved.audioFolder, root / "chosen");
  EXPECT_EQ(saved.metronomeTempo, 100);  // the fields after the folder are untouched
}

TEST_F(StartupTest, InputDeviceBeyondTheListBecomesZeroTheRecorderOpensAndNoDevicesIsReported) {
  fs::create_directories(root / "audio");
  MixerConfig config = MixerConfig::FirstRunDefaults(root / "audio", 3, false);
  WriteConfig(config);
  system->waveDevices.inputs = {"Mic 1", "Mic 2"};
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(app.m_nCurrentInputDevice, 0);
    EXPECT_EQ(app.m_nCurrentOutputDevice, 3);
    // The recording engine is open from start-up, and again on another device.
    EXPECT_TRUE(app.m_recorder.IsOpen());
    app.ReopenRecordingEngine(1);
    EXPECT_TRUE(app.m_recorder.IsOpen());
    EXPECT_EQ(app.m_config.waveInDevice, 1);
  }
  EXPECT_EQ(SavedConfig().waveInDevice, 1);
  EXPECT_TRUE(system->messages.shown.empty());

  system->waveDevices.inputs.clear();
  CMixerApp app;
  EXPECT_TRUE(app.InitInstance(Options()));
  EXPECT_TRUE(Shown("Failed to detect any input devices."));
  EXPECT_FALSE(app.m_recorder.IsOpen());
}

TEST_F(StartupTest, ClosingTheSettingsPageWithoutOkSavesNothing) {
  fs::create_directories(root / "picked");
  system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  system->folderBrowser.Answer(root / "picked");
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_EQ(system->messages.shown[0].text,
              "Error: Audio Folder () is invalid.  Please choose a valid audio folder.");
    EXPECT_EQ(app.m_szAudioFolder, root / "picked");
  }
  EXPECT_FALSE(fs::exists(configPath));  // the first-run pages come again next time
}

TEST_F(StartupTest, SettingsPageRefusesAnOverlongPathAndKeepsMissingControlsHarmless) {
  std::string longPath = root.Path();
  for (int i = 0; i < 6; ++i) longPath += "/" + std::string(50, 'p');
  system->dialogs.OnShow("intro_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  system->dialogs.OnShow("intro2_dialog", [&](DialogLogic& logic, MemoryDialogSurface& page) {
    page.Control(IDC_AUDIO_PATH)->SetText(longPath);
    logic.OnOK();
    EXPECT_TRUE(logic.HasWindow());  // still open
    page.Control(IDC_AUDIO_PATH)->SetText(root / "short");
    page.Control(IDC_METRO_OFF)->SetChecked(false);
    page.Control(IDC_METRO_ON)->SetChecked(true);
    logic.OnOK();
  });
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
  }
  EXPECT_TRUE(Shown("The audio path is too long."));
  EXPECT_FALSE(fs::exists(longPath));
  MixerConfig saved = SavedConfig();
  EXPECT_EQ(saved.audioFolder, root / "short");
  EXPECT_EQ(saved.metronomeOn, 1);
}

TEST_F(StartupTest, SettingsPageWithoutDeviceListReportsAndSavesNothing) {
  system->dialogs.Without("intro2_dialog", IDC_AUDIO_DEVICE);
  CIntro2Dialog page;
  CMixerApp app;
  system->dialogs.OnShow("intro2_dialog", [](DialogLogic& logic, MemoryDialogSurface&) { logic.OnOK(); });
  EXPECT_EQ(page.DoModal(), platform::IDCANCEL);
  EXPECT_TRUE(
      Shown("Failed to get combo box for IDC_AUDIO_DEVICE.\r\n\r\nError Location: CIntro2Dialog::OnInitDialog"));
  EXPECT_TRUE(
      Shown("Failed to get combo box for IDC_AUDIO_DEVICE.\r\n\r\nError Location: CIntro2Dialog::ApplySettings"));
  EXPECT_FALSE(fs::exists(configPath));
}

TEST_F(StartupTest, ConsoleFirstStartUsesDefaultsForThisRunOnly) {
  system->SetInteractive(false);
  {
    CMixerApp app;
    ASSERT_TRUE(app.InitInstance(Options()));
    EXPECT_TRUE(system->dialogs.shown.empty());
    EXPECT_EQ(app.m_config.audioFolder, home + "/sonavel_audio");
    EXPECT_EQ(app.m_config.metronomeTempo, 100);
  }
  EXPECT_TRUE(Shown("No configuration file " + configPath));
  EXPECT_FALSE(fs::exists(configPath));
}

TEST_F(StartupTest, ConsoleGivesUpOnAnUnwritableFolderInsteadOfAskingForever) {
  system->SetInteractive(false);
  WriteConfig(MixerConfig::FirstRunDefaults("/nonexistent/audio", 0, false));
  CMixerApp app;
  EXPECT_FALSE(app.InitInstance(Options()));
  EXPECT_TRUE(Shown("No writable audio folder was chosen"));
}

TEST_F(StartupTest, SessionsOfTheSameSecondGetFoldersOfTheirOwn) {
  fs::create_directories(root / "audio");
  WriteConfig(MixerConfig::FirstRunDefaults(root / "audio", 0, false));
  CMixerApp app;
  std::string taken = root / ("audio/temp/" + app.m_strSessionStamp);
  fs::create_directories(taken);
  WriteFileBytes(taken + "/track0.pcm", "other session's audio");
  ASSERT_TRUE(app.InitInstance(Options()));
  EXPECT_EQ(app.m_szTempFolder, taken + "_1");
  EXPECT_EQ(ReadFileBytes(taken + "/track0.pcm"), "other session's audio");
}

TEST_F(StartupTest, NoMainWindowEndsStartUp) {
  CMixerApp app;
  EXPECT_FALSE(app.InitInstance({"", [] { return std::unique_ptr<CMainFrame>(); }}));
  EXPECT_TRUE(Shown("MainWnd pointer is NULL.\r\n\r\nError Location: CMixerApp::InitInstance"));
}

}  // namespace
