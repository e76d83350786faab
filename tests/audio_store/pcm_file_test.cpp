#include "audio_store/pcm_file.h"

#include <filesystem>
#include <functional>

#include "tests/audio_store/store_fixture.h"

namespace {

namespace fs = std::filesystem;

using PcmFileTest = StoreTest;

TEST_F(PcmFileTest, OpenSeekAndCloseFollowTheRecord) {
  PCMFile missing = Named("missing.pcm");
  missing.nSize = 77;
  EXPECT_EQ(PCMFileOpen(&missing, kPCMRead), 0);
  EXPECT_EQ(missing.nSize, 0u);
  EXPECT_TRUE(missing.IsClosed());

  std::string bytes = Pattern(30000, 1);
  PCMFile file = Make("a.pcm", bytes);
  file.nSize = 0;
  ASSERT_EQ(PCMFileOpen(&file, kPCMRead), 1);
  EXPECT_EQ(file.nSize, 30000u);
  EXPECT_FALSE(file.IsClosed());
  EXPECT_EQ(PCMFileSeek(&file, 50000), 1);
  EXPECT_EQ(std::ftell(file.fp), 30000);
  EXPECT_EQ(PCMFileSeek(&file, 1000), 1);
  EXPECT_EQ(std::ftell(file.fp), 1000);
  EXPECT_EQ(PCMFileClose(&file), 1);
  EXPECT_TRUE(file.IsClosed());
  EXPECT_EQ(PCMFileSeek(&file, 10), 0);  // closed
  PCMFile empty = Named("empty.pcm");
  EXPECT_EQ(PCMFileSeek(&empty, 10), 1);  // nothing to position in

  // Updating keeps the content of a file the record knows to be non-empty...
  ASSERT_EQ(PCMFileOpen(&file, kPCMUpdate), 1);
  EXPECT_EQ(file.nSize, 30000u);
  PCMFileClose(&file);
  EXPECT_EQ(ReadFileBytes(file.szPath), bytes);
  // ...and starts afresh when it knows it as empty.
  file.nSize = 0;
  ASSERT_EQ(PCMFileOpen(&file, kPCMUpdate), 1);
  PCMFileClose(&file);
  EXPECT_EQ(fs::file_size(file.szPath), 0u);
}

TEST_F(PcmFileTest, SetupMakesTheSessionFileAndCleanupRemovesIt) {
  PCMFile scratch;
  scratch.nSize = 99;
  ASSERT_EQ(PCMFileSetup(&scratch, tempFolder, "temp_a"), 1);
  EXPECT_EQ(scratch.szPath, root / "temp_a.pcm");
  EXPECT_TRUE(fs::exists(scratch.szPath));
  EXPECT_EQ(scratch.nSize, 0u);
  EXPECT_TRUE(scratch.IsClosed());

  WriteFileBytes(scratch.szPath, Pattern(5000, 2));
  scratch.nSize = 5000;
  EXPECT_EQ(PCMFileCleanup(&scratch), 1);
  EXPECT_FALSE(fs::exists(scratch.szPath));
  EXPECT_EQ(scratch.nSize, 0u);
  EXPECT_EQ(PCMFileCleanup(&scratch), 0);  // nothing left to delete

  tempFolder = root / "gone";
  EXPECT_EQ(PCMFileSetup(&scratch, tempFolder, "temp_b"), 0);
  EXPECT_TRUE(Informed("SetupTempAudioFile Failed to create temp PCM File"));
}

TEST_F(PcmFileTest, NullRecordsAreReportedUnderTheFunctionsOwnName) {
  PCMFile a = Named("a.pcm"), b = Named("b.pcm");
  int flag = 2;
  struct Case {
    std::function<int()> call;
    const char* location;
    const char* message;
  };
  const Case cases[] = {
      {[] { return PCMFileOpen(nullptr, 0); }, "PCMFileOpen", "The pPCMFile is NULL."},
      {[] { return PCMFileSetup(nullptr, {}, "temp_c"); }, "PCMFileSetup", "The pPCMFile is NULL where prefix is temp_c."},
      {[] { return PCMFileCleanup(nullptr); }, "PCMFileCleanup", "The pPCMFile is NULL"},
      {[&] { return PCMFileWrite(nullptr, &b, 0, 4, 1); }, "PCMFileWrite", "The source file pointer is NULL."},
      {[&] { return PCMFileWrite(&a, nullptr, 0, 4, 1); }, "PCMFileWrite", "The target file pointer is NULL."},
      {[&] { return PCMFileCopy(&a, nullptr, 0, 4); }, "PCMFileCopy", "The target file pointer is NULL."},
      {[&] { return PCMFileInsert(&a, nullptr, &b, 0); }, "PCMFileInsert", "The insert file pointer is NULL."},
      {[&] { return PCMFileOver(&a, nullptr, &b, 0, &flag); }, "PCMFileOver", "The over file pointer is NULL."},
      {[&] { return PCMFileOver(&a, &b, &b, 0, nullptr); }, "PCMFileOver", "The past EOF pointer is NULL."},
      {[&] { return PCMFileOverExteriorPost(nullptr, &b, 0, 0); }, "PCMFileOverExteriorPost",
       "The original file pointer is NULL."},
      {[&] { return static_cast<int>(PCMFileOver_ByteCount(&a, &b, 0, nullptr)); }, "PCMFileOver_ByteCount",
       "The past EOF pointer is NULL."},
      {[&] { return MoveAudioFile(nullptr, &b); }, "MoveAudioFile", "The source PCM file pointer is NULL."},
      {[&] { return MoveAudioFile(&a, nullptr); }, "MoveAudioFile", "The dest PCM file pointer is NULL."},
  };
  for (const Case& c : cases) {
    system.messages.shown.clear();
    EXPECT_EQ(c.call(), 0) << c.location;
    EXPECT_TRUE(Reported(c.location, c.message)) << c.location << ": " << c.message;
    EXPECT_EQ(system.messages.shown.size(), 1u) << c.location;
  }
}

TEST_F(PcmFileTest, CutCopyAndInsertBuildTheEditedWhole) {
  std::string base = Pattern(30000, 1), clip = Pattern(5000, 2);
  PCMFile baseFile = Make("base.pcm", base), clipFile = Make("clip.pcm", clip), target = Named("target.pcm");

  ASSERT_EQ(PCMFileCut(&baseFile, &target, 8000, 20000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 8000) + base.substr(20000));
  EXPECT_EQ(target.nSize, 18000u);
  EXPECT_EQ(PCMFileCut_ByteCount(&baseFile, &target, 8000, 20000), 18000u);
  EXPECT_EQ(PCMFileCut_ByteCount(&baseFile, &target, 8000, 40000), 8000u);  // no tail, not a wrapped one
  EXPECT_TRUE(baseFile.IsClosed());
  EXPECT_TRUE(target.IsClosed());

  ASSERT_EQ(PCMFileCopy(&baseFile, &target, 8000, 20000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(8000, 12000));
  EXPECT_EQ(target.nSize, 12000u);
  EXPECT_EQ(PCMFileCopy_ByteCount(&baseFile, &target, 8000, 20000), 12000u);

  for (uint32_t position : {12000u, 0u, 30000u}) {
    ASSERT_EQ(PCMFileInsert(&baseFile, &clipFile, &target, position), 1) << position;
    EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, position) + clip + base.substr(position)) << position;
    EXPECT_EQ(target.nSize, 35000u);
  }
  EXPECT_EQ(PCMFileInsert_ByteCount(&baseFile, &clipFile), 35000u);
}

