#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/dialog_logic.h"

class CMixerDoc;

inline constexpr const char* IDC_USE_TRACKER = "IDC_USE_TRACKER";
inline constexpr const char* IDC_USE_MARKER = "IDC_USE_MARKER";
inline constexpr const char* IDC_SILENCE_LENGTH = "IDC_SILENCE_LENGTH";
inline constexpr const char* IDC_SILENCE_TIME_TYPE = "IDC_SILENCE_TIME_TYPE";

// The Insert Silence dialog: where the silence goes (tracker position or begin
// marker) and how long it is. It remembers its values from one use to the next.
class CSilenceInputDialog : public platform::DialogLogic {
 public:
  CSilenceInputDialog() : DialogLogic("silence_dialog") {}
  // The document it works on, given by the workspace that holds it; null without one.
  CMixerDoc* m_pDocument = nullptr;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnKillFocus(const std::string& id) override;
  void OnSelChange(const std::string& id) override;

  // Writes count bytes of silence into out, stepping the progress dialog every
  // 8192 bytes; 1, 0 on a failed write, 3 when cancelled.
  int WriteSilenceToPCM(std::FILE* out, uint32_t count);

  uint32_t m_nLength = 176400;  // one second
  bool m_bUseMarker = false;
  int m_nUnit = 0;
  bool m_bFirstTime = true;

 private:
  // The length field's text read in the unit; false (with a message) when invalid.
  bool ReadLength(int unit, uint32_t& length);
  void ShowLength(uint32_t length, int unit);
  int m_nShownUnit = 0;
};
