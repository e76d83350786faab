#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/program_links.h"
#include "core/progress_dialog.h"
#include "audio_store/pcm_file.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/cancel_at.h"
#include "tests/support/pattern.h"
#include "tests/support/temp_folder.h"

// A scripted system, a session folder that is a fresh temp folder and the progress
// dialog that long operations step.
struct StoreTest : ::testing::Test {
  TempFolder root;
  platform::ScriptedSystem system{root / "bin", root.Path(), root.Path()};
  COperationDialog dialog;
  std::string tempFolder = root.Path();

  StoreTest() { Links().operationDialog = &dialog; }
  ~StoreTest() override { Links() = {}; }

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