TEST_F(PcmFileTest, AnEmptyFirstRangeStartsAFreshTarget) {
  std::string base = Pattern(30000, 3);
  PCMFile baseFile = Make("base.pcm", base);
  // A scratch target still holding (and knowing) an earlier result.
  PCMFile target = Make("target.pcm", Pattern(7000, 4));

  ASSERT_EQ(PCMFileCut(&baseFile, &target, 0, 10000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(10000));
  EXPECT_EQ(target.nSize, 20000u);

  ASSERT_EQ(PCMFileCut(&baseFile, &target, 0, 30000), 1);
  ASSERT_TRUE(fs::exists(target.szPath));
  EXPECT_EQ(fs::file_size(target.szPath), 0u);
  EXPECT_EQ(target.nSize, 0u);

  // An empty copy range does nothing to the target's file.
  WriteFileBytes(target.szPath, "earlier");
  target.nSize = 7;
  EXPECT_EQ(PCMFileCopy(&baseFile, &target, 4000, 4000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), "earlier");
  EXPECT_EQ(target.nSize, 0u);
}

TEST_F(PcmFileTest, OverKeepsTheBaseTailOnlyWhenAskedAndPresent) {
  std::string base = Pattern(10000, 5), over = Pattern(8000, 6);
  PCMFile baseFile = Make("base.pcm", base), overFile = Make("over.pcm", over), target = Named("target.pcm");
  struct Case {
    uint32_t position;
    int flag, flagAfter;
    std::string expected;
  };
  const Case cases[] = {
      {4000, 2, 0, base.substr(0, 4000) + over},  // 12000 is past the end: no tail
      {1000, 2, 1, base.substr(0, 1000) + over + base.substr(9000)},
      {1000, 1, 1, base.substr(0, 1000) + over + base.substr(9000)},
      {1000, 0, 0, base.substr(0, 1000) + over},
      {0, 2, 1, over + base.substr(8000)},
  };
  for (const Case& c : cases) {
    int counted = c.flag;
    uint32_t count = PCMFileOver_ByteCount(&baseFile, &overFile, c.position, &counted);
    int flag = c.flag;
    ASSERT_EQ(PCMFileOver(&baseFile, &overFile, &target, c.position, &flag), 1);
    EXPECT_EQ(ReadFileBytes(target.szPath), c.expected) << c.position << " " << c.flag;
    EXPECT_EQ(target.nSize, c.expected.size());
    EXPECT_EQ(count, c.expected.size());
    EXPECT_EQ(flag, c.flagAfter);
    EXPECT_EQ(counted, c.flagAfter);
  }
}

TEST_F(PcmFileTest, ExteriorEditsWrapWhatTheCallerWrites) {
  std::string base = Pattern(10000, 7), made = Pattern(3000, 8);
  PCMFile baseFile = Make("base.pcm", base), target = Make("target.pcm", Pattern(20000, 9));
  auto writeMade = [&](std::FILE* out, const std::string& bytes) {
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
  };

  std::FILE* out = nullptr;
  ASSERT_EQ(PCMFileInsertExteriorPre(&baseFile, &target, 4000, &out), 1);
  EXPECT_EQ(out, target.fp);
  EXPECT_EQ(target.nSize, 4000u);
  writeMade(out, made);
  ASSERT_EQ(PCMFileInsertExteriorPost(&baseFile, &target, 4000, 3000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 4000) + made + base.substr(4000));
  EXPECT_EQ(target.nSize, 13000u);
  EXPECT_TRUE(target.IsClosed());
  EXPECT_EQ(PCMFileExteriorPre_ByteCount(&baseFile, &target, 4000), 4000u);
  EXPECT_EQ(PCMFileInsertExteriorPost_ByteCount(&baseFile, &target, 4000), 6000u);

  ASSERT_EQ(PCMFileOverExteriorPre(&baseFile, &target, 4000, &out), 1);
  writeMade(out, made);
  ASSERT_EQ(PCMFileOverExteriorPost(&baseFile, &target, 4000, 3000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 4000) + made + base.substr(7000));
  EXPECT_EQ(target.nSize, 10000u);
  EXPECT_EQ(PCMFileOverExteriorPost_ByteCount(&baseFile, &target, 4000, 3000), 6000u);

  // Written past the base's end: nothing of the base follows.
  ASSERT_EQ(PCMFileOverExteriorPre(&baseFile, &target, 8000, &out), 1);
  writeMade(out, made);
  ASSERT_EQ(PCMFileOverExteriorPost(&baseFile, &target, 8000, 3000), 1);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 8000) + made);
  EXPECT_EQ(target.nSize, 11000u);
  EXPECT_EQ(PCMFileOverExteriorPost_ByteCount(&baseFile, &target, 8000, 3000), 3000u);
}

