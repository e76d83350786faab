#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_commit.h"
#include "platform/side_file.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SideFile, IsWrittenBesideItsTargetUnderAHiddenNameOfItsOwn) {
  TempFolder root;
  const std::string target = root / "song.mix";
  WriteFileBytes(target, "old");
  platform::SideFile a, b;
  ASSERT_TRUE(a.Create(target));
  ASSERT_TRUE(b.Create(target));
  EXPECT_NE(a.Path(), b.Path());
  EXPECT_EQ(fs::path(a.Path()).parent_path(), root.Path());
  EXPECT_TRUE(platform::IsSideFileName(target, fs::path(a.Path()).filename()));
  EXPECT_FALSE(platform::IsSideFileName(target, "song.mix.saving"));
  ASSERT_TRUE(a.Write("new", 3));
  ASSERT_TRUE(a.Finish());
  EXPECT_EQ(ReadFileBytes(target), "old");  // nothing is replaced before the rename
  ASSERT_TRUE(a.Publish());
  EXPECT_EQ(ReadFileBytes(target), "new");
  b.Discard();
  EXPECT_EQ(Names(root.Path()), std::vector<std::string>{"song.mix"});
  // One that is neither published nor kept goes with its object.
  { platform::SideFile c; ASSERT_TRUE(c.Create(target)); }
  EXPECT_EQ(Names(root.Path()).size(), 1u);
}

TEST(SideFile, ReplacesALinkWithoutWritingThroughIt) {
  TempFolder root;
  WriteFileBytes(root / "victim", "keep");
  fs::create_symlink(root / "victim", root / "out.wav");
  platform::SideFile side;
  ASSERT_TRUE(side.Create(root / "out.wav"));
  ASSERT_TRUE(side.Write("mix", 3));
  ASSERT_TRUE(side.Finish() && side.Publish());
  EXPECT_EQ(ReadFileBytes(root / "victim"), "keep");
  EXPECT_FALSE(fs::is_symlink(root / "out.wav"));
  EXPECT_EQ(ReadFileBytes(root / "out.wav"), "mix");
}

TEST(SideFile, TellsReadOnlyFiles) {
  TempFolder root;
  WriteFileBytes(root / "a", "x");
  EXPECT_FALSE(platform::IsReadOnlyFile(root / "a"));
  chmod((root / "a").c_str(), 0444);
  EXPECT_TRUE(platform::IsReadOnlyFile(root / "a"));
  EXPECT_FALSE(platform::IsReadOnlyFile(root / "missing"));
}

struct CommitTest : ::testing::Test {
  TempFolder root;
  std::string commit = root / ".song.mix.commit";
  std::vector<platform::Replacement> replacements;
  void SetUp() override {
    for (const char* name : {"song.mix", "track0.pcm"}) {
      WriteFileBytes(root / name, std::string("old ") + name);
      platform::SideFile side;
      ASSERT_TRUE(side.Create(root / name));
      std::string text = std::string("new ") + name;
      ASSERT_TRUE(side.Write(text.data(), text.size()) && side.Finish());
      side.Keep();
      replacements.push_back({side.Path(), side.Target()});
    }
  }
};

TEST_F(CommitTest, AWrittenCommitIsCarriedOutByWhoeverReadsIt) {
  ASSERT_TRUE(platform::WriteCommitFile(commit, replacements));
  // The process stops here; another reads the commit file and finishes.
  std::vector<platform::Replacement> read;
  ASSERT_EQ(platform::ReadCommitFile(commit, read), platform::CommitState::kComplete);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].target, root / "track0.pcm");
  // One rename was done before the stop: the rest are done, that one is not redone.
  ASSERT_EQ(rename(read[0].side.c_str(), read[0].target.c_str()), 0);
  ASSERT_TRUE(platform::ApplyCommit(commit, read));
  EXPECT_EQ(ReadFileBytes(root / "song.mix"), "new song.mix");
  EXPECT_EQ(ReadFileBytes(root / "track0.pcm"), "new track0.pcm");
  EXPECT_EQ(Names(root.Path()), (std::vector<std::string>{"song.mix", "track0.pcm"}));
  EXPECT_EQ(platform::ReadCommitFile(commit, read), platform::CommitState::kNone);
}

TEST_F(CommitTest, ACommitFileCutShortOrNotOursIsDamaged) {
  ASSERT_TRUE(platform::WriteCommitFile(commit, replacements));
  const std::string whole = ReadFileBytes(commit);
  std::vector<platform::Replacement> read;
  for (size_t cut : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 1}) {
    WriteFileBytes(commit, whole.substr(0, cut));
    EXPECT_EQ(platform::ReadCommitFile(commit, read), platform::CommitState::kDamaged) << cut;
    EXPECT_TRUE(read.empty());
  }
  // A side file that is not its target's, or lies in another folder.
  std::vector<platform::Replacement> foreign = {{root / "elsewhere", root / "song.mix"}};
  ASSERT_TRUE(platform::WriteCommitFile(root / ".other.commit", foreign));
  EXPECT_EQ(platform::ReadCommitFile(root / ".other.commit", read), platform::CommitState::kDamaged);
  // A link is never read as one.
  fs::remove(commit);
  fs::create_symlink(root / ".other.commit", commit);
  EXPECT_EQ(platform::ReadCommitFile(commit, read), platform::CommitState::kDamaged);
}

}  // namespace
