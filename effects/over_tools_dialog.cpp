#include "effects/over_tools_dialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/side_file.h"

namespace effects {

namespace {

// The groups of the shared layout, hidden for tools that do not use them.
constexpr const char* kGroupLevel1 = "GROUP_LEVEL1";
constexpr const char* kGroupLevel2 = "GROUP_LEVEL2";
constexpr const char* kGroupDelay = "GROUP_DELAY";
constexpr const char* kGroupVoices = "GROUP_VOICES";
constexpr const char* kGroupChannels = "GROUP_CHANNELS";
constexpr const char* kGroupDirection = "GROUP_DIRECTION";
constexpr const char* kGroupPresets = "GROUP_PRESETS";

constexpr int kPageSize = 10;
constexpr int kMaxVoices = 10;

// Moves of the dialog's own sliders (which a toolkit reports like the user's) are not
// handled as the user's while one of these is alive.
class Updating {
 public:
  explicit Updating(int& count) : m_count(count) { ++m_count; }
  ~Updating() { --m_count; }
  Updating(const Updating&) = delete;
  Updating& operator=(const Updating&) = delete;

 private:
  int& m_count;
};

}  // namespace

COverToolsDialog::COverToolsDialog(ToolHost& host, std::string className, std::string caption)
    : DialogLogic("tools_dialog"), m_host(host), m_className(std::move(className)), m_caption(std::move(caption)) {}

EffectResult COverToolsDialog::PerformOperation(std::FILE*, std::FILE*, uint32_t, uint32_t, EffectProgress&) {
  return EffectResult::NothingToDo;
}

uint32_t COverToolsDialog::PerformOperation_ByteCount(uint32_t, uint32_t) const {
  return 2;
}

const char* COverToolsDialog::ValueText(const std::string& sliderId, bool* percent) {
  struct Text {
    const char* slider;
    const char* text;
    bool percent;
  };
  static constexpr Text kTexts[] = {
      {IDC_SLIDER_VOLUME_LEFT1, "IDC_TEXT_VOLUME_LEFT1", true},
      {IDC_SLIDER_VOLUME_RIGHT1, "IDC_TEXT_VOLUME_RIGHT1", true},
      {IDC_SLIDER_VOLUME_LEFT2, "IDC_TEXT_VOLUME_LEFT2", true},
      {IDC_SLIDER_VOLUME_RIGHT2, "IDC_TEXT_VOLUME_RIGHT2", true},
      {IDC_SLIDER_DELAY_LEFT1, IDC_DELAY_LEFT1, false},
      {IDC_SLIDER_DELAY_RIGHT1, IDC_DELAY_RIGHT1, false},
      {IDC_SLIDER_VOICES, "IDC_TEXT_VOICES", false},
  };
  for (const Text& entry : kTexts) {
    if (sliderId == entry.slider) {
      if (percent) *percent = entry.percent;
      return entry.text;
    }
  }
  return nullptr;
}

const char* COverToolsDialog::Partner(const std::string& id) {
  static constexpr const char* kPairs[][2] = {{IDC_SLIDER_VOLUME_LEFT1, IDC_SLIDER_VOLUME_RIGHT1},
                                              {IDC_SLIDER_VOLUME_LEFT2, IDC_SLIDER_VOLUME_RIGHT2},
                                              {IDC_SLIDER_DELAY_LEFT1, IDC_SLIDER_DELAY_RIGHT1},
                                              {IDC_DELAY_LEFT1, IDC_DELAY_RIGHT1}};
  for (const auto& pair : kPairs) {
    if (id == pair[0]) return pair[1];
    if (id == pair[1]) return pair[0];
  }
  return nullptr;
}

void COverToolsDialog::SetRange(const std::string& sliderId, int minimum, int maximum) {
  platform::DialogControl* slider = GetDlgItem(sliderId);
  if (!slider) {
    m_host.ReportError("COverToolsDialog::SetRange", "Failed to get slider " + sliderId + ".");
    return;
  }
  slider->SetRange(minimum, maximum);
}

void COverToolsDialog::SetLevel(const std::string& sliderId, int value) {
  bool percent = false;
  const char* textId = ValueText(sliderId, &percent);
  if (!textId) return;
  platform::DialogControl* slider = GetDlgItem(sliderId);
  if (!slider) {
    m_host.ReportError("COverToolsDialog::SetLevel", "Failed to get slider " + sliderId + ".");
    return;
  }
  Updating updating(m_nUpdating);
  if (platform::DialogControl* text = GetDlgItem(textId)) {
    text->SetText(std::to_string(value) + (percent ? "%" : ""));
  }
  slider->SetPos(value);
}

int COverToolsDialog::GetLockStatus() {
  platform::DialogControl* lock = GetDlgItem(IDC_LOCK_CHANNELS);
  if (!lock) {
    m_host.ReportError("COverToolsDialog::GetLockStatus", "Failed to get button IDC_LOCK_CHANNELS");
    return 0;
  }
  m_bLockChannels = lock->IsChecked();
  return m_bLockChannels ? 1 : 0;
}

bool COverToolsDialog::GetOperationPositions(uint32_t* start, uint32_t* end) const {
  const std::optional<TrackRange> track = m_host.CurrentTrack();
  if (!track || !start || !end) return false;
  switch (m_nApplyTo) {
    case kApplyHighlight:
      *start = track->highlightBegin;
      *end = track->highlightEnd;
      break;
    case kApplyMarkers:
      *start = static_cast<uint32_t>(track->markerBegin);
      *end = static_cast<uint32_t>(track->markerEnd);
      break;
    default:
      *start = 0;
      *end = track->length;
      break;
  }
  return true;
}

void COverToolsDialog::ShowOnlyUsedControls() {
  const std::pair<const char*, bool> groups[] = {
      {kGroupLevel1, m_bUsesLevel1},     {kGroupLevel2, m_bUsesLevel2},       {kGroupDelay, m_bUsesDelay},
      {kGroupVoices, m_bUsesVoices},     {kGroupChannels, m_bUsesChannels},   {kGroupDirection, m_bUsesDirection},
      {kGroupPresets, m_bUsesPresets},   {IDC_LOCK_CHANNELS, m_bUsesLock},
  };
  for (const auto& [id, used] : groups) {
    if (platform::DialogControl* group = GetDlgItem(id)) group->SetVisible(used);
  }
  const std::pair<const char*, const std::string&> titles[] = {
      {kGroupLevel1, m_level1Title}, {kGroupLevel2, m_level2Title}, {kGroupDelay, m_delayTitle}};
  for (const auto& [id, title] : titles) {
    platform::DialogControl* group = GetDlgItem(id);
    if (group && !title.empty()) group->SetText(title);
  }
}

bool COverToolsDialog::OnInitDialog() {
  const std::optional<TrackRange> track = m_host.CurrentTrack();
  if (!track) {
    m_host.ReportError("COverToolsDialog::OnInitDialog", "document is NULL");
    return true;
  }
  if (Surface()) Surface()->SetWindowText(m_caption);
  platform::DialogControl* highlight = GetDlgItem(IDC_HIGHLIGHTED_SECTION);
  platform::DialogControl* markers = GetDlgItem(IDC_BETWEEN_MARKERS);
  platform::DialogControl* whole = GetDlgItem(IDC_ENTIRE_FILE);
  if (!highlight || !markers || !whole) {
    const char* missing = !highlight ? IDC_HIGHLIGHTED_SECTION : !markers ? IDC_BETWEEN_MARKERS : IDC_ENTIRE_FILE;
    m_host.ReportError("COverToolsDialog::OnInitDialog", std::string("Failed to get ") + missing + " button");
    return true;
  }
  const bool hasHighlight = track->highlightBegin != track->highlightEnd;
  const bool hasMarkers = track->markerBegin != -1 && track->markerEnd != -1;
  highlight->SetEnabled(hasHighlight);
  markers->SetEnabled(hasMarkers);
  // The stored choice stays as it is until OK; only what is shown falls back.
  if (m_nApplyTo == kApplyHighlight && hasHighlight) {
    highlight->SetChecked(true);
  } else if (m_nApplyTo == kApplyMarkers && hasMarkers) {
    markers->SetChecked(true);
  } else {
    whole->SetChecked(true);
  }
  ShowOnlyUsedControls();
  InitDialogSettings();
  if (m_bUsesPresets) InitPresetList();
  m_bPresetsChanged = false;
  return true;
}

bool COverToolsDialog::InitDialogSettings() {
  Updating updating(m_nUpdating);
  auto pair = [this](bool used, const char* right, const char* left, int max, int page, int rightValue,
                     int leftValue) {
    if (!used) return;
    for (const char* id : {right, left}) {
      SetRange(id, 0, max);
      if (platform::DialogControl* slider = GetDlgItem(id)) slider->SetPageSize(page);
    }
    SetLevel(right, rightValue);
    SetLevel(left, leftValue);
  };
  pair(m_bUsesLevel1, IDC_SLIDER_VOLUME_RIGHT1, IDC_SLIDER_VOLUME_LEFT1, m_nLevel1Max, kPageSize, m_nLevel1Right,
       m_nLevel1Left);
  pair(m_bUsesLevel2, IDC_SLIDER_VOLUME_RIGHT2, IDC_SLIDER_VOLUME_LEFT2, m_nLevel2Max, kPageSize, m_nLevel2Right,
       m_nLevel2Left);
  pair(m_bUsesDelay, IDC_SLIDER_DELAY_RIGHT1, IDC_SLIDER_DELAY_LEFT1, static_cast<int>(m_nDelayMax), kPageSize,
       static_cast<int>(m_nDelayRight), static_cast<int>(m_nDelayLeft));
  if (m_bUsesVoices) {
    SetRange(IDC_SLIDER_VOICES, 0, kMaxVoices);
    if (platform::DialogControl* slider = GetDlgItem(IDC_SLIDER_VOICES)) slider->SetPageSize(1);
    SetLevel(IDC_SLIDER_VOICES, m_nVoices);
  }
  // Boxes and radios are checked where their field is set, never unchecked here.
  const std::pair<const char*, bool> checks[] = {
      {IDC_CHECK_LEFT1, m_bUsesChannels && m_bChannelLeft},
      {IDC_CHECK_RIGHT1, m_bUsesChannels && m_bChannelRight},
      {IDC_RADIO_LEFT_TO_RIGHT1, m_bUsesDirection && m_bLeftToRight},
      {IDC_RADIO_RIGHT_TO_LEFT1, m_bUsesDirection && m_bRightToLeft},
  };
  for (const auto& [id, checked] : checks) {
    platform::DialogControl* box = GetDlgItem(id);
    if (box && checked) box->SetChecked(true);
  }
  if (m_bUsesLock) {
    platform::DialogControl* lock = GetDlgItem(IDC_LOCK_CHANNELS);
    if (!lock) {
      m_host.ReportError("COverToolsDialog::InitDialogSettings", "Failed to get button IDC_LOCK_CHANNELS");
      return false;
    }
    lock->SetChecked(m_bLockChannels);
  }
  return true;
}

uint32_t COverToolsDialog::ReadDelay(const std::string& editId) {
  platform::DialogControl* edit = GetDlgItem(editId);
  if (!edit) {
    m_host.ReportError("COverToolsDialog::GetDialogSettings", "Failed to get edit " + editId);
    return m_nDelayMax;
  }
  // A negative number, read as unsigned, is above the maximum too.
  const auto typed = static_cast<uint32_t>(std::atoi(edit->GetText().substr(0, 64).c_str()));
  return typed > m_nDelayMax ? m_nDelayMax : typed;
}

void COverToolsDialog::GetDialogSettings() {
  for (auto [id, choice] : {std::pair{IDC_HIGHLIGHTED_SECTION, kApplyHighlight}, std::pair{IDC_BETWEEN_MARKERS, kApplyMarkers},
                            std::pair{IDC_ENTIRE_FILE, kApplyTrack}}) {
    platform::DialogControl* radio = GetDlgItem(id);
    if (!radio) {
      m_host.ReportError("COverToolsDialog::GetDialogSettings", std::string("Failed to get ") + id + " button");
      return;
    }
    if (radio->IsChecked()) m_nApplyTo = choice;
  }
  auto position = [this](const char* id, int& field) {
    platform::DialogControl* slider = GetDlgItem(id);
    if (!slider) {
      m_host.ReportError("COverToolsDialog::GetDialogSettings", std::string("Failed to get slider ") + id + ".");
      return false;
    }
    field = slider->GetPos();
    return true;
  };
  if (m_bUsesLevel1 &&
      !(position(IDC_SLIDER_VOLUME_LEFT1, m_nLevel1Left) && position(IDC_SLIDER_VOLUME_RIGHT1, m_nLevel1Right))) {
    return;
  }
  if (m_bUsesLevel2 &&
      !(position(IDC_SLIDER_VOLUME_LEFT2, m_nLevel2Left) && position(IDC_SLIDER_VOLUME_RIGHT2, m_nLevel2Right))) {
    return;
  }
  if (m_bUsesDelay) {
    m_nDelayLeft = ReadDelay(IDC_DELAY_LEFT1);
    m_nDelayRight = ReadDelay(IDC_DELAY_RIGHT1);
  }
  if (m_bUsesVoices && !position(IDC_SLIDER_VOICES, m_nVoices)) return;
  auto checked = [this](const char* id) {
    platform::DialogControl* box = GetDlgItem(id);
    return box && box->IsChecked();
  };
  if (m_bUsesChannels) {
    m_bChannelLeft = checked(IDC_CHECK_LEFT1);
    m_bChannelRight = checked(IDC_CHECK_RIGHT1);
  }
  if (m_bUsesDirection) {
    m_bLeftToRight = checked(IDC_RADIO_LEFT_TO_RIGHT1);
    m_bRightToLeft = checked(IDC_RADIO_RIGHT_TO_LEFT1);
  }
  if (m_bUsesLock) GetLockStatus();
}

void COverToolsDialog::OnOK() {
  GetDialogSettings();
  EndDialog(platform::IDOK);
}

void COverToolsDialog::OnHScroll(const std::string& id) {
  if (m_nUpdating) return;
  platform::DialogControl* slider = GetDlgItem(id);
  if (!slider || !ValueText(id, nullptr)) return;
  const int value = slider->GetPos();
  SetLevel(id, value);
  const char* partner = Partner(id);
  if (partner && GetLockStatus()) SetLevel(partner, value);
}

void COverToolsDialog::ApplyTypedDelay(const std::string& editId) {
  const bool left = editId == IDC_DELAY_LEFT1;
  const uint32_t delay = ReadDelay(editId);
  (left ? m_nDelayLeft : m_nDelayRight) = delay;
  SetLevel(left ? IDC_SLIDER_DELAY_LEFT1 : IDC_SLIDER_DELAY_RIGHT1, static_cast<int>(delay));
  if (GetLockStatus()) SetLevel(left ? IDC_SLIDER_DELAY_RIGHT1 : IDC_SLIDER_DELAY_LEFT1, static_cast<int>(delay));
}

void COverToolsDialog::OnKillFocus(const std::string& id) {
  if (m_bUsesDelay && (id == IDC_DELAY_LEFT1 || id == IDC_DELAY_RIGHT1)) ApplyTypedDelay(id);
}

void COverToolsDialog::OnDoubleClick(const std::string& id) {
  if (id == IDC_PRESET_LIST) OnPresetChange();
}

void COverToolsDialog::OnCommand(const std::string& id) {
  if (id == IDC_ADD_PRESET) OnAddPreset();
  if (id == IDC_REMOVE_PRESET) OnRemovePreset();
}

std::string COverToolsDialog::PresetFilePath() const {
  return m_host.PresetFolder() + "/" + m_szPresetFile + ".prt";
}

void COverToolsDialog::LoadPresets() {
  FillBuiltInPresets();
  if (!m_szPresetFile.empty()) m_presets.LoadUserPresets(PresetFilePath());
}

bool COverToolsDialog::ApplyPresetNamed(const std::string& name) {
  for (const EffectPreset& preset : m_presets.Entries()) {
    if (preset.Name() != name) continue;
    ApplyPreset(preset);
    return true;
  }
  return false;
}

bool COverToolsDialog::AddPreset(const std::string& name) {
  if (m_presets.Full()) {
    m_host.ShowInformation("Sorry, you've enetered the maximum number of presets.");
    return false;
  }
  if (name.empty()) {
    m_host.ShowInformation("You must enter a preset name.");
    return false;
  }
  m_presets.Add(CurrentSettings(name));
  m_bPresetsChanged = true;
  return WritePresetFile(PresetTable::kMaxPresets);
}

bool COverToolsDialog::RemovePreset(const std::string& name) {
  const auto& entries = m_presets.Entries();
  for (size_t n = 0; n < entries.size(); ++n) {
    if (entries[n].Name() != name) continue;
    if (n < PresetTable::kBuiltInCount) {
      m_host.ShowInformation("Sorry, this is a default preset.  Cannot delete.");
      return false;
    }
    const bool written = WritePresetFile(n);
    LoadPresets();
    return written;
  }
  m_host.ShowInformation("There is no preset named \"" + name + "\".");
  return false;
}

bool COverToolsDialog::InitPresetList() {
  LoadPresets();
  if (m_szPresetFile.empty()) return false;
  platform::DialogControl* list = GetDlgItem(IDC_PRESET_LIST);
  if (!list) {
    m_host.ReportError("COverToolsDialog::InitPresetList", "Failed to get list box IDC_PRESET_LIST");
    return false;
  }
  list->ResetContent();
  for (const EffectPreset& preset : m_presets.Entries()) list->AddString(preset.Name());
  return true;
}

EffectPreset COverToolsDialog::CurrentSettings(const std::string& name) const {
  EffectPreset preset;
  preset.SetName(name);
  preset.lock = m_bLockChannels ? 1 : 0;
  preset.level1Left = m_nLevel1Left;
  preset.level1Right = m_nLevel1Right;
  preset.level2Left = m_nLevel2Left;
  preset.level2Right = m_nLevel2Right;
  preset.delayLeft = static_cast<int32_t>(m_nDelayLeft);
  preset.delayRight = static_cast<int32_t>(m_nDelayRight);
  preset.voices = m_nVoices;
  return preset;
}

void COverToolsDialog::ApplyPreset(const EffectPreset& preset) {
  // A preset file from elsewhere may hold anything; values are kept inside the ranges
  // of the controls, as the sliders would keep them.
  auto within = [](int32_t value, int max) { return std::clamp<int32_t>(value, 0, std::max(max, 0)); };
  m_bLockChannels = preset.lock != 0;
  m_nLevel1Left = within(preset.level1Left, m_nLevel1Max);
  m_nLevel1Right = within(preset.level1Right, m_nLevel1Max);
  m_nLevel2Left = within(preset.level2Left, m_nLevel2Max);
  m_nLevel2Right = within(preset.level2Right, m_nLevel2Max);
  m_nDelayLeft = static_cast<uint32_t>(within(preset.delayLeft, static_cast<int>(m_nDelayMax)));
  m_nDelayRight = static_cast<uint32_t>(within(preset.delayRight, static_cast<int>(m_nDelayMax)));
  m_nVoices = within(preset.voices, kMaxVoices);
}

void COverToolsDialog::OnPresetChange() {
  platform::DialogControl* list = GetDlgItem(IDC_PRESET_LIST);
  const int index = list ? list->GetCurSel() : -1;
  if (index >= 0 && static_cast<size_t>(index) < m_presets.Count()) {
    ApplyPreset(m_presets.Entries()[static_cast<size_t>(index)]);
  }
  InitDialogSettings();
}

void COverToolsDialog::OnAddPreset() {
  platform::DialogControl* nameBox = GetDlgItem(IDC_PRESET_NAME);
  const std::string name = nameBox ? nameBox->GetText() : std::string();
  if (!m_presets.Full() && !name.empty()) GetDialogSettings();
  const size_t before = m_presets.Count();
  AddPreset(name);
  if (m_presets.Count() == before) return;
  if (platform::DialogControl* list = GetDlgItem(IDC_PRESET_LIST)) list->AddString(m_presets.Entries().back().Name());
  nameBox->SetText("");
}

void COverToolsDialog::OnRemovePreset() {
  platform::DialogControl* list = GetDlgItem(IDC_PRESET_LIST);
  const int index = list ? list->GetCurSel() : -1;
  if (index >= 0 && static_cast<size_t>(index) < PresetTable::kBuiltInCount) {
    m_host.ShowInformation("Sorry, this is a default preset.  Cannot delete.");
    return;
  }
  WritePresetFile(index < 0 ? PresetTable::kMaxPresets : static_cast<size_t>(index));
  InitPresetList();
}

bool COverToolsDialog::WritePresetFile(size_t skipIndex) {
  if (m_szPresetFile.empty()) return true;
  // Written beside the old file and renamed over it: a failed write leaves the old presets.
  const std::vector<uint8_t> bytes = m_presets.UserPresetBytes(skipIndex);
  platform::SideFile side;
  if (!side.Create(PresetFilePath()) || !side.Write(bytes.data(), bytes.size()) || !side.Finish() ||
      !side.Publish()) {
    m_host.ShowInformation("Failed to open Preset File for write: " + PresetFilePath() + "\n" + std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace effects
