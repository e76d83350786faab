#include "audio_store/peak_file.h"

#include <filesystem>
#include <functional>
#include <vector>

#include "tests/audio_store/store_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Frame {
  int16_t left = 0, right = 0;
};

// Project-format bytes of the frames, little-endian, left first.
std::string Encode(const std::vector<Frame>& frames) {
  std::string bytes;
  for (const Frame& frame : frames) {
    for (int16_t sample : {frame.left, frame.right}) {
      auto value = static_cast<uint16_t>(sample);
      bytes += static_cast<char>(value & 0xff);
      bytes += static_cast<char>(value >> 8);
    }
  }
  return bytes;
}

struct PeakFileTest : StoreTest {
  std::string peakPath = root / "track1.pek";
  uint32_t peakLength = 12345;

  std::string Render(const PCMFile& track, COperationDialog* progress) {
    EXPECT_EQ(RenderPeakFile(track, peakPath, progress, peakLength), 1);
    return ReadFileBytes(peakPath);
  }
  std::string Render(const std::vector<Frame>& frames) { return Render(Make("track1.pcm", Encode(frames)), &dialog); }
};

TEST_F(PeakFileTest, OneEntryPerWhole128BytesBeyondTheFirst) {
  for (uint32_t size : {0u, 4u, 128u, 132u, 256u, 260u, 1280u, 32768u, 32772u, 65664u}) {
    std::string peaks = Render(Make("track1.pcm", Pattern(size, size)), &dialog);
    uint32_t entries = size <= 128 ? 0 : (size + 127) / 128 - 1;
    EXPECT_EQ(peaks.size(), 2 * entries) << size;
    EXPECT_EQ(peakLength, size / 64) << size;
  }
  // The known size is the track's length, whatever follows it in the file.
  PCMFile longer = Make("track1.pcm", Pattern(2560, 1));
  longer.nSize = 1280;
  EXPECT_EQ(Render(longer, &dialog).size(), 18u);
  EXPECT_EQ(peakLength, 20u);
}

TEST_F(PeakFileTest, PeaksComeFromEveryFourthFrame) {
  std::vector<Frame> frames(320);  // 1280 bytes, 9 entries
  for (size_t i = 0; i < frames.size(); i += 4) frames[i] = {-32768, 32767};
  std::string peaks = Render(frames);
  ASSERT_EQ(peaks.size(), 18u);
  for (size_t e = 0; e < 9; ++e) {
    EXPECT_EQ(static_cast<uint8_t>(peaks[2 * e]), 0) << "-32768 never raises a maximum";
    EXPECT_EQ(static_cast<uint8_t>(peaks[2 * e + 1]), 255);
  }

  std::vector<Frame> quiet(320);
  quiet[1] = {32767, 32767};   // byte offset 4: not examined
  quiet[32] = {128, -128};     // byte offset 128: the last frame of entry 0
  quiet[36] = {127, -129};     // byte offset 144: the first frame of entry 1
  quiet[316] = {-2000, 9000};  // byte offset 1264: after the last entry
  peaks = Render(quiet);
  ASSERT_EQ(peaks.size(), 18u);
  EXPECT_EQ(peaks.substr(0, 4), std::string("\x01\x01\x00\x01", 4));
  EXPECT_EQ(peaks.substr(4), std::string(14, '\0'));
}

TEST_F(PeakFileTest, AMultiBlockTrackMatchesTheEntryRule) {
  const size_t frameCount = 25000;  // 100,000 bytes: three and a bit read blocks
  std::vector<Frame> frames(frameCount);
  std::string noise = Pattern(frameCount * 4, 21);
  for (size_t i = 0; i < frameCount; ++i) {
    frames[i].left = static_cast<int16_t>(static_cast<uint8_t>(noise[4 * i]) | (noise[4 * i + 1] << 8));
    frames[i].right = static_cast<int16_t>((static_cast<uint8_t>(noise[4 * i + 2]) | (noise[4 * i + 3] << 8)) >> 3);
    if (i % 97 == 0) frames[i].left = -32768;
  }
  // Entry e covers the examined frames at byte offsets in (128e, 128(e+1)], the first also 0.
  std::string expected;
  auto magnitude = [](int16_t sample) { return sample == -32768 ? 0 : (sample < 0 ? -sample : sample); };
  for (uint32_t end = 128; end < frameCount * 4; end += 128) {
    int maxL = 0, maxR = 0;
    for (uint32_t offset = end == 128 ? 0 : end - 112; offset <= end; offset += 16) {
      maxL = std::max(maxL, magnitude(frames[offset / 4].left));
      maxR = std::max(maxR, magnitude(frames[offset / 4].right));
    }
    expected += static_cast<char>(maxL >> 7);
    expected += static_cast<char>(maxR >> 7);
  }
  EXPECT_EQ(Render(frames), expected);
  EXPECT_EQ(peakLength, 100000u / 64);
}

