#include "document/intro_project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "core/file_utils.h"
#include "assets/intro_music.h"
#include "audio_store/codec_modules.h"
#include "audio_store/wave_header.h"
#include "document/project_record.h"
#include "tests/support/document_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBytesPerSecond = 44100 * 4;

std::vector<std::string> ShippedNames() {
  std::vector<std::string> names = {kIntroProjectFile};
  for (int i = 0; i < kIntroTrackCount; ++i) {
    names.push_back("track" + std::to_string(i) + ".mp3");
    names.push_back("track" + std::to_string(i) + ".pek");
  }
  return names;
}

// The samples of one channel (0 left, 1 right) of project-format bytes.
std::vector<double> Channel(const std::string& bytes, int channel) {
  std::vector<double> samples(bytes.size() / 4);
  for (size_t n = 0; n < samples.size(); ++n) {
    const size_t at = 4 * n + 2 * static_cast<size_t>(channel);
    samples[n] = static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
  }
  return samples;
}

double Rms(const std::vector<double>& samples, size_t first, size_t count) {
  double power = 0;
  for (size_t n = first; n < first + count && n < samples.size(); ++n) power += samples[n] * samples[n];
  return std::sqrt(power / static_cast<double>(count));
}

// The power at one frequency of a Hann-windowed stretch of samples (Goertzel).
double PowerAt(const std::vector<float>& samples, size_t first, size_t count, double frequency) {
  const double w = 2 * std::numbers::pi * frequency / 44100.0;
  double s1 = 0, s2 = 0;
  for (size_t n = 0; n < count; ++n) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / (count - 1));
    const double s = window * samples[first + n] + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}

// Bytes that differ from frame to frame.
std::string Distinct(size_t count, uint8_t seed) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 37 + seed) % 251);
  return bytes;
}

// A WAV file's bytes: a RIFF header, the given chunks, then data.
std::string Riff(const std::vector<std::pair<std::string, std::string>>& chunks) {
  std::string body = "WAVE";
  for (const auto& [id, content] : chunks) {
    const auto size = static_cast<uint32_t>(content.size());
    body += id;
    for (int i = 0; i < 4; ++i) body += static_cast<char>(size >> (8 * i));
    body += content;
    if (size & 1) body += '\0';
  }
  std::string riff = "RIFF";
  const auto size = static_cast<uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) riff += static_cast<char>(size >> (8 * i));
  return riff + body;
}

std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t size = 16) {
  std::string format(size, '\0');
  auto put = [&format](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) format[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  };
  put(0, tag, 2);
  put(2, channels, 2);
  put(4, rate, 4);
  put(8, rate * channels * bits / 8, 4);
  put(12, static_cast<uint32_t>(channels * bits / 8), 2);
  put(14, bits, 2);
  return format;
}

// The intro project built from the generated files, which the test's program finds
// as its read-only data.
class IntroProjectTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    for (const std::string& name : ShippedNames()) {
      const std::string source = std::string(TRACKWRIGHT_DATA_FOLDER) + "/" + name;
      ASSERT_TRUE(fs::exists(source)) << source;
      shipped[name] = ReadFileBytes(source);
      WriteFileBytes(Shipped(name), shipped[name]);
    }
    const std::string& mix = shipped[kIntroProjectFile];
    auto decoded = ProjectRecord::Decode(reinterpret_cast<const uint8_t*>(mix.data()), mix.size());
    ASSERT_TRUE(decoded);
    record = *decoded;
    folder = JoinPath(app->m_szAudioFolder, "00000000000000");
    seenBoxes = system->messages.shown.size();
  }

  std::string Shipped(const std::string& name) { return root / ("config/" + name); }
  std::string Built(const std::string& name) { return JoinPath(folder, name); }
  static std::string Track(int i, const char* extension) { return "track" + std::to_string(i) + "." + extension; }

  std::map<std::string, std::string> shipped;
  ProjectRecord record;
  std::string folder;
};

