#pragma once

#include <string>
#include <vector>

namespace platform {

// Results of opening a target, numbered as desktop handlers number them: above 32 the
// handler was started; otherwise the reason it was not.
inline constexpr int kShellOutOfResources = 0;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellNoMemory = 8;
inline constexpr int kShellNoAssociation = 31;
inline constexpr int kShellOpened = 33;
inline bool ShellOpened(int result) {
  return result > 32;
}

// Opens documents and links with the desktop's handlers.
class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a link (with a scheme such as http:, mailto: or file:) or a local file with
  // its default handler.
  virtual int Open(const std::string& target) = 0;
  // The launcher command of the desktop's default handler for a MIME type ("text/html"),
  // with its argument placeholder ("browser %u"); empty when there is none.
  virtual std::string HandlerCommand(const std::string& mimeType) = 0;
  // Starts a program (the first argument, looked up on the PATH) without waiting for
  // it; false when it could not be started.
  virtual bool Run(const std::vector<std::string>& arguments) = 0;
};

// The shell of a desktop that follows the freedesktop conventions: xdg-open, the
// mimeapps.list files and the launchers' .desktop files.
class DesktopShell : public Shell {
 public:
  int Open(const std::string& target) override;
  std::string HandlerCommand(const std::string& mimeType) override;
  bool Run(const std::vector<std::string>& arguments) override;
};

// Why a local target could not be opened, as a shell result: missing file or folder,
// no access; kShellNoAssociation when the file is there (nothing handles it).
int LocalTargetFailure(const std::string& path);

// The arguments that run a launcher's command on a target: the command split at blanks
// (double quotes keep a blank inside one argument), cut at its first argument
// placeholder (%u, %U, %f or %F; where it has none, after the program's name), with
// the target appended. Empty for an empty command.
std::vector<std::string> HandlerArguments(const std::string& command, const std::string& target);

}  // namespace platform
