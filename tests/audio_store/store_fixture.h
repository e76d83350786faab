#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/mixer_app.h"
#include "audio_store/pcm_file.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"

// Bytes that differ from position to position and from seed to seed, so that a
// misplaced or repeated range shows in a comparison.
inline std::string Pattern(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// An application with a scripted system whose session folder is a fresh temp folder.
struct StoreTest : ::testing::Test {
  TempFolder root;
  platform::ScriptedSystem system{root / "bin", root.Path(), root.Path()};
  CMixerApp app;
  COperationDialog& dialog = app.m_operationDialog;

  void SetUp() override { app.m_szTempFolder = root.Path(); }

  // A record for a file in the folder holding bytes, its size known.
  PCMFile Make(const std::string& name, const std::string& bytes) {
    PCMFile file;
    file.szPath = root / name;
    WriteFileBytes(file.szPath, bytes);
    file.nSize = static_cast<uint32_t>(bytes.size());
    return file;
  }
  PCMFile Named(const std::string& name) {
    PCMFile file;
    file.szPath = root / name;
    return file;
  }

  // Whether an error report with this message and location was shown.
  bool Reported(const std::string& location, const std::string& message) const {
    for (const auto& box : system.messages.shown) {
      if (box.text.find("Error Message: " + message + "\r\n\r\nError Location: " + location + "\r\n") !=
          std::string::npos)
        return true;
    }
    return false;
  }
  bool Informed(const std::string& text) const {
    for (const auto& box : system.messages.shown) {
      if (box.text == text && box.kind == platform::MessageKind::Message) return true;
    }
    return false;
  }
};
