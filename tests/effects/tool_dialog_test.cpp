// The tool dialogs' logic on an in-memory surface: the range choice, the locked pairs,
// the delay boxes, and the preset list with its file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_tools.h"
#include "platform/memory_dialog_surface.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace effects;

struct FakeHost : ToolHost {
  std::optional<TrackRange> track = TrackRange{0, 0, -1, -1, 176400};
  std::string folder;
  std::vector<std::string> messages;
  std::optional<TrackRange> CurrentTrack() const override { return track; }
  std::string PresetFolder() const override { return folder; }
  void ShowInformation(const std::string& text) override { messages.push_back(text); }
  void ReportError(const std::string& location, const std::string& message) override {
    messages.push_back(location + ": " + message);
  }
};

// A tool's dialog open on a memory surface, as the dialog host would show it.
class OpenTool {
 public:
  explicit OpenTool(COverToolsDialog& tool) : m_tool(tool) {
    m_tool.Attach(&surface, [this](int code) { result = code; });
    m_tool.OnInitDialog();
  }
  ~OpenTool() { m_tool.Detach(); }
  platform::MemoryControl& operator[](const char* id) { return *surface.Control(id); }
  // The user moves a slider.
  void Move(const char* id, int position) {
    surface.Control(id)->SetPos(position);
    m_tool.OnHScroll(id);
  }
  void Type(const char* id, const std::string& text) {
    surface.Control(id)->SetText(text);
    m_tool.OnKillFocus(id);
  }
  std::vector<std::string> PresetNames() {
    std::vector<std::string> names;
    auto* list = surface.Control(IDC_PRESET_LIST);
    for (int i = 0; i < list->GetCount(); ++i) names.push_back(list->GetItemText(i));
    return names;
  }

  platform::MemoryDialogSurface surface;
  int result = 0;

 private:
  COverToolsDialog& m_tool;
};

class ToolDialogTest : public ::testing::Test {
 protected:
  ToolDialogTest() { host.folder = folder.Path(); }
  TempFolder folder;
  FakeHost host;
  EffectTools tools{host};
};

TEST_F(ToolDialogTest, RangeChoiceFallsBackToTheWholeTrackUntilOk) {
  {
    OpenTool open(tools.m_volume);
    EXPECT_FALSE(open[IDC_HIGHLIGHTED_SECTION].IsEnabled());
    EXPECT_FALSE(open[IDC_BETWEEN_MARKERS].IsEnabled());
    EXPECT_TRUE(open[IDC_ENTIRE_FILE].IsChecked());
    EXPECT_EQ(tools.m_volume.m_nApplyTo, kApplyHighlight);  // kept until OK
    EXPECT_EQ(open.surface.Caption(), "Adjust Volume");
  }
  host.track = TrackRange{400, 800, 1000, 2000, 176400};
  tools.m_volume.m_nApplyTo = kApplyMarkers;
  OpenTool open(tools.m_volume);
  EXPECT_TRUE(open[IDC_BETWEEN_MARKERS].IsChecked());
  uint32_t start = 0, end = 0;
  ASSERT_TRUE(tools.m_volume.GetOperationPositions(&start, &end));
  EXPECT_EQ(start, 1000u);
  EXPECT_EQ(end, 2000u);
  open[IDC_BETWEEN_MARKERS].SetChecked(false);
  open[IDC_HIGHLIGHTED_SECTION].SetChecked(true);
  tools.m_volume.OnOK();
  EXPECT_EQ(open.result, platform::IDOK);
  ASSERT_TRUE(tools.m_volume.GetOperationPositions(&start, &end));
  EXPECT_EQ(start, 400u);
  EXPECT_EQ(end, 800u);
}

