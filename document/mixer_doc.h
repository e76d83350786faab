#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/audio_track.h"
#include "document/document_host.h"
#include "document/take_mix.h"
#include "document/undo_record.h"

class COperationDialog;
class CPeakBuilder;
struct DocumentWorkspace;
struct ProjectRecord;
struct RecordedTake;
struct LegacyRecord;

inline constexpr int kTrackCount = 8;
inline constexpr int kUndoDepth = 4;

// The gain of each mixing-board level index; 10 is unity, 60 silence.
extern const std::array<float, 61> kLevelTable;

// The project document: eight tracks with their files and positions, the current
// track and its mirror, the undo and redo rings and the project's texts.
class CMixerDoc {
 public:
  // The document works with the workspace's scratch files, board and dialogs and
  // tells the host of its changes; both outlive it.
  CMixerDoc(DocumentWorkspace& workspace, DocumentHost& host);
  ~CMixerDoc();
  DocumentWorkspace& Workspace() const { return m_workspace; }
  DocumentHost& Host() const { return m_host; }
  CMixerDoc(const CMixerDoc&) = delete;
  CMixerDoc& operator=(const CMixerDoc&) = delete;

  // Names and creates the working files of the session in folder.
  int AssignTrackFileNames(const std::string& folder);
  // Closes every track file before an operation and reopens them after it.
  int PrepTracksForOp();
  int PostTracksForOp();
  // Moves every track to position (2 while the project plays).
  int TrackSeekOnLeftButton(uint32_t position);
  int AlignDocToTrack(int track);
  int AlignTrackToDoc(int track);
  // Makes track current, storing the mirror into the old one first when keep is set.
  int OnViewChange(int track, bool keep);
  // Puts an operation's result in place and re-derives the track's positions. The
  // track's peaks are rendered from the result, or taken from peaks when they were
  // built as the result was written (a result that is the whole track).
  int DocFinalize(int kind, int track, PCMFile* result, uint32_t first, uint32_t last, CPeakBuilder* peaks = nullptr);
  // Stores an edit's undo record (undoFile: the audio it keeps), moves clipboard, when
  // given, over the clipboard, and puts result in place through DocFinalize (with
  // peaks). When a step fails the earlier ones are taken back: the track keeps its
  // audio and length, and the clipboard and the undo ring are as they were.
  int CommitEdit(PCMFile* undoFile, int kind, int track, uint32_t first, uint32_t last, int pastEOF,
                 PCMFile* result, PCMFile* clipboard = nullptr, CPeakBuilder* peaks = nullptr);
  // The track's length as its file holds it, after a change that did not happen.
  void KeepTrackLength(int track);
  int OnNewDocument();
  // Opens or imports a file by its extension; 1, or 0 when refused or failed.
  int OnMyOpenDocument(const std::string& path);
  // Deletes every working file and the session folder.
  void CleanupTempDir();

  // The edits of the current track; each returns 1, 0 (reported) or 3 (cancelled).
  int UserOpCut(Operation source);
  int UserOpDelete(Operation source);
  int UserOpCopy(Operation source);
  int UserOpPasteInsert();
  int UserOpPasteOver();
  int UserOpInsertSilence();
  // Runs the tool of operation op on its range of the current track; 1, 0 (reported),
  // 2 (nothing to do: the track is untouched) or 3 (cancelled).
  int UserOpX(Operation op);

  // Imports m_szImportPath into the current track at the highlight's begin.
  int UserOpImportWave();
  int UserOpImportMP3();
  // Stores a recorded take into the armed track, in scratch, keeping what it replaces
  // in undoScratch for undo: 1, 2 (nothing to import), 0 (reported) or 3 (cancelled).
  int UserOpHandleRecord(const RecordedTake& take, PCMFile* scratch, PCMFile* undoScratch);
  // Mixes the project (or the mixdown dialog's source tracks) into target.
  int MixDownToOneFile(std::FILE* target, bool onlySelected);
  // Mixes length (at most 88200) bytes of the project from position into buffer; 0 when refused.
  int ReadMix(char* buffer, uint32_t length, uint32_t position);
  // Export the mix to m_szExportPath, or onto the mixdown dialog's target track.
  int WriteWAV();
  int WriteMP3();
  int TrackMixDown();

