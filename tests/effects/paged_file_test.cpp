#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "effects/paged_file.h"

namespace {

using effects::PagedFile;

// Reads and writes of every size and place, through a cache of few small pages, see and
// leave exactly what the same calls on a plain array do.
TEST(PagedFileTest, RandomReadsAndWritesMatchAPlainArrayAndReachTheFile) {
  std::mt19937 random(7);
  std::vector<unsigned char> model(20000);
  for (auto& byte : model) byte = static_cast<unsigned char>(random());
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fwrite(model.data(), 1, model.size(), file);
  std::fflush(file);
  PagedFile paged(file, 512, 3);
  std::vector<unsigned char> buffer(3000);
  for (int i = 0; i < 2000; ++i) {
    const uint32_t count = random() % 3000;
    const uint32_t at = random() % (model.size() + 100);
    if (random() % 2) {
      std::vector<unsigned char> seen(buffer.size(), 0xAA);
      const uint32_t got = paged.Read(at, seen.data(), count);
      const uint32_t held = at < model.size() ? std::min<uint32_t>(count, model.size() - at) : 0;
      ASSERT_EQ(got, held) << i;
      for (uint32_t j = 0; j < got; ++j) ASSERT_EQ(seen[j], model[at + j]) << i;
      for (uint32_t j = got; j < count; ++j) ASSERT_EQ(seen[j], 0xAA) << "the rest of the buffer is kept";
    } else if (at + count <= model.size()) {
      for (uint32_t j = 0; j < count; ++j) buffer[j] = static_cast<unsigned char>(random());
      ASSERT_TRUE(paged.Write(at, buffer.data(), count));
      std::copy(buffer.begin(), buffer.begin() + count, model.begin() + at);
    }
  }
  ASSERT_TRUE(paged.Flush());
  std::vector<unsigned char> onDisk(model.size() + 1);
  std::rewind(file);
  ASSERT_EQ(std::fread(onDisk.data(), 1, onDisk.size(), file), model.size());
  onDisk.pop_back();
  EXPECT_EQ(onDisk, model);
  std::fclose(file);
}

// A read that fails is a failure of the file, never a short file: an effect would
// otherwise write silence where the audio was and call it done.
TEST(PagedFileTest, AFailedReadFailsTheFileWithItsError) {
  char path[] = "/tmp/paged-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "0123456789", 10), 10);
  close(fd);
  std::FILE* writeOnly = std::fopen(path, "ab");  // reading it fails with EBADF
  ASSERT_NE(writeOnly, nullptr);
  PagedFile paged(writeOnly, 512, 2);
  char buffer[10];
  EXPECT_EQ(paged.Read(0, buffer, sizeof buffer), 0u);
  EXPECT_TRUE(paged.Failed());
  EXPECT_EQ(paged.Error(), EBADF);
  EXPECT_FALSE(paged.Flush());
  std::fclose(writeOnly);
  unlink(path);
}

}  // namespace
