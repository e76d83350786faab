#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The owner file of a session folder: it names the running program whose working
// files the folder holds.
inline constexpr const char* kSessionOwnerFile = "session.owner";

// A session folder that its program left behind when it ended without cleaning up (a
// crash, a kill, a power cut), with the audio its tracks held.
struct LeftSession {
  std::string folder;
  std::string stamp;  // the folder's name: the session's start, as MakeSessionStamp writes it
  int tracks = 0;     // tracks with audio
  uint64_t bytes = 0;
};

// The left sessions in the temp folder that hold audio, oldest first. A folder whose
// owner is still running, or that has no owner file, is never one of them.
std::vector<LeftSession> FindLeftSessions(const std::string& tempFolder);
// Removes the side files that exports of the left sessions were writing when their
// programs ended.
void ClearStoppedExports(const std::string& tempFolder);
// The session's start for people: "8 December 2026 at 22:52:06".
std::string SessionStartText(const std::string& stamp);
// Removes a left session's folder and everything in it.
void RemoveLeftSession(const LeftSession& session);
