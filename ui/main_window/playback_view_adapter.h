#pragma once

#include <functional>
#include <utility>

#include "engine/playback_observers.h"
#include "view/mixer_view.h"

namespace ui {

// Lets the playback engine move the waveform view's play line and refresh its clocks;
// afterStop runs when playback has stopped (the window's commands change then).
class PlaybackViewAdapter : public PlaybackViewObserver {
 public:
  PlaybackViewAdapter(CMixerView& view, std::function<void()> afterStop)
      : m_view(view), m_afterStop(std::move(afterStop)) {}

  void StartPlayTimer() override { m_view.StartPlayTimer(); }
  void StartPlayLine(uint32_t start, uint32_t end) override { m_view.StartPlayLine(start, end); }
  void StopPlayLine() override { m_view.StopPlayLine(); }
  void ShowPosition(uint32_t position) override { m_view.ShowPosition(position); }
  void RefreshClocks() override {
    m_view.UpdateClockTimes();
    m_view.SetProjectSlider();
    if (m_afterStop) m_afterStop();
  }

 private:
  CMixerView& m_view;
  std::function<void()> m_afterStop;
};

}  // namespace ui
