#include "document/silence_dialog.h"

#include <algorithm>

#include "core/errors.h"
#include "core/program_links.h"
#include "core/progress_dialog.h"
#include "document/document_workspace.h"
#include "core/time_format.h"
#include "document/mixer_doc.h"
#include "document/time_input.h"

namespace {

uint32_t Tempo(const CMixerDoc* doc) {
  return doc ? doc->Workspace().m_config.Tempo() : 0;
}

}  // namespace

void CSilenceInputDialog::ShowLength(uint32_t length, int unit) {
  std::string text;
  FormatPosition(length, kBytesPerSecond, text, Tempo(m_pDocument), unit);
  if (platform::DialogControl* field = GetDlgItem(IDC_SILENCE_LENGTH)) field->SetText(text);
}

bool CSilenceInputDialog::ReadLength(int unit, uint32_t& length) {
  platform::DialogControl* field = GetDlgItem(IDC_SILENCE_LENGTH);
  std::string text = field ? field->GetText().substr(0, 63) : std::string();
  int64_t bytes = ConvertTimeStringToBytes(text, unit, kBytesPerSecond, Tempo(m_pDocument));
  if (bytes < 0 || bytes > 0xFFFFFFFFLL) {
    ShowInformation("\"" + text +
                    "\" is not a length.  Please type it as minutes:seconds.milliseconds, as beats, or as samples, "
                    "as the Time Format Type says.");
    ShowLength(m_nLength, unit);
    return false;
  }
  length = static_cast<uint32_t>(bytes) & ~3u;
  return true;
}

bool CSilenceInputDialog::OnInitDialog() {
  CMixerDoc* doc = m_pDocument;
  if (!doc) {
    ReportError("CSilenceInputDialog::OnInitDialog", "The document is NULL.");
    return true;
  }
  platform::DialogControl* tracker = GetDlgItem(IDC_USE_TRACKER);
  platform::DialogControl* marker = GetDlgItem(IDC_USE_MARKER);
  if (!tracker) {
    ReportError("CSilenceInputDialog::OnInitDialog", "Failed to get button for IDC_USE_TRACKER.");
    return true;
  }
  if (!marker) {
    ReportError("CSilenceInputDialog::OnInitDialog", "Failed to get button for IDC_USE_MARKER.");
    return true;
  }
  bool markerSet = doc->m_mirror.m_nMarkerBegin != kMarkerNotSet;
  bool useMarker = markerSet && m_bUseMarker;
  tracker->SetChecked(!useMarker);
  marker->SetChecked(useMarker);
  marker->SetEnabled(markerSet);
  if (platform::DialogControl* units = GetDlgItem(IDC_SILENCE_TIME_TYPE)) {
    units->ResetContent();
    for (const char* name : kTimeUnitNames) units->AddString(name);
    units->SetCurSel(m_nUnit);
  } else {
    ReportError("CSilenceInputDialog::OnInitDialog",
                std::string("Failed to get button for item ") + IDC_SILENCE_TIME_TYPE + ".");
  }
  m_nShownUnit = m_nUnit;
  ShowLength(m_nLength, m_nUnit);
  return true;
}

void CSilenceInputDialog::OnKillFocus(const std::string& id) {
  if (id != IDC_SILENCE_LENGTH) return;
  uint32_t length = 0;
  if (ReadLength(m_nShownUnit, length)) ShowLength(length, m_nShownUnit);
}

void CSilenceInputDialog::OnSelChange(const std::string& id) {
  if (id != IDC_SILENCE_TIME_TYPE) return;
  platform::DialogControl* units = GetDlgItem(id);
  int unit = units ? units->GetCurSel() : -1;
  if (unit < 0 || unit > 2) return;
  uint32_t length = m_nLength;
  ReadLength(m_nShownUnit, length);
  m_nShownUnit = unit;
  ShowLength(length, unit);
}

void CSilenceInputDialog::OnOK() {
  platform::DialogControl* tracker = GetDlgItem(IDC_USE_TRACKER);
  if (!tracker) {
    ReportError("CSilenceInputDialog::OnOK", "Failed to get button for IDC_USE_TRACKER.");
    return;
  }
  uint32_t length = 0;
  // An entry that is not a length is refused and the dialog stays open with the
  // previous length, so that no length outside the track's range is ever taken.
  if (!ReadLength(m_nShownUnit, length)) return;
  m_bUseMarker = !tracker->IsChecked();
  m_nUnit = m_nShownUnit;
  m_nLength = length;
  m_bFirstTime = false;
  EndDialog(platform::IDOK);
}

int CSilenceInputDialog::WriteSilenceToPCM(std::FILE* out, uint32_t count) {
  if (!out) {
    ReportError("CSilenceInputDialog::WriteSilenceToPCM", "Pointer to target file is NULL");
    return 0;
  }
  COperationDialog* progress = Links().operationDialog;
  const unsigned int start = progress ? progress->Position() : 0;
  static const char kZeros[8192] = {};
  for (uint32_t written = 0; written < count;) {
    uint32_t chunk = std::min<uint32_t>(sizeof kZeros, count - written);
    if (std::fwrite(kZeros, 1, chunk, out) != chunk) {
      ReportError("CSilenceInputDialog::WriteSilenceToPCM", "Failed to write the silence.");
      return 0;
    }
    written += chunk;
    if (progress) {
      progress->UpdateProgress(start + written / 100);
      if (progress->CancelRequested()) return kCancelled;
    }
  }
  return 1;
}
