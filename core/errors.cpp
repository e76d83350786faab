#include "core/errors.h"

#include "core/program_links.h"
#include "platform/last_error.h"
#include "platform/system.h"

namespace {

platform::MessageResult ShowBox(const std::string& text, platform::MessageIcon icon, platform::MessageButtons buttons,
                                platform::MessageKind kind = platform::MessageKind::ErrorReport) {
  platform::MessageBoxes* boxes = platform::Os().messages;
  if (!boxes) return platform::MessageResult::Cancel;
  return boxes->Show(text, platform::kProgramCaption, icon, buttons, kind);
}

// The file's base name: after the last path separator, up to the last full stop.
std::string SourceBaseName(const std::string& sourceFile) {
  auto separator = sourceFile.find_last_of("\\/");
  std::string name = separator == std::string::npos ? sourceFile : sourceFile.substr(separator + 1);
  auto dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

const char* CopyToClipboard(const std::string& text) {
  if (!Links().application) return "Clipboard copy failed on AfxGetApp.";
  if (!Links().mainFrame) return "Clipboard copy failed on GetMainWnd.";
  platform::Clipboard* clipboard = platform::Os().clipboard;
  if (!clipboard) return "Clipboard copy failed on OpenClipboard.";
  if (!clipboard->SetText(text)) return "Clipboard copy failedon SetClipboard.";
  return nullptr;
}

}  // namespace

int ReportError(const std::string& location, const std::string& message) {
  int code = platform::GetLastError();
  std::string text = std::string("The following error occured.\n\nPlease email this error information to ") +
                     kSupportAddress + "\nso that we can resolve the issue.  Thank you.\n\nError Message: " + message +
                     "\r\n\r\nError Location: " + location;
  std::string system = code != 0 ? platform::SystemErrorText(code) : "No system error message exists";
  text += "\r\n\r\nSystem Error Code: " + std::to_string(code) + "\r\n\r\nSystem Error Message: " + system;
  return static_cast<int>(ShowBox(text, platform::MessageIcon::Information, platform::MessageButtons::Ok));
}

int ReportErrorCode(const std::string& location, const std::string& message, int code) {
  platform::SetLastError(code);
  return ReportError(location, message);
}

std::string WaveResultText(unsigned int result) {
  switch (result) {
    case 2: return "Device ID is out of range";
    case 3: return "Driver not enabled";
    case 4: return "Device already allocated";
    case 5: return "Device handle is invalid";
    case 6: return "No device driver present";
    case 7: return "Memory allocation error";
    case 8: return "Function is not supported";
    case 9: return "Error value is out of range";
    case 10: return "Invalid flag passed";
    case 11: return "Invalid parameter passed";
    case 12: return "Handle being used symultaneously on another thread (eg callback)";
    case 13: return "Specified alias not found";
    case 14: return "Bad registry database";
    case 15: return "Registry key not found";
    case 16: return "Registry read error";
    case 17: return "Registry write error";
    case 18: return "Registry delete error";
    case 19: return "Registry value not found";
    case 20: return "Driver does not call DriverCallback / Last error in range";
    case 32: return "Unsupported wave format";
    case 33: return "Audio still playing";
    case 34: return "Header not prepared";
    case 35: return "Device is synchronous / Last error in range";
    default: return "Unspecified Error";
  }
}

void WaveErrorFeedback(unsigned int result, const std::string& localFunction, const std::string& waveFunction) {
  if (result == 0) return;
  ReportError("WaveErrorFeedback", "Local Function (" + localFunction + ") calling Wave Function (" + waveFunction +
                                       ") Error: " + WaveResultText(result));
}

void ReportErrorWithClipboard(const std::string& sourceFile, int line, const std::string& message) {
  int code = platform::GetLastError();
  std::string head = !message.empty() ? "Error Message: " + message
                                      : "An error has occurred.  Please send us this information.\n"
                                        "We will resolve the issue as soon as possible.";
  std::string system = code != 0 ? platform::SystemErrorText(code) : "Invalid pointer in module.";
  std::string text = "v1.5.2: " + head + "\n\nSystem Error Code: " + std::to_string(code) + " (" +
                     SourceBaseName(sourceFile) + "::" + std::to_string(line) + ")\n\nSystem Error Message: " + system +
                     "\n\nClicking \"OK\" copies this information to the clipboard.  You\n"
                     "will then be able to easily paste the information into an email.\nPlease send to " +
                     kSupportAddress + " - we will resolve\nthe problem as soon as possible.  Thank you.";
  if (ShowBox(text, platform::MessageIcon::Information, platform::MessageButtons::OkCancel) !=
      platform::MessageResult::Ok) {
    return;
  }
  if (const char* failure = CopyToClipboard(text)) {
    ShowBox(failure, platform::MessageIcon::Information, platform::MessageButtons::Ok, platform::MessageKind::Message);
  }
}

void ReportMissingObject(const std::string& what, const std::string& operation) {
  ShowBox("Pointer to " + what + " is NULL in " + operation + ".\n\nPlease report this error to " + kSupportAddress +
              ".\nWe will resolve the issue as soon as possible.  Thank you.",
          platform::MessageIcon::Stop, platform::MessageButtons::Ok);
}

void ShowInformation(const std::string& text) {
  ShowBox(text, platform::MessageIcon::Information, platform::MessageButtons::Ok, platform::MessageKind::Message);
}
