#include "app/left_sessions.h"

#include <algorithm>
#include <filesystem>

#include "core/file_utils.h"
#include "document/export_note.h"
#include "platform/process_owner.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 8;

}  // namespace

namespace {

// Calls visit with each session folder in tempFolder whose program is no longer
// running; a folder without an owner file is nobody's to touch.
template <typename Visit>
void ForEachLeftFolder(const std::string& tempFolder, Visit visit) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(tempFolder, error)) {
    if (entry.symlink_status(error).type() != fs::file_type::directory) continue;
    const std::string folder = entry.path().string();
    const std::string owner = JoinPath(folder, kSessionOwnerFile);
    if (!fs::is_regular_file(fs::symlink_status(owner, error)) || platform::OwnerIsRunning(owner)) continue;
    visit(entry);
  }
}

}  // namespace

std::vector<LeftSession> FindLeftSessions(const std::string& tempFolder) {
  std::vector<LeftSession> sessions;
  ForEachLeftFolder(tempFolder, [&sessions](const fs::directory_entry& entry) {
    std::error_code error;
    const std::string folder = entry.path().string();
    LeftSession session{folder, entry.path().filename().string()};
    for (int n = 0; n < kTracks; ++n) {
      const fs::path track = JoinPath(folder, "track" + std::to_string(n) + ".pcm");
      if (!fs::is_regular_file(fs::symlink_status(track, error))) continue;
      const uintmax_t size = fs::file_size(track, error);
      if (error || size < 4) continue;
      ++session.tracks;
      session.bytes += size;
    }
    if (session.tracks > 0) sessions.push_back(std::move(session));
  });
  std::sort(sessions.begin(), sessions.end(),
            [](const LeftSession& a, const LeftSession& b) { return a.stamp < b.stamp; });
  return sessions;
}

void ClearStoppedExports(const std::string& tempFolder) {
  ForEachLeftFolder(tempFolder, [](const fs::directory_entry& entry) { RemoveStoppedExport(entry.path().string()); });
}

std::string SessionStartText(const std::string& stamp) {
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  if (stamp.size() < 14 || stamp.find_first_not_of("0123456789") < 14) return stamp;
  const int month = std::stoi(stamp.substr(4, 2));
  if (month < 1 || month > 12) return stamp;
  return std::to_string(std::stoi(stamp.substr(6, 2))) + " " + kMonths[month - 1] + " " + stamp.substr(0, 4) +
         " at " + stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
}

void RemoveLeftSession(const LeftSession& session) {
  std::error_code error;
  fs::remove_all(session.folder, error);
}