TEST_F(ToolDialogTest, LockedPairsMoveTogetherAndShowPercent) {
  OpenTool open(tools.m_echo);
  EXPECT_EQ(open["IDC_TEXT_VOLUME_LEFT1"].GetText(), "100%");
  open.Move(IDC_SLIDER_VOLUME_LEFT1, 40);
  EXPECT_EQ(open[IDC_SLIDER_VOLUME_RIGHT1].GetPos(), 40);
  EXPECT_EQ(open["IDC_TEXT_VOLUME_LEFT1"].GetText(), "40%");
  EXPECT_EQ(open["IDC_TEXT_VOLUME_RIGHT1"].GetText(), "40%");

  open[IDC_LOCK_CHANNELS].SetChecked(false);
  open.Move(IDC_SLIDER_VOLUME_LEFT2, 10);
  EXPECT_EQ(open[IDC_SLIDER_VOLUME_RIGHT2].GetPos(), 50);
  tools.m_echo.OnOK();
  EXPECT_EQ(tools.m_echo.m_nLevel1Right, 40);
  EXPECT_EQ(tools.m_echo.m_nLevel2Left, 10);
  EXPECT_EQ(tools.m_echo.m_nLevel2Right, 50);
  EXPECT_FALSE(tools.m_echo.m_bLockChannels);
}

TEST_F(ToolDialogTest, TypedDelaysAreClampedToTheMaximum) {
  OpenTool open(tools.m_echo);
  open.Type(IDC_DELAY_LEFT1, "5000");
  EXPECT_EQ(open[IDC_DELAY_LEFT1].GetText(), "2500");
  EXPECT_EQ(open[IDC_SLIDER_DELAY_RIGHT1].GetPos(), 2500);  // locked
  open.Type(IDC_DELAY_RIGHT1, "-1");
  EXPECT_EQ(open[IDC_DELAY_RIGHT1].GetText(), "2500");
  open.Type(IDC_DELAY_RIGHT1, "120");
  tools.m_echo.OnOK();
  EXPECT_EQ(tools.m_echo.m_nDelayLeft, 120u);
  EXPECT_EQ(tools.m_echo.m_nDelayRight, 120u);
}

TEST_F(ToolDialogTest, ToolsShowOnlyTheirControls) {
  OpenTool open(tools.m_copyChannel);
  EXPECT_FALSE(open["GROUP_LEVEL1"].IsVisible());
  EXPECT_FALSE(open["GROUP_PRESETS"].IsVisible());
  EXPECT_TRUE(open["GROUP_DIRECTION"].IsVisible());
  EXPECT_TRUE(open[IDC_RADIO_LEFT_TO_RIGHT1].IsChecked());
  OpenTool voices(tools.m_multiVoice);
  EXPECT_TRUE(voices["GROUP_VOICES"].IsVisible());
  EXPECT_EQ(voices["IDC_TEXT_VOICES"].GetText(), "3");
  EXPECT_EQ(voices["GROUP_DELAY"].GetText(), "Delay in Milliseconds Between Voices");
}

TEST_F(ToolDialogTest, PresetsAreSharedByEchoAndReverbAndAppliedByDoubleClick) {
  {
    OpenTool open(tools.m_reverb);
    EXPECT_EQ(open.PresetNames(),
              (std::vector<std::string>{"Large Cathedral", "Small Room", "The Abyss", "Robotic"}));
    tools.m_reverb.OnAddPreset();
    EXPECT_EQ(host.messages.back(), "You must enter a preset name.");
    open.Move(IDC_SLIDER_VOLUME_LEFT1, 33);
    open[IDC_PRESET_NAME].SetText("Mine");
    tools.m_reverb.OnAddPreset();
    EXPECT_EQ(open[IDC_PRESET_NAME].GetText(), "");
    EXPECT_TRUE(tools.m_reverb.m_bPresetsChanged);
  }
  EXPECT_EQ(ReadFileBytes(folder / "echo.prt").size(), EffectPreset::kSize);

  OpenTool open(tools.m_echo);
  ASSERT_EQ(open.PresetNames().size(), 5u);
  EXPECT_EQ(open.PresetNames()[0], "Canyon Echo");
  EXPECT_EQ(open.PresetNames()[4], "Mine");
  open[IDC_PRESET_LIST].SetCurSel(4);
  tools.m_echo.OnDoubleClick(IDC_PRESET_LIST);
  EXPECT_EQ(tools.m_echo.m_nLevel1Left, 33);
  EXPECT_EQ(open[IDC_SLIDER_VOLUME_RIGHT1].GetPos(), 33);
  EXPECT_EQ(tools.m_echo.m_nDelayLeft, 83u);  // the reverb's delay at the time

  open[IDC_PRESET_LIST].SetCurSel(0);
  tools.m_echo.OnRemovePreset();
  EXPECT_EQ(host.messages.back(), "Sorry, this is a default preset.  Cannot delete.");
  open[IDC_PRESET_LIST].SetCurSel(4);
  tools.m_echo.OnRemovePreset();
  EXPECT_EQ(open.PresetNames().size(), 4u);
  EXPECT_EQ(ReadFileBytes(folder / "echo.prt").size(), 0u);
}

