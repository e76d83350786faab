#include "engine/audio_failure_dialog.h"

#include <cstdio>

#include "core/errors.h"
#include "core/hyperlink.h"
#include "platform/system.h"

const char* const kAudioFailureCauses[3] = {
    "Lack of system resources (processing speed or memory) due to having too many other programs open and operating "
    "while using this program.",
    "Your system does not meet this programs system requirements causing lack of necessary system resources "
    "(processing speed or memory) .",
    "There is a slight chance that anti-virus programs that scan newly written data for virus threats may be halting "
    "the system and resulting in audio i/o failure."};

namespace {

constexpr const char* kContactBefore = "If none of these possibilities apply, please contact us by email so";
constexpr const char* kContactAfter = "we can attempt to resolve the problem:";

// A mail link's header value: everything but unreserved characters percent-encoded.
std::string PercentEncoded(const std::string& text) {
  std::string encoded;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                 c == '_' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      encoded += hex;
    }
  }
  return encoded;
}

}  // namespace

CAudioIOFailureDialog::CAudioIOFailureDialog(Kind kind, const std::string& cause)
    : DialogLogic("audio_failure_dialog"), m_kind(kind), m_cause(cause.substr(0, 255)) {}

std::string CAudioIOFailureDialog::Caption() const {
  switch (m_kind) {
    case Kind::Monitor: return "Monitor Failure";
    case Kind::Record: return "Recording Failure";
    case Kind::Playback: break;
  }
  return "Playback Failure";
}

std::string CAudioIOFailureDialog::FirstParagraph() const {
  switch (m_kind) {
    case Kind::Monitor:
      return "Interruption in monitoring (record) due to monitor mechanism not receiving audio in a timely manner.  "
             "This is usually caused by one of the following:";
    case Kind::Record:
      return "Interruption in recording due to recording mechanism not receiving audio in a timely manner.  This is "
             "usually caused by one of the following:";
    case Kind::Playback: break;
  }
  return "Interruption in playback due to playback mechanism not receiving audio in a timely manner.  This is usually "
         "caused by one of the following:";
}

std::string CAudioIOFailureDialog::MailSubject() const {
  const char* mechanism = m_kind == Kind::Monitor  ? "Monitor (Record) Mechanism Failure"
                          : m_kind == Kind::Record ? "Recording Mechanism Failure"
                                                   : "Playback Mechanism Failure";
  // The subject ends with the name of the operating system's version where the
  // program knows one by name; it knows none here.
  return std::string(mechanism) + " - " + m_cause + " - ";
}

std::string CAudioIOFailureDialog::LinkTarget() const {
  return std::string("mailto:") + kSupportAddress + "?subject=" + PercentEncoded(MailSubject());
}

void CAudioIOFailureDialog::Report(Kind kind, const std::string& cause) {
  CAudioIOFailureDialog dialog(kind, cause);
  platform::System& os = platform::Os();
  if (os.interactive || !os.messages) {
    dialog.DoModal();
    return;
  }
  std::string text = dialog.FirstParagraph() + "\n";
  for (const char* reason : kAudioFailureCauses) text += std::string("  - ") + reason + "\n";
  text += std::string(kContactBefore) + " " + kSupportAddress + " " + kContactAfter + "\n(" + cause + ")";
  os.messages->Show(text, dialog.Caption(), platform::MessageIcon::Warning, platform::MessageButtons::Ok);
}

bool CAudioIOFailureDialog::OnInitDialog() {
  if (platform::DialogSurface* surface = Surface()) {
    surface->SetWindowText(Caption());
    surface->CenterWindow();
  }
  if (platform::DialogControl* text = GetDlgItem(IDC_FAILURE_TEXT)) text->SetText(FirstParagraph());
  if (platform::DialogControl* link = GetDlgItem(IDC_FAILURE_LINK)) link->SetText(kSupportAddress);
  return true;
}

void CAudioIOFailureDialog::OnCommand(const std::string& id) {
  if (id != IDC_FAILURE_LINK) return;
  if (OpenHyperlink(LinkTarget())) m_visited = true;
}
