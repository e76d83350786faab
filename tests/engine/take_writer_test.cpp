// The writer of a take's blocks on a pipe that stands for a stalling disk: blocks reach
// the file in order through every round of the pool, and a failed write ends both the
// writes and a wait for a slot.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "engine/take_writer.h"
#include "tests/support/held_pipe.h"
#include "tests/support/temp_folder.h"

namespace {

using std::chrono::milliseconds;

constexpr uint32_t kBlock = 88200;

// Block n: its own bytes throughout.
std::string Block(uint32_t n) {
  std::string bytes(kBlock, '\0');
  for (uint32_t i = 0; i < kBlock; ++i) bytes[i] = static_cast<char>((n * 131 + i * 7 + i / 251) & 0xFF);
  return bytes;
}

class TakeWriterTest : public ::testing::Test {
 protected:
  // Opens the pipe for writing, unbuffered as a take's file is, and starts the writer
  // on it; null when either failed.
  std::FILE* StartOn(HeldPipe& pipe) {
    std::FILE* fp = pipe.Opened() ? std::fopen(pipe.Path().c_str(), "wb") : nullptr;
    if (!fp) return nullptr;
    std::setvbuf(fp, nullptr, _IONBF, 0);
    if (writer.Start(fp)) return fp;
    std::fclose(fp);
    return nullptr;
  }

  TempFolder root;
  TakeWriter writer{kBlock};
};

TEST_F(TakeWriterTest, BlocksReachTheFileInOrderThroughEveryRoundOfThePoolAndFinishWritesThemAll) {
  HeldPipe pipe(root / "take", milliseconds(0));
  std::FILE* fp = StartOn(pipe);
  ASSERT_NE(fp, nullptr);
  std::string expected;
  // Three rounds of the pool and a part: the hand-overs wait for the slow reader.
  for (uint32_t n = 0; n < 3 * TakeWriter::kSlots + 3; ++n) {
    const std::string block = Block(n);
    // The last block is short, as the one a stop hands back.
    const uint32_t bytes = n == 3 * TakeWriter::kSlots + 2 ? 1000 : kBlock;
    ASSERT_TRUE(writer.Append(block.data(), bytes));
    expected.append(block, 0, bytes);
  }
  writer.Finish();
  EXPECT_EQ(pipe.Received() + pipe.Unread(), expected.size()) << "Finish returned before everything was written";
  std::fclose(fp);
  EXPECT_TRUE(pipe.ReadToEnd() == expected) << "blocks lost, repeated or out of order";
  EXPECT_EQ(writer.Error(), 0);
  EXPECT_FALSE(writer.Append(expected.data(), 4)) << "a block taken with no thread to write it";
}

TEST_F(TakeWriterTest, AWriteThatFailsWhileThePoolIsFullEndsTheWaitAndTheWrites) {
  HeldPipe pipe(root / "take", milliseconds(200), HeldPipe::Then::Break);
  std::FILE* fp = StartOn(pipe);
  ASSERT_NE(fp, nullptr);
  const std::string block = Block(1);
  for (uint32_t n = 0; n < TakeWriter::kSlots; ++n) ASSERT_TRUE(writer.Append(block.data(), kBlock));
  // This hand-over waits for a slot until the disk fails.
  EXPECT_FALSE(writer.Append(block.data(), kBlock)) << "a block taken after the write failed";
  EXPECT_EQ(writer.Error(), EPIPE);
  EXPECT_FALSE(writer.WaitForSlot());
  writer.Finish();
  EXPECT_EQ(writer.Error(), EPIPE);
  std::fclose(fp);
}

}  // namespace