TEST_F(PeakFileTest, RenderingShowsItsProgressWithCancelGreyed) {
  dialog.BeginOperation();
  Render(std::vector<Frame>(320));
  platform::MemoryDialogSurface* surface = system.dialogs.modeless;
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->Control(IDC_OP_MESSAGE)->GetText(), "Rendering the waveform...");
  EXPECT_FALSE(surface->Control(IDC_OP_CANCEL)->IsEnabled());
  EXPECT_EQ(surface->Control(IDC_OP_PERCENT)->GetText(), "91");  // the last entry at byte 1152 of 12 units
  dialog.EndOperation();
}

TEST_F(PeakFileTest, AFailedRenderingKeepsThePreviousPeakFile) {
  WriteFileBytes(peakPath, "previous");
  PCMFile track = Make("track1.pcm", Pattern(1280, 2));

  EXPECT_EQ(RenderPeakFile(track, peakPath, nullptr, peakLength), 0);
  EXPECT_TRUE(Reported("CMixerDoc::CreatePeakFile", "Pointer to dialog op is NULL"));
  EXPECT_EQ(peakLength, 20u);

  PCMFile missing = Named("missing.pcm");
  missing.nSize = 1280;
  EXPECT_EQ(RenderPeakFile(missing, peakPath, &dialog, peakLength), 0);
  EXPECT_TRUE(Reported("CAudioTrack::CreatePeakFile", "Failed to open track file: " + missing.szPath));

  std::string unreachable = root / "gone/track1.pek";
  EXPECT_EQ(RenderPeakFile(track, unreachable, &dialog, peakLength), 0);
  EXPECT_TRUE(Reported("CAudioTrack::CreatePeakFile", "Failed to open peak file: " + unreachable));

  EXPECT_EQ(ReadFileBytes(peakPath), "previous");
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root.Path())) ++files;
  EXPECT_EQ(files, 2u) << "nothing but the track and its peak file";
}

}  // namespace

namespace {

// The builder takes the audio as a writer hands it over, in pieces of any size: the
// entries must be those of the rendering from the whole file.
TEST_F(PeakFileTest, ABuilderFedInPiecesBuildsWhatTheRenderingMakes) {
  for (uint32_t size : {130u, 1282u, 1283u, 40003u}) {
    const std::string audio = Pattern(size, static_cast<uint8_t>(size));
    const std::string rendered = Render(Make("track1.pcm", audio), &dialog);
    CPeakBuilder builder;
    ASSERT_TRUE(builder.Start(root / "building.pek"));
    const auto* bytes = reinterpret_cast<const uint8_t*>(audio.data());
    size_t at = 0;
    for (size_t piece = 1; at < audio.size(); piece = piece * 3 % 4099 + 1) {
      const size_t count = std::min(piece, audio.size() - at);
      builder.Add(bytes + at, count);
      at += count;
    }
    uint32_t length = 0;
    ASSERT_TRUE(builder.Publish(root / "built.pek", length));
    EXPECT_EQ(ReadFileBytes(root / "built.pek"), rendered) << size;
    EXPECT_EQ(length, size / 64);
    EXPECT_FALSE(fs::exists(root / "building.pek"));
  }
  // An abandoned build leaves neither its file nor the peak file.
  {
    CPeakBuilder builder;
    ASSERT_TRUE(builder.Start(root / "building.pek"));
    builder.Add(reinterpret_cast<const uint8_t*>("abcdefgh"), 8);
  }
  EXPECT_FALSE(fs::exists(root / "building.pek"));
}

}  // namespace
