#include "core/hyperlink.h"

#include "platform/message_boxes.h"
#include "platform/system.h"

std::string HyperlinkFailureReason(int result) {
  switch (result) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30:
      return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return "Unknown Error (" + std::to_string(result) + ") occurred.";
  }
}

namespace {

void ShowLinkFailure(int result) {
  platform::MessageBoxes* messages = platform::Os().messages;
  if (!messages) return;
  messages->Beep();
  messages->Show("Unable to open hyperlink:\n\n" + HyperlinkFailureReason(result), platform::kProgramCaption,
                 platform::MessageIcon::Warning, platform::MessageButtons::Ok);
}

}  // namespace

bool OpenHyperlink(const std::string& target) {
  platform::Shell* shell = platform::Os().shell;
  const int result = shell ? shell->Open(target) : platform::kShellNoAssociation;
  if (platform::ShellOpened(result)) return true;
  ShowLinkFailure(result);
  return false;
}

bool OpenDocumentTarget(const std::string& target) {
  platform::Shell* shell = platform::Os().shell;
  if (!shell) return false;
  const int result = shell->Open(target);
  if (platform::ShellOpened(result)) return true;
  // A missing or unreadable file is not a question of handlers.
  if (result == platform::kShellNoAssociation) {
    std::vector<std::string> arguments = platform::HandlerArguments(shell->HandlerCommand("text/html"), target);
    if (!arguments.empty() && shell->Run(arguments)) return true;
  }
  ShowLinkFailure(result);
  return false;
}
