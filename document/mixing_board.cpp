#include "document/mixing_board.h"

#include <algorithm>

#include "core/errors.h"
#include "document/mixer_doc.h"

const std::array<TrackStripIds, 8> kTrackStripIds = {{
    {1058, 1061, 4011, 1063, 4019, 1090, 1062, 1112, 1113, 1088},
    {1067, 1069, 6017, 1070, 3022, 1093, 1068, 1114, 1115, 1091},
    {1076, 1078, 3024, 1079, 2029, 1096, 1077, 1116, 1117, 1094},
    {1085, 1097, 3031, 1098, 3040, 1102, 1086, 1118, 1119, 1100},
    {1107, 1109, 2043, 1110, 2048, 1124, 1108, 1120, 1121, 1122},
    {1129, 1132, 2056, 1134, 5062, 1138, 1130, 1131, 1133, 1136},
    {1143, 1146, 4065, 1148, 5071, 1152, 1144, 1145, 1147, 1150},
    {1157, 1160, 3074, 1162, 4080, 1166, 1158, 1159, 1161, 1164},
}};

std::string BoardControl(int id) {
  return "IDC_" + std::to_string(id);
}

namespace {

int16_t ClampLevel(int index) {
  return static_cast<int16_t>(std::clamp(index, 0, static_cast<int>(kSilentLevel)));
}

// The label of a level slider: decibels against unity, +10 at the top.
std::string LevelLabel(int16_t index) {
  return std::to_string(kUnityLevel - index);
}

void MarkModified(CMixerDoc* doc) {
  if (doc) doc->SetModifiedFlag(true);
}

// The control of id on the dialog's window. Without a window the board keeps its
// state alone; a window lacking the control is a fault of its layout, reported.
platform::DialogControl* Control(platform::DialogLogic& dialog, int id, const char* location, const char* missing) {
  if (!dialog.HasWindow()) return nullptr;
  platform::DialogControl* control = dialog.GetDlgItem(BoardControl(id));
  if (!control) ReportError(location, missing);
  return control;
}

// The track and side of a level slider id; false for another id.
bool FindSlider(int id, int& track, bool& left) {
  for (int n = 0; n < 8; ++n) {
    if (kTrackStripIds[static_cast<size_t>(n)].left == id || kTrackStripIds[static_cast<size_t>(n)].right == id) {
      track = n;
      left = kTrackStripIds[static_cast<size_t>(n)].left == id;
      return true;
    }
  }
  return false;
}

}  // namespace

bool CMixingBoardTrackDialog::OnInitDialog() {
  for (int track = 0; track < 8; ++track) {
    const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
    for (int slider : {ids.left, ids.right}) {
      if (platform::DialogControl* control = GetDlgItem(BoardControl(slider))) {
        control->SetRange(0, kSilentLevel);
        control->SetPageSize(1);
      } else {
        ReportError("CMixingBoardTrackDialog::SetRange", "Slider pointer is null.");
      }
    }
    SetTrackLevel(track, GetTrackLevel(track, kLevelLeft), kLevelLeft);
    SetTrackLevel(track, GetTrackLevel(track, kLevelRight), kLevelRight);
    SetLockStatus(track, IsLocked(track));
    if (platform::DialogControl* name = GetDlgItem(BoardControl(ids.name)))
      name->SetText(m_names[static_cast<size_t>(track)]);
    ShowTrackFlags(track);
  }
  return true;
}

void CMixingBoardTrackDialog::InitStrips() {
  for (int track = 0; track < 8; ++track) {
    SetTrackLevel(track, kUnityLevel, kLevelBoth);
    SetLockStatus(track, true);
  }
  HandleView(0, false);
}

void CMixingBoardTrackDialog::SetLevel(int sliderId, int16_t index) {
  int track = 0;
  bool left = true;
  if (!FindSlider(sliderId, track, left)) return;
  index = ClampLevel(index);
  m_levels[static_cast<size_t>(track)][left ? 0 : 1] = index;
  if (!HasWindow()) return;
  platform::DialogControl* slider = GetDlgItem(BoardControl(sliderId));
  if (!slider) {
    ReportError("CMixingBoardTrackDialog::SetLevel", "Set level slider pointer is NULL.");
    return;
  }
  slider->SetPos(index);
  const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
  if (platform::DialogControl* label = GetDlgItem(BoardControl(left ? ids.leftLabel : ids.rightLabel))) {
    label->SetText(LevelLabel(index));
  }
}

void CMixingBoardTrackDialog::SetTrackLevel(int track, int16_t index, int which) {
  if (track < 0 || track >= 8) return;
  const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
  if (which == kLevelLeft || which == kLevelBoth) SetLevel(ids.left, index);
  if (which == kLevelRight || which == kLevelBoth) SetLevel(ids.right, index);
}

