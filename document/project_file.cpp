// Saving and opening project files, and migrating projects of the 2.x generation.
// A save writes every new file beside its target, then a commit file that decides
// the save, then renames the new files into place: whenever the process stops,
// the project is either the one saved before or the new one, never a mixture.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "core/file_utils.h"
#include "document/document_workspace.h"
#include "document/import_old_dialog.h"
#include "document/mixer_doc.h"
#include "document/project_commit.h"
#include "document/project_record.h"
#include "platform/file_commit.h"
#include "platform/last_error.h"
#include "platform/side_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSaveWhere = "CMixerDoc::WriteMIX";
constexpr const char* kOpenWhere = "CMixerDoc::UserOpImportMix";

// Copies count bytes of source (fewer when the source is shorter and short is
// allowed) into a new side file of target.
int CopyToSide(const std::string& source, const std::string& target, uint32_t count, bool shortAllowed,
               const char* kind, COperationDialog& progress, platform::SideFile& side) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> from(count > 0 ? std::fopen(source.c_str(), "rb") : nullptr,
                                                       std::fclose);
  if (!from && count > 0) {
    const int code = errno;
    if (!shortAllowed) {
      ReportErrorCode(kSaveWhere, std::string("Failed to open ") + kind + " file (" + source + ") for save read.",
                      code);
      return 0;
    }
    // A peak file that is not there is rendered anew when the project opens. One that
    // is there but cannot be read does not stop the save of the audio, but is told.
    if (code != ENOENT) {
      ShowInformation("The waveform file " + source + " could not be read (" + platform::SystemErrorText(code) +
                      "); the project is saved without it, and its waveform is drawn anew when it is next opened.");
    }
    count = 0;
  }
  if (!side.Create(target)) {
    ReportErrorCode(kSaveWhere, std::string("Failed to open ") + kind + " file (" + target + ") for save write.",
                    errno);
    return 0;
  }
  uint64_t copied = 0;
  auto result = count == 0 ? platform::SideFile::CopyResult::kDone
                           : side.CopyFrom(from.get(), count,
                                           [&progress](size_t block) { progress.StepProgress(block / 100); }, copied);
  using Copy = platform::SideFile::CopyResult;
  if (result == Copy::kWriteFailed) {
    ReportErrorCode(kSaveWhere, std::string("Failed to write ") + kind + " file (" + target + ") for save.", errno);
    return 0;
  }
  if (result == Copy::kReadFailed || (result == Copy::kSourceEnded && !shortAllowed)) {
    ReportErrorCode(kSaveWhere,
                    std::string("Failed to read ") + kind + " file (" + source + ") for save: it ends after " +
                        std::to_string(copied) + " of its " + std::to_string(count) + " bytes.",
                    result == Copy::kReadFailed ? errno : 0);
    return 0;
  }
  if (!side.Finish()) {
    ReportErrorCode(kSaveWhere, std::string("Failed to close ") + kind + " target file (" + target + ")", errno);
    return 0;
  }
  return 1;
}

// The magic and version of a record, with anything unprintable shown as '?'.
std::string FormatName(const std::vector<uint8_t>& bytes) {
  std::string name;
  for (size_t i = 0; i < 6 && i < bytes.size(); ++i) name += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?';
  return name;
}

