// A second start of a one-instance presentation hands its command line to the first, between
// two real qlmplayer processes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "document/ProjectWriter.h"
#include "document/StandaloneContainer.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"
#include "tools/StandaloneFile.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIdentifier = "{6F1C2A3B-4D5E-4F60-8172-93A4B5C6D7E8}";

// A player that reads its events from a pipe, so the test decides when time moves on.
class RunningPlayer {
 public:
  explicit RunningPlayer(const std::string& command) {
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0)
      return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(in[1]);
      ::close(out[0]);
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~RunningPlayer() {
    CloseInput();
    if (stdout_ >= 0)
      ::close(stdout_);
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Output lines up to and including the first that contains `text`; empty after 10 s.
  std::vector<std::string> ReadUntil(const std::string& text) {
    std::vector<std::string> lines;
    for (int waited = 0; waited < 10000;) {
      if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
        lines.push_back(buffer_.substr(0, nl));
        buffer_.erase(0, nl + 1);
        if (lines.back().find(text) != std::string::npos)
          return lines;
        continue;
      }
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) {
        waited += 100;
        continue;
      }
      char data[4096];
      const ssize_t n = ::read(stdout_, data, sizeof data);
      if (n <= 0)
        break;
      buffer_.append(data, static_cast<size_t>(n));
    }
    return {};
  }

  void Send(const std::string& text) {
    ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseInput() {
    if (stdin_ >= 0)
      ::close(stdin_);
    stdin_ = -1;
  }
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string buffer_;
  bool reaped_ = false;
};

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    const Project first = BuildProjectFromSpec(
        "page First\n"
        "object 17 CBK_CMDLINE 0 0 10 10\n"
        "script got$=CmdLineParam$[1]\n");
    const std::vector<uint8_t> bytes = WriteProject(first, 29);
    WriteStandalone(QLMPLAYER_PATH, bytes, true, kIdentifier, box_.root / "SHOW.EXE");
    WriteStandalone(QLMPLAYER_PATH, bytes, true, kIdentifier, box_.root / "OTHER.EXE");
    ASSERT_TRUE(
        WriteProjectFile(box_.root / "other.qmd", BuildProjectFromSpec("page Other\n"), 29));
  }

  Sandbox box_ = Sandbox::ForCurrentTest("handover");
};

TEST_F(HandOver, SameExecutableNameOpensTheNewDocumentInTheFirstWindow) {
  RunningPlayer first(box_.PlayerCommand({"--events", "-", "SHOW.EXE"}));
  ASSERT_FALSE(first.ReadUntil(R"("page")").empty());

  // The second start ends at once, without a window of its own.
  EXPECT_EQ(box_.Run({"SHOW.EXE", "other.qmd", "extra"}, "second"), 0);
  EXPECT_EQ(Lines(ReadText(box_.root / "second.jsonl")),
            std::vector<std::string>{R"({"event":"exit","code":0})"});

  // Timer 999 opens the handed-over document 100 ms later and publishes its command line.
  first.Send("wait 100\ndump\n");
  first.CloseInput();
  const std::vector<std::string> rest = first.ReadUntil(R"("exit")");
  ASSERT_EQ(rest.size(), 3u);
  EXPECT_EQ(rest[0], R"({"event":"page","name":"Other"})");
  EXPECT_NE(rest[1].find(R"("page":"Other")"), std::string::npos) << rest[1];
  for (const char* published : {R"("CmdLineParam$[0]":"2")", R"("CmdLineParam$[1]":"other.qmd")",
                                R"("CmdLineParam$[2]":"extra")", R"("got$":"other.qmd")"}) {
    EXPECT_NE(rest[1].find(published), std::string::npos) << published << " in " << rest[1];
  }
  EXPECT_EQ(first.Wait(), 0);
}

TEST_F(HandOver, AnotherExecutableNameIsIgnoredButStillEndsTheSecondStart) {
  RunningPlayer first(box_.PlayerCommand({"--events", "-", "SHOW.EXE"}));
  ASSERT_FALSE(first.ReadUntil(R"("page")").empty());

  EXPECT_EQ(box_.Run({"OTHER.EXE", "other.qmd"}, "second"), 0);
  EXPECT_EQ(Lines(ReadText(box_.root / "second.jsonl")),
            std::vector<std::string>{R"({"event":"exit","code":0})"});

  first.Send("wait 200\ndump\n");
  first.CloseInput();
  const std::vector<std::string> rest = first.ReadUntil(R"("exit")");
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_NE(rest[0].find(R"("page":"First")"), std::string::npos) << rest[0];
  EXPECT_NE(rest[0].find(R"("got$":"")"), std::string::npos) << rest[0];
  EXPECT_EQ(first.Wait(), 0);
}

TEST_F(HandOver, NewWindowStartsASecondPlayerDespiteTheLock) {
  RunningPlayer first(box_.PlayerCommand({"--events", "-", "SHOW.EXE"}));
  ASSERT_FALSE(first.ReadUntil(R"("page")").empty());

  EXPECT_EQ(box_.Run({"SHOW.EXE", "other.qmd", "ECPA|SA:NEW_WINDOW"}, "second"), 0);
  const std::vector<std::string> second = Lines(ReadText(box_.root / "second.jsonl"));
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second[0], R"({"event":"page","name":"Other"})");
  first.CloseInput();
  EXPECT_EQ(first.Wait(), 0);
}

}  // namespace
}  // namespace qlm::test
