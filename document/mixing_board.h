#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/dialog_logic.h"

class CMixerDoc;

// Which channel of a strip a level call means.
inline constexpr int kLevelLeft = 5;
inline constexpr int kLevelRight = 6;
inline constexpr int kLevelBoth = 7;
inline constexpr int16_t kUnityLevel = 10;
inline constexpr int16_t kSilentLevel = 60;

// The control ids of one track strip.
struct TrackStripIds {
  int name, left, leftLabel, right, rightLabel, lock, view, arm, solo, mute;
};
extern const std::array<TrackStripIds, 8> kTrackStripIds;

// The name a strip control carries in the board's layout.
std::string BoardControl(int id);

// The eight track strips: level indices and locks, and the buttons that set the
// tracks' arm, solo and mute flags and the current track. The state lives here
// whether or not the strips are on screen, so that playback, mixdown, the project
// file and the command line all read the same levels.
class CMixingBoardTrackDialog : public platform::DialogLogic {
 public:
  CMixingBoardTrackDialog() : DialogLogic("board_tracks") {}
  // The document it works on, given by the workspace that holds it; null without one.
  CMixerDoc* m_pDocument = nullptr;

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnHScroll(const std::string& id) override;
  void OnKillFocus(const std::string& id) override;

  void InitStrips();
  void SetLevel(int sliderId, int16_t index);
  void SetTrackLevel(int track, int16_t index, int which);
  int16_t GetTrackLevel(int track, int which) const;
  void SetLockStatus(int track, bool locked);
  bool IsLocked(int track) const { return m_locks[static_cast<size_t>(track)]; }
  void SetTrackName(int track, const std::string& name);  // track 1 to 8
  std::string GetTrackName(int track) const;              // track 1 to 8
  // Shows a track's flags on its buttons.
  void ShowTrackFlags(int track);

  // A slider of a track moved to index: the lock moves the other one with it.
  void MoveSlider(int track, bool left, int16_t index);
  void HandleSolo(int track);
  void HandleArm(int track);
  void HandleMute(int track);
  void HandleView(int track, bool saveCurrent);
  void SelectTrack(int track, bool saveCurrent) { HandleView(track, saveCurrent); }
  // A new project: empty names, no flags, every level at unity; locks stay.
  void ResetForNewProject();

 private:
  void SetCheck(int controlId, bool checked);
  std::array<std::array<int16_t, 2>, 8> m_levels{};
  std::array<bool, 8> m_locks{};
  std::array<std::string, 8> m_names;
};

// The main strip: the master levels, their lock, the output meters and the
// project's description.
class CMixingBoardMainDialog : public platform::DialogLogic {
 public:
  static constexpr int kLeftSlider = 1053, kRightSlider = 1054, kLeftLabel = 1233, kRightLabel = 1234;
  static constexpr int kLeftMeter = 1055, kRightMeter = 1056, kLock = 1052, kDescription = 1087;

  CMixingBoardMainDialog() : DialogLogic("board_main") {}

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;
  void OnHScroll(const std::string& id) override;

  void InitMain();
  void SetMasterLevel(int16_t index, int which);
  int16_t MasterLevel(int which) const { return which == kLevelRight ? m_masterRight : m_masterLeft; }
  void MoveSlider(bool left, int16_t index);
  void SetLockStatus(bool locked);
  bool IsLocked() const { return m_bLockMaster; }
  void SetProjectDescription(const std::string& text);
  const std::string& ProjectDescription() const { return m_description; }
  void SetMeters(int left, int right);
  // The document it works on, given by the workspace that holds it; null without one.
  CMixerDoc* m_pDocument = nullptr;

 private:
  int16_t m_masterLeft = kUnityLevel;
  int16_t m_masterRight = kUnityLevel;
  bool m_bLockMaster = true;
  std::string m_description;
};