TEST_F(IntroProjectTest, BuildsTheFolderAndOpensFourTracksOfAudio) {
  ASSERT_EQ(CreateIntroProject(*app), 1);
  EXPECT_TRUE(system->messages.shown.size() == seenBoxes) << system->messages.shown.back().text;
  EXPECT_EQ(doc->m_szProjectFolder, folder);
  EXPECT_EQ(doc->m_szProjectPath, Built(kIntroProjectFile));
  const std::array<const char*, 4> names = {"Drums", "Bass", "Chords", "Melody"};
  for (int i = 0; i < kIntroTrackCount; ++i) {
    SCOPED_TRACE(i);
    const CAudioTrack& track = doc->Track(i);
    const uint32_t length = record.tracks[static_cast<size_t>(i)].length;
    EXPECT_GE(length, 20 * kBytesPerSecond);
    EXPECT_LE(length, 40 * kBytesPerSecond);
    EXPECT_EQ(track.m_pos.m_nLength, length);
    EXPECT_EQ(fs::file_size(Built(Track(i, "pcm"))), length);
    EXPECT_EQ(track.m_PCM.szPath, Built(Track(i, "pcm")));
    EXPECT_EQ(track.m_szPeakPath, Built(Track(i, "pek")));
    EXPECT_EQ(track.m_szText, names[static_cast<size_t>(i)]);
    EXPECT_TRUE(track.bHasAudio);
    // The peak file is the shipped one, rendered from exactly this audio.
    EXPECT_EQ(ReadFileBytes(Built(Track(i, "pek"))), shipped[Track(i, "pek")]);
    EXPECT_EQ(track.m_pos.m_nRenderedLength, length / 64);
    EXPECT_EQ(track.m_pos.m_nViewEnd, length);
  }
  // The four parts are one piece: they last equally long.
  EXPECT_EQ(doc->Track(1).m_pos.m_nLength, doc->Track(0).m_pos.m_nLength);
  EXPECT_EQ(doc->Track(3).m_pos.m_nLength, doc->Track(2).m_pos.m_nLength);
  EXPECT_EQ(doc->Track(2).m_pos.m_nLength, doc->Track(0).m_pos.m_nLength);
  for (int i = kIntroTrackCount; i < kTrackCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(doc->Track(i).m_pos.m_nLength, 0u);
    EXPECT_FALSE(doc->Track(i).bHasAudio);
    EXPECT_EQ(fs::file_size(Built(Track(i, "pcm"))), 0u);
    EXPECT_EQ(fs::file_size(Built(Track(i, "pek"))), 0u);
  }
  EXPECT_EQ(doc->m_nCurrentTrack, 0);
  EXPECT_EQ(doc->m_nProjectLength, record.tracks[0].length);
  EXPECT_FALSE(doc->IsModified());
  for (int i = 0; i < kTrackCount; ++i) EXPECT_EQ(doc->Track(i).bNamesAssigned, 0) << i;
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
  EXPECT_TRUE(frame->enabled);
  // Nothing but the finished files is left in the folder.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
  EXPECT_EQ(files, 2u * kTrackCount + 1);
}

TEST_F(IntroProjectTest, TrackFilesAreExactlyTheDecodedAudio) {
  ASSERT_EQ(CreateIntroProject(*app), 1);
  for (int i = 0; i < kIntroTrackCount; ++i) {
    SCOPED_TRACE(i);
    const std::string wave = root / ("decoded" + std::to_string(i) + ".wav");
    ASSERT_EQ(CallLameDecode("test", Shipped(Track(i, "mp3")), wave, nullptr), kCodecDone);
    const std::string decoded = ReadFileBytes(wave);
    ASSERT_GT(decoded.size(), 44u);
    const std::string track = ReadFileBytes(Built(Track(i, "pcm")));
    // The header is dropped, not turned into 44 bytes of silence at the end.
    EXPECT_TRUE(SameAudio(track, decoded.substr(44)));
  }
}