// A file the save would replace that allows nobody to write it is not replaced.
bool RefuseReadOnly(const std::string& path) {
  if (!platform::IsReadOnlyFile(path)) return false;
  ShowInformation("WriteMIX: Unable to write to Trackwright file " + path +
                  "\nThe file is read-only; the project was not saved.");
  return true;
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
    if (MarkerSet(*marker) && MarkerValue(*marker) > length) *marker = kMarkerNotSet;
    if (MarkerSet(*marker)) *marker &= ~3;
  }
  if (!MarkerSet(pos.m_nMarkerBegin) || MarkerValue(pos.m_nMarkerEnd) <= MarkerValue(pos.m_nMarkerBegin)) {
    pos.m_nMarkerEnd = kMarkerNotSet;
  }
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
  DocumentWorkspace* work = &m_workspace;
  if (!m_pOperationDialog) {
    ReportError(kSaveWhere, "Pointer to dialog op is NULL");
    return 0;
  }
  m_pOperationDialog->DisableCancel();
  m_pOperationDialog->SetMessage("Saving project...", 0);
  m_pOperationDialog->UpdateProgress(0);

  // A save that stopped half-way is finished (or cleared away) before this one.
  if (FinishInterruptedSave(m_szProjectPath, kSaveWhere) != 1) return 0;

  // A new project gets a folder of its own, never one another project uses.
  bool madeFolder = false;
  if (m_szProjectFolder.empty()) {
    m_szProjectFolder = MakeNewFolder(work->m_szAudioFolder, MakeSessionStamp(std::time(nullptr)));
    m_bCopyAllTracks = true;
    madeFolder = !m_szProjectFolder.empty();
  }
  std::error_code error;
  if (!m_szProjectFolder.empty()) fs::create_directories(m_szProjectFolder, error);
  if (m_szProjectFolder.empty() || !fs::is_directory(m_szProjectFolder)) {
    ReportError(kSaveWhere, "Failed to create the project folder (" + m_szProjectFolder + ").");
    return 0;
  }
  // A folder made for a save that then failed holds nothing: it goes again.
  struct FolderGuard {
    std::string folder;
    bool keep = false;
    ~FolderGuard() {
      if (!keep && !folder.empty()) rmdir(folder.c_str());
    }
  } madeGuard{madeFolder ? m_szProjectFolder : std::string()};

  AlignTrackToDoc(m_nCurrentTrack);
  auto copied = [this](const CAudioTrack& track) {
    return track.bNamesAssigned || (m_bCopyAllTracks && track.m_pos.m_nLength > 0);
  };
  uint32_t units = 0;
  if (RefuseReadOnly(m_szProjectPath)) return 0;
  // A peak file rendered anew when the project was opened goes in with the save.
  auto peakOnly = [this](int n) {
    return Track(n).m_pos.m_nLength > 0 && Track(n).m_szPeakPath != ProjectTrackFile(m_szProjectFolder, n, "pek");
  };
  for (int n = 0; n < kTrackCount; ++n) {
    const bool whole = copied(Track(n));
    if ((whole || peakOnly(n)) && RefuseReadOnly(ProjectTrackFile(m_szProjectFolder, n, "pek"))) return 0;
    if (!whole) continue;
    units += (Track(n).m_pos.m_nRenderedLength + Track(n).m_pos.m_nLength) / 100;
    if (RefuseReadOnly(ProjectTrackFile(m_szProjectFolder, n, "pcm"))) return 0;
  }
  m_pOperationDialog->SetProgressRange(units);

  // Every new file is written in full beside its target first.
  std::vector<platform::SideFile> sides;
  sides.reserve(2 * kTrackCount + 1);
  std::array<bool, kTrackCount> peakSaved{};
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    if (!copied(track)) {
      if (!peakOnly(n)) continue;
      sides.emplace_back();
      if (CopyToSide(track.m_szPeakPath, ProjectTrackFile(m_szProjectFolder, n, "pek"), track.m_pos.m_nRenderedLength,
                     true, "peak", *m_pOperationDialog, sides.back()) != 1) {
        return 0;
      }
      peakSaved[static_cast<size_t>(n)] = true;
      continue;
    }
    peakSaved[static_cast<size_t>(n)] = true;
    sides.emplace_back();
    if (CopyToSide(track.m_PCM.szPath, ProjectTrackFile(m_szProjectFolder, n, "pcm"), track.m_pos.m_nLength, false,
                   "PCM", *m_pOperationDialog, sides.back()) != 1) {
      return 0;
    }
    sides.emplace_back();
    if (CopyToSide(track.m_szPeakPath, ProjectTrackFile(m_szProjectFolder, n, "pek"), track.m_pos.m_nRenderedLength,
                   true, "peak", *m_pOperationDialog, sides.back()) != 1) {
      return 0;
    }
  }

  ProjectRecord record;
  record.folder = m_szProjectFolder;
  record.description = work->m_boardMain.ProjectDescription();
  record.master1293 = static_cast<uint8_t>(work->m_boardMain.MasterLevel(kLevelLeft));
  record.master1294 = static_cast<uint8_t>(work->m_boardMain.MasterLevel(kLevelRight));
  for (int n = 0; n < kTrackCount; ++n) {
    const CAudioTrack& track = Track(n);
    const TrackPositions& pos = track.m_pos;
    TrackRecord& out = record.tracks[static_cast<size_t>(n)];
    out.name = work->m_boardTracks.GetTrackName(n + 1);
    out.left = static_cast<uint8_t>(work->m_boardTracks.GetTrackLevel(n, kLevelLeft));
    out.right = static_cast<uint8_t>(work->m_boardTracks.GetTrackLevel(n, kLevelRight));
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
  record.metronome = work->m_config.Metronome();

  const std::vector<uint8_t> bytes = record.Encode();
  sides.emplace_back();
  platform::SideFile& recordSide = sides.back();
  if (!recordSide.Create(m_szProjectPath) || !recordSide.Write(bytes.data(), bytes.size()) || !recordSide.Finish()) {
    const int code = errno;
    ShowInformation("WriteMIX: Unable to write to Trackwright file " + m_szProjectPath + "\n" +
                    platform::SystemErrorText(code));
    return 0;
  }

  // The commit file decides the save; from then on it is carried out even when the
  // process stops before the renames are done.
  // The record goes first: a project file that names the new folder is there as
  // soon as anything is renamed, and opening it finishes the rest.
  std::vector<platform::Replacement> replacements = {{recordSide.Path(), recordSide.Target()}};
  for (size_t n = 0; n + 1 < sides.size(); ++n) replacements.push_back({sides[n].Path(), sides[n].Target()});
  const std::string commitPath = SaveCommitPath(m_szProjectPath);
  if (!platform::WriteCommitFile(commitPath, replacements)) {
    const int code = errno;
    platform::RemoveCommitFile(commitPath);
    ReportErrorCode(kSaveWhere, "Failed to write the commit file (" + commitPath + "); the project was not saved.",
                    code);
    return 0;
  }
  for (platform::SideFile& side : sides) side.Keep();
  if (!platform::ApplyCommit(commitPath, replacements)) {
    const int code = errno;
    // The record is put in place first: while its side file is there, nothing was
    // replaced, and the save is given up whole rather than left for a later open of
    // a project that (after a Save As) the user may never open.
    if (access(recordSide.Path().c_str(), F_OK) == 0) {
      platform::RemoveCommitFile(commitPath);
      for (platform::SideFile& side : sides) side.Discard();
      ReportErrorCode(kSaveWhere, "Failed to put the saved files of " + m_szProjectPath + " in place; the project was not saved.",
                      code);
      return 0;
    }
    madeGuard.keep = true;
    ReportErrorCode(kSaveWhere,
                    "Failed to put the saved files of " + m_szProjectPath +
                        " in place; the save is finished when the project is next opened or saved.",
                    code);
    return 0;
  }
  madeGuard.keep = true;
  // The saved copies are the tracks' audio now: the next save copies only what
  // changes after it.
  // Their peak files are the saved ones too, which the next save need not copy.
  for (int n = 0; n < kTrackCount; ++n) {
    Track(n).bNamesAssigned = 0;
    if (peakSaved[static_cast<size_t>(n)]) Track(n).m_szPeakPath = ProjectTrackFile(m_szProjectFolder, n, "pek");
  }
  m_bCopyAllTracks = false;
  return 1;
}

