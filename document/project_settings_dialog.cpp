#include "document/project_settings_dialog.h"

#include <algorithm>
#include <string>

#include "document/document_workspace.h"
#include "core/time_format.h"
#include "document/mixer_doc.h"

bool CProjectSettingsDialog::OnInitDialog() {
  CMixerDoc* doc = m_pDocument;
  if (!doc) return true;
  DocumentWorkspace* work = &doc->Workspace();
  auto show = [this](const char* id, const std::string& text) {
    if (platform::DialogControl* field = GetDlgItem(id)) field->SetText(text);
  };
  const uint32_t tempo = work->m_config.Tempo();
  show(IDC_PROJ_DESCRIPTION, work->m_boardMain.ProjectDescription());
  show(IDC_PROJ_AUDIO_PATH, doc->m_szProjectFolder.empty() ? "Not currently set" : doc->m_szProjectFolder);
  show(IDC_PROJ_TEMP_PATH, work->m_szTempFolder);
  const char* lengthIds[] = {IDC_PROJ_LENGTH_TIME, IDC_PROJ_LENGTH_BEATS, IDC_PROJ_LENGTH_SAMPLES};
  for (int type = kDisplayTime; type <= kDisplaySamples; ++type) {
    std::string text;
    FormatPosition(doc->m_nProjectLength, kBytesPerSecond, text, tempo, type);
    show(lengthIds[type], text);
  }
  show(IDC_PROJ_BPM, std::to_string(tempo));
  const uint8_t measure = work->m_config.metronomeMeasure;
  show(IDC_PROJ_TIMING, measure == 1 ? "4/4" : measure == 2 ? "3/4" : "None");
  return true;
}