TEST_F(IntroProjectTest, ShippedFilesStayAsTheyWere) {
  ASSERT_EQ(CreateIntroProject(*app), 1);
  for (const std::string& name : ShippedNames()) EXPECT_EQ(ReadFileBytes(Shipped(name)), shipped[name]) << name;
  EXPECT_EQ(record.folder, "");
  // The opened copy differs from the shipped record in the folder alone.
  const std::string copy = ReadFileBytes(Built(kIntroProjectFile));
  auto opened = ProjectRecord::Decode(reinterpret_cast<const uint8_t*>(copy.data()), copy.size());
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->folder, folder);
  ProjectRecord expected = record;
  expected.folder = folder;
  EXPECT_EQ(opened->Encode(), expected.Encode());
}

TEST_F(IntroProjectTest, MetronomeFollowsTheConfigurationAndTheTempoThePiece) {
  app->m_config.metronomeOn = 1;
  ASSERT_EQ(CreateIntroProject(*app), 1);
  EXPECT_EQ(app->m_config.metronomeOn, 1);
  EXPECT_EQ(app->m_config.metronomeTempo, intro_music::kTempo);
  EXPECT_EQ(record.metronome.on, 0);

  app->m_config.metronomeOn = 0;
  ASSERT_EQ(CreateIntroProject(*app), 1);
  EXPECT_EQ(app->m_config.metronomeOn, 0);
}

TEST_F(IntroProjectTest, AnExistingIntroFolderIsBuiltAgain) {
  fs::create_directories(folder);
  WriteFileBytes(Built(Track(0, "pcm")), "left over");
  ASSERT_EQ(CreateIntroProject(*app), 1);
  EXPECT_EQ(fs::file_size(Built(Track(0, "pcm"))), record.tracks[0].length);
  EXPECT_EQ(doc->Track(0).m_pos.m_nLength, record.tracks[0].length);
}

TEST_F(IntroProjectTest, EachMissingShippedFileIsNamedInTheReport) {
  for (const std::string& name : ShippedNames()) {
    SCOPED_TRACE(name);
    fs::remove(Shipped(name));
    EXPECT_EQ(CreateIntroProject(*app), 0);
    EXPECT_TRUE(Showed("Failed to find the intro project file " + name + "."));
    ASSERT_FALSE(system->messages.shown.empty());
    EXPECT_NE(system->messages.shown.back().text.find("Error Location: CMixerApp::CreateIntro"), std::string::npos);
    EXPECT_TRUE(doc->m_szProjectPath.empty());
    EXPECT_FALSE(fs::exists(folder));
    WriteFileBytes(Shipped(name), shipped[name]);
  }
}

TEST_F(IntroProjectTest, AnUndecodableTrackEndsTheIntroWithTheWindowUsable) {
  WriteFileBytes(Shipped(Track(2, "mp3")), std::string(4000, 'x'));
  EXPECT_EQ(CreateIntroProject(*app), 0);
  EXPECT_TRUE(Showed("Cancel of decode"));
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
  EXPECT_TRUE(frame->enabled);
  EXPECT_TRUE(doc->m_szProjectPath.empty());
  // The tracks before it were built and stay; no half-decoded file is left.
  EXPECT_EQ(fs::file_size(Built(Track(1, "pcm"))), record.tracks[1].length);
  EXPECT_FALSE(fs::exists(Built(Track(2, "pcm"))));
  EXPECT_FALSE(fs::exists(Built("track2.decoding.wav")));
}

TEST_F(IntroProjectTest, ADamagedProjectFileIsReported) {
  WriteFileBytes(Shipped(kIntroProjectFile), "not a project");
  EXPECT_EQ(CreateIntroProject(*app), 0);
  EXPECT_TRUE(Showed("Failed to open intro mix file."));
  EXPECT_FALSE(fs::exists(Built(kIntroProjectFile)));
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
}

