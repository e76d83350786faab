#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/mixer_app.h"
#include "platform/scripted/scripted_system.h"

// A started application on the scripted system (virtual devices, a manual clock) in a
// temporary folder of its own, removed at the end.
class BenchProject {
 public:
  BenchProject(const char* name);
  ~BenchProject();
  // False when the application did not start.
  bool Started() const { return m_started; }
  // Puts bytes into track as an import would.
  void LoadTrack(int track, const std::string& bytes);
  // Eight tracks of different noise-like audio of bytes each, at different levels.
  void LoadNoiseTracks(uint32_t bytes);

  std::unique_ptr<platform::ScriptedSystem> system;
  std::unique_ptr<CMixerApp> app;

 private:
  std::string m_root;
  bool m_started = false;
};
