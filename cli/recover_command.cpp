#include "cli/recover_command.h"

#include "app/mixer_app.h"

std::optional<bool> RunRecoverCommand(CMixerApp& app, const std::vector<std::string>& words, std::ostream& out,
                                      const std::function<bool(const std::string&)>& fail) {
  if (words[0] != "recover") return std::nullopt;
  if (words.size() != 2) return fail("usage: recover --list | recover STAMP");
  const std::vector<LeftSession> sessions = app.LeftSessions();
  if (words[1] == "--list") {
    for (const LeftSession& session : sessions) {
      out << session.stamp << ": " << SessionStartText(session.stamp) << ", " << session.tracks
          << (session.tracks == 1 ? " track, " : " tracks, ") << session.bytes << " bytes\n";
    }
    return true;
  }
  for (const LeftSession& session : sessions) {
    if (session.stamp == words[1]) return app.RecoverSession(session) == 1;
  }
  return fail("recover: no left session '" + words[1] + "' (recover --list shows them)");
}
