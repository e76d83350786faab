#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

// Audio that flows from where it is made to where it goes without a file between:
// a source read front to back and a sink that takes the bytes in order.

// A source of PCM bytes. Every read starts at or after the offset of the read before
// it, so a source that makes its bytes as it goes (a mix, a decoder) keeps only what
// is ahead. Read fills all count bytes at offset and returns 1; 0 after a reported
// failure (a source that ends early is one); 3 when the user cancelled.
class PcmSource {
 public:
  virtual ~PcmSource() = default;
  virtual int Read(uint64_t offset, uint8_t* bytes, size_t count) = 0;
};

// Where PCM bytes go. Put and Flush return false, with errno set, when the bytes
// could not be taken.
class PcmSink {
 public:
  virtual ~PcmSink() = default;
  virtual bool Put(const uint8_t* bytes, size_t count) = 0;
  virtual bool Flush() { return true; }
};

// A file read by name; location is where its failures are reported.
class FilePcmSource : public PcmSource {
 public:
  FilePcmSource(std::FILE* file, std::string name, const char* location)
      : m_file(file), m_name(std::move(name)), m_location(location) {}
  int Read(uint64_t offset, uint8_t* bytes, size_t count) override;

 private:
  std::FILE* m_file;
  std::string m_name;
  const char* m_location;
};

// An open stream that belongs to the caller.
class FilePcmSink : public PcmSink {
 public:
  explicit FilePcmSink(std::FILE* file) : m_file(file) {}
  bool Put(const uint8_t* bytes, size_t count) override;
  // Flushes the stream, so that a full disk shows here and not at the caller's close.
  bool Flush() override;

 private:
  std::FILE* m_file;
};