// Looks at the progress dialog whenever it lets a message through.
struct ProgressWatch : platform::TimerOwner {
  struct Seen {
    unsigned int position;
    bool cancelEnabled;
  };
  void OnTimer(unsigned int) override {
    if (!app->m_operationDialog.IsOpen() || app->m_operationDialog.Message() != "Initializing intro project...") return;
    platform::MemoryControl* cancel = dialogs->modeless ? dialogs->modeless->Control(IDC_OP_CANCEL) : nullptr;
    seen.push_back({app->m_operationDialog.Position(), cancel && cancel->IsEnabled()});
  }
  CMixerApp* app = nullptr;
  platform::ScriptedDialogHost* dialogs = nullptr;
  std::vector<Seen> seen;
};

TEST_F(IntroProjectTest, TheProgressDialogMovesByWholeTracksAndCannotBeCancelled) {
  ProgressWatch watch;
  watch.app = app.get();
  watch.dialogs = &system->dialogs;
  system->timers.SetTimer(&watch, 1, 0);
  ASSERT_EQ(CreateIntroProject(*app), 1);
  system->timers.KillTimers(&watch);
  std::vector<unsigned int> positions;
  for (const auto& seen : watch.seen) {
    positions.push_back(seen.position);
    if (seen.position > 0) {
      EXPECT_FALSE(seen.cancelEnabled) << seen.position;
    }
  }
  EXPECT_EQ(positions, (std::vector<unsigned int>{0, 26, 51, 75, 98}));
  EXPECT_FALSE(app->m_operationDialog.IsOpen());
}

TEST_F(IntroProjectTest, TheFourTracksPlayTogetherWithoutClipping) {
  ASSERT_EQ(CreateIntroProject(*app), 1);
  std::array<std::string, kIntroTrackCount> tracks;
  for (int i = 0; i < kIntroTrackCount; ++i) tracks[static_cast<size_t>(i)] = ReadFileBytes(Built(Track(i, "pcm")));
  const size_t frames = tracks[0].size() / 4;
  for (int channel = 0; channel < 2; ++channel) {
    std::vector<double> mix(frames, 0.0);
    for (const std::string& track : tracks) {
      std::vector<double> samples = Channel(track, channel);
      for (size_t n = 0; n < frames && n < samples.size(); ++n) mix[n] += samples[n];
    }
    double peak = 0;
    for (double value : mix) peak = std::max(peak, std::abs(value));
    // Below the mixer's limit of 32700, and not timid either.
    EXPECT_LT(peak, 32700) << channel;
    EXPECT_GT(peak, 16000) << channel;
  }
  // Every part sounds in each bar of the progression, in both channels.
  const auto bar = static_cast<size_t>(intro_music::kFramesPerBar);
  for (int i = 0; i < kIntroTrackCount; ++i) {
    for (int channel = 0; channel < 2; ++channel) {
      std::vector<double> samples = Channel(tracks[static_cast<size_t>(i)], channel);
      for (size_t b = 0; b < 12; ++b) EXPECT_GT(Rms(samples, b * bar, bar), 300) << i << " " << channel << " " << b;
    }
  }
}

TEST_F(IntroProjectTest, TheDrumsHitOnEveryBeat) {
  ASSERT_EQ(CreateIntroProject(*app), 1);
  std::vector<double> drums = Channel(ReadFileBytes(Built(Track(0, "pcm"))), 0);
  // A hit is a burst of high frequencies: the energy of the sample differences in the
  // 30 ms after a beat well above that in the 30 ms before it (where a cymbal may
  // still ring).
  auto burst = [&drums](size_t first) {
    double energy = 0;
    for (size_t n = first + 1; n < first + 1323; ++n) energy += (drums[n] - drums[n - 1]) * (drums[n] - drums[n - 1]);
    return energy;
  };
  const auto beat = static_cast<size_t>(intro_music::kFramesPerBeat);
  for (size_t b = 4; b < 12 * 4; ++b) EXPECT_GT(burst(b * beat), 2 * burst(b * beat - 1323)) << "beat " << b;
}

// --- Taking the audio out of a WAV file --------------------------------------------