int CMixerDoc::UserOpImportMix() {
  DocumentWorkspace* work = &m_workspace;
  work->m_bOpInProgress = true;
  // A save of this project that stopped after it was decided is finished first.
  if (FinishInterruptedSave(m_szProjectPath, kOpenWhere) != 1) return 0;
  std::vector<uint8_t> bytes;
  ProjectFileRead read = ReadProjectFileBytes(m_szProjectPath, ProjectRecord::kSize, bytes);
  if (read == ProjectFileRead::kCannotOpen || read == ProjectFileRead::kReadFailed) {
    const char* what = read == ProjectFileRead::kCannotOpen ? "Failed to open Mix file for read (" : "Failed to read Mix file (";
    ReportErrorCode(kOpenWhere, what + m_szProjectPath + ")", errno);
    return 0;
  }
  const size_t count = bytes.size();
  const ProjectFileKind kind =
      read == ProjectFileRead::kRead ? ClassifyProjectFile(bytes.data(), count) : ProjectFileKind::kNotProject;

  int current = 0;
  int result = 1;
  switch (kind) {
    case ProjectFileKind::kProject:
      result = ApplyProjectRecord(*ProjectRecord::Decode(bytes.data(), count), current);
      break;
    case ProjectFileKind::kLegacy:
      result = MigrateLegacyProject(LegacyRecord::Decode(bytes.data(), count));
      break;
    case ProjectFileKind::kShortProject:
    case ProjectFileKind::kShortLegacy:
      ShowInformation("Sorry, " + m_szProjectPath + " is damaged: it holds " + std::to_string(count) + " of the " +
                      std::to_string(kind == ProjectFileKind::kShortProject ? ProjectRecord::kSize
                                                                            : LegacyRecord::kSize) +
                      " bytes of a Sonavel project file.");
      return kCancelled;
    case ProjectFileKind::kUnknownVersion:
      ShowInformation("Sorry, " + m_szProjectPath + " was saved in the project format " + FormatName(bytes) +
                      ", which this version of Sonavel Trackwright cannot read.");
      return kCancelled;
    case ProjectFileKind::kNotProject:
      ShowInformation("Sorry, " + m_szProjectPath + " is not a valid Sonavel file.");
      return kCancelled;
  }
  if (result != 1) return result;
  m_nCurrentTrack = static_cast<int16_t>(current);
  AlignDocToTrack(current);
  work->m_boardTracks.SelectTrack(current, false);
  for (int n = 0; n < kTrackCount; ++n) work->m_boardTracks.SetTrackName(n + 1, Track(n).m_szText);
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
  DocumentWorkspace& work = m_workspace;
  // A track whose file is missing or shorter than the record says opens with the
  // audio that is there; nothing in the project folder changes until it is saved.
  std::array<uint32_t, kTrackCount> lengths{};
  std::string lacking;
  for (int n = 0; n < kTrackCount; ++n) {
    const uint32_t wanted = record.tracks[static_cast<size_t>(n)].length & ~3u;
    if (wanted == 0) continue;
    std::error_code error;
    auto size = fs::file_size(ProjectTrackFile(record.folder, n, "pcm"), error);
    lengths[static_cast<size_t>(n)] = error ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(size, wanted)) & ~3u;
    if (lengths[static_cast<size_t>(n)] == wanted) continue;
    lacking += (lacking.empty() ? "" : ", ") + std::string("track ") + std::to_string(n + 1) +
               (error ? " (its file is missing)"
                      : " (" + std::to_string(lengths[static_cast<size_t>(n)]) + " of its " + std::to_string(wanted) +
                            " bytes)");
  }
  if (!lacking.empty()) {
    ShowInformation("The folder " + record.folder + " of the project " + m_szProjectPath +
                    " lacks audio of " + lacking +
                    ". These tracks open with the audio that is there; the saved files stay as they are until the "
                    "project is saved.");
  }
  // The changes in the undo and redo rings were made on the tracks being replaced.
  ForgetChanges();
  m_szProjectFolder = record.folder;
  work.m_boardMain.SetProjectDescription(record.description);
  if (record.version == 33) {
    work.m_boardMain.SetMasterLevel(record.master1293, kLevelLeft);
    work.m_boardMain.SetMasterLevel(record.master1294, kLevelRight);
  } else {
    work.m_boardMain.SetMasterLevel(record.master1293, kLevelBoth);
  }
  current = 0;
  for (int n = 0; n < kTrackCount; ++n) {
    const TrackRecord& in = record.tracks[static_cast<size_t>(n)];
    CAudioTrack& track = Track(n);
    PCMFileClose(&track.m_PCM);
    track.m_szText = in.name;
    track.m_PCM.szPath = ProjectTrackFile(m_szProjectFolder, n, "pcm");
    track.m_szPeakPath = ProjectTrackFile(m_szProjectFolder, n, "pek");
    track.m_bArmed = in.armed ? 1 : 0;
    track.m_bSolo = in.solo ? 1 : 0;
    track.m_bMuted = in.muted ? 1 : 0;
    if (record.version == 30) {
      work.m_boardTracks.SetTrackLevel(n, in.level30, kLevelBoth);
    } else {
      work.m_boardTracks.SetTrackLevel(n, in.left, kLevelLeft);
      work.m_boardTracks.SetTrackLevel(n, in.right, kLevelRight);
    }
    TrackPositions& pos = track.m_pos;
    pos.m_nHighlightBegin = in.highlightBegin;
    pos.m_nHighlightEnd = in.highlightEnd;
    pos.m_nViewStart = in.viewStart;
    pos.m_nViewEnd = in.viewEnd;
    pos.m_nLength = lengths[static_cast<size_t>(n)];
    pos.m_nHighlightSpan = in.highlightSpan;
    pos.m_nViewWidth = in.viewWidth;
    pos.m_nRenderedLength = in.renderedLength;
    pos.m_nMarkerBegin = in.markerBegin;
    pos.m_nMarkerEnd = in.markerEnd;
    track.m_PCM.nSize = pos.m_nLength;
    // A peak file that is missing or does not fit the audio is rendered anew in the
    // session folder. One of length L holds up to L / 64 bytes: two less when L is a
    // multiple of 128 (no entry for the last span), else less the odd last one.
    std::error_code error;
    const uintmax_t peakSize = fs::file_size(track.m_szPeakPath, error);
    const uint32_t peakWanted = pos.m_nLength >> 6;
    if (pos.m_nLength != 0 && (error || peakSize > peakWanted || peakWanted - peakSize > 2)) {
      track.m_szPeakPath = ProjectTrackFile(m_szTempFolder, n, "pek");
      if (track.CreatePeakFile(m_pOperationDialog) == 1) pos.m_nRenderedLength = track.m_nPeakLength;
    }
    FitPositions(pos);
    DeriveScaledPositions(pos);
    track.bHasAudio = pos.m_nLength != 0;
    track.bNamesAssigned = 0;
    work.m_boardTracks.ShowTrackFlags(n);
    if (in.current) current = n;
  }
  m_nCurrentPos = record.currentPosition;
  MetronomeSettings metronome = record.metronome;
  metronome.tempo = std::clamp<int16_t>(metronome.tempo, 0, 999);
  metronome.level = std::min<uint8_t>(metronome.level, kSilentLevel);
  work.m_config.SetMetronome(metronome);
  Host().ApplyMetronomeSettings();
  return 1;
}

