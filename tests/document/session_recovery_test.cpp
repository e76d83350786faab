// Session folders left by a program that ended without cleaning up: which are found,
// and how their tracks come back.

#include <filesystem>

#include "app/left_sessions.h"
#include "platform/process_owner.h"
#include "tests/support/document_fixture.h"

namespace {

namespace fs = std::filesystem;

class SessionRecoveryTest : public DocumentTest {
 protected:
  // A session folder beside this session's, as a program that was killed leaves it.
  std::string LeaveSession(const std::string& stamp, bool ownerRuns) {
    const std::string folder = fs::path(app->m_szTempFolder).parent_path() / stamp;
    fs::create_directories(folder);
    if (ownerRuns) {
      EXPECT_TRUE(platform::WriteOwnerFile(folder + "/" + kSessionOwnerFile));
    } else {
      // A process id with a start time no running process has.
      WriteFileBytes(folder + "/" + kSessionOwnerFile, "1 999999999999\n");
    }
    return folder;
  }
};

TEST_F(SessionRecoveryTest, OnlyFoldersOfEndedProgramsWithAudioAreFound) {
  const std::string left = LeaveSession("20261208101500", false);
  WriteFileBytes(left + "/track0.pcm", Pattern(4000, 1));
  const std::string running = LeaveSession("20261208101600", true);
  WriteFileBytes(running + "/track0.pcm", Pattern(4000, 2));
  const std::string empty = LeaveSession("20261208101700", false);
  WriteFileBytes(empty + "/track0.pcm", "");
  const std::string unowned = fs::path(app->m_szTempFolder).parent_path() / "20261208101800";
  fs::create_directories(unowned);
  WriteFileBytes(unowned + "/track0.pcm", Pattern(4000, 3));

  const std::vector<LeftSession> sessions = app->LeftSessions();
  ASSERT_EQ(sessions.size(), 1u);
  EXPECT_EQ(sessions[0].stamp, "20261208101500");
  EXPECT_EQ(sessions[0].tracks, 1);
  EXPECT_EQ(sessions[0].bytes, 4000u);
  EXPECT_EQ(SessionStartText(sessions[0].stamp), "8 December 2026 at 10:15:00");
  // This program's own session is running, so it is never offered.
  EXPECT_TRUE(platform::OwnerIsRunning(app->m_szTempFolder + "/" + kSessionOwnerFile));
}

TEST_F(SessionRecoveryTest, RecoveredTracksBecomeANewUnsavedProjectAndTheFolderGoes) {
  LoadTrack(1, Pattern(800, 9));
  doc->SetModifiedFlag(false);
  const std::string left = LeaveSession("20261208101500", false);
  const std::string first = Pattern(40000, 1);
  const std::string cut = Pattern(8002, 2);  // the program stopped inside a frame
  WriteFileBytes(left + "/track0.pcm", first);
  WriteFileBytes(left + "/track5.pcm", cut);
  const std::vector<LeftSession> sessions = app->LeftSessions();
  ASSERT_EQ(sessions.size(), 1u);

  ASSERT_EQ(app->RecoverSession(sessions[0]), 1);
  EXPECT_TRUE(SameAudio(TrackBytes(0), first));
  EXPECT_TRUE(SameAudio(TrackBytes(5), cut.substr(0, 8000)));
  EXPECT_EQ(doc->Track(1).m_pos.m_nLength, 0u);  // the open project gave way
  EXPECT_EQ(doc->Track(5).m_pos.m_nLength, 8000u);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(doc->m_szProjectPath.empty());
  EXPECT_FALSE(fs::exists(left));
  EXPECT_TRUE(app->LeftSessions().empty());
}

TEST_F(SessionRecoveryTest, StartUpOffersALeftSessionAndADeclinedOneIsRemoved) {
  const std::string left = LeaveSession("20261208101500", false);
  WriteFileBytes(left + "/track2.pcm", Pattern(4000, 4));
  // The next start of the program.
  doc = nullptr;
  app.reset();
  system->messages.Answer(platform::MessageResult::No);
  app = std::make_unique<CMixerApp>();
  ASSERT_TRUE(app->InitInstance({"", [] { return std::make_unique<Frame>(); }}));
  EXPECT_TRUE(Showed("Recover the unsaved work of the session of 8 December 2026 at 10:15:00?"));
  EXPECT_FALSE(fs::exists(left));
}

}  // namespace