int16_t CMixingBoardTrackDialog::GetTrackLevel(int track, int which) const {
  if (track < 0 || track >= 8) return 0;
  if (which == kLevelLeft) return m_levels[static_cast<size_t>(track)][0];
  if (which == kLevelRight) return m_levels[static_cast<size_t>(track)][1];
  return 0;
}

void CMixingBoardTrackDialog::SetLockStatus(int track, bool locked) {
  if (track < 0 || track >= 8) return;
  m_locks[static_cast<size_t>(track)] = locked;
  SetCheck(kTrackStripIds[static_cast<size_t>(track)].lock, locked);
}

void CMixingBoardTrackDialog::SetTrackName(int track, const std::string& name) {
  if (track < 1 || track > 8) return;
  m_names[static_cast<size_t>(track - 1)] = name.substr(0, 511);
  if (!HasWindow()) return;
  if (platform::DialogControl* field = GetDlgItem(BoardControl(kTrackStripIds[static_cast<size_t>(track - 1)].name))) {
    field->SetText(m_names[static_cast<size_t>(track - 1)]);
  }
}

std::string CMixingBoardTrackDialog::GetTrackName(int track) const {
  return (track >= 1 && track <= 8) ? m_names[static_cast<size_t>(track - 1)] : std::string();
}

void CMixingBoardTrackDialog::SetCheck(int controlId, bool checked) {
  if (platform::DialogControl* button =
          Control(*this, controlId, "CMixingBoardTrackDialog::SetCheckStatus", "Button pointer is null.")) {
    button->SetChecked(checked);
  }
}

void CMixingBoardTrackDialog::ShowTrackFlags(int track) {
  CMixerDoc* doc = m_pDocument;
  if (!doc || !HasWindow()) return;
  const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
  const CAudioTrack& audio = doc->Track(track);
  SetCheck(ids.arm, audio.m_bArmed != 0);
  SetCheck(ids.solo, audio.m_bSolo != 0);
  SetCheck(ids.mute, audio.m_bMuted != 0);
  SetCheck(ids.view, track == doc->m_nCurrentTrack);
}

void CMixingBoardTrackDialog::MoveSlider(int track, bool left, int16_t index) {
  if (track < 0 || track >= 8) return;
  SetTrackLevel(track, index, left ? kLevelLeft : kLevelRight);
  if (IsLocked(track)) SetTrackLevel(track, index, left ? kLevelRight : kLevelLeft);
  MarkModified(m_pDocument);
}

void CMixingBoardTrackDialog::HandleSolo(int track) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMixingBoardTrackDialog::HandleSolo", "The doc is NULL.");
    return;
  }
  for (int other = 0; other < 8; ++other) {
    if (other != track && doc->Track(other).m_bSolo) {
      doc->Track(other).m_bSolo = 0;
      ShowTrackFlags(other);
    }
  }
  doc->Track(track).m_bSolo = doc->Track(track).m_bSolo ? 0 : 1;
  ShowTrackFlags(track);
}

void CMixingBoardTrackDialog::HandleArm(int track) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMixingBoardTrackDialog::HandleArm", "The doc is NULL.");
    return;
  }
  for (int other = 0; other < 8; ++other) {
    if (other != track && doc->Track(other).m_bArmed) {
      doc->Track(other).m_bArmed = 0;
      ShowTrackFlags(other);
    }
  }
  doc->Track(track).m_bArmed = doc->Track(track).m_bArmed ? 0 : 1;
  ShowTrackFlags(track);
}

void CMixingBoardTrackDialog::HandleMute(int track) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMixingBoardTrackDialog::HandleMute", "The doc is NULL.");
    return;
  }
  doc->Track(track).m_bMuted = doc->Track(track).m_bMuted ? 0 : 1;
  ShowTrackFlags(track);
}

void CMixingBoardTrackDialog::HandleView(int track, bool saveCurrent) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMixingBoardTrackDialog::HandleView", "The doc is NULL.");
    return;
  }
  const int previous = doc->m_nCurrentTrack;
  doc->OnViewChange(track, saveCurrent);
  ShowTrackFlags(previous);
  ShowTrackFlags(track);
}

void CMixingBoardTrackDialog::ResetForNewProject() {
  for (int track = 0; track < 8; ++track) {
    SetTrackName(track + 1, "");
    SetTrackLevel(track, kUnityLevel, kLevelBoth);
    ShowTrackFlags(track);
  }
}

void CMixingBoardTrackDialog::OnCommand(const std::string& id) {
  for (int track = 0; track < 8; ++track) {
    const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
    if (id == BoardControl(ids.solo)) HandleSolo(track);
    if (id == BoardControl(ids.arm)) HandleArm(track);
    if (id == BoardControl(ids.mute)) HandleMute(track);
    if (id == BoardControl(ids.view)) HandleView(track, true);
    if (id == BoardControl(ids.lock)) {
      platform::DialogControl* box = GetDlgItem(id);
      if (!box) {
        ReportError("CMixingBoardTrackDialog::OnLock" + std::to_string(track + 1), "Lock Check Button is NULL.");
        return;
      }
      m_locks[static_cast<size_t>(track)] = box->IsChecked();
    }
  }
}

