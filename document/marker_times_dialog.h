#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog_logic.h"

class CMixerDoc;

inline constexpr const char* IDC_BEGIN_MARKER = "IDC_BEGIN_MARKER";
inline constexpr const char* IDC_END_MARKER = "IDC_END_MARKER";
inline constexpr const char* IDC_TIME_TYPE = "IDC_TIME_TYPE";

// The Marker Times dialog: both markers typed as times in a chosen unit.
class CMarkerTimesDialog : public platform::DialogLogic {
 public:
  CMarkerTimesDialog() : DialogLogic("marker_times_dialog") {}
  // The document it works on, given by the workspace that holds it; null without one.
  CMixerDoc* m_pDocument = nullptr;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnKillFocus(const std::string& id) override;
  void OnSelChange(const std::string& id) override;

  // A typed marker time as a byte position of the current track: -1 for an empty or
  // invalid text, the track's length (with a message) for a time beyond it.
  int32_t ConvertTimeStringToBytes(const std::string& text);

 private:
  void Show(const char* id, int32_t marker);
  int32_t m_nBegin = -1;
  int32_t m_nEnd = -1;
  int m_nUnit = 0;
};