TEST_F(PcmFileTest, CopyStepsTheProgressDialogOncePerChunk) {
  PCMFile baseFile = Make("base.pcm", Pattern(20000, 10)), target = Named("target.pcm");
  CancelAt user(dialog, 0);  // counts reports, never cancels
  system.timers.SetTimer(&user, 1, 0);
  dialog.BeginOperation();
  dialog.SetProgressRange(200);
  ASSERT_EQ(PCMFileCopy(&baseFile, &target, 0, 20000), 1);
  EXPECT_EQ(user.reports, 3);  // 8192 + 8192 + 3616
  // 81 + 81 + 36 units of 200.
  EXPECT_EQ(system.dialogs.modeless->Control(IDC_OP_PERCENT)->GetText(), "99");
  dialog.EndOperation();
  system.timers.KillTimers(&user);
}

TEST_F(PcmFileTest, CancelStopsAfterTheCurrentChunkAndTravelsUp) {
  std::string base = Pattern(100000, 11), clip = Pattern(2 * 8192, 12);
  PCMFile baseFile = Make("base.pcm", base), clipFile = Make("clip.pcm", clip), target = Named("target.pcm");

  CancelAt third(dialog, 3);
  system.timers.SetTimer(&third, 1, 0);
  dialog.BeginOperation();
  EXPECT_EQ(PCMFileCopy(&baseFile, &target, 0, 100000), 3);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 3 * 8192));
  EXPECT_TRUE(baseFile.IsClosed());
  EXPECT_TRUE(target.IsClosed());
  system.timers.KillTimers(&third);

  // Three chunks of the base, then the insert file's two; the cancel comes with the last.
  CancelAt fifth(dialog, 5);
  system.timers.SetTimer(&fifth, 1, 0);
  dialog.BeginOperation();
  EXPECT_EQ(PCMFileInsert(&baseFile, &clipFile, &target, 3 * 8192), 3);
  EXPECT_EQ(ReadFileBytes(target.szPath), base.substr(0, 3 * 8192) + clip);
  EXPECT_EQ(fifth.reports, 5);
  system.timers.KillTimers(&fifth);
}

