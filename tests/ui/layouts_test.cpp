#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "app/intro_dialogs.h"
#include "core/message_dialog.h"
#include "app/mixer_app.h"
#include "core/progress_dialog.h"
#include "document/export_dialogs.h"
#include "document/import_old_dialog.h"
#include "document/import_or_new_dialog.h"
#include "document/marker_times_dialog.h"
#include "document/mixer_doc.h"
#include "document/mixing_board.h"
#include "document/project_settings_dialog.h"
#include "document/silence_dialog.h"
#include "engine/audio_failure_dialog.h"
#include "engine/metronome_dialog.h"
#include "engine/monitor_input_dialog.h"
#include "platform/memory_dialog_surface.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/platform_qt/dialog_host_qt.h"

namespace {

using IdSet = std::set<std::string>;

// Layouts the tests bring for themselves.
const std::set<QString> kTestLayouts = {QStringLiteral("test_probe")};

// Every control id each dialog's logic asks its surface for while it runs through
// all of its handlers on the scripted host, with the ids of the buttons it handles.
std::map<std::string, IdSet> ControlsTheLogicNeeds() {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  CMixerApp app;
  std::map<std::string, IdSet> needs;

  CIntroDialog intro;
  system.dialogs.OnShow("intro_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnOK();
    needs["intro_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(intro.DoModal(), platform::IDOK);
  needs["intro_dialog"].insert("IDOK");

  CIntro2Dialog settings;
  system.folderBrowser.Answer(folder / "audio");
  system.dialogs.OnShow("intro2_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnCommand(IDC_BROWSE);
    logic.OnOK();
    needs["intro2_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(settings.DoModal(), platform::IDOK);
  needs["intro2_dialog"].insert(IDC_BROWSE);
  needs["intro2_dialog"].insert("IDOK");

  COperationDialog& progress = app.m_operationDialog;
  progress.BeginOperation();
  EXPECT_NE(system.dialogs.modeless, nullptr);
  progress.SetMessage("Copying", 1);
  progress.SetProgressRange(100);
  progress.UpdateProgress(10);
  system.clock.Advance(1000);
  progress.UpdateProgress(60);
  progress.DisableCancel();
  if (system.dialogs.modeless) needs["operation_dialog"] = system.dialogs.modeless->RequestedIds();
  progress.EndOperation();
  needs["operation_dialog"].insert(IDC_OP_CANCEL);

  // The edit dialogs work on the document's current track.
  CMixerDoc doc(app, app);
  app.AttachDocument(&doc);
  doc.m_mirror.m_nLength = 176400;
  doc.m_mirror.m_nMarkerBegin = 4000;
  CSilenceInputDialog& silence = app.m_silenceDialog;
  system.dialogs.OnShow("silence_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnKillFocus(IDC_SILENCE_LENGTH);
    logic.OnSelChange(IDC_SILENCE_TIME_TYPE);
    logic.OnOK();
    needs["silence_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(silence.DoModal(), platform::IDOK);
  needs["silence_dialog"].insert({"IDOK", "IDCANCEL"});

  CMarkerTimesDialog& markers = app.m_markerTimesDialog;
  system.dialogs.OnShow("marker_times_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          logic.OnKillFocus(IDC_BEGIN_MARKER);
                          logic.OnKillFocus(IDC_END_MARKER);
                          logic.OnSelChange(IDC_TIME_TYPE);
                          logic.OnOK();
                          needs["marker_times_dialog"] = surface.RequestedIds();
                        });
  EXPECT_EQ(markers.DoModal(), platform::IDOK);
  needs["marker_times_dialog"].insert({"IDOK", "IDCANCEL"});

  CImportOldDialog old;
  system.dialogs.OnShow("import_old_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnCommand(IDC_OLD_BROWSE);
    logic.OnOK();
    needs["import_old_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(old.DoModal(), platform::IDOK);
  needs["import_old_dialog"].insert({IDC_OLD_BROWSE, "IDOK", "IDCANCEL"});

  CWaveDialog wave;
  wave.sampleRate = 30000;  // the user-specified rate field is read
  system.dialogs.OnShow("wave_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnOK();
    needs["wave_dialog"] = surface.RequestedIds();
  });
  wave.DoModal();
  needs["wave_dialog"].insert({IDC_PCM_USER_RATE, "IDOK", "IDCANCEL"});

  CMP3Dialog mp3;
  system.dialogs.OnShow("mp3_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnOK();
    needs["mp3_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(mp3.DoModal(), platform::IDOK);
  needs["mp3_dialog"].insert({"IDOK", "IDCANCEL"});

  CTrackMixdownDialog mixdown;
  system.dialogs.OnShow("track_mixdown_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          for (int track = 0; track < 8; ++track) {
                            surface.Control(CTrackMixdownDialog::SourceId(track))->SetChecked(track == 0);
                          }
                          logic.OnOK();
                          needs["track_mixdown_dialog"] = surface.RequestedIds();
                        });
  mixdown.DoModal();
  for (int track = 0; track < 8; ++track) needs["track_mixdown_dialog"].insert(CTrackMixdownDialog::TargetId(track));
  needs["track_mixdown_dialog"].insert({"IDOK", "IDCANCEL"});

  CAudioIOFailureDialog failure(CAudioIOFailureDialog::Kind::Playback, "Consecutive Delays");
  system.dialogs.OnShow("audio_failure_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          logic.OnCommand(IDC_FAILURE_LINK);
                          logic.OnOK();
                          needs["audio_failure_dialog"] = surface.RequestedIds();
                        });
  EXPECT_EQ(failure.DoModal(), platform::IDOK);
  needs["audio_failure_dialog"].insert({IDC_FAILURE_LINK, "IDOK"});

  // The board's strips live inside the main window: their logic runs attached to a
  // surface of its own.
  platform::MemoryDialogSurface tracksSurface;
  app.m_boardTracks.Attach(&tracksSurface, {});
  app.m_boardTracks.OnInitDialog();
  for (const TrackStripIds& ids : kTrackStripIds) {
    for (int button : {ids.lock, ids.view, ids.arm, ids.solo, ids.mute})
      app.m_boardTracks.OnCommand(BoardControl(button));
    for (int slider : {ids.left, ids.right}) app.m_boardTracks.OnHScroll(BoardControl(slider));
    app.m_boardTracks.OnKillFocus(BoardControl(ids.name));
  }
  needs["board_tracks"] = tracksSurface.RequestedIds();
  app.m_boardTracks.Detach();

  platform::MemoryDialogSurface mainSurface;
  app.m_boardMain.Attach(&mainSurface, {});
  app.m_boardMain.OnInitDialog();
  app.m_boardMain.OnCommand(BoardControl(CMixingBoardMainDialog::kLock));
  app.m_boardMain.OnHScroll(BoardControl(CMixingBoardMainDialog::kLeftSlider));
  app.m_boardMain.OnHScroll(BoardControl(CMixingBoardMainDialog::kRightSlider));
  app.m_boardMain.SetMeters(10, 20);
  needs["board_main"] = mainSurface.RequestedIds();
  app.m_boardMain.Detach();

  CProjectSettingsDialog& projectSettings = app.m_projectSettingsDialog;
  system.dialogs.OnShow("project_settings_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          logic.OnOK();
                          needs["project_settings_dialog"] = surface.RequestedIds();
                        });
  EXPECT_EQ(projectSettings.DoModal(), platform::IDOK);
  needs["project_settings_dialog"].insert("IDOK");

  // Each settings page is visited and used once.
  CAppSettingsDialog& appSettings = app.m_appSettingsDialog;
  system.folderBrowser.Answer(folder.Path());
  system.dialogs.OnShow("app_settings_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    platform::MemoryControl* tabs = surface.Control(IDC_SETTINGS_TABS);
    for (int page = 0; page < CAppSettingsDialog::kPages; ++page) tabs->AddString("page");
    for (int page = 1; page < CAppSettingsDialog::kPages; ++page) {
      tabs->SetCurSel(page);
      logic.OnSelChange(IDC_SETTINGS_TABS);
    }
    appSettings.m_audioPath.OnCommand(IDC_SETTINGS_BROWSE);
    appSettings.m_colorSettings.OnCommand(ColorTrackButton(7));
    appSettings.m_colorSettings.OnSelChange(IDC_OUTLINE_COLOR);
    for (const char* page : {"audio_path_page", "color_settings_page", "time_display_page", "audio_io_page"}) {
      if (system.dialogs.pages[page]) needs[page] = system.dialogs.pages[page]->RequestedIds();
    }
    needs["app_settings_dialog"] = surface.RequestedIds();
    logic.OnOK();
  });
  EXPECT_EQ(appSettings.DoModal(), platform::IDOK);
  for (const char* page : CAppSettingsDialog::kPageContainers) needs["app_settings_dialog"].insert(page);
  needs["app_settings_dialog"].insert({"IDOK", "IDCANCEL"});
  needs["audio_path_page"].insert(IDC_SETTINGS_BROWSE);

  CMessageDialog message;
  system.dialogs.OnShow("message_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    needs["message_dialog"] = surface.RequestedIds();
    logic.OnOK();
  });
  EXPECT_EQ(message.DoModal(), platform::IDOK);
  needs["message_dialog"].insert({"IDOK", "IDC_PROGRAM_PICTURE"});

  // Every tool shares one layout; each is opened with a highlight and markers and goes
  // through its handlers.
  TrackPositions& pos = doc.m_mirror;
  pos.m_nLength = 176400;
  pos.m_nHighlightEnd = 4000;
  pos.m_nMarkerBegin = 0;
  pos.m_nMarkerEnd = 8000;
  for (const auto& entry : app.m_effectTools.Entries()) {
    system.dialogs.OnShow("tools_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
      for (const char* id : {effects::IDC_SLIDER_VOLUME_LEFT1, effects::IDC_SLIDER_VOLUME_RIGHT2,
                             effects::IDC_SLIDER_DELAY_LEFT1, effects::IDC_SLIDER_VOICES}) {
        logic.OnHScroll(id);
      }
      logic.OnKillFocus(effects::IDC_DELAY_RIGHT1);
      logic.OnDoubleClick(effects::IDC_PRESET_LIST);
      logic.OnCommand(effects::IDC_REMOVE_PRESET);
      logic.OnOK();
      needs["tools_dialog"].merge(IdSet(surface.RequestedIds()));
    });
    EXPECT_EQ(entry.tool->DoModal(), platform::IDOK);
  }
  needs["tools_dialog"].insert({effects::IDC_ADD_PRESET, effects::IDC_REMOVE_PRESET, "IDOK", "IDCANCEL"});

  CMetronomeDialog& metronome = app.m_metronomeDialog;
  system.dialogs.OnShow("metronome_dialog", [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
    logic.OnHScroll(IDC_METRO_BPM_SLIDER);
    logic.OnHScroll(IDC_METRO_LEVEL_SLIDER);
    logic.OnOK();
    needs["metronome_dialog"] = surface.RequestedIds();
  });
  EXPECT_EQ(metronome.DoModal(), platform::IDOK);
  needs["metronome_dialog"].insert({IDC_METRO_OFF, IDC_METRO_STICK, "IDOK", "IDCANCEL"});

  EXPECT_EQ(app.m_recorder.SetupRecorder(0), 1);
  system.dialogs.OnShow("monitor_input_dialog",
                        [&](platform::DialogLogic& logic, platform::MemoryDialogSurface& surface) {
                          app.m_monitorInputDialog.OnTimer(CMonitorInputDialog::kTimer);
                          logic.OnCancel();
                          needs["monitor_input_dialog"] = surface.RequestedIds();
                        });
  EXPECT_EQ(app.m_monitorInputDialog.DoModal(), platform::IDCANCEL);
  needs["monitor_input_dialog"].insert("IDCANCEL");

  // The question's buttons are its only controls.
  needs["import_or_new_dialog"] = {IDC_IMPORT, IDC_NEW, "IDCANCEL"};
  app.AttachDocument(nullptr);
  return needs;
}

TEST(DialogLayouts, EveryLayoutLoadsAndHasEachControlItsLogicUses) {
  const std::map<std::string, IdSet> needs = ControlsTheLogicNeeds();
  QStringList layouts = ui::DialogLayoutNames();
  std::set<std::string> checked;
  for (const QString& name : layouts) {
    if (kTestLayouts.count(name)) continue;
    SCOPED_TRACE(name.toStdString());
    auto found = needs.find(name.toStdString());
    ASSERT_NE(found, needs.end()) << "a layout without a logic class checked here";
    std::unique_ptr<QDialog> dialog = ui::LoadDialogLayout(name.toStdString());
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    for (const std::string& id : found->second) {
      EXPECT_NE(dialog->findChild<QWidget*>(QString::fromStdString(id)), nullptr) << "missing control " << id;
    }
    checked.insert(found->first);
  }
  for (const auto& [layout, ids] : needs) EXPECT_TRUE(checked.count(layout)) << "no layout file for " << layout;
}

TEST(DialogLayouts, FirstRunPagesCarryTheirTitles) {
  auto intro = ui::LoadDialogLayout("intro_dialog");
  auto settings = ui::LoadDialogLayout("intro2_dialog");
  ASSERT_TRUE(intro && settings);
  EXPECT_EQ(intro->windowTitle(), QStringLiteral("Initialization Page 1 of 2"));
  EXPECT_EQ(settings->windowTitle(), QStringLiteral("Initialization Page 2 of 2"));
  // The metronome's two buttons form one group: checking one clears the other.
  auto* on = settings->findChild<QRadioButton*>(QString::fromLatin1(IDC_METRO_ON));
  auto* off = settings->findChild<QRadioButton*>(QString::fromLatin1(IDC_METRO_OFF));
  ASSERT_TRUE(on && off);
  on->click();
  off->click();
  EXPECT_FALSE(on->isChecked());
}

// The first-run settings page on its real layout: what it shows, Browse, and OK
// writing the configuration file.
TEST(DialogLayouts, SettingsPageRunsOnItsLayout) {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  ui::QtDialogHost host;
  platform::Os().dialogs = &host;
  CMixerApp app;
  const std::string chosen = folder / "takes";
  const std::string typed = chosen + "/first";
  std::filesystem::create_directories(chosen);
  system.folderBrowser.Answer(chosen);

  CIntro2Dialog page;
  WhenModalOpens([&](QWidget& window) {
    auto* path = window.findChild<QLineEdit*>(QString::fromLatin1(IDC_AUDIO_PATH));
    auto* devices = window.findChild<QComboBox*>(QString::fromLatin1(IDC_AUDIO_DEVICE));
    auto* off = window.findChild<QRadioButton*>(QString::fromLatin1(IDC_METRO_OFF));
    ASSERT_TRUE(path && devices && off);
    EXPECT_EQ(path->text().toStdString(), CIntro2Dialog::DefaultAudioFolder());
    EXPECT_EQ(devices->count(), 1);
    EXPECT_EQ(devices->currentText(), QStringLiteral("Test Output"));
    EXPECT_TRUE(off->isChecked());
    window.findChild<QAbstractButton*>(QString::fromLatin1(IDC_BROWSE))->click();
    EXPECT_EQ(path->text().toStdString(), chosen);
    // A typed folder that does not exist yet is made.
    path->setText(QString::fromStdString(typed));
    window.findChild<QAbstractButton*>(QStringLiteral("IDOK"))->click();
  });
  EXPECT_EQ(page.DoModal(), platform::IDOK);
  EXPECT_EQ(app.m_config.audioFolder, typed);
  EXPECT_TRUE(std::filesystem::is_directory(typed));
  EXPECT_EQ(std::filesystem::file_size(app.ConfigFilePath()), MixerConfig::kSize);
}

// The metronome's dialog on its real layout: its radio groups, a slider that acts at
// once, and OK putting what was chosen into the configuration record.
TEST(DialogLayouts, MetronomeSettingsRunOnTheirLayout) {
  TempFolder folder;
  platform::ScriptedSystem system("/opt/tw", folder.Path(), folder.Path());
  ui::QtDialogHost host;
  platform::Os().dialogs = &host;
  CMixerApp app;
  app.m_config = MixerConfig::FirstRunDefaults(folder.Path(), 0, false);
  app.m_metronomeDialog.ApplySettings();
  WhenModalOpens([&](QWidget& window) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Metronome Settings"));
    auto button = [&](const char* id) { return window.findChild<QAbstractButton*>(QString::fromLatin1(id)); };
    auto* tempo = window.findChild<QSlider*>(QString::fromLatin1(IDC_METRO_BPM_SLIDER));
    auto* tempoText = window.findChild<QLabel*>(QString::fromLatin1(IDC_METRO_BPM_VALUE));
    ASSERT_TRUE(tempo && tempoText && button(IDC_METRO_FOUR) && button(IDC_METRO_BEAT));
    EXPECT_TRUE(button(IDC_METRO_OFF)->isChecked());
    EXPECT_TRUE(button(IDC_METRO_FOUR)->isChecked());
    EXPECT_EQ(tempo->value(), 100);
    EXPECT_EQ(tempoText->text(), QStringLiteral("100"));
    button(IDC_METRO_ON)->click();
    button(IDC_METRO_THREE)->click();
    button(IDC_METRO_BEAT)->click();
    // Each group keeps one choice, and the groups stay apart.
    EXPECT_FALSE(button(IDC_METRO_OFF)->isChecked());
    EXPECT_FALSE(button(IDC_METRO_FOUR)->isChecked());
    EXPECT_FALSE(button(IDC_METRO_STICK)->isChecked());
    EXPECT_TRUE(button(IDC_METRO_ON)->isChecked());
    tempo->setValue(300);  // the slider ends at 260
    EXPECT_EQ(tempoText->text(), QStringLiteral("260"));
    EXPECT_EQ(app.m_metronomeDialog.Settings().tempo, 260);
    button("IDOK")->click();
  });
  EXPECT_EQ(app.m_metronomeDialog.DoModal(), platform::IDOK);
  EXPECT_EQ(app.m_config.metronomeOn, 1);
  EXPECT_EQ(app.m_config.metronomeMeasure, 2);
  EXPECT_EQ(app.m_config.metronomeSound, 0);
  EXPECT_EQ(app.m_config.metronomeTempo, 260);
  EXPECT_EQ(app.m_config.metronomeLevel, 10);
}

}  // namespace