class ExtractTest : public ::testing::Test {
 protected:
  std::string Wave(const std::string& bytes) {
    WriteFileBytes(root / "in.wav", bytes);
    return root / "in.wav";
  }
  TempFolder root;
  uint32_t bytes = 99;
};

TEST_F(ExtractTest, TakesTheDataWhereverTheHeaderPutsIt) {
  const std::string audio = Distinct(4000, 7);
  const std::string wave =
      Wave(Riff({{"fmt ", Format(1, 2, 44100, 16, 18)}, {"LIST", std::string(13, 'i')}, {"data", audio}}));
  ASSERT_EQ(ExtractProjectPcm(wave, root / "out.pcm", bytes), 1);
  EXPECT_EQ(bytes, 4000u);
  EXPECT_TRUE(SameAudio(ReadFileBytes(root / "out.pcm"), audio));
}

TEST_F(ExtractTest, ACanonicalHeaderIsDroppedWhole) {
  const std::string audio = Distinct(1024, 3);
  auto header = WaveHeaderBytes(1024, 44100, 2, 16);
  const std::string wave = Wave(std::string(header.begin(), header.end()) + audio);
  ASSERT_EQ(ExtractProjectPcm(wave, root / "out.pcm", bytes), 1);
  EXPECT_TRUE(SameAudio(ReadFileBytes(root / "out.pcm"), audio));
}

TEST_F(ExtractTest, ADataLengthPastTheEndTakesTheWholeFramesThere) {
  const std::string audio = Distinct(1000, 5);
  std::string wave = Riff({{"fmt ", Format(1, 2, 44100, 16)}, {"data", audio}});
  wave = wave.substr(0, wave.size() - 2);  // a stream cut off inside its last frame
  ASSERT_EQ(ExtractProjectPcm(Wave(wave), root / "out.pcm", bytes), 1);
  EXPECT_EQ(bytes, 996u);
  EXPECT_TRUE(SameAudio(ReadFileBytes(root / "out.pcm"), audio.substr(0, 996)));
}

TEST_F(ExtractTest, OtherFormatsAreRefusedAndNoTrackIsWritten) {
  const std::string audio(400, '\1');
  for (const std::string& format :
       {Format(1, 1, 44100, 16), Format(1, 2, 22050, 16), Format(1, 2, 44100, 8), Format(3, 2, 44100, 16)}) {
    EXPECT_EQ(ExtractProjectPcm(Wave(Riff({{"fmt ", format}, {"data", audio}})), root / "out.pcm", bytes), 0);
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(fs::exists(root / "out.pcm"));
  }
  // Data before any format, and files that are no WAV files.
  EXPECT_EQ(
      ExtractProjectPcm(Wave(Riff({{"data", audio}, {"fmt ", Format(1, 2, 44100, 16)}})), root / "out.pcm", bytes), 0);
  EXPECT_EQ(ExtractProjectPcm(Wave("RIFX\0\0\0\0WAVE"), root / "out.pcm", bytes), 0);
  EXPECT_EQ(ExtractProjectPcm(root / "missing.wav", root / "out.pcm", bytes), 0);
  EXPECT_FALSE(fs::exists(root / "out.pcm"));
}

// --- The music ---------------------------------------------------------------------

// The synthesised parts, made once for all the tests of them.
class IntroMusicTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { parts = new std::array<intro_music::StereoTrack, 4>(intro_music::Synthesise()); }
  static void TearDownTestSuite() {
    delete parts;
    parts = nullptr;
  }
  static const intro_music::StereoTrack& Part(int part) { return (*parts)[static_cast<size_t>(part)]; }
  static std::array<intro_music::StereoTrack, 4>* parts;
};
std::array<intro_music::StereoTrack, 4>* IntroMusicTest::parts = nullptr;

// The keys sounding in a list of notes at an eighth.
std::set<int> Sounding(const std::vector<intro_music::Note>& notes, int eighth) {
  std::set<int> keys;
  for (const auto& note : notes) {
    if (note.start <= eighth && eighth < note.start + note.length) keys.insert(note.key);
  }
  return keys;
}

