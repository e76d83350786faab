// Saving and opening project files, and migrating projects of the 2.x generation.
// A save writes every file beside its target and renames it into place, the
// record last, so that a crash never leaves a half-written project behind.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "app/errors.h"
#include "app/file_utils.h"
#include "app/mixer_app.h"
#include "document/import_old_dialog.h"
#include "document/mixer_doc.h"
#include "document/project_record.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSaveWhere = "CMixerDoc::WriteMIX";
constexpr const char* kOpenWhere = "CMixerDoc::UserOpImportMix";

std::string TrackFile(const std::string& folder, int track, const char* extension) {
  return JoinPath(folder, "track" + std::to_string(track) + "." + extension);
}

// Copies count bytes (fewer when the source is shorter and short is allowed) from
// source to target through a side file renamed over the target when complete.
int CopyIntoPlace(const std::string& source, const std::string& target, uint32_t count, bool shortAllowed,
                  const char* kind) {
  PCMFile from;
  from.szPath = source;
  PCMFile to;
  to.szPath = target + ".saving";
  if (shortAllowed) {
    std::error_code error;
    auto size = fs::file_size(source, error);
    count = error ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(count, size));
  }
  std::FILE* probe = std::fopen(source.c_str(), "rb");
  if (!probe && count > 0) {
    ReportError(kSaveWhere, std::string("Failed to open ") + kind + " file (" + source + ") for save read.");
    return 0;
  }
  if (probe) std::fclose(probe);
  if (count == 0) {
    std::FILE* empty = std::fopen(to.szPath.c_str(), "wb");
    if (!empty) {
      ReportError(kSaveWhere, std::string("Failed to open ") + kind + " file (" + target + ") for save write.");
      return 0;
    }
    std::fclose(empty);
  } else if (int result = PCMFileWrite(&from, &to, 0, count, kPCMWrite); result != 1) {
    std::remove(to.szPath.c_str());
    return result == 3 ? 0 : result;
  }
  if (std::rename(to.szPath.c_str(), target.c_str()) != 0) {
    std::remove(to.szPath.c_str());
    ReportError(kSaveWhere, std::string("Failed to open ") + kind + " file (" + target + ") for save write.");
    return 0;
  }
  return 1;
}

// The scaled image of a position in the rendered waveform.
uint32_t Scaled(uint32_t position, uint32_t length, uint32_t rendered) {
  return length == 0 ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(position) * rendered / length);
}

// Positions read from a file are made to fit the track: inside its length, on frame
// boundaries, and markers in order. A damaged or edited file can hold anything.
void FitPositions(TrackPositions& pos) {
  const uint32_t length = pos.m_nLength & ~3u;
  auto fit = [length](uint32_t value) { return std::min(value, length) & ~3u; };
  pos.m_nHighlightBegin = fit(pos.m_nHighlightBegin);
  pos.m_nHighlightEnd = std::max(fit(pos.m_nHighlightEnd), pos.m_nHighlightBegin);
  pos.m_nHighlightSpan = pos.m_nHighlightEnd - pos.m_nHighlightBegin;
  pos.m_nViewStart = fit(pos.m_nViewStart);
  pos.m_nViewEnd = fit(pos.m_nViewEnd);
  if (pos.m_nViewEnd <= pos.m_nViewStart) pos.m_nViewStart = 0, pos.m_nViewEnd = length;
  pos.m_nViewWidth = pos.m_nViewEnd - pos.m_nViewStart;
  pos.m_nRenderedLength = std::min(pos.m_nRenderedLength, (length >> 6) + 2);
  for (int32_t* marker : {&pos.m_nMarkerBegin, &pos.m_nMarkerEnd}) {
    if (*marker != kMarkerNotSet && (*marker < 0 || static_cast<uint32_t>(*marker) > length)) *marker = kMarkerNotSet;
    if (*marker != kMarkerNotSet) *marker &= ~3;
  }
  if (pos.m_nMarkerBegin == kMarkerNotSet || pos.m_nMarkerEnd <= pos.m_nMarkerBegin) pos.m_nMarkerEnd = kMarkerNotSet;
}

void DeriveScaledPositions(TrackPositions& pos) {
  pos.m_nScaledHighlightBegin = Scaled(pos.m_nHighlightBegin, pos.m_nLength, pos.m_nRenderedLength);
  pos.m_nScaledHighlightEnd = Scaled(pos.m_nHighlightEnd, pos.m_nLength, pos.m_nRenderedLength);
  pos.m_nScaledHighlightSpan = pos.m_nScaledHighlightEnd - pos.m_nScaledHighlightBegin;
  pos.m_nScaledViewStart = Scaled(pos.m_nViewStart, pos.m_nLength, pos.m_nRenderedLength);
  pos.m_nScaledViewEnd = Scaled(pos.m_nViewEnd, pos.m_nLength, pos.m_nRenderedLength);
  pos.m_nScaledViewWidth = pos.m_nScaledViewEnd - pos.m_nScaledViewStart;
}

