#include "cli/script.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>

#include "core/command_ids.h"
#include "core/file_utils.h"
#include "app/mixer_app.h"
#include "core/time_format.h"
#include "cli/command_words.h"
#include "cli/config_command.h"
#include "cli/declared_length.h"
#include "cli/effect_command.h"
#include "cli/metronome_command.h"
#include "cli/play_command.h"
#include "cli/record_command.h"
#include "cli/recover_command.h"
#include "document/export_dialogs.h"
#include "document/mixer_doc.h"
#include "document/mixing_board.h"
#include "document/time_input.h"
#include "platform/console/console_system.h"

namespace {

std::string Marker(int32_t marker) {
  return MarkerSet(marker) ? std::to_string(MarkerValue(marker)) : "-";
}

// A track number 1 to 8 as an index, -1 for anything else.
int TrackNumber(const std::string& text) {
  return (text.size() == 1 && text[0] >= '1' && text[0] <= '8') ? text[0] - '1' : -1;
}

// A level index 0 to 60, -1 for anything else.
int Level(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
  int level = std::stoi(text);
  return level <= kSilentLevel ? level : -1;
}

// The last four characters of a file name in lower case.
std::string Ending(const std::string& path) {
  std::string ending = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return ending;
}

// A text printed between quotes with its control characters, backslashes and quotes
// escaped, so that a name can neither drive the terminal nor end its quotes early.
std::string Escaped(const std::string& text) {
  std::string escaped;
  for (unsigned char c : text) {
    if (c == '\\' || c == '\'') {
      escaped += '\\';
      escaped += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      escaped += hex;
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

// The bit rates an MP3 export takes, as a list for messages.
std::string BitRateList() {
  std::string list;
  for (const char* rate : kMp3BitRates) list += (list.empty() ? "" : ", ") + std::string(rate);
  return list;
}

struct EditVerb {
  const char* name;
  int command;
  bool betweenMarkers = false;
};
constexpr EditVerb kEditVerbs[] = {
    {"cut", ID_EDIT_CUT},
    {"copy", ID_EDIT_COPY},
    {"paste-insert", ID_EDIT_PASTE_INSERT},
    {"paste-over", ID_EDIT_PASTE_OVER},
    {"delete", ID_EDIT_DELETE},
    {"cut-markers", ID_EDIT_CUT_MARKERS, true},
    {"copy-markers", ID_EDIT_COPY_MARKERS, true},
    {"delete-markers", ID_EDIT_DELETE_MARKERS, true},
    {"clear", ID_EDIT_CLEAR_TRACK},
    {"undo", ID_EDIT_UNDO},
    {"redo", ID_EDIT_REDO},
    {"new", ID_FILE_NEW},
};

}  // namespace

std::string ScriptRunner::Help() {
  return std::string() +
         "Commands (run in order, in one session; a failed command ends the run\n"
         "unless --keep-going is given):\n"
         "  config                 print the configuration record's fields\n"
         "  info                   print the tracks, the undo and redo counts and the clipboard\n"
         "  new                    start a new project (the clipboard stays)\n"
         "  track N                make track N (1 to 8) the current track\n"
         "  select FROM TO         highlight FROM to TO of the current track\n"
         "  position POS           set the play position\n"
         "  markers BEGIN END      set the markers of the current track (- for not set)\n"
         "  cut | copy | delete    the highlighted section (cut and copy fill the clipboard)\n"
         "  cut-markers | copy-markers | delete-markers\n"
         "                         the section between the markers\n"
         "  paste-insert | paste-over\n"
         "                         the clipboard at the highlight's begin\n"
         "  clear                  delete all audio of the current track\n"
         "  insert-silence LENGTH [--at-marker]\n"
         "                         silence at the highlight's begin (or the begin marker)\n"
         "  undo | redo            the last change, or the last undone one\n"
         "  open FILE.mix          open a project\n"
         "  save [FILE.mix]        save the project (under FILE.mix: a project of its own)\n"
         "  level TRACK LEFT RIGHT the level indices of a track (0 to 60; 10 is unity)\n"
         "  master LEFT RIGHT      the master level indices\n"
         "  import FILE            insert a WAV or MP3 file at the highlight's begin\n"
         "  export OUT.wav [--rate HZ] [--bits 8|16] [--channels 1|2]\n"
         "                         mix the project down to a WAV file\n"
         "  export OUT.mp3 [--bitrate K] [--title T] [--artist A] [--album B] [--year Y]\n"
         "             [--comment C] [--genre N]\n"
         "                         mix the project down to an MP3 file with its tag; K is one of\n"
         "                         " +
         BitRateList() +
         " (kbit/s)\n"
         "  mixdown-track --sources N,N --target N\n"
         "                         mix tracks onto one track (undo is not possible)\n"
         "  play                   play from the position (or the highlighted section when the\n"
         "                         position is at its begin) until the end; Ctrl+C stops\n"
         "  record SECONDS [--punch] [--listen] [--input N]\n"
         "                         record into the armed track from the position while the other\n"
         "                         tracks play (the armed one too with --listen), as the Record\n"
         "                         dialog's Start and Stop; --punch keeps only what lies between\n"
         "                         the armed track's markers; undo takes the take back\n"
         "  monitor SECONDS [--input N]\n"
         "                         print the input's left and right levels (0 to 99) every 40 ms\n"
         "  recover --list | recover STAMP\n"
         "                         list the sessions a program left when it ended without\n"
         "                         closing, or take one's tracks as a new, unsaved project\n"
         "  mute|solo|arm TRACK on|off\n"
         "                         a track's Mute, Solo or Arm button (solo and arm are exclusive)\n" +
         kMetronomeCommandHelp +
         "Positions and lengths are byte counts (multiples of 4; others are rounded down)\n"
         "or times: 1:05.5 is 1 minute 5.5 seconds, 2.25 is 2.25 seconds.\n"
         "info prints 'track N: length L, audio yes|no, highlight B-E, markers M1 M2, levels\n"
         "L R, mute on|off, solo on|off, arm on|off, name 'TEXT'' for each track (bytes; -\n"
         "for a marker not set; in the name control characters are written \\xHH, a backslash\n"
         "\\\\ and a quote \\'), then 'master levels', 'current track', 'project', 'position',\n"
         "'project length', 'undo', 'redo', 'clipboard' and 'modified', one per line.\n";
}

bool ScriptRunner::Fail(const std::string& message) {
  std::cerr << "trackwright-cli: " << message << '\n';
  return false;
}

bool ScriptRunner::ReadBytes(const std::string& text, uint32_t& bytes) {
  bool isTime = text.find_first_of(":.") != std::string::npos;
  int64_t value = ConvertTimeStringToBytes(text, isTime ? kDisplayTime : kDisplaySamples, kBytesPerSecond, 0);
  if (!isTime && value >= 0) value /= 2;  // a plain number is a byte count
  if (value < 0 || value > 0xFFFFFFFFLL) return Fail("'" + text + "' is neither a byte count nor a time");
  bytes = static_cast<uint32_t>(value) & ~3u;
  return true;
}

bool ScriptRunner::Command(int id) {
  return m_app.OnCommand(id) == 1;
}

bool ScriptRunner::Run(const std::string& line) {
  std::vector<std::string> words = SplitWords(line);
  if (words.empty() || words[0].starts_with("#")) return true;
  return Dispatch(words);
}

bool ScriptRunner::Dispatch(const std::vector<std::string>& words) {
  CMixerDoc& doc = *m_app.m_pDocument;
  const std::string& verb = words[0];
  const size_t arguments = words.size() - 1;
  auto usage = [this, &verb](const char* form) { return Fail("usage: " + verb + " " + form); };

  const auto fail = [this](const std::string& message) { return Fail(message); };
  if (std::optional<bool> done = RunEffectCommand(m_app, words, m_out, fail)) return *done;
  if (std::optional<bool> done = RunRecoverCommand(m_app, words, m_out, fail)) return *done;
  if (std::optional<bool> done = RunMetronomeCommand(m_app, words, m_out, fail)) return *done;
  for (const EditVerb& edit : kEditVerbs) {
    if (verb != edit.name) continue;
    if (arguments != 0) return usage("(no arguments)");
    // The window offers these only with both markers set; with none set the command
    // itself says that no markers are set.
    const TrackPositions& pos = doc.m_mirror;
    if (edit.betweenMarkers && pos.m_nMarkerBegin != pos.m_nMarkerEnd && !pos.BothMarkersSet()) {
      return Fail(verb + ": only one marker is set; 'markers BEGIN END' sets both");
    }
    return Command(edit.command);
  }
  if (verb == "config" || verb == "info") {
    if (arguments != 0) return usage("(no arguments)");
    verb == "config" ? PrintConfig(m_app, m_out) : PrintInfo();
    return true;
  }
  if (verb == "track") {
    int track = arguments == 1 ? TrackNumber(words[1]) : -1;
    if (track < 0) return usage("N (1 to 8)");
    return m_app.OnCommand(TrackSelectCommand(track)) != 0;
  }
  const uint32_t length = doc.m_mirror.m_nLength;
  if (verb == "select") {
    uint32_t from = 0, to = 0;
    if (arguments != 2) return usage("FROM TO");
    if (!ReadBytes(words[1], from) || !ReadBytes(words[2], to)) return false;
    if (from > to) return Fail("select: the section's begin lies after its end");
    if (to > length)
      return Fail("select: " + words[2] + " lies beyond the track's " + std::to_string(length) + " bytes");
    doc.m_mirror.m_nHighlightBegin = from;
    doc.m_mirror.m_nHighlightEnd = to;
    doc.m_mirror.m_nHighlightSpan = to - from;
    return true;
  }
  if (verb == "position") {
    uint32_t position = 0;
    if (arguments != 1) return usage("POS");
    if (!ReadBytes(words[1], position)) return false;
    if (position > doc.m_nProjectLength) {
      return Fail("position: " + words[1] + " lies beyond the project's " + std::to_string(doc.m_nProjectLength) +
                  " bytes");
    }
    doc.m_nCurrentPos = position;
    doc.TrackSeekOnLeftButton(position);
    return true;
  }
  if (verb == "markers") {
    if (arguments != 2) return usage("BEGIN END (- for not set)");
    int32_t markers[2] = {kMarkerNotSet, kMarkerNotSet};
    for (int i = 0; i < 2; ++i) {
      if (words[1 + i] == "-") continue;
      uint32_t value = 0;
      if (!ReadBytes(words[1 + i], value)) return false;
      if (value > length) {
        return Fail("markers: " + words[1 + i] + " lies beyond the track's " + std::to_string(length) + " bytes");
      }
      markers[i] = static_cast<int32_t>(value);
    }
    if (MarkerSet(markers[1]) && (!MarkerSet(markers[0]) || MarkerValue(markers[0]) >= MarkerValue(markers[1]))) {
      return Fail("markers: the end marker needs a begin marker before it");
    }
    doc.m_mirror.m_nMarkerBegin = markers[0];
    doc.m_mirror.m_nMarkerEnd = markers[1];
    return true;
  }
  if (verb == "open") {
    if (arguments != 1) return usage("FILE.mix");
    return m_app.OpenDocument(words[1]) == 1;
  }
  if (verb == "save") {
    if (arguments > 1) return usage("[FILE.mix]");
    std::string name = arguments == 1 ? words[1] : std::string();
    if (name.empty() && doc.m_szProjectPath.empty()) return Fail("save: the project has no file name yet; give one");
    return m_app.SaveProject(false, name) == 1;
  }
  if (verb == "level" || verb == "master") {
    const bool master = verb == "master";
    if (arguments != (master ? 2u : 3u)) return usage(master ? "LEFT RIGHT (0 to 60)" : "TRACK LEFT RIGHT (0 to 60)");
    int track = master ? 0 : TrackNumber(words[1]);
    const int left = Level(words[master ? 1 : 2]);
    const int right = Level(words[master ? 2 : 3]);
    if (track < 0 || left < 0 || right < 0)
      return usage(master ? "LEFT RIGHT (0 to 60)" : "TRACK LEFT RIGHT (0 to 60)");
    if (master) {
      m_app.m_boardMain.SetMasterLevel(static_cast<int16_t>(left), kLevelLeft);
      m_app.m_boardMain.SetMasterLevel(static_cast<int16_t>(right), kLevelRight);
    } else {
      m_app.m_boardTracks.SetTrackLevel(track, static_cast<int16_t>(left), kLevelLeft);
      m_app.m_boardTracks.SetTrackLevel(track, static_cast<int16_t>(right), kLevelRight);
    }
    doc.SetModifiedFlag(true);
    return true;
  }
  if (verb == "mute" || verb == "solo" || verb == "arm") {
    int track = arguments == 2 ? TrackNumber(words[1]) : -1;
    if (track < 0 || (words[2] != "on" && words[2] != "off")) return usage("TRACK on|off");
    const CAudioTrack& audio = doc.Track(track);
    bool now = verb == "mute" ? audio.m_bMuted : verb == "solo" ? audio.m_bSolo : audio.m_bArmed;
    // The board's buttons toggle; they are pressed only when the state must change.
    if (now != (words[2] == "on")) {
      if (verb == "mute") m_app.m_boardTracks.HandleMute(track);
      if (verb == "solo") m_app.m_boardTracks.HandleSolo(track);
      if (verb == "arm") m_app.m_boardTracks.HandleArm(track);
    }
    return true;
  }
  if (verb == "import") {
    if (arguments != 1) return usage("FILE.wav|FILE.mp3");
    return Import(words[1]);
  }
  if (verb == "export") {
    const std::string ending = arguments >= 1 ? Ending(words[1]) : "";
    if (ending == ".wav") return ExportWave(words);
    if (ending == ".mp3") return ExportMp3(words);
    return usage("OUT.wav [--rate HZ] [--bits 8|16] [--channels 1|2] | OUT.mp3 [--bitrate K] [--title T] ...");
  }
  if (verb == "mixdown-track") return MixdownToTrack(words);
  if (verb == "play") {
    if (arguments != 0) return usage("(no arguments)");
    return PlayProjectUntilInterrupted(m_app);
  }
  if (verb == "record" || verb == "monitor") {
    const bool record = verb == "record";
    uint32_t bytes = 0;
    TakeRequest request;
    std::string input;
    bool known = arguments >= 1;
    for (size_t i = 2; known && i < words.size(); ++i) {
      if (record && words[i] == "--punch") {
        request.punch = true;
      } else if (record && words[i] == "--listen") {
        request.listen = true;
      } else if (words[i] == "--input" && i + 1 < words.size()) {
        input = words[++i];
      } else {
        known = false;
      }
    }
    if (!known) return usage(record ? "SECONDS [--punch] [--listen] [--input N]" : "SECONDS [--input N]");
    // SECONDS is a number of seconds (2, 2.5) or a time (1:30).
    const std::string& length = words[1];
    const bool plainNumber = length.find_first_not_of("0123456789") == std::string::npos;
    if (!ReadBytes(plainNumber ? length + ".0" : length, bytes)) return false;
    request.ms = static_cast<uint32_t>(uint64_t{bytes} * 10 / 1764);
    if (!input.empty() && !UseInputDevice(m_app, input, std::cerr)) return false;
    if (!record) return MonitorInput(m_app, request.ms, m_out, std::cerr);
    const int result = RecordTake(m_app, request, std::cerr);
    if (result == 2) m_out << "record: the take reached no audio to import\n";
    return result == 1 || result == 2;
  }
  if (verb == "insert-silence") {
    bool atMarker = arguments == 2 && words[2] == "--at-marker";
    uint32_t bytes = 0;
    if (arguments < 1 || (arguments == 2 && !atMarker) || arguments > 2) return usage("LENGTH [--at-marker]");
    if (!ReadBytes(words[1], bytes)) return false;
    if (atMarker && doc.m_mirror.m_nMarkerBegin == kMarkerNotSet) return Fail("insert-silence: no begin marker is set");
    // The dialog is confirmed with these values; in samples the length is exact.
    m_app.m_silenceDialog.m_nLength = bytes;
    m_app.m_silenceDialog.m_bUseMarker = atMarker;
    m_app.m_silenceDialog.m_nUnit = kDisplaySamples;
    return Command(ID_TOOLS_INSERT_SILENCE);
  }
  return Fail("unknown command '" + verb + "'");
}

namespace {

// Reads "--name value" options after the first words; false on an unknown option.
bool ReadOptions(const std::vector<std::string>& words, size_t first, std::map<std::string, std::string>& options,
                 std::initializer_list<const char*> known) {
  for (size_t i = first; i < words.size(); i += 2) {
    bool isKnown = std::any_of(known.begin(), known.end(), [&](const char* name) { return words[i] == name; });
    if (!isKnown || i + 1 >= words.size()) return false;
    options[words[i]] = words[i + 1];
  }
  return true;
}

bool ReadNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoi(text);
  return true;
}

}  // namespace

bool ScriptRunner::Import(const std::string& path) {
  const std::string ending = Ending(path);
  if (ending == ".mix") return m_app.ImportFile(path) == 1;  // a project opens
  if (ending != ".wav" && ending != ".mp3") {
    return Fail("import " + path + ": only WAV (.wav) and MP3 (.mp3) files can be imported");
  }
  const std::optional<DeclaredLength> declared = ReadDeclaredLength(path);
  const uint32_t before = m_app.m_pDocument->m_mirror.m_nLength;
  if (m_app.ImportFile(path) != 1) return false;
  if (declared && declared->cutShort) {
    // The decoders take what there is; the rest of the audio is missing from the file.
    const double read = (m_app.m_pDocument->m_mirror.m_nLength - before) / static_cast<double>(kBytesPerSecond);
    char seconds[96];
    std::snprintf(seconds, sizeof seconds, "%.2f of its %.2f seconds", read, declared->seconds);
    std::cerr << "trackwright-cli: import " << path << ": the file is cut short: only " << seconds << " were read\n";
  }
  return true;
}

bool ScriptRunner::CanExport(const std::string& path) {
  if (m_app.m_pDocument->m_nProjectLength == 0)
    return Fail("export: the project holds no audio; there is nothing to export");
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  std::error_code error;
  if (!std::filesystem::exists(folder, error)) return Fail("export: the folder " + folder + " does not exist");
  if (!std::filesystem::is_directory(folder, error)) return Fail("export: " + folder + " is not a folder");
  if (IsFolderWritable(folder) != 1) {
    return Fail("export: the folder " + folder + " is not writable (" + std::strerror(errno) + ")");
  }
  return true;
}

bool ScriptRunner::ExportWave(const std::vector<std::string>& words) {
  std::map<std::string, std::string> options;
  auto usage = [this] { return Fail("usage: export OUT.wav [--rate 8000..44100] [--bits 8|16] [--channels 1|2]"); };
  if (words.size() < 2 || !ReadOptions(words, 2, options, {"--rate", "--bits", "--channels"})) return usage();
  int rate = 44100, bits = 16, channels = 2;
  if ((options.count("--rate") && !ReadNumber(options["--rate"], rate)) ||
      (options.count("--bits") && !ReadNumber(options["--bits"], bits)) ||
      (options.count("--channels") && !ReadNumber(options["--channels"], channels)) || (bits != 8 && bits != 16) ||
      (channels != 1 && channels != 2)) {
    return usage();
  }
  if (!CanExport(words[1])) return false;
  CWaveDialog& format = m_app.m_waveDialog;
  format.sampleRate = rate;
  format.bitsPerSample = static_cast<int16_t>(bits);
  format.channels = static_cast<int16_t>(channels);
  return m_app.ExportMix(Operation::kWriteWave, words[1]) == 1;
}

bool ScriptRunner::ExportMp3(const std::vector<std::string>& words) {
  std::map<std::string, std::string> options;
  auto usage = [this] {
    return Fail(
        "usage: export OUT.mp3 [--bitrate K] [--title T] [--artist A] [--album B] [--year Y] "
        "[--comment C] [--genre 0..147]");
  };
  if (words.size() < 2 ||
      !ReadOptions(words, 2, options,
                   {"--bitrate", "--title", "--artist", "--album", "--year", "--comment", "--genre"})) {
    return usage();
  }
  // The dialog would take a rate it does not list as 128.
  if (options.count("--bitrate") &&
      std::find(kMp3BitRates.begin(), kMp3BitRates.end(), options["--bitrate"]) == kMp3BitRates.end()) {
    return Fail("export: --bitrate " + options["--bitrate"] + " is not an MP3 bit rate; the bit rates are " +
                BitRateList() + " (kbit/s)");
  }
  int genre = 0;
  if (options.count("--genre") && (!ReadNumber(options["--genre"], genre) || genre > 147)) return usage();
  if (!CanExport(words[1])) return false;
  const std::string layout = m_app.m_mp3Dialog.Layout();
  if (options.count("--bitrate")) m_dialogs.PresetText(layout, IDC_MP3_BIT_RATE, options["--bitrate"]);
  m_dialogs.PresetText(layout, IDC_MP3_GENRE, kMp3Genres[static_cast<size_t>(genre)]);
  const std::pair<const char*, const char*> fields[] = {{"--title", IDC_MP3_TITLE},
                                                        {"--artist", IDC_MP3_ARTIST},
                                                        {"--album", IDC_MP3_ALBUM},
                                                        {"--year", IDC_MP3_YEAR},
                                                        {"--comment", IDC_MP3_COMMENT}};
  for (const auto& [option, id] : fields) {
    if (options.count(option)) m_dialogs.PresetText(layout, id, options[option]);
  }
  return m_app.ExportMix(Operation::kWriteMp3, words[1]) == 1;
}

bool ScriptRunner::MixdownToTrack(const std::vector<std::string>& words) {
  std::map<std::string, std::string> options;
  auto usage = [this] { return Fail("usage: mixdown-track --sources N,N,... --target N (tracks 1 to 8)"); };
  if (!ReadOptions(words, 1, options, {"--sources", "--target"}) || !options.count("--target")) return usage();
  const int target = TrackNumber(options["--target"]);
  if (target < 0) return usage();
  const std::string layout = m_app.m_trackMixdownDialog.Layout();
  std::string list = options["--sources"];
  for (size_t start = 0; start <= list.size() && !list.empty();) {
    size_t comma = list.find(',', start);
    int source = TrackNumber(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (source < 0) return usage();
    m_dialogs.PresetCheck(layout, CTrackMixdownDialog::SourceId(source), true);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  m_dialogs.PresetCheck(layout, CTrackMixdownDialog::TargetId(target), true);
  return Command(ID_TOOLS_MIXDOWN_TRACK);
}

void ScriptRunner::PrintInfo() {
  CMixerDoc& doc = *m_app.m_pDocument;
  doc.AlignTrackToDoc(doc.m_nCurrentTrack);
  for (int n = 0; n < kTrackCount; ++n) {
    const TrackPositions& pos = doc.Track(n).m_pos;
    const CAudioTrack& track = doc.Track(n);
    m_out << "track " << n + 1 << ": length " << pos.m_nLength << ", audio " << (track.bHasAudio ? "yes" : "no")
          << ", highlight " << pos.m_nHighlightBegin << "-" << pos.m_nHighlightEnd << ", markers "
          << Marker(pos.m_nMarkerBegin) << " " << Marker(pos.m_nMarkerEnd) << ", levels "
          << m_app.m_boardTracks.GetTrackLevel(n, kLevelLeft) << " "
          << m_app.m_boardTracks.GetTrackLevel(n, kLevelRight) << ", mute " << (track.m_bMuted ? "on" : "off")
          << ", solo " << (track.m_bSolo ? "on" : "off") << ", arm " << (track.m_bArmed ? "on" : "off") << ", name '"
          << Escaped(m_app.m_boardTracks.GetTrackName(n + 1)) << "'\n";
  }
  m_out << "master levels: " << m_app.m_boardMain.MasterLevel(kLevelLeft) << " "
        << m_app.m_boardMain.MasterLevel(kLevelRight) << '\n'
        << "current track: " << doc.m_nCurrentTrack + 1 << '\n'
        << "project: " << (doc.m_szProjectPath.empty() ? "-" : doc.m_szProjectPath) << '\n'
        << "position: " << doc.m_nCurrentPos << '\n'
        << "project length: " << doc.m_nProjectLength << '\n'
        << "undo: " << doc.m_nUndoCount << '\n'
        << "redo: " << doc.m_nRedoCount << '\n'
        << "clipboard: " << m_app.m_clipboard.nSize << '\n'
        << "modified: " << (doc.IsModified() ? "yes" : "no") << '\n';
}