TEST(IntroScoreTest, EveryNoteIsInAMinor) {
  const std::set<int> scale = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  for (const auto& line : {intro_music::BassLine(), intro_music::ChordNotes(), intro_music::MelodyLine()}) {
    ASSERT_FALSE(line.empty());
    for (const auto& note : line) EXPECT_TRUE(scale.count(note.key % 12)) << note.key << " at " << note.start;
  }
}

TEST(IntroScoreTest, PartsAgreeOnTheHarmony) {
  const auto chords = intro_music::ChordNotes();
  const auto bass = intro_music::BassLine();
  const auto melody = intro_music::MelodyLine();
  auto classes = [](const std::set<int>& keys) {
    std::set<int> result;
    for (int key : keys) result.insert(key % 12);
    return result;
  };
  const int eighths = intro_music::kBars * 8;
  for (int eighth = 0; eighth < eighths; ++eighth) {
    const std::set<int> chord = classes(Sounding(chords, eighth));
    ASSERT_GE(chord.size(), 3u) << eighth;
    // The bass plays notes of the chord, and the melody does on the first and third
    // beat of every bar.
    for (int pitch : classes(Sounding(bass, eighth))) EXPECT_TRUE(chord.count(pitch)) << eighth;
    if (eighth % 4 == 0) {
      for (const auto& note : melody) {
        if (note.start == eighth) {
          EXPECT_TRUE(chord.count(note.key % 12)) << note.key << " at " << eighth;
        }
      }
    }
  }
  // The piece begins and ends on A minor with the bass on A.
  EXPECT_EQ(classes(Sounding(chords, 0)), (std::set<int>{9, 0, 4}));
  EXPECT_EQ(classes(Sounding(chords, eighths - 1)), (std::set<int>{9, 0, 4}));
  EXPECT_EQ(Sounding(bass, eighths - 1), (std::set<int>{33}));
  EXPECT_EQ(melody.back().key % 12, 9);
}

TEST(IntroScoreTest, NotesStayInsideThePieceAndInSingableRanges) {
  const int eighths = intro_music::kBars * 8;
  for (const auto& note : intro_music::MelodyLine()) {
    EXPECT_GE(note.key, 60);
    EXPECT_LE(note.key, 84);
    EXPECT_LE(note.start + note.length, eighths);
  }
  for (const auto& note : intro_music::BassLine()) {
    EXPECT_GE(note.key, 28);
    EXPECT_LE(note.key, 52);
    EXPECT_LE(note.start + note.length, eighths);
  }
}

TEST_F(IntroMusicTest, PartsFillThePieceAndTheirSumPeaksAtTheTarget) {
  const double length = static_cast<double>(intro_music::kFrames) / intro_music::kSampleRate;
  EXPECT_GE(length, 28.0);
  EXPECT_LE(length, 32.0);
  double peak = 0;
  for (size_t n = 0; n < intro_music::kFrames; ++n) {
    double left = 0, right = 0;
    for (int p = 0; p < intro_music::kPartCount; ++p) {
      ASSERT_EQ(Part(p).left.size(), intro_music::kFrames);
      ASSERT_EQ(Part(p).right.size(), intro_music::kFrames);
      left += Part(p).left[n];
      right += Part(p).right[n];
    }
    peak = std::max({peak, std::abs(left), std::abs(right)});
  }
  EXPECT_NEAR(peak, intro_music::kMixPeak, 1e-4);
}