int16_t LevelFromStored(uint8_t stored) {
  return static_cast<int16_t>(60 - std::min<int>(stored, 60));
}

}  // namespace

int CMixerDoc::WriteMIX() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", kSaveWhere);
    return 0;
  }
  if (!m_pOperationDialog) {
    ReportError(kSaveWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  m_pOperationDialog->DisableCancel();
  m_pOperationDialog->SetMessage("Saving project...", 0);
  m_pOperationDialog->UpdateProgress(0);

  // A new project gets a folder of its own, never one another project uses.
  if (m_szProjectFolder.empty()) {
    m_szProjectFolder = MakeNewFolder(app->m_szAudioFolder, MakeSessionStamp(std::time(nullptr)));
    m_bCopyAllTracks = true;
  }
  std::error_code error;
  if (!m_szProjectFolder.empty()) fs::create_directories(m_szProjectFolder, error);
  if (m_szProjectFolder.empty() || !fs::is_directory(m_szProjectFolder)) {
    ReportError(kSaveWhere, "Failed to create the project folder (" + m_szProjectFolder + ").");
    return 0;
  }

  AlignTrackToDoc(m_nCurrentTrack);
  auto copied = [this](const CAudioTrack& track) {
    return track.bNamesAssigned || (m_bCopyAllTracks && track.m_pos.m_nLength > 0);
  };
  uint32_t units = 0;
  for (const CAudioTrack& track : m_tracks) {
    if (copied(track)) units += (track.m_pos.m_nRenderedLength + track.m_pos.m_nLength) / 100;
  }
  m_pOperationDialog->SetProgressRange(units);
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    if (!copied(track)) continue;
    std::string pcm = TrackFile(m_szProjectFolder, n, "pcm");
    std::string peak = TrackFile(m_szProjectFolder, n, "pek");
    if (CopyIntoPlace(track.m_PCM.szPath, pcm, track.m_pos.m_nLength, false, "PCM") != 1) return 0;
    if (CopyIntoPlace(track.m_szPeakPath, peak, track.m_pos.m_nRenderedLength, true, "peak") != 1) return 0;
  }

  ProjectRecord record;
  record.folder = m_szProjectFolder;
  record.description = app->m_boardMain.ProjectDescription();
  record.master1293 = static_cast<uint8_t>(app->m_boardMain.MasterLevel(kLevelLeft));
  record.master1294 = static_cast<uint8_t>(app->m_boardMain.MasterLevel(kLevelRight));
  for (int n = 0; n < kTrackCount; ++n) {
    const CAudioTrack& track = Track(n);
    const TrackPositions& pos = track.m_pos;
    TrackRecord& out = record.tracks[static_cast<size_t>(n)];
    out.name = app->m_boardTracks.GetTrackName(n + 1);
    out.left = static_cast<uint8_t>(app->m_boardTracks.GetTrackLevel(n, kLevelLeft));
    out.right = static_cast<uint8_t>(app->m_boardTracks.GetTrackLevel(n, kLevelRight));
    out.current = n == m_nCurrentTrack ? 1 : 0;
    out.armed = track.m_bArmed;
    out.solo = track.m_bSolo;
    out.muted = track.m_bMuted;
    out.highlightBegin = pos.m_nHighlightBegin;
    out.highlightEnd = pos.m_nHighlightEnd;
    out.viewStart = pos.m_nViewStart;
    out.viewEnd = pos.m_nViewEnd;
    out.length = pos.m_nLength;
    out.highlightSpan = pos.m_nHighlightSpan;
    out.viewWidth = pos.m_nViewWidth;
    out.renderedLength = pos.m_nRenderedLength;
    out.markerBegin = pos.m_nMarkerBegin;
    out.markerEnd = pos.m_nMarkerEnd;
  }
  record.currentPosition = m_nCurrentPos;
  record.metronome = app->m_metronome;

  const std::string side = m_szProjectPath + ".saving";
  std::FILE* file = std::fopen(side.c_str(), "wb");
  if (!file) {
    ShowInformation("WriteMIX: Unable to write to Trackwright file " + m_szProjectPath);
    return 0;
  }
  std::vector<uint8_t> bytes = record.Encode();
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written || std::rename(side.c_str(), m_szProjectPath.c_str()) != 0) {
    std::remove(side.c_str());
    ReportError(kSaveWhere, "Failed to close Mix file (" + m_szProjectPath + ")");
    return 0;
  }
  // The saved copies are the tracks' audio now: the next save copies only what
  // changes after it.
  for (CAudioTrack& track : m_tracks) track.bNamesAssigned = 0;
  m_bCopyAllTracks = false;
  return 1;
}

