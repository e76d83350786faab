#include "core/hyperlink.h"

#include <gtest/gtest.h>

#include "app/mixer_app.h"
#include "platform/scripted/scripted_system.h"

namespace {

class HyperlinkTest : public testing::Test {
 protected:
  platform::ScriptedSystem system{"/opt/tw", "/tmp", "/home/user"};
};

TEST_F(HyperlinkTest, AFailedLinkBeepsAndSaysWhy) {
  EXPECT_TRUE(OpenHyperlink("https://www.sonavel.com"));
  EXPECT_TRUE(system.messages.shown.empty());
  EXPECT_EQ(system.messages.beeps, 0);

  system.shell.result = platform::kShellAccessDenied;
  EXPECT_FALSE(OpenHyperlink("mailto:support@sonavel.com"));
  ASSERT_EQ(system.messages.shown.size(), 1u);
  EXPECT_EQ(system.messages.shown[0].text,
            "Unable to open hyperlink:\n\nThe operating system denied\naccess to the specified file.");
  EXPECT_EQ(system.messages.shown[0].icon, platform::MessageIcon::Warning);
  EXPECT_EQ(system.messages.beeps, 1);

  EXPECT_EQ(HyperlinkFailureReason(0), "The operating system is out\nof memory or resources.");
  EXPECT_EQ(HyperlinkFailureReason(31), "There is no application associated\nwith the given filename extension.");
  EXPECT_EQ(HyperlinkFailureReason(12), "Unknown Error (12) occurred.");
}

TEST_F(HyperlinkTest, HelpFallsBackToTheWebPageHandler) {
  EXPECT_EQ(CMixerApp::HelpTarget("/opt/tw/trackwright-manual.html"), "file:///opt/tw/trackwright-manual.html");
  EXPECT_EQ(CMixerApp::HelpTarget("https://www.sonavel.com/manual"), "https://www.sonavel.com/manual");
  EXPECT_EQ(CMixerApp::HelpTarget("mailto:support@sonavel.com"), "mailto:support@sonavel.com");

  const std::string target = "file:///opt/tw/trackwright-manual.html";
  system.shell.result = platform::kShellNoAssociation;
  system.shell.handler = "browser --new-window %u";
  EXPECT_TRUE(OpenDocumentTarget(target));
  EXPECT_EQ(system.shell.handlersAsked, std::vector<std::string>{"text/html"});
  ASSERT_EQ(system.shell.ran.size(), 1u);
  EXPECT_EQ(system.shell.ran[0], (std::vector<std::string>{"browser", "--new-window", target}));
  EXPECT_TRUE(system.messages.shown.empty());

  // No handler that starts: the user hears why; a missing file is not a handler's question.
  system.shell.runs = false;
  EXPECT_FALSE(OpenDocumentTarget(target));
  system.shell.result = platform::kShellFileNotFound;
  EXPECT_FALSE(OpenDocumentTarget(target));
  EXPECT_EQ(system.shell.ran.size(), 2u);
  ASSERT_EQ(system.messages.shown.size(), 2u);
  EXPECT_EQ(system.messages.shown[1].text, "Unable to open hyperlink:\n\nThe specified file was not found.");
}

}  // namespace
