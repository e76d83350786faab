#pragma once

#include <cstdint>
#include <string>

#include "audio_store/convert_audio.h"
#include "audio_store/pcm_file.h"
#include "core/colour_table.h"
#include "core/mixer_config.h"
#include "core/progress_dialog.h"
#include "document/export_dialogs.h"
#include "document/import_ops.h"
#include "document/marker_times_dialog.h"
#include "document/mixing_board.h"
#include "document/project_settings_dialog.h"
#include "document/silence_dialog.h"

class CMixerDoc;

// What the document works with but does not own: the configuration record, the
// folders of the session, the operations' scratch files and the audio clipboard, the
// mixing board's two panels (their state is the levels and flags that playback,
// mixdown and the project file use), the document's dialogs, the converter and the
// importers. The application holds them and gives them to its document.
struct DocumentWorkspace {
  DocumentWorkspace() = default;
  DocumentWorkspace(const DocumentWorkspace&) = delete;
  DocumentWorkspace& operator=(const DocumentWorkspace&) = delete;

  // Makes doc (or none) the document the board and the dialogs work on.
  void AttachDocument(CMixerDoc* doc);

  // The configuration record; its metronome settings are the running project's (an
  // opened project brings its own).
  MixerConfig m_config;
  std::string m_szAudioFolder;
  std::string m_szTempFolder;
  std::string m_szRecordedAudioPath;
  // Set from Play until Stop.
  bool m_bPlaying = false;
  bool m_bOpInProgress = false;
  bool m_bClosing = false;
  bool m_bRecorderReady = false;

  CColourTable m_colourTable;
  COperationDialog m_operationDialog;
  CMixerDoc* m_pDocument = nullptr;
  // The operations' scratch files and the audio clipboard.
  PCMFile m_tempA, m_tempB, m_tempC, m_tempD, m_clipboard;
  CSilenceInputDialog m_silenceDialog;
  CMarkerTimesDialog m_markerTimesDialog;
  CMixingBoardTrackDialog m_boardTracks;
  CMixingBoardMainDialog m_boardMain;
  CConvertAudioFile m_converter;
  CWaveImport m_waveImport;
  CMP3Import m_mp3Import;
  CWaveDialog m_waveDialog;
  CMP3Dialog m_mp3Dialog;
  CTrackMixdownDialog m_trackMixdownDialog;
  CProjectSettingsDialog m_projectSettingsDialog;
};