TEST_F(IntroMusicTest, ThePieceFadesInAndOut) {
  const size_t last = intro_music::kFrames - 1;
  const auto fadeIn = static_cast<size_t>(intro_music::kFadeInSeconds * intro_music::kSampleRate);
  for (int p = 0; p < intro_music::kPartCount; ++p) {
    EXPECT_EQ(Part(p).left[0], 0.0f) << p;
    EXPECT_NEAR(Part(p).left[last], 0.0f, 1e-6) << p;
    EXPECT_NEAR(Part(p).right[last], 0.0f, 1e-6) << p;
    // The closing bar dies away: its last half second is far quieter than its first.
    auto level = [p](size_t first, size_t count) {
      double power = 0;
      for (size_t n = first; n < first + count; ++n) power += Part(p).left[n] * Part(p).left[n];
      return power;
    };
    const size_t half = intro_music::kSampleRate / 2;
    EXPECT_GT(level(intro_music::kFramesPerBar * 12, half), 50 * level(intro_music::kFrames - half, half)) << p;
    // The fade-in holds every sample under a line rising from zero to the part's peak.
    float peak = 0;
    for (float sample : Part(p).left) peak = std::max(peak, std::abs(sample));
    for (size_t n = 0; n < fadeIn; ++n) {
      EXPECT_LE(std::abs(Part(p).left[n]), peak * static_cast<float>(n) / fadeIn + 1e-6f) << p << " " << n;
    }
  }
}

TEST_F(IntroMusicTest, TheMelodySoundsAtThePitchesOfTheScore) {
  const auto& left = Part(intro_music::kMelody).left;
  const double semitone = std::pow(2.0, 1.0 / 12.0);
  for (const auto& note : intro_music::MelodyLine()) {
    const size_t first = static_cast<size_t>(note.start) * intro_music::kFramesPerEighth + 1323;
    const size_t count = 9261;  // 30 ms to 240 ms into the note
    const double f = intro_music::Frequency(note.key);
    const double at = PowerAt(left, first, count, f);
    EXPECT_GT(at, 4 * PowerAt(left, first, count, f * semitone)) << note.key << " at " << note.start;
    EXPECT_GT(at, 4 * PowerAt(left, first, count, f / semitone)) << note.key << " at " << note.start;
  }
}

TEST_F(IntroMusicTest, TheChordsSoundAtThePitchesOfTheScore) {
  const auto chords = intro_music::ChordNotes();
  const auto& right = Part(intro_music::kChords).right;
  for (int bar = 1; bar < 12; ++bar) {
    const std::set<int> keys = Sounding(chords, bar * 8 + 4);
    const size_t first = static_cast<size_t>(bar) * intro_music::kFramesPerBar + 22050;
    const size_t count = intro_music::kFramesPerBar - 22050;
    for (int key : keys) {
      const double at = PowerAt(right, first, count, intro_music::Frequency(key));
      for (int neighbour : {key - 1, key + 1}) {
        if (keys.count(neighbour)) continue;
        EXPECT_GT(at, 10 * PowerAt(right, first, count, intro_music::Frequency(neighbour)))
            << key << " against " << neighbour << " in bar " << bar;
      }
    }
  }
}

TEST_F(IntroMusicTest, SynthesisIsTheSameEveryTime) {
  const auto again = intro_music::Synthesise();
  for (int p = 0; p < intro_music::kPartCount; ++p) {
    EXPECT_TRUE(again[static_cast<size_t>(p)].left == Part(p).left) << p;
    EXPECT_TRUE(again[static_cast<size_t>(p)].right == Part(p).right) << p;
  }
}

TEST(IntroPcmTest, SamplesBecomeLittleEndianFramesHeldAtFullScale) {
  intro_music::StereoTrack track{{0.5f, -1.0f, 1.5f, 0.0f}, {-0.25f, 1.0f, -3.0f, 1.0f / 32767}};
  const std::vector<uint8_t> bytes = intro_music::ToPcm16(track);
  ASSERT_EQ(bytes.size(), 16u);
  auto sample = [&bytes](size_t index) { return static_cast<int16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8); };
  EXPECT_EQ(sample(0), 16384);
  EXPECT_EQ(sample(1), -8192);
  EXPECT_EQ(sample(2), -32767);
  EXPECT_EQ(sample(3), 32767);
  EXPECT_EQ(sample(4), 32767);
  EXPECT_EQ(sample(5), -32767);
  EXPECT_EQ(sample(6), 0);
  EXPECT_EQ(sample(7), 1);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0x40);
}

}  // namespace