TEST_F(ToolDialogTest, PresetTableHoldsSixtyUserPresets) {
  std::string bytes;
  EffectPreset preset;
  for (int n = 0; n < 60; ++n) {
    preset.SetName("p" + std::to_string(n));
    uint8_t record[EffectPreset::kSize];
    preset.Encode(record);
    bytes.append(reinterpret_cast<const char*>(record), sizeof record);
  }
  bytes.append(30, 'x');  // a cut-off 61st record
  WriteFileBytes(folder / "multi_voice.prt", bytes);
  OpenTool open(tools.m_multiVoice);
  EXPECT_EQ(open.PresetNames().size(), 64u);
  open[IDC_PRESET_NAME].SetText("one more");
  tools.m_multiVoice.OnAddPreset();
  EXPECT_EQ(host.messages.back(), "Sorry, you've enetered the maximum number of presets.");
}

TEST_F(ToolDialogTest, ShortPresetFileGivesOnePartlyFilledPreset) {
  WriteFileBytes(folder / "echo.prt", std::string("Half\0", 5) + std::string("\x07\x00\x00", 3));
  OpenTool open(tools.m_echo);
  ASSERT_EQ(open.PresetNames().size(), 5u);
  EXPECT_EQ(open.PresetNames()[4], "Half");
  EXPECT_EQ(tools.m_echo.Presets().Entries()[4].lock, 0);
}

TEST_F(ToolDialogTest, PresetValuesOutsideTheControlsAreKeptInside) {
  EffectPreset wild;
  wild.SetName("Wild");
  wild.level1Left = 5000;
  wild.level2Right = -3;
  wild.delayLeft = -7;
  wild.delayRight = 90000;
  wild.voices = 99;
  uint8_t record[EffectPreset::kSize];
  wild.Encode(record);
  WriteFileBytes(folder / "multi_voice.prt", std::string(reinterpret_cast<const char*>(record), sizeof record));
  OpenTool open(tools.m_multiVoice);
  open[IDC_PRESET_LIST].SetCurSel(4);
  tools.m_multiVoice.OnDoubleClick(IDC_PRESET_LIST);
  EXPECT_EQ(tools.m_multiVoice.m_nLevel1Left, 100);
  EXPECT_EQ(tools.m_multiVoice.m_nLevel2Right, 0);
  EXPECT_EQ(tools.m_multiVoice.m_nDelayLeft, 0u);
  EXPECT_EQ(tools.m_multiVoice.m_nDelayRight, 1000u);
  EXPECT_EQ(tools.m_multiVoice.m_nVoices, 10);
}

TEST_F(ToolDialogTest, PresetFileThatCannotBeWrittenSaysSo) {
  host.folder = folder / "missing";
  OpenTool open(tools.m_echo);
  open[IDC_PRESET_NAME].SetText("Lost");
  tools.m_echo.OnAddPreset();
  EXPECT_EQ(host.messages.back().rfind("Failed to open Preset File for write: " + folder / "missing/echo.prt", 0), 0u);
}

TEST(EffectPreset, FieldsAreLittleEndianAtTheirOffsets) {
  EffectPreset preset;
  preset.SetName(std::string(200, 'n'));
  preset.lock = 1;
  preset.level1Left = 0x01020304;
  preset.voices = -2;
  uint8_t bytes[EffectPreset::kSize];
  preset.Encode(bytes);
  EXPECT_EQ(bytes[126], 'n');
  EXPECT_EQ(bytes[127], 0);
  EXPECT_EQ(bytes[128], 1);
  EXPECT_EQ(bytes[132], 4);
  EXPECT_EQ(bytes[135], 1);
  EXPECT_EQ(bytes[156], 0xfe);
  EXPECT_EQ(bytes[159], 0xff);
  const EffectPreset back = EffectPreset::Decode(bytes, sizeof bytes);
  EXPECT_EQ(back.Name(), std::string(127, 'n'));
  EXPECT_EQ(back.level1Left, 0x01020304);
  EXPECT_EQ(back.voices, -2);
}

}  // namespace
