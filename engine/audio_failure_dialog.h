#pragma once

#include <string>

#include "platform/dialog_logic.h"

inline constexpr const char* IDC_FAILURE_TEXT = "IDC_FAILURE_TEXT";
inline constexpr const char* IDC_FAILURE_LINK = "IDC_FAILURE_LINK";

// The report of an audio engine that stopped because its buffers were not serviced
// in time: which mechanism failed, the usual causes, and a link that starts a mail to
// support with the mechanism and the cause in its subject.
class CAudioIOFailureDialog : public platform::DialogLogic {
 public:
  enum class Kind { Playback, Monitor, Record };

  // cause: "Consecutive Delays" or "Accumulated Delays" (at most 255 characters kept).
  CAudioIOFailureDialog(Kind kind, const std::string& cause);

  // Shows the dialog modally; a front end that cannot show dialogs gets the same
  // report as a warning box.
  static void Report(Kind kind, const std::string& cause);

  bool OnInitDialog() override;
  void OnCommand(const std::string& id) override;

  std::string Caption() const;
  std::string FirstParagraph() const;
  // The mail subject and the link's whole target.
  std::string MailSubject() const;
  std::string LinkTarget() const;
  bool LinkVisited() const { return m_visited; }

 private:
  Kind m_kind;
  std::string m_cause;
  bool m_visited = false;
};

// The fixed list of likely causes, as the dialog shows it.
extern const char* const kAudioFailureCauses[3];