int CMixerDoc::PlaceTrackAudio(int n, PCMFile& audio, const char* location) {
  CAudioTrack& track = Track(n);
  const uint32_t length = audio.nSize;
  PCMFileClose(&track.m_PCM);
  track.m_PCM.szPath = ProjectTrackFile(m_szTempFolder, n, "pcm");
  track.m_szPeakPath = ProjectTrackFile(m_szTempFolder, n, "pek");
  const bool placed = length > 0 ? MoveAudioFile(&audio, &track.m_PCM) == 1
                                 : PCMFileOpen(&track.m_PCM, kPCMWrite) == 1 && PCMFileClose(&track.m_PCM) == 1;
  if (!audio.szPath.empty() && length == 0) PCMFileCleanup(&audio);
  if (!placed) {
    ReportError(location, "Failed to open the target track (" + track.m_PCM.szPath + ")");
    return 0;
  }
  track.bHasAudio = length != 0;
  track.m_PCM.nSize = length;
  track.CreatePeakFile(m_pOperationDialog);
  track.m_pos.SetInitial(length, track.m_nPeakLength);
  track.m_pos.m_nLength = length;
  track.m_pos.m_nRenderedLength = track.m_nPeakLength;
  return 1;
}

int CMixerDoc::MigrateLegacyProject(const LegacyRecord& record) {
  DocumentWorkspace& work = m_workspace;
  CImportOldDialog dialog;
  if (dialog.DoModal() != platform::IDOK) return kCancelled;
  const std::string oldFolder = JoinPath(JoinPath(dialog.m_szFolder, "audio"), record.folderName);
  const int inUse = std::min<int>(record.tracksInUse, kTrackCount);

  // Every old track must be there before anything of the open project is given up.
  std::array<PCMFile, kTrackCount> old;
  for (int n = 0; n < inUse; ++n) {
    PCMFile& file = old[static_cast<size_t>(n)];
    file.szPath = ProjectTrackFile(oldFolder, n + 1, "pcm");
    struct stat info {};
    if (stat(file.szPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      ShowInformation("Failed to find the tracks for this project.\nPlease make sure " + dialog.m_szFolder +
                      " is the current audio path.");
      return 0;
    }
    file.nSize = static_cast<uint32_t>(std::min<off_t>(info.st_size, 0xFFFFFFFCu)) & ~3u;
  }

  // The old audio is copied into files of the session of its own first: a failure or
  // a cancel on the way leaves the open project as it was.
  std::array<PCMFile, kTrackCount> copies;
  auto dropCopies = [&copies] {
    for (PCMFile& copy : copies) {
      if (!copy.szPath.empty()) PCMFileCleanup(&copy);
    }
  };
  for (int n = 0; n < inUse; ++n) {
    PCMFile& copy = copies[static_cast<size_t>(n)];
    const uint32_t length = old[static_cast<size_t>(n)].nSize;
    if (PCMFileSetup(&copy, m_szTempFolder, "migrate" + std::to_string(n)) != 1) {
      dropCopies();
      return 0;
    }
    m_pOperationDialog->SetMessage("Migrating track into new version...", 1);
    m_pOperationDialog->SetProgressRange(length / 100);
    m_pOperationDialog->UpdateProgress(0);
    int result = length == 0 ? 1 : PCMFileWrite(&old[static_cast<size_t>(n)], &copy, 0, length, kPCMWrite);
    if (result != 1) {
      dropCopies();
      return result == kCancelled ? kCancelled : kFailed;
    }
    copy.nSize = length;
  }

  ForgetChanges();
  for (int n = 0; n < kTrackCount; ++n) {
    CAudioTrack& track = Track(n);
    if (PlaceTrackAudio(n, copies[static_cast<size_t>(n)], kOpenWhere) != 1) {
      dropCopies();
      return 0;
    }
    track.m_bArmed = track.m_bSolo = track.m_bMuted = 0;
    int16_t level = (n < 4 || n < inUse) ? LevelFromStored(record.levels[static_cast<size_t>(n)]) : kUnityLevel;
    work.m_boardTracks.SetTrackLevel(n, level, kLevelBoth);
    track.m_szText = record.names[static_cast<size_t>(n)];
    track.bNamesAssigned = 1;
  }
  m_szProjectPath.clear();
  m_szProjectFolder.clear();
  work.m_boardMain.SetMasterLevel(LevelFromStored(record.master), kLevelBoth);
  work.m_boardMain.SetProjectDescription(record.description);
  if (record.complete) {
    MetronomeSettings metronome = work.m_config.Metronome();
    metronome.on = record.metronomeOn == 1 ? 1 : 0;
    metronome.measure = record.metronomeMeasure == 3 ? 0 : record.metronomeMeasure;
    metronome.tempo = record.metronomeTempo;
    metronome.level = static_cast<uint8_t>(LevelFromStored(record.metronomeLevel));
    work.m_config.SetMetronome(metronome);
    Host().ApplyMetronomeSettings();
  }
  return 1;
}
