// Throughput of the track edits against a plain copy of the same track, and the
// process's peak memory for a short and a long track.
//
//   edit_bench [parent folder]     (default: the system's temp folder)
//
// Every edit copies the track once, so a plain file copy of the same bytes is the
// limit it is measured against. Files are created in a fresh folder under the parent
// and removed at the end.

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/program_links.h"
#include "core/progress_dialog.h"
#include "audio_store/pcm_file.h"
#include "audio_store/peak_file.h"
#include "platform/scripted/scripted_system.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kBytesPerMinute = 176400 * 60;
constexpr size_t kCopyBuffer = 1 << 20;
constexpr int kRuns = 5;

// A track of a few mixed tones, written a megabyte at a time.
bool WriteTrack(const std::string& path, uint32_t size) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::vector<unsigned char> block(kCopyBuffer);
  uint64_t frame = 0;
  for (uint32_t written = 0; written < size;) {
    size_t count = std::min<size_t>(block.size(), size - written);
    for (size_t i = 0; i + 4 <= count; i += 4, ++frame) {
      double t = static_cast<double>(frame) / 44100.0;
      auto left = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 97 * t));
      auto right = static_cast<int16_t>(9000 * std::sin(2 * M_PI * 660 * t + 0.3));
      block[i] = static_cast<unsigned char>(left & 0xff);
      block[i + 1] = static_cast<unsigned char>((left >> 8) & 0xff);
      block[i + 2] = static_cast<unsigned char>(right & 0xff);
      block[i + 3] = static_cast<unsigned char>((right >> 8) & 0xff);
    }
    if (std::fwrite(block.data(), 1, count, out) != count) {
      std::fclose(out);
      return false;
    }
    written += static_cast<uint32_t>(count);
  }
  return std::fclose(out) == 0;
}

// The physical limit: a read/write loop with a large buffer.
bool PlainCopy(const std::string& from, const std::string& to, size_t bufferSize = kCopyBuffer) {
  int in = open(from.c_str(), O_RDONLY);
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = in >= 0 && out >= 0;
  std::vector<char> buffer(bufferSize);
  while (ok) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = write(out, buffer.data(), static_cast<size_t>(got)) == got;
  }
  if (in >= 0) close(in);
  if (out >= 0 && close(out) != 0) ok = false;
  return ok;
}

