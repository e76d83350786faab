#include "document/marker_times_dialog.h"

#include <algorithm>

#include "core/errors.h"
#include "document/document_workspace.h"
#include "core/time_format.h"
#include "document/mixer_doc.h"
#include "document/time_input.h"

namespace {

uint32_t Tempo(const CMixerDoc* doc) {
  return doc ? doc->Workspace().m_config.Tempo() : 0;
}

}  // namespace

void CMarkerTimesDialog::Show(const char* id, int32_t marker) {
  platform::DialogControl* field = GetDlgItem(id);
  if (!field) return;
  if (marker == kMarkerNotSet) {
    field->SetText("Marker Not Set");
    return;
  }
  std::string text;
  FormatPosition(static_cast<uint32_t>(marker), kBytesPerSecond, text, Tempo(m_pDocument), m_nUnit);
  field->SetText(text);
}

int32_t CMarkerTimesDialog::ConvertTimeStringToBytes(const std::string& text) {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMarkerTimesDialog::ConvertTimeStringToBytes", "The doc is NULL.");
    return -1;
  }
  int64_t bytes = ::ConvertTimeStringToBytes(text, m_nUnit, kBytesPerSecond, Tempo(m_pDocument));
  if (bytes < 0) return -1;
  bytes &= ~int64_t{3};
  if (bytes > doc->m_mirror.m_nLength) {
    ShowInformation("Given time is past the current track length.\nSetting marker time to the max.");
    return static_cast<int32_t>(doc->m_mirror.m_nLength);
  }
  return static_cast<int32_t>(bytes);
}

bool CMarkerTimesDialog::OnInitDialog() {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMarkerTimesDialog::OnInitDialog", "The doc is NULL.");
    return true;
  }
  m_nUnit = std::clamp<int>(doc->Workspace().m_config.timeDisplayType, 0, 2);
  m_nBegin = doc->m_mirror.m_nMarkerBegin;
  m_nEnd = doc->m_mirror.m_nMarkerEnd;
  platform::DialogControl* units = GetDlgItem(IDC_TIME_TYPE);
  if (!units) {
    ReportError("CMarkerTimesDialog::OnInitDialog", "Failed to get the combo box IDC_TIME_TYPE.");
  } else {
    units->ResetContent();
    for (const char* name : kTimeUnitNames) units->AddString(name);
    units->SetCurSel(m_nUnit);
  }
  Show(IDC_BEGIN_MARKER, m_nBegin);
  Show(IDC_END_MARKER, m_nEnd);
  return true;
}

void CMarkerTimesDialog::OnKillFocus(const std::string& id) {
  if (id != IDC_BEGIN_MARKER && id != IDC_END_MARKER) return;
  platform::DialogControl* field = GetDlgItem(id);
  if (!field) return;
  int32_t& marker = id == IDC_BEGIN_MARKER ? m_nBegin : m_nEnd;
  marker = ConvertTimeStringToBytes(field->GetText());
  Show(id == IDC_BEGIN_MARKER ? IDC_BEGIN_MARKER : IDC_END_MARKER, marker);
}

void CMarkerTimesDialog::OnSelChange(const std::string& id) {
  if (id != IDC_TIME_TYPE) return;
  platform::DialogControl* units = GetDlgItem(IDC_TIME_TYPE);
  if (!units) {
    ReportError("CMarkerTimesDialog::OnSelchangeTimeType", "Failed to get the combo box IDC_TIME_TYPE.");
    return;
  }
  int unit = units->GetCurSel();
  if (unit < 0 || unit > 2) return;
  m_nUnit = unit;
  Show(IDC_BEGIN_MARKER, m_nBegin);
  Show(IDC_END_MARKER, m_nEnd);
}

void CMarkerTimesDialog::OnOK() {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CMarkerTimesDialog::OnOK", "The doc is NULL.");
    return;
  }
  // Fields typed into and confirmed with Enter were not left: read them as they stand.
  for (const char* id : {IDC_BEGIN_MARKER, IDC_END_MARKER}) {
    platform::DialogControl* field = GetDlgItem(id);
    if (field && field->GetText() != "Marker Not Set") OnKillFocus(id);
  }
  // Compared as unsigned numbers a cleared marker is the largest, so a single value
  // always becomes the begin marker.
  auto low = std::min(static_cast<uint32_t>(m_nBegin), static_cast<uint32_t>(m_nEnd));
  auto high = std::max(static_cast<uint32_t>(m_nBegin), static_cast<uint32_t>(m_nEnd));
  doc->m_mirror.m_nMarkerBegin = static_cast<int32_t>(low);
  // Two equal times make one marker: the end marker must lie after the begin marker.
  doc->m_mirror.m_nMarkerEnd = high == low ? kMarkerNotSet : static_cast<int32_t>(high);
  EndDialog(platform::IDOK);
}
