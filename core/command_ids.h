#pragma once

#include <array>
#include <cstddef>

// Command ids of the main window's menu, toolbars and keyboard shortcuts. The
// toolbar buttons use the ids of the menu items they stand for.

// File
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 32804;
inline constexpr int ID_FILE_OPEN_MIX = 32771;
inline constexpr int ID_FILE_OPEN_MP3 = 32772;
inline constexpr int ID_FILE_OPEN_WAVE = 32773;
inline constexpr int ID_FILE_SAVE = 32819;
inline constexpr int ID_FILE_SAVE_AS = 32820;
inline constexpr int ID_FILE_SAVE_AS_MIX = 32774;
inline constexpr int ID_FILE_SAVE_AS_WAVE = 32775;
inline constexpr int ID_FILE_SAVE_AS_MP3 = 32776;
// The entries of the recent-file list, newest first.
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int kRecentFileCommands = 4;
inline constexpr int ID_APP_EXIT = 57665;

// Edit
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_PASTE_INSERT = 32805;
inline constexpr int ID_EDIT_PASTE_OVER = 32806;
inline constexpr int ID_EDIT_DELETE = 32808;
inline constexpr int ID_EDIT_CUT_MARKERS = 32824;
inline constexpr int ID_EDIT_COPY_MARKERS = 32825;
inline constexpr int ID_EDIT_DELETE_MARKERS = 32826;
inline constexpr int ID_EDIT_CLEAR_TRACK = 32823;

// Tools
inline constexpr int ID_TOOLS_INSERT_SILENCE = 32807;
inline constexpr int ID_TOOLS_ADJUST_VOLUME = 32780;
inline constexpr int ID_TOOLS_FADE = 32781;
inline constexpr int ID_TOOLS_MUTE_AUDIO = 32782;
inline constexpr int ID_TOOLS_REVERSE = 32783;
inline constexpr int ID_TOOLS_SWAP_CHANNELS = 32784;
inline constexpr int ID_TOOLS_COPY_CHANNEL = 32827;
inline constexpr int ID_TOOLS_ECHO = 32792;
inline constexpr int ID_TOOLS_REVERB = 32793;
inline constexpr int ID_TOOLS_MULTI_VOICE = 32794;
inline constexpr int ID_TOOLS_IMPORT_MP3 = 32787;
inline constexpr int ID_TOOLS_IMPORT_WAVE = 32828;
inline constexpr int ID_TOOLS_MIXDOWN_TRACK = 32789;
inline constexpr int ID_TOOLS_MIXDOWN_MP3 = 32790;
inline constexpr int ID_TOOLS_MIXDOWN_WAVE = 32791;

// Tools, Markers (also the main window's context menu)
inline constexpr int ID_MARKER_SET_BEGIN = 32811;
inline constexpr int ID_MARKER_SET_END = 32812;
inline constexpr int ID_MARKER_SET_HIGHLIGHT = 32815;
inline constexpr int ID_MARKER_ERASE_BEGIN = 32813;
inline constexpr int ID_MARKER_ERASE_END = 32814;
inline constexpr int ID_MARKER_ERASE_BOTH = 32817;
inline constexpr int ID_MARKER_INPUT_TIMES = 32829;

// Tools, Settings
inline constexpr int ID_SETTINGS_METRONOME = 32818;
inline constexpr int ID_SETTINGS_APPLICATION = 32821;
inline constexpr int ID_SETTINGS_PROJECT = 32822;

// Help
inline constexpr int ID_HELP_DOCUMENTATION = 32795;
inline constexpr int ID_APP_ABOUT = 57664;

// Transport (lower toolbar and keyboard)
inline constexpr int ID_TRANSPORT_PLAY = 32809;
inline constexpr int ID_TRANSPORT_STOP = 32810;
inline constexpr int ID_TRANSPORT_PLAY_STOP = 32846;
inline constexpr int ID_TRANSPORT_REWIND = 32847;
inline constexpr int ID_TRANSPORT_FAST_FORWARD = 32848;
inline constexpr int ID_TRANSPORT_RECORD = 32816;
inline constexpr int ID_TRANSPORT_MONITOR = 32830;

// Keyboard commands on the mixing board's current track
inline constexpr int ID_TRACK_ARM_TOGGLE = 32839;
inline constexpr int ID_TRACK_SOLO_TOGGLE = 32841;
inline constexpr int ID_TRACK_MUTE_TOGGLE = 32842;
// Ctrl+1 to Ctrl+8: make track 1 to 8 the current track.
inline constexpr int ID_TRACK_SELECT1 = 32870;
inline constexpr int kTrackSelectCommands = 8;

// Waveform zoom (keyboard)
inline constexpr int ID_VIEW_ZOOM_IN = 32860;
inline constexpr int ID_VIEW_ZOOM_OUT = 32861;