TEST_F(PcmFileTest, ASourceShorterThanTheRangeIsReportedNotPadded) {
  for (uint32_t actual : {10000u, 3000000u}) {
    std::string base = Pattern(actual, 13);
    PCMFile baseFile = Make("base.pcm", base), target = Named("target.pcm");
    uint32_t asked = actual + 1000000;
    system.messages.shown.clear();
    EXPECT_EQ(PCMFileCopy(&baseFile, &target, 0, asked), 0);
    EXPECT_EQ(ReadFileBytes(target.szPath), base) << "only the bytes the source holds";
    EXPECT_TRUE(Reported("PCMFileWrite", "The file " + baseFile.szPath + " ended at byte " + std::to_string(actual) +
                                             ", before the " + std::to_string(asked) + " bytes asked for."));
    EXPECT_TRUE(baseFile.IsClosed());
    EXPECT_TRUE(target.IsClosed());
  }

  // A source that is gone fails to open: reported, no copy, the target as it was.
  PCMFile gone = Named("gone.pcm");
  gone.nSize = 5000;
  PCMFile target = Make("kept.pcm", "kept");
  system.messages.shown.clear();
  EXPECT_EQ(PCMFileCopy(&gone, &target, 0, 5000), 0);
  EXPECT_EQ(ReadFileBytes(target.szPath), "kept");
  EXPECT_TRUE(Reported("PCMFileWrite", "Failed to open " + gone.szPath + " for reading."));
}

