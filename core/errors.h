#pragma once

#include <string>

// The support address that every error report asks the user to write to.
inline constexpr const char* kSupportAddress = "support@sonavel.com";

// The general error report: the message, where it happened and the system's last
// error, in an information box with OK.
int ReportError(const std::string& location, const std::string& message);
// The same report with the system error code given (an errno value; 0 for none).
int ReportErrorCode(const std::string& location, const std::string& message, int code);

// Reports a failed wave-device call; a result of 0 (success) reports nothing.
void WaveErrorFeedback(unsigned int result, const std::string& localFunction, const std::string& waveFunction);
// The text a wave-device result code stands for.
std::string WaveResultText(unsigned int result);

// The crash-style report, which offers to copy its text to the clipboard.
void ReportErrorWithClipboard(const std::string& sourceFile, int line, const std::string& message);

// The guard message for a missing application object, main frame, document or view:
// what names the missing object ("app", "main frame", "document", ...), operation the
// operation that needed it.
void ReportMissingObject(const std::string& what, const std::string& operation);

// An information box for the user (nothing selected, buffer empty, ...).
void ShowInformation(const std::string& text);