// Compares two files a megabyte at a time.
bool SameBytes(const std::string& a, const std::string& b) {
  std::FILE* fa = std::fopen(a.c_str(), "rb");
  std::FILE* fb = std::fopen(b.c_str(), "rb");
  bool same = fa && fb;
  std::vector<char> ba(kCopyBuffer), bb(kCopyBuffer);
  while (same) {
    size_t na = std::fread(ba.data(), 1, ba.size(), fa), nb = std::fread(bb.data(), 1, bb.size(), fb);
    same = na == nb && std::equal(ba.begin(), ba.begin() + static_cast<long>(na), bb.begin());
    if (na == 0) break;
  }
  if (fa) std::fclose(fa);
  if (fb) std::fclose(fb);
  return same;
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// One measured operation: it writes its result to output, removed after each run.
struct Operation {
  std::string name;
  uint64_t bytes;
  std::function<bool()> run;
  std::string output;
  std::vector<double> seconds = {};
  bool ok = true;

  double Best() const { return *std::min_element(seconds.begin(), seconds.end()); }
  double Median() const {
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

// Runs every operation once per round, so that all of them meet the same conditions;
// each run starts with the page cache's dirty pages written out and without the
// previous run's result, as an edit's scratch target is normally absent (moved over
// the track by the last operation).
void Measure(std::vector<Operation>& operations) {
  for (int round = 0; round < kRuns; ++round) {
    for (Operation& operation : operations) {
      sync();
      auto start = std::chrono::steady_clock::now();
      bool ok = operation.run();
      std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
      operation.ok = operation.ok && ok;
      operation.seconds.push_back(elapsed.count());
      fs::remove(operation.output);
    }
  }
}

// An edit as the dispatcher runs it: inside the progress dialog, its range set from
// the byte count.
bool AsOperation(COperationDialog& dialog, uint32_t byteCount, const std::function<int()>& edit) {
  dialog.BeginOperation();
  dialog.SetProgressRange(byteCount / 100);
  int result = edit();
  dialog.EndOperation();
  return result == 1;
}

bool RunSuite(const std::string& folder, uint32_t minutes, COperationDialog& dialog) {
  const uint32_t trackSize = minutes * kBytesPerMinute;
  // A tenth of the track: a minute of the ten-minute track.
  const uint32_t section = trackSize / 10 / 4 * 4;
  const uint32_t middle = trackSize / 2 / 4 * 4;

  auto path = [&](const char* name) { return folder + "/" + name; };
  PCMFile track, clipboard, cutSection, cutBase, cut, inserted, over, undone;
  track.szPath = path("track1.pcm");
  clipboard.szPath = path("clipboard.pcm");
  cutSection.szPath = path("undo_0.pcm");
  cutBase.szPath = path("undo_1.pcm");
  cut.szPath = path("temp_a.pcm");
  inserted.szPath = path("temp_b.pcm");
  over.szPath = path("temp_c.pcm");
  undone.szPath = path("temp_d.pcm");
  const std::string copyPath = path("copy.pcm"), peakPath = path("track1.pek");

  if (!WriteTrack(track.szPath, trackSize)) {
    std::fprintf(stderr, "cannot write %s\n", track.szPath.c_str());
    return false;
  }
  track.nSize = trackSize;
  // The undo's base: the track with the section cut out, made once.
  bool ready = PCMFileCopy(&track, &clipboard, 0, section) == 1 &&
               PCMFileCopy(&track, &cutSection, middle, middle + section) == 1 &&
               PCMFileCut(&track, &cutBase, middle, middle + section) == 1;
  bool undoExact =
      ready && PCMFileInsert(&cutBase, &cutSection, &undone, middle) == 1 && SameBytes(undone.szPath, track.szPath);

  uint32_t peakLength = 0;
  std::vector<Operation> operations;
  operations.push_back(
      {"plain copy (1 MiB read/write)", trackSize, [&] { return PlainCopy(track.szPath, copyPath); }, copyPath});
  // For comparison: the same loop moving one 8192-byte chunk per call.
  operations.push_back(
      {"plain copy (8 KiB read/write)", trackSize, [&] { return PlainCopy(track.szPath, copyPath, 8192); }, copyPath});
  operations.push_back({"PCMFileCut (a tenth from the middle)", trackSize - section,
                        [&] {
                          return AsOperation(dialog, PCMFileCut_ByteCount(&track, &cut, middle, middle + section),
                                             [&] { return PCMFileCut(&track, &cut, middle, middle + section); });
                        },
                        cut.szPath});
  operations.push_back({"PCMFileInsert (paste a tenth)", uint64_t{trackSize} + section,
                        [&] {
                          return AsOperation(dialog, PCMFileInsert_ByteCount(&track, &clipboard),
                                             [&] { return PCMFileInsert(&track, &clipboard, &inserted, middle); });
                        },
                        inserted.szPath});
  operations.push_back({"PCMFileOver (paste over a tenth)", trackSize,
                        [&] {
                          int pastEOF = 1;
                          uint32_t count = PCMFileOver_ByteCount(&track, &clipboard, middle, &pastEOF);
                          return AsOperation(dialog, count,
                                             [&] { return PCMFileOver(&track, &clipboard, &over, middle, &pastEOF); });
                        },
                        over.szPath});
  operations.push_back({"undo of the cut (insert it back)", trackSize,
                        [&] {
                          return AsOperation(dialog, PCMFileInsert_ByteCount(&cutBase, &cutSection),
                                             [&] { return PCMFileInsert(&cutBase, &cutSection, &undone, middle); });
                        },
                        undone.szPath});
  operations.push_back({"RenderPeakFile (reads the track)", trackSize,
                        [&] {
                          dialog.BeginOperation();
                          int result = RenderPeakFile(track, peakPath, &dialog, peakLength);
                          dialog.EndOperation();
                          return result == 1;
                        },
                        peakPath});
  Measure(operations);

  std::printf("\nTrack of %u minute%s: %u bytes; %d runs each, from the page cache\n", minutes, minutes == 1 ? "" : "s",
              trackSize, kRuns);
  std::printf("  %-36s %11s %8s %8s %8s %10s\n", "operation", "bytes", "best s", "MB/s", "vs copy", "median vs");
  const Operation& copy = operations[0];
  double copyRate = copy.bytes / copy.Best() / 1e6, copyMedianRate = copy.bytes / copy.Median() / 1e6;
  bool allOk = ready && undoExact;
  for (const Operation& operation : operations) {
    double rate = operation.bytes / operation.Best() / 1e6, medianRate = operation.bytes / operation.Median() / 1e6;
    std::printf("  %-36s %11llu %8.4f %8.1f %7.1f%% %9.1f%%%s\n", operation.name.c_str(),
                static_cast<unsigned long long>(operation.bytes), operation.Best(), rate, 100.0 * rate / copyRate,
                100.0 * medianRate / copyMedianRate, operation.ok ? "" : "  FAILED");
    allOk = allOk && operation.ok;
  }
  std::printf("  undo restores the track byte for byte: %s\n", undoExact ? "yes" : "NO");
  std::printf("  peak resident memory so far: %ld KiB\n", PeakResidentKiB());

  for (const PCMFile* file : {&track, &clipboard, &cutSection, &cutBase}) fs::remove(file->szPath);
  return allOk;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path parent = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  std::string pattern = (parent / "trackwright-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::fprintf(stderr, "cannot create a folder under %s\n", parent.c_str());
    return 1;
  }
  const std::string folder = pattern;

  bool ok = true;
  {
    platform::ScriptedSystem system{folder, folder, folder};
    COperationDialog progress;
    Links().operationDialog = &progress;
    std::printf("edit_bench: track edits against a plain copy, in %s\n", folder.c_str());
    std::printf("peak resident memory at start: %ld KiB\n", PeakResidentKiB());
    // The short track first: had memory grown with the track's length, the long
    // track's figure would be the larger.
    for (uint32_t minutes : {1u, 10u}) ok = RunSuite(folder, minutes, progress) && ok;
    std::fflush(stdout);
    for (const auto& box : system.messages.shown) std::fprintf(stderr, "message shown: %s\n", box.text.c_str());
  }
  std::error_code error;
  fs::remove_all(folder, error);
  return ok ? 0 : 1;
}
