#include "audio_store/codec_modules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "audio_store/wave_header.h"
#include "platform/scripted/scripted_system.h"
#include "tests/audio_store/store_fixture.h"

namespace {

namespace fs = std::filesystem;

struct CodecModulesTest : ::testing::Test {
  TempFolder root;

  static int ErrorReports(const platform::ScriptedSystem& system, const std::string& location,
                          const std::string& message) {
    int count = 0;
    for (const auto& box : system.messages.shown) {
      if (box.text.find("Error Message: " + message + "\r\n\r\nError Location: " + location + "\r\n") !=
          std::string::npos)
        ++count;
    }
    return count;
  }
};

TEST_F(CodecModulesTest, TheBuildsModulesAreFoundInLibBesideTheProgramsFolder) {
  // The program folder is the build's cli folder; the modules lie in ../lib/trackwright.
  platform::ScriptedSystem system{TRACKWRIGHT_PROGRAM_FOLDER, root.Path(), root.Path()};
  std::string wave = root / "in.wav", pcm = root / "out.pcm";
  std::string data = Pattern(4000, 7);
  auto header = WaveHeaderBytes(static_cast<uint32_t>(data.size()), 22050, 1, 16);
  WriteFileBytes(wave, std::string(header.begin(), header.end()) + data);

  AudioQuality quality{0, 0, 0};
  uint32_t bytes = 0;
  EXPECT_EQ(CallWaveDecode("Test::Import", wave, pcm, &quality, &bytes, nullptr), kCodecDone);
  EXPECT_EQ(quality.channels, 1);
  EXPECT_EQ(quality.bitsPerSample, 16);
  EXPECT_EQ(quality.sampleRate, 22050);
  EXPECT_EQ(bytes, 4000u);
  EXPECT_EQ(ReadFileBytes(pcm), data);

  // The other module answers too, with its own result for a file it cannot read.
  EXPECT_EQ(CallLameDecode("Test::Import", wave, root / "out.wav", nullptr), kCodecUnreadable);
  EXPECT_EQ(CallLameEncode("Test::Export", root / "missing.pcm", root / "out.mp3", 2, 16, 44100, 128, nullptr),
            kCodecUnreadable);
  EXPECT_TRUE(system.messages.shown.empty());
}

TEST_F(CodecModulesTest, AModuleBesideTheProgramComesFirst) {
  // A module there that lacks the function shows that it was the one loaded.
  fs::create_directories(root / "bin");
  fs::copy_file(fs::path(TRACKWRIGHT_MODULE_FOLDER) / kWaveModule, root / "bin/LameInterface.so");
  platform::ScriptedSystem system{root / "bin", root.Path(), root.Path()};
  EXPECT_EQ(CallLameEncode("CMixerDoc::WriteMP3", root / "a.pcm", root / "a.mp3", 2, 16, 44100, 128, nullptr,
                           "CMP3Import::WriteMP3"),
            kCodecNotLoaded);
  EXPECT_EQ(ErrorReports(system, "CMP3Import::WriteMP3", "GetProcAddress failed."), 1);
  EXPECT_EQ(CallLameDecode("CMP3Import::ImportFile", root / "a.mp3", root / "a.wav", nullptr), kCodecNotLoaded);
  EXPECT_EQ(ErrorReports(system, "CMP3Import::ImportFile", "GetProcAddress failed."), 1);
  EXPECT_EQ(system.messages.shown.size(), 2u);
}

TEST_F(CodecModulesTest, AMissingModuleIsReportedByItsFileName) {
  fs::create_directories(root / "bin");
  platform::ScriptedSystem system{root / "bin", root.Path(), root.Path()};
  AudioQuality quality{9, 9, 9};
  uint32_t bytes = 9;
  EXPECT_EQ(CallWaveDecode("CWaveImport::ImportFile", root / "a.wav", root / "a.pcm", &quality, &bytes, nullptr),
            kCodecNotLoaded);
  EXPECT_EQ(ErrorReports(system, "CWaveImport::ImportFile", "Missing WaveDecode.so"), 1);
  EXPECT_EQ(quality.channels, 9);
  EXPECT_EQ(bytes, 9u);
  EXPECT_EQ(CallLameDecode("CMixerApp::CreateIntro", root / "a.mp3", root / "a.wav", nullptr), kCodecNotLoaded);
  EXPECT_EQ(ErrorReports(system, "CMixerApp::CreateIntro", "Missing LameInterface.so"), 1);
  // Every use looks again: a module put in place afterwards is found.
  fs::copy_file(fs::path(TRACKWRIGHT_MODULE_FOLDER) / kWaveModule, root / "bin/WaveDecode.so");
  EXPECT_EQ(CallWaveDecode("CWaveImport::ImportFile", root / "a.wav", root / "a.pcm", &quality, &bytes, nullptr),
            kCodecUnreadable);
  EXPECT_EQ(system.messages.shown.size(), 2u);
}

}  // namespace
