#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

// What a test needs from the machine: command-line tools and the tests' own sound
// server. ./test.sh installs and starts both, so a test whose prerequisite is missing
// fails, naming it; with TRACKWRIGHT_ALLOW_SKIPS=1 it is skipped instead (for a run by
// hand on a machine without them).
namespace prerequisites {

bool HaveTool(const std::string& tool);
// The first of the tools that is not on the path, if one is not.
std::optional<std::string> MissingTool(std::initializer_list<const char*> tools);
// Why the test sound server cannot be used, if it cannot.
std::optional<std::string> NoTestServer();
bool SkipsAllowed();

}  // namespace prerequisites

// Ends the test (a skip or a failure, as above) when `why` holds a reason.
#define REQUIRE_PREREQUISITE(why)                                                               \
  if (const std::optional<std::string> unmet_ = (why)) {                                        \
    if (::prerequisites::SkipsAllowed()) GTEST_SKIP() << *unmet_;                               \
    FAIL() << *unmet_ << " (./test.sh provides it; TRACKWRIGHT_ALLOW_SKIPS=1 skips such tests)"; \
  }

#define REQUIRE_TOOLS(...) REQUIRE_PREREQUISITE(::prerequisites::MissingTool({__VA_ARGS__}))
#define REQUIRE_TEST_SERVER() REQUIRE_PREREQUISITE(::prerequisites::NoTestServer())