int CMixerDoc::UserOpImportMix() {
  CMixerApp* app = CMixerApp::Get();
  if (!app) {
    ReportMissingObject("app", kOpenWhere);
    return 0;
  }
  app->m_bOpInProgress = true;
  std::FILE* file = std::fopen(m_szProjectPath.c_str(), "rb");
  if (!file) {
    ReportError(kOpenWhere, "Failed to open Mix file for read (" + m_szProjectPath + ")");
    return 0;
  }
  std::vector<uint8_t> bytes(ProjectRecord::kSize, 0);
  size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
  if (std::fclose(file) != 0) ReportError(kOpenWhere, "Failed to close Mix file (" + m_szProjectPath + ")");

  int current = 0;
  if (auto record = ProjectRecord::Decode(bytes.data(), count)) {
    int result = ApplyProjectRecord(*record, current);
    if (result != 1) return result;
  } else if (count >= 4 && std::memcmp(bytes.data(), "SNVX", 4) == 0) {
    int result = MigrateLegacyProject(LegacyRecord::Decode(bytes.data(), count));
    if (result != 1) return result;
  } else {
    ShowInformation("Sorry, " + m_szProjectPath + " is not a valid Sonavel file.");
    return 3;
  }
  m_nCurrentTrack = static_cast<int16_t>(current);
  AlignDocToTrack(current);
  app->m_boardTracks.SelectTrack(current, false);
  for (int n = 0; n < kTrackCount; ++n) app->m_boardTracks.SetTrackName(n + 1, Track(n).m_szText);
  RecomputeProjectLength();
  m_nCurrentPos = std::min(m_nCurrentPos, m_nProjectLength) & ~3u;
  AfterChange(current);
  return 1;
}

void CMixerDoc::ForgetChanges() {
  m_nUndoPos = m_nUndoCount = m_nRedoPos = m_nRedoCount = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    PCMFileClose(&Track(n).m_PCM);
    Track(n).ResetAllParameters();
    Track(n).m_nTrackNumber = static_cast<int16_t>(n);
  }
}

int CMixerDoc::ApplyProjectRecord(const ProjectRecord& record, int& current) {
  CMixerApp& app = *CMixerApp::Get();
  // Every track's audio must be there before anything of the project is taken over:
  // a refused file leaves the open project as it was.
  for (int n = 0; n < kTrackCount; ++n) {
    const TrackRecord& in = record.tracks[static_cast<size_t>(n)];
    if (in.length == 0) continue;
    std::error_code error;
    std::string pcm = TrackFile(record.folder, n, "pcm");
    auto size = fs::file_size(pcm, error);
    if (error || size < in.length) {
      ShowInformation("The project " + m_szProjectPath + " cannot be opened: its folder " + record.folder +
                      " does not hold the " + std::to_string(in.length) + " bytes of track " + std::to_string(n + 1) +
                      ".");
      return 0;
    }
  }
  // The changes in the undo and redo rings were made on the tracks being replaced.
  ForgetChanges();
  m_szProjectFolder = record.folder;
  app.m_boardMain.SetProjectDescription(record.description);
  if (record.version == 33) {
    app.m_boardMain.SetMasterLevel(record.master1293, kLevelLeft);
    app.m_boardMain.SetMasterLevel(record.master1294, kLevelRight);
  } else {
    app.m_boardMain.SetMasterLevel(record.master1293, kLevelBoth);
  }
  current = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    const TrackRecord& in = record.tracks[static_cast<size_t>(n)];
    CAudioTrack& track = Track(n);
    PCMFileClose(&track.m_PCM);
    track.m_szText = in.name;
    track.m_PCM.szPath = TrackFile(m_szProjectFolder, n, "pcm");
    track.m_szPeakPath = TrackFile(m_szProjectFolder, n, "pek");
    track.m_bArmed = in.armed ? 1 : 0;
    track.m_bSolo = in.solo ? 1 : 0;
    track.m_bMuted = in.muted ? 1 : 0;
    if (record.version == 30) {
      app.m_boardTracks.SetTrackLevel(n, in.level30, kLevelBoth);
    } else {
      app.m_boardTracks.SetTrackLevel(n, in.left, kLevelLeft);
      app.m_boardTracks.SetTrackLevel(n, in.right, kLevelRight);
    }
    TrackPositions& pos = track.m_pos;
    pos.m_nHighlightBegin = in.highlightBegin;
    pos.m_nHighlightEnd = in.highlightEnd;
    pos.m_nViewStart = in.viewStart;
    pos.m_nViewEnd = in.viewEnd;
    pos.m_nLength = in.length & ~3u;
    pos.m_nHighlightSpan = in.highlightSpan;
    pos.m_nViewWidth = in.viewWidth;
    pos.m_nRenderedLength = in.renderedLength;
    pos.m_nMarkerBegin = in.markerBegin;
    pos.m_nMarkerEnd = in.markerEnd;
    FitPositions(pos);
    DeriveScaledPositions(pos);
    track.m_PCM.nSize = pos.m_nLength;
    track.bHasAudio = pos.m_nLength != 0;
    track.bNamesAssigned = 0;
    app.m_boardTracks.ShowTrackFlags(n);
    if (in.current) current = n;
  }
  m_nCurrentPos = record.currentPosition;
  app.m_metronome = record.metronome;
  app.m_metronome.tempo = std::clamp<int16_t>(app.m_metronome.tempo, 0, 999);
  app.m_metronome.level = std::min<uint8_t>(app.m_metronome.level, kSilentLevel);
  return 1;
}