// The project position slider of the lower toolbar.
inline constexpr int IDC_PROJECT_SLIDER = 33779;

// The command that makes track (0 to 7) the current track.
constexpr int TrackSelectCommand(int track) {
  return ID_TRACK_SELECT1 + track;
}
// The command of recent-file entry index (0 is the newest).
constexpr int RecentFileCommand(int index) {
  return ID_FILE_MRU_FILE1 + index;
}

// Every command id, recent-file and track-select ranges included.
inline constexpr std::array kAllCommandIds{ID_FILE_NEW,
                                           ID_FILE_OPEN,
                                           ID_FILE_OPEN_MIX,
                                           ID_FILE_OPEN_MP3,
                                           ID_FILE_OPEN_WAVE,
                                           ID_FILE_SAVE,
                                           ID_FILE_SAVE_AS,
                                           ID_FILE_SAVE_AS_MIX,
                                           ID_FILE_SAVE_AS_WAVE,
                                           ID_FILE_SAVE_AS_MP3,
                                           RecentFileCommand(0),
                                           RecentFileCommand(1),
                                           RecentFileCommand(2),
                                           RecentFileCommand(3),
                                           ID_APP_EXIT,
                                           ID_EDIT_UNDO,
                                           ID_EDIT_REDO,
                                           ID_EDIT_CUT,
                                           ID_EDIT_COPY,
                                           ID_EDIT_PASTE_INSERT,
                                           ID_EDIT_PASTE_OVER,
                                           ID_EDIT_DELETE,
                                           ID_EDIT_CUT_MARKERS,
                                           ID_EDIT_COPY_MARKERS,
                                           ID_EDIT_DELETE_MARKERS,
                                           ID_EDIT_CLEAR_TRACK,
                                           ID_TOOLS_INSERT_SILENCE,
                                           ID_TOOLS_ADJUST_VOLUME,
                                           ID_TOOLS_FADE,
                                           ID_TOOLS_MUTE_AUDIO,
                                           ID_TOOLS_REVERSE,
                                           ID_TOOLS_SWAP_CHANNELS,
                                           ID_TOOLS_COPY_CHANNEL,
                                           ID_TOOLS_ECHO,
                                           ID_TOOLS_REVERB,
                                           ID_TOOLS_MULTI_VOICE,
                                           ID_TOOLS_IMPORT_MP3,
                                           ID_TOOLS_IMPORT_WAVE,
                                           ID_TOOLS_MIXDOWN_TRACK,
                                           ID_TOOLS_MIXDOWN_MP3,
                                           ID_TOOLS_MIXDOWN_WAVE,
                                           ID_MARKER_SET_BEGIN,
                                           ID_MARKER_SET_END,
                                           ID_MARKER_SET_HIGHLIGHT,
                                           ID_MARKER_ERASE_BEGIN,
                                           ID_MARKER_ERASE_END,
                                           ID_MARKER_ERASE_BOTH,
                                           ID_MARKER_INPUT_TIMES,
                                           ID_SETTINGS_METRONOME,
                                           ID_SETTINGS_APPLICATION,
                                           ID_SETTINGS_PROJECT,
                                           ID_HELP_DOCUMENTATION,
                                           ID_APP_ABOUT,
                                           ID_TRANSPORT_PLAY,
                                           ID_TRANSPORT_STOP,
                                           ID_TRANSPORT_PLAY_STOP,
                                           ID_TRANSPORT_REWIND,
                                           ID_TRANSPORT_FAST_FORWARD,
                                           ID_TRANSPORT_RECORD,
                                           ID_TRANSPORT_MONITOR,
                                           ID_TRACK_ARM_TOGGLE,
                                           ID_TRACK_SOLO_TOGGLE,
                                           ID_TRACK_MUTE_TOGGLE,
                                           TrackSelectCommand(0),
                                           TrackSelectCommand(1),
                                           TrackSelectCommand(2),
                                           TrackSelectCommand(3),
                                           TrackSelectCommand(4),
                                           TrackSelectCommand(5),
                                           TrackSelectCommand(6),
                                           TrackSelectCommand(7),
                                           ID_VIEW_ZOOM_IN,
                                           ID_VIEW_ZOOM_OUT,
                                           IDC_PROJECT_SLIDER};

namespace command_ids_detail {
constexpr bool AllDistinct() {
  for (size_t i = 0; i < kAllCommandIds.size(); ++i) {
    for (size_t j = i + 1; j < kAllCommandIds.size(); ++j) {
      if (kAllCommandIds[i] == kAllCommandIds[j]) return false;
    }
  }
  return true;
}
}  // namespace command_ids_detail
static_assert(command_ids_detail::AllDistinct(), "two commands share an id");
