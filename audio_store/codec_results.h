#pragma once

// What the codec modules' functions return. Anything but kCodecDone means the output
// is not to be used; the codes tell a user's cancel from a file that was refused.
inline constexpr int kCodecDone = 0;
// The progress callback set keepGoing to 0.
inline constexpr int kCodecCancelled = 1;
// The input cannot be read as this kind of file: missing, empty, cut off before any
// audio, not that format at all, or in a variant the module does not take (a WAV of
// more than two channels, audio too long for a 32-bit length).
inline constexpr int kCodecUnreadable = 2;
// The output could not be created or written (a folder that is not writable, a full disk).
inline constexpr int kCodecWriteFailed = 3;
// A null argument, or encoder settings outside what the encoder takes.
inline constexpr int kCodecBadArguments = 4;

// A sentence for the user about a result other than kCodecDone.
inline const char* CodecResultText(int result) {
  switch (result) {
    case kCodecDone: return "The file was converted.";
    case kCodecCancelled: return "The conversion was cancelled.";
    case kCodecUnreadable: return "The file cannot be read, or its format is not supported.";
    case kCodecWriteFailed: return "The converted audio could not be written. Please check the free disk space.";
    case kCodecBadArguments: return "The audio format or bit rate is not supported.";
    default: return "The conversion failed.";
  }
}
