#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "tests/support/temp_folder.h"

namespace {

using Arguments = std::vector<std::string>;

TEST(HandlerArguments, CutsTheLauncherCommandAtItsPlaceholder) {
  const std::string page = "file:///opt/tw/manual.html";
  EXPECT_EQ(platform::HandlerArguments("firefox-esr %u", page), (Arguments{"firefox-esr", page}));
  EXPECT_EQ(platform::HandlerArguments("browser --new-window %U --extra", page),
            (Arguments{"browser", "--new-window", page}));
  EXPECT_EQ(platform::HandlerArguments("\"/opt/My Browser/run\" \"%f\"", page), (Arguments{"/opt/My Browser/run", page}));
  // Icon and name field codes stand for nothing; without a placeholder the program alone is kept.
  EXPECT_EQ(platform::HandlerArguments("viewer %i --flag %u", page), (Arguments{"viewer", "--flag", page}));
  EXPECT_EQ(platform::HandlerArguments("viewer --flag", page), (Arguments{"viewer", page}));
  EXPECT_TRUE(platform::HandlerArguments("  ", page).empty());
}

// A desktop of the test's own: its configuration and data folders under a temp folder.
class DesktopShellTest : public testing::Test {
 protected:
  DesktopShellTest() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      const char* value = getenv(name);
      saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root / "etc").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root / "system").c_str(), 1);
  }
  ~DesktopShellTest() override {
    for (const auto& [name, value] : saved) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(root / path).parent_path());
    std::ofstream(root / path) << text;
  }
  void Launcher(const std::string& folder, const std::string& id, const std::string& exec) {
    // An action's command comes first: only the entry's own may be taken.
    Write(folder + "/applications/" + id,
          "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=" + id + "\nExec=" + exec + "\n");
  }

  TempFolder root;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  platform::DesktopShell shell;
};

TEST_F(DesktopShellTest, TheUsersDefaultHandlerComesFirstThenTheSystemsLaunchers) {
  EXPECT_EQ(shell.HandlerCommand("text/html"), "");
  Launcher("system", "viewer.desktop", "viewer %f");
  Write("system/applications/mimeinfo.cache", "[MIME Cache]\ntext/html=missing.desktop;viewer.desktop;\n");
  EXPECT_EQ(shell.HandlerCommand("text/html"), "viewer %f");

  Launcher("data", "browser.desktop", "browser --new-window %u");
  Write("config/mimeapps.list", "[Added Associations]\ntext/html=viewer.desktop\n[Default Applications]\n"
                                "text/plain=viewer.desktop\ntext/html=browser.desktop\n");
  EXPECT_EQ(shell.HandlerCommand("text/html"), "browser --new-window %u");
  EXPECT_EQ(shell.HandlerCommand("image/png"), "");
}

TEST_F(DesktopShellTest, RunStartsAProgramWithoutWaitingAndLocalFailuresHaveReasons) {
  const std::string marker = root / "ran";
  ASSERT_TRUE(shell.Run({"sh", "-c", "echo started > '" + marker + "'"}));
  for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) usleep(10000);
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_FALSE(shell.Run({"no-such-program-anywhere"}));
  EXPECT_FALSE(shell.Run({}));

  EXPECT_EQ(platform::LocalTargetFailure(root / "nowhere/manual.html"), platform::kShellPathNotFound);
  EXPECT_EQ(platform::LocalTargetFailure(root / "manual.html"), platform::kShellFileNotFound);
  Write("manual.html", "<html></html>");
  EXPECT_EQ(platform::LocalTargetFailure(root / "manual.html"), platform::kShellNoAssociation);
}

}  // namespace
