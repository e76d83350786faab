#include "document/document_workspace.h"

void DocumentWorkspace::AttachDocument(CMixerDoc* doc) {
  m_pDocument = doc;
  m_boardTracks.m_pDocument = doc;
  m_boardMain.m_pDocument = doc;
  m_silenceDialog.m_pDocument = doc;
  m_markerTimesDialog.m_pDocument = doc;
  m_projectSettingsDialog.m_pDocument = doc;
}