int CMixerDoc::MigrateLegacyProject(const LegacyRecord& record) {
  CMixerApp& app = *CMixerApp::Get();
  CImportOldDialog dialog;
  if (dialog.DoModal() != platform::IDOK) return 3;
  const std::string oldFolder = JoinPath(JoinPath(dialog.m_szFolder, "audio"), record.folderName);
  ForgetChanges();
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    uint32_t length = 0;
    PCMFile old;
    if (n < record.tracksInUse) {
      old.szPath = TrackFile(oldFolder, n + 1, "pcm");
      std::error_code error;
      auto size = fs::file_size(old.szPath, error);
      if (error) {
        ShowInformation("Failed to find the tracks for this project.\nPlease make sure " + dialog.m_szFolder +
                        " is the current audio path.");
        return 0;
      }
      length = static_cast<uint32_t>(std::min<uintmax_t>(size, 0xFFFFFFFCu)) & ~3u;
      old.nSize = length;
    }
    PCMFileClose(&track.m_PCM);
    track.m_PCM.szPath = TrackFile(m_szTempFolder, n, "pcm");
    track.m_szPeakPath = TrackFile(m_szTempFolder, n, "pek");
    if (PCMFileOpen(&track.m_PCM, kPCMWrite) != 1 || PCMFileClose(&track.m_PCM) != 1) {
      ReportError(kOpenWhere, "Failed to open the target track (" + track.m_PCM.szPath + ")");
      return 0;
    }
    track.m_bArmed = track.m_bSolo = track.m_bMuted = 0;
    int16_t level =
        (n < 4 || n < record.tracksInUse) ? LevelFromStored(record.levels[static_cast<size_t>(n)]) : kUnityLevel;
    app.m_boardTracks.SetTrackLevel(n, level, kLevelBoth);
    track.m_pos.SetInitial(length, 0);
    track.m_pos.m_nLength = length;
    track.bHasAudio = length != 0;
    track.bNamesAssigned = 1;
    track.m_szText = record.names[static_cast<size_t>(n)];

    m_pOperationDialog->SetMessage("Migrating track into new version...", 1);
    m_pOperationDialog->SetProgressRange(length / 100);
    m_pOperationDialog->UpdateProgress(0);
    int result = length == 0 ? 1 : PCMFileWrite(&old, &track.m_PCM, 0, length, kPCMWrite);
    if (result == 3) {
      OnNewDocument();
      return 3;
    }
    if (result != 1) return 0;
    track.m_PCM.nSize = length;
    track.CreatePeakFile(m_pOperationDialog);
    track.m_pos.m_nRenderedLength = track.m_nPeakLength;
    track.m_pos.SetInitial(length, track.m_nPeakLength);
    track.m_pos.m_nLength = length;
  }
  m_szProjectPath.clear();
  m_szProjectFolder.clear();
  app.m_boardMain.SetMasterLevel(LevelFromStored(record.master), kLevelBoth);
  app.m_boardMain.SetProjectDescription(record.description);
  if (record.complete) {
    app.m_config.metronomeOn = record.metronomeOn == 1 ? 1 : 0;
    app.m_config.metronomeMeasure = record.metronomeMeasure == 3 ? 0 : record.metronomeMeasure;
    app.m_config.metronomeTempo = record.metronomeTempo;
    app.m_config.metronomeLevel = static_cast<uint8_t>(LevelFromStored(record.metronomeLevel));
    app.m_metronome.on = app.m_config.metronomeOn;
    app.m_metronome.measure = app.m_config.metronomeMeasure;
    app.m_metronome.tempo = app.m_config.metronomeTempo;
    app.m_metronome.level = app.m_config.metronomeLevel;
  }
  return 1;
}
