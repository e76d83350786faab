#pragma once

#include <cstdint>
#include <string>

struct DocumentWorkspace;

// The shipped files of the intro project, found as read-only data of the program.
inline constexpr const char* kIntroProjectFile = "intro.mix";
inline constexpr int kIntroTrackCount = 4;

// The folder the intro project is built in: the audio folder's "00000000000000".
std::string IntroFolder(const std::string& audioFolder);

// Writes the PCM data of a WAV file in the project format (16-bit PCM, 2 channels,
// 44100 Hz) into pcmPath as a headerless file of exactly that data, in whole frames,
// wherever the file's header puts it. The target is replaced only once it is complete.
// 1 with dataBytes the bytes written; 0 (not reported) for a file that cannot be read
// or is in another format, or a target that cannot be written.
int ExtractProjectPcm(const std::string& wavePath, const std::string& pcmPath, uint32_t& dataBytes);

// Builds the intro project in the intro folder from the shipped intro.mix,
// track0.mp3..track3.mp3 and track0.pek..track3.pek, and opens it, unmodified, with
// the configuration's metronome setting. Run once, on the first start, after the
// document and the main window exist. 1 built and opened; 0 failed (reported under
// "CMixerApp::CreateIntro"; whatever was created stays on disk).
int CreateIntroProject(DocumentWorkspace& work);