TEST_F(PcmFileTest, AFullDiskFailsWithAReport) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  PCMFile baseFile = Make("base.pcm", Pattern(20000, 14));
  PCMFile full;
  full.szPath = "/dev/full";
  EXPECT_EQ(PCMFileCopy(&baseFile, &full, 0, 20000), 0);
  EXPECT_TRUE(Reported("PCMFileWrite", "Writing /dev/full failed at byte 0."));
  ASSERT_FALSE(system.messages.shown.empty());
  EXPECT_NE(system.messages.shown.back().text.find("System Error Code: 28"), std::string::npos);  // ENOSPC
  EXPECT_TRUE(full.IsClosed());

  // What the caller of an exterior edit wrote sits in the stream's buffer until the
  // close, so the full disk shows only there.
  for (bool over : {false, true}) {
    system.messages.shown.clear();
    std::FILE* out = nullptr;
    ASSERT_EQ(
        over ? PCMFileOverExteriorPre(&baseFile, &full, 0, &out) : PCMFileInsertExteriorPre(&baseFile, &full, 0, &out),
        1);
    ASSERT_EQ(std::fwrite("silence", 1, 7, out), 7u);
    EXPECT_EQ(
        over ? PCMFileOverExteriorPost(&baseFile, &full, 0, 8) : PCMFileInsertExteriorPost(&baseFile, &full, 0, 8), 0);
    EXPECT_TRUE(Reported(over ? "PCMFileOverExteriorPost" : "PCMFileInsertExteriorPost", "Writing /dev/full failed."));
    EXPECT_TRUE(full.IsClosed());
  }
}

TEST_F(PcmFileTest, MoveAudioFileReplacesTheDestinationInOneStep) {
  std::string result = Pattern(6000, 15), track = Pattern(9000, 16);
  PCMFile source = Make("temp_a.pcm", result), destination = Make("track1.pcm", track);
  ASSERT_EQ(PCMFileOpen(&destination, kPCMRead), 1);  // a reader left open is dropped
  ASSERT_EQ(MoveAudioFile(&source, &destination), 1);
  EXPECT_EQ(ReadFileBytes(destination.szPath), result);
  EXPECT_FALSE(fs::exists(source.szPath));
  EXPECT_EQ(source.szPath, root / "temp_a.pcm");
  EXPECT_EQ(destination.nSize, 6000u);
  EXPECT_TRUE(destination.IsClosed());
  EXPECT_EQ(destination.fp, nullptr);
  EXPECT_EQ(source.nSize, 0u);
  EXPECT_TRUE(source.IsClosed());

  // An empty result is refused and the track stays.
  EXPECT_EQ(MoveAudioFile(&source, &destination), 0);
  EXPECT_TRUE(Informed("MoveAudioFile: Failed to move " + source.szPath + " over " + destination.szPath +
                       "  Because the file size was 0."));
  EXPECT_EQ(ReadFileBytes(destination.szPath), result);

  // A failed rename leaves both files and both records as they were.
  source.nSize = 6000;
  EXPECT_EQ(MoveAudioFile(&source, &destination), 0);
  EXPECT_TRUE(Informed("MoveAudioFile: Failed to move " + source.szPath + " over " + destination.szPath +
                       "  Error: " + std::to_string(ENOENT) + " (No such file or directory)"));
  EXPECT_EQ(ReadFileBytes(destination.szPath), result);
  EXPECT_EQ(source.nSize, 6000u);
  EXPECT_EQ(destination.nSize, 6000u);
}

}  // namespace
