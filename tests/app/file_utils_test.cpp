#include "core/file_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/scripted/scripted_system.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(IsFolderWritable, TakesTheFirstFreeCheckNameAndLeavesNothingBehind) {
  platform::ScriptedSystem system("/opt/tw", "/tmp", "/home/user");
  TempFolder folder;
  WriteFileBytes(folder / "write_check_0", "mine");
  EXPECT_EQ(IsFolderWritable(folder.Path()), 1);
  EXPECT_EQ(IsFolderWritable(folder.Path() + "/"), 1);  // no doubled separator
  EXPECT_EQ(ReadFileBytes(folder / "write_check_0"), "mine");
  EXPECT_FALSE(fs::exists(folder / "write_check_1"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(IsFolderWritable, RefusesMissingEmptyAndReadOnlyFolders) {
  TempFolder folder;
  EXPECT_EQ(IsFolderWritable(folder / "missing"), 0);
  EXPECT_EQ(IsFolderWritable(""), 0);
  WriteFileBytes(folder / "file", "x");
  EXPECT_EQ(IsFolderWritable(folder / "file"), 0);
  if (geteuid() != 0) {  // root writes everywhere
    fs::create_directory(folder / "locked");
    chmod((folder / "locked").c_str(), 0500);
    EXPECT_EQ(IsFolderWritable(folder / "locked"), 0);
  }
}

TEST(JoinPath, AddsOneSeparator) {
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/", "write_check_0"), "/write_check_0");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
}

TEST(OurGetTempFileName, CreatesOrEmptiesAndReportsFailure) {
  platform::ScriptedSystem system("/opt/tw", "/tmp", "/home/user");
  TempFolder folder;
  WriteFileBytes(folder / "temp_a.pcm", "old audio");
  std::string path;
  EXPECT_EQ(OurGetTempFileName(path, folder.Path(), "temp_a", "pcm"), 1);
  EXPECT_EQ(path, folder / "temp_a.pcm");
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);

  EXPECT_EQ(OurGetTempFileName(path, folder / "missing", "x", "wav"), 0);
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_NE(system.messages.shown[0].text.find("Error Message: Failed to create temp file: " + folder.Path() +
                                               "/missing/x.wav\r\n\r\nError Location: OurGetTempFileName"),
            std::string::npos);
}

TEST(GetProgramPath, FolderOfTheExecutable) {
  std::string path;
  {
    platform::ScriptedSystem system("/opt/trackwright/bin", "/tmp", "/home/user");
    EXPECT_EQ(GetProgramPath(path), 1);
    EXPECT_EQ(path, "/opt/trackwright/bin");
  }
  {
    // A long installation path is kept whole: a cut-off folder would be another folder.
    std::string deep = "/opt/" + std::string(300, 'd');
    platform::ScriptedSystem system(deep, "/tmp", "/home/user");
    EXPECT_EQ(GetProgramPath(path), 1);
    EXPECT_EQ(path, deep);
  }
  {
    platform::ScriptedSystem system("", "/tmp", "/home/user");  // the program lies in the root
    EXPECT_EQ(GetProgramPath(path), 1);
    EXPECT_EQ(path, "/");
  }
}

TEST(SessionStamp, FourteenDigitsOfLocalTime) {
  std::tm when{};
  when.tm_year = 2010 - 1900;
  when.tm_mon = 8;
  when.tm_mday = 23;
  when.tm_hour = 14;
  when.tm_min = 25;
  when.tm_sec = 1;
  when.tm_isdst = -1;
  EXPECT_EQ(MakeSessionStamp(std::mktime(&when)), "20100923142501");
}

}  // namespace
