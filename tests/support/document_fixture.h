#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/mixer_app.h"
#include "document/mixer_doc.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/fake_main_frame.h"
#include "tests/support/temp_folder.h"

// Equal byte strings; on a difference it tells the sizes and the first offset that
// differs rather than printing the audio.
::testing::AssertionResult SameAudio(const std::string& actual, const std::string& expected);

// A started application with its document in a session folder of the test's own.
class DocumentTest : public ::testing::Test {
 protected:
  using Frame = FakeMainFrame;

  void SetUp() override;

  // Puts bytes into a track as an import would (inside the operation bracket).
  void LoadTrack(int track, const std::string& bytes);
  // The bytes of a track's file and of the clipboard file, read from disk.
  std::string TrackBytes(int track);
  std::string ClipboardBytes();
  // Mixes the whole project down into root/name, as the exports do (inside the
  // operation bracket), and gives the file's path.
  std::string MixDownFile(const std::string& name);
  // Highlights first..last of the current track, as a mouse drag would.
  void Select(uint32_t first, uint32_t last);
  // Audio whose each 4-byte frame carries its index and a seed, so that a misplaced
  // range shows.
  static std::string Pattern(uint32_t bytes, uint8_t seed);
  // True when some message box or message dialog shown since the last call contains
  // the text.
  bool Showed(const std::string& text);

  TempFolder root;
  std::unique_ptr<platform::ScriptedSystem> system;
  std::unique_ptr<CMixerApp> app;
  CMixerDoc* doc = nullptr;
  Frame* frame = nullptr;
  size_t seenBoxes = 0;
  std::vector<std::string> messageDialogTexts;
};
