#include "tools/ScriptCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/QmdTool.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

struct CheckResult {
  int status;
  std::string out;
  std::string err;
};

CheckResult Check(const std::string& script) {
  const fs::path file = fs::temp_directory_path() / "qlm_check_test.txt";
  std::ofstream(file, std::ios::binary) << script;
  std::ostringstream out, err;
  const int status = RunQmdTool({"check", file.string()}, out, err, ToolEnvironment{});
  fs::remove(file);
  return {status, out.str(), err.str()};
}

TEST(ScriptCheckTest, PrintsThePlayersMessages) {
  const CheckResult clean = Check("For i=1 To 3\r\nHide(\"Logo\")\r\nNext i\r\n");
  EXPECT_EQ(clean.status, 0);
  EXPECT_NE(clean.out.find("3 statements, 0 messages, compiles"), std::string::npos);

  const CheckResult broken = Check("Hyde(\"Logo\")\nIf (a=1) Then\nFor i=1 to 3\n");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.out.find("Unknown function hyde\nHyde(\"Logo\")\n\n"), std::string::npos);
  EXPECT_NE(broken.out.find("Expecting 'To'\nFormat is (example): For i=1 To 5\n\n"),
            std::string::npos);
  EXPECT_NE(broken.out.find("Expected 'End' \nYou have more 'If' than 'End' commands."),
            std::string::npos);
  EXPECT_NE(broken.out.find("does not compile"), std::string::npos);
}

TEST(ScriptCheckTest, CommandLineErrors) {
  std::ostringstream out, err;
  EXPECT_EQ(RunQmdTool({"check"}, out, err, ToolEnvironment{}), kToolUsage);
  EXPECT_EQ(RunQmdTool({"check", "/nonexistent/qlm/script.txt"}, out, err, ToolEnvironment{}),
            kToolFailed);
  EXPECT_NE(err.str().find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace qlm
