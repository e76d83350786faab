// The decoder of an import run a few pieces ahead on its own thread: the pieces must
// come in order and whole, a refusal after the pieces before it and told on the
// taker's thread, and the thread must stay a bounded way ahead and stop when the
// import ends early.

#include "document/decode_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "audio_store/codec_results.h"

namespace {

// Gives pieces of a counting pattern, each of the capacity less its number modulo 8,
// up to endAt pieces (then the end) or refuses at piece failAt.
struct ScriptedDecoder : CAudioDecoder {
  int endAt = 1 << 30, failAt = -1;
  std::atomic<int> decodes{0};
  mutable std::thread::id toldOn;
  mutable int toldError = 0;
  std::string expected;

  int Decode(uint8_t* bytes, size_t capacity, size_t& got, int& error) override {
    const int piece = decodes++;
    if (piece == failAt) {
      error = EIO;
      return kCodecUnreadable;
    }
    got = piece < endAt ? capacity - static_cast<size_t>(piece % 8) : 0;
    for (size_t i = 0; i < got; ++i) bytes[i] = static_cast<uint8_t>(piece * 7 + static_cast<int>(i));
    if (piece < endAt) expected.append(reinterpret_cast<const char*>(bytes), got);
    return kCodecDone;
  }
  int Result(int decoded, int error) const override {
    if (decoded == kCodecDone) return 1;
    toldOn = std::this_thread::get_id();
    toldError = error;
    return 3;
  }
  void Close() override {}
};

// Takes every piece up to the end or a refusal, whose result it gives, and checks that
// a Next after it gives the end.
int TakeAll(CDecodeAhead& decoding, std::string& bytes) {
  int result = 1;
  for (;;) {
    const uint8_t* piece = nullptr;
    size_t got = 0;
    result = decoding.Next(piece, got);
    if (result != 1 || got == 0) break;
    bytes.append(reinterpret_cast<const char*>(piece), got);
  }
  const uint8_t* piece = nullptr;
  size_t got = 5;
  EXPECT_EQ(decoding.Next(piece, got), 1);
  EXPECT_EQ(got, 0u);
  return result;
}

TEST(DecodeAheadTest, EveryPieceComesInOrderAndTheEndStays) {
  ScriptedDecoder decoder;
  decoder.endAt = 13;
  std::string bytes;
  {
    CDecodeAhead decoding(decoder, 1000);
    EXPECT_EQ(TakeAll(decoding, bytes), 1);
  }
  EXPECT_EQ(bytes, decoder.expected);
  EXPECT_EQ(bytes.size(), 13 * 1000u - (0 + 1 + 2 + 3 + 4 + 5 + 6 + 7 + 0 + 1 + 2 + 3 + 4));
  // Nothing is decoded past the end.
  EXPECT_EQ(decoder.decodes, decoder.endAt + 1);
}

TEST(DecodeAheadTest, ARefusalFollowsThePiecesBeforeItAndIsToldByTheTaker) {
  ScriptedDecoder decoder;
  decoder.failAt = 6;
  std::string bytes;
  {
    CDecodeAhead decoding(decoder, 512);
    EXPECT_EQ(TakeAll(decoding, bytes), 3);
  }
  EXPECT_EQ(bytes, decoder.expected);
  EXPECT_EQ(bytes.size(), 6 * 512u - 15);
  EXPECT_EQ(decoder.toldOn, std::this_thread::get_id());
  EXPECT_EQ(decoder.toldError, EIO);
  EXPECT_EQ(decoder.decodes, 7);
}

TEST(DecodeAheadTest, TheThreadStaysAFewPiecesAheadAndStopsWhenTheTakerDoes) {
  ScriptedDecoder decoder;
  {
    CDecodeAhead decoding(decoder, 64);
    const uint8_t* piece = nullptr;
    size_t got = 0;
    ASSERT_EQ(decoding.Next(piece, got), 1);
    ASSERT_EQ(got, 64u);
    // The piece held and the ones queued behind it, no more.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const int queued = static_cast<int>(CDecodeAhead::kQueuedPieces);
    while (decoder.decodes < queued && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(decoder.decodes, queued);
    // The held piece is intact while the thread fills the others.
    for (size_t i = 0; i < got; ++i) ASSERT_EQ(piece[i], static_cast<uint8_t>(i));
  }
  // Destroyed with an endless decoder behind it: the thread stopped.
  const int decodes = decoder.decodes;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(decoder.decodes, decodes);
}

}  // namespace