  // Saves the project to m_szProjectPath; opens the project file named there.
  int WriteMIX();
  int UserOpImportMix();
  // Takes the tracks of the left session folder m_szRecoverFolder as a new, unsaved
  // project; the folder is removed once its audio is in place.
  int UserOpRecoverSession();
  std::string m_szRecoverFolder;

  // The undo and redo rings.
  int UndoStore(PCMFile* file, int kind, int track, uint32_t first, uint32_t last, int pastEOF);
  int RedoStore(PCMFile* file, int kind, int track, uint32_t first, uint32_t last, int pastEOF);
  // Take back the record the last store wrote; countBefore is the count before it.
  void UndoUnstore(int16_t countBefore);
  void RedoUnstore(int16_t countBefore);
  int UserOpUndo();
  int UserOpRedo();

  // The first armed track, or -1.
  int ArmedTrack() const;
  bool AnySolo() const;
  CAudioTrack& Track(int index) { return m_tracks[static_cast<size_t>(index)]; }
  const CAudioTrack& Track(int index) const { return m_tracks[static_cast<size_t>(index)]; }
  CAudioTrack& CurrentTrack() { return Track(m_nCurrentTrack); }
  // Sets the flag and, when it changes, the window title.
  void SetModifiedFlag(bool modified);
  bool IsModified() const { return m_bModified; }
  // The project file's name, or "Untitled".
  std::string TitleText() const;
  // Shows the project's name in the window title, with "*" in front while it has
  // unsaved changes.
  void UpdateTitle();

  std::string m_szProjectPath;
  std::string m_szImportPath;
  // The file the next export writes; exports never take the project file's name.
  std::string m_szExportPath;
  std::string m_szProjectFolder;
  std::string m_szProjectFolder2;
  std::array<UndoRecord, kUndoDepth> m_undo;
  std::array<UndoRecord, kUndoDepth> m_redo;
  int16_t m_nUndoPos = 0;
  int16_t m_nUndoCount = 0;
  int16_t m_nRedoPos = 0;
  int16_t m_nRedoCount = 0;
  COperationDialog* m_pOperationDialog = nullptr;
  int16_t m_nCurrentTrack = 0;
  TrackPositions m_mirror;
  uint32_t m_nCurrentPos = 0;
  std::array<uint32_t, 4> m_viewValues{};
  bool m_bRecording = false;
  // How the playback mix accompanies a take while one records.
  TakeMix m_takeMix;
  uint32_t m_nProjectLength = 0;
  std::string m_szTempFolder;
  // Set for a save into a new project folder: every track with audio is copied.
  bool m_bCopyAllTracks = false;

 private:
  DocumentWorkspace& m_workspace;
  DocumentHost& m_host;
  // Reports a track number outside 0..7 under location; true when it is valid.
  static bool CheckTrack(int track, const char* location);
  // The common checks of every edit: the current track and the progress dialog.
  bool EditPreconditions(const char* location);
  // The common start of cut and delete: the checks, the mirror stored into the track,
  // and the range of the source (highlight, markers or whole track) inside the track.
  bool RemovalRange(const char* location, Operation source, uint32_t& first, uint32_t& last);
  void RecomputeProjectLength();
  // Whether an undo or redo record still fits its track; a record of cutKind cuts
  // its whole range out, so all of it must be there.
  bool RecordFitsTrack(const UndoRecord& record, int cutKind, const char* location);
  // Empties the undo and redo rings and resets every track before another project
  // takes the document over.
  void ForgetChanges();
  int ImportDecoded(bool mp3);
  int ApplyProjectRecord(const ProjectRecord& record, int& current);
  int MigrateLegacyProject(const LegacyRecord& record);
  // Moves a closed audio file into track n's place in the session folder (an empty
  // track for a file of no bytes) and renders its peaks; 0 after a report under location.
  int PlaceTrackAudio(int n, PCMFile& audio, const char* location);
  void AfterChange(int track);
  std::array<CAudioTrack, kTrackCount> m_tracks;
  bool m_bModified = false;
};
