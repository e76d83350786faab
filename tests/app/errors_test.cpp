#include "core/errors.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/main_frame.h"
#include "app/mixer_app.h"
#include "platform/last_error.h"
#include "platform/scripted/scripted_system.h"
#include "tests/support/fake_main_frame.h"

namespace {

using platform::MessageIcon;
using platform::MessageResult;

struct ErrorsTest : ::testing::Test {
  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
  const auto& Last() { return system.messages.shown.back(); }
};

TEST_F(ErrorsTest, GeneralReportCarriesMessageLocationAndSystemError) {
  platform::SetLastError(0);
  ReportError("CMixerDoc::WriteMIX", "Failed to open file.");
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(Last().text,
            std::string("The following error occured.\n\nPlease email this error information to ") + kSupportAddress +
                "\nso that we can resolve the issue.  Thank you.\n\nError Message: Failed to open file.\r\n\r\n"
                "Error Location: CMixerDoc::WriteMIX\r\n\r\nSystem Error Code: 0\r\n\r\n"
                "System Error Message: No system error message exists");
  EXPECT_EQ(Last().icon, MessageIcon::Information);

  platform::SetLastError(ENOENT);
  ReportError("PCMFileOpen", "x");
  EXPECT_NE(Last().text.find("System Error Code: 2\r\n\r\nSystem Error Message: No such file or directory"),
            std::string::npos);
}

TEST_F(ErrorsTest, WaveResultsAreTranslatedAndSuccessIsSilent) {
  WaveErrorFeedback(0, "AudioPlayerNonThreaded::SetupPlayer", "waveOutOpen");
  EXPECT_TRUE(system.messages.shown.empty());
  WaveErrorFeedback(32, "AudioPlayerNonThreaded::SetupPlayer", "waveOutOpen");
  EXPECT_NE(Last().text.find("Error Message: Local Function (AudioPlayerNonThreaded::SetupPlayer) calling Wave "
                             "Function (waveOutOpen) Error: Unsupported wave format\r\n\r\nError Location: "
                             "WaveErrorFeedback"),
            std::string::npos);
  EXPECT_EQ(WaveResultText(1), "Unspecified Error");
  EXPECT_EQ(WaveResultText(21), "Unspecified Error");
  EXPECT_EQ(WaveResultText(12), "Handle being used symultaneously on another thread (eg callback)");
  EXPECT_EQ(WaveResultText(35), "Device is synchronous / Last error in range");
}

TEST_F(ErrorsTest, GuardMessageNamesTheMissingObject) {
  ReportMissingObject("main frame", "CMixerDoc::ReadMix");
  EXPECT_EQ(Last().text, std::string("Pointer to main frame is NULL in CMixerDoc::ReadMix.\n\nPlease report this "
                                     "error to ") +
                             kSupportAddress + ".\nWe will resolve the issue as soon as possible.  Thank you.");
  EXPECT_EQ(Last().icon, MessageIcon::Stop);
}

TEST_F(ErrorsTest, CrashReportCopiesOnlyWhenConfirmed) {
  platform::SetLastError(0);
  CMixerApp app;
  FakeMainFrame frame;
  app.SetMainFrame(&frame);
  system.messages.Answer(MessageResult::Cancel);
  ReportErrorWithClipboard(".\\MixerView.cpp", 412, "");
  EXPECT_EQ(system.clipboard.GetText(), "");
  const std::string& text = Last().text;
  EXPECT_EQ(text.rfind("v1.5.2: An error has occurred.  Please send us this information.\n", 0), 0u);
  EXPECT_NE(text.find("System Error Code: 0 (MixerView::412)\n\nSystem Error Message: Invalid pointer in module."),
            std::string::npos);
  EXPECT_EQ(Last().buttons, platform::MessageButtons::OkCancel);

  ReportErrorWithClipboard("src/view/MixerView.old.cpp", 7, "Failed to create brush");
  EXPECT_EQ(system.clipboard.GetText(), Last().text);
  EXPECT_NE(Last().text.find("v1.5.2: Error Message: Failed to create brush"), std::string::npos);
  EXPECT_NE(Last().text.find("(MixerView.old::7)"), std::string::npos);
  app.SetMainFrame(nullptr);
}

TEST_F(ErrorsTest, CrashReportSaysWhyTheCopyFailed) {
  ReportErrorWithClipboard("a.cpp", 1, "m");  // no application object
  EXPECT_EQ(Last().text, "Clipboard copy failed on AfxGetApp.");
  CMixerApp app;
  ReportErrorWithClipboard("a.cpp", 1, "m");
  EXPECT_EQ(Last().text, "Clipboard copy failed on GetMainWnd.");
}

}  // namespace
