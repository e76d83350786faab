#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/mixer_app.h"
#include "core/main_frame.h"

// Writes into root/config the configuration a first run leaves, naming root/audio as
// the audio folder, and makes both folders.
void WriteFirstRunConfig(const std::string& root);

// Starts an application as after a first run (WriteFirstRunConfig, then a system set
// up by the caller); frame is the main frame it made. Null, with a failed expectation,
// when the start failed or left no document.
template <typename Frame>
std::unique_ptr<CMixerApp> StartApplication(Frame*& frame) {
  auto app = std::make_unique<CMixerApp>();
  const bool started = app->InitInstance({"", [&frame] {
                                            auto made = std::make_unique<Frame>();
                                            frame = made.get();
                                            return made;
                                          }});
  EXPECT_TRUE(started);
  EXPECT_NE(app->m_pDocument, nullptr);
  if (!started || !app->m_pDocument) return nullptr;
  return app;
}