void CMixingBoardTrackDialog::OnHScroll(const std::string& id) {
  for (int track = 0; track < 8; ++track) {
    const TrackStripIds& ids = kTrackStripIds[static_cast<size_t>(track)];
    for (bool left : {true, false}) {
      if (id != BoardControl(left ? ids.left : ids.right)) continue;
      platform::DialogControl* slider = GetDlgItem(id);
      if (!slider) {
        ReportError("CGuiTrackDialog::OnVScroll", "Vertical slider pointer is NULL.");
        return;
      }
      if (!m_pDocument) {
        ReportError("CGuiTrackDialog::OnVScroll", "Document is NULL.");
        return;
      }
      MoveSlider(track, left, static_cast<int16_t>(slider->GetPos()));
    }
  }
}

void CMixingBoardTrackDialog::OnKillFocus(const std::string& id) {
  for (int track = 0; track < 8; ++track) {
    if (id != BoardControl(kTrackStripIds[static_cast<size_t>(track)].name)) continue;
    if (platform::DialogControl* field = GetDlgItem(id))
      m_names[static_cast<size_t>(track)] = field->GetText().substr(0, 511);
  }
}

bool CMixingBoardMainDialog::OnInitDialog() {
  for (int slider : {kLeftSlider, kRightSlider}) {
    if (platform::DialogControl* control = GetDlgItem(BoardControl(slider))) {
      control->SetRange(0, kSilentLevel);
      control->SetPageSize(1);
    } else {
      ReportError("CMixingBoardMainDialog::SetRange", "Slider pointer is null.");
    }
  }
  for (int meter : {kLeftMeter, kRightMeter}) {
    if (platform::DialogControl* control = GetDlgItem(BoardControl(meter))) control->SetRange(0, 100);
  }
  SetMasterLevel(m_masterLeft, kLevelLeft);
  SetMasterLevel(m_masterRight, kLevelRight);
  SetLockStatus(m_bLockMaster);
  SetProjectDescription(m_description);
  return true;
}

void CMixingBoardMainDialog::InitMain() {
  SetMasterLevel(kUnityLevel, kLevelBoth);
  SetLockStatus(true);
}

void CMixingBoardMainDialog::SetMasterLevel(int16_t index, int which) {
  index = ClampLevel(index);
  for (bool left : {true, false}) {
    if (which != kLevelBoth && which != (left ? kLevelLeft : kLevelRight)) continue;
    (left ? m_masterLeft : m_masterRight) = index;
    if (platform::DialogControl* slider =
            Control(*this, left ? kLeftSlider : kRightSlider, "CMixingBoardTrackDialog::SetLevel",
                    "Set level slider pointer is NULL.")) {
      slider->SetPos(index);
      if (platform::DialogControl* label = GetDlgItem(BoardControl(left ? kLeftLabel : kRightLabel))) {
        label->SetText(LevelLabel(index));
      }
    }
  }
}

void CMixingBoardMainDialog::MoveSlider(bool left, int16_t index) {
  SetMasterLevel(index, left ? kLevelLeft : kLevelRight);
  if (m_bLockMaster) SetMasterLevel(index, left ? kLevelRight : kLevelLeft);
  MarkModified(m_pDocument);
}

void CMixingBoardMainDialog::SetLockStatus(bool locked) {
  m_bLockMaster = locked;
  if (platform::DialogControl* box =
          Control(*this, kLock, "CMixingBoardTrackDialog::SetLockStatus", "Lock Check Button is NULL.")) {
    box->SetChecked(locked);
  }
}

void CMixingBoardMainDialog::SetProjectDescription(const std::string& text) {
  m_description = text.substr(0, 1023);
  if (!HasWindow()) return;
  if (platform::DialogControl* field = GetDlgItem(BoardControl(kDescription))) field->SetText(m_description);
}

void CMixingBoardMainDialog::SetMeters(int left, int right) {
  if (!HasWindow()) return;
  if (platform::DialogControl* meter = GetDlgItem(BoardControl(kLeftMeter))) meter->SetPos(left);
  if (platform::DialogControl* meter = GetDlgItem(BoardControl(kRightMeter))) meter->SetPos(right);
}

void CMixingBoardMainDialog::OnCommand(const std::string& id) {
  if (id != BoardControl(kLock)) return;
  platform::DialogControl* box = GetDlgItem(id);
  if (!box) {
    ReportError("CMixingBoardMainDialog::OnLock", "Lock Check Button is NULL.");
    return;
  }
  m_bLockMaster = box->IsChecked();
}

void CMixingBoardMainDialog::OnHScroll(const std::string& id) {
  for (bool left : {true, false}) {
    if (id != BoardControl(left ? kLeftSlider : kRightSlider)) continue;
    if (platform::DialogControl* slider = GetDlgItem(id)) MoveSlider(left, static_cast<int16_t>(slider->GetPos()));
  }
}
