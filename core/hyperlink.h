#pragma once

#include <string>

// The reason a desktop handler gave (a result of 32 or below), as the link message
// tells it.
std::string HyperlinkFailureReason(int result);

// Opens a link's target with the desktop's default handler. When that fails it beeps
// and shows "Unable to open hyperlink:" with the reason. True when it opened.
bool OpenHyperlink(const std::string& target);

// Opens a document with its default handler; failing that, with the handler of web
// pages. Tells the user when neither starts. True when one did.
bool OpenDocumentTarget(const std::string& target);
