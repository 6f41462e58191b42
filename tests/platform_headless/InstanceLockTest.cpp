#include "platform/host/HostInstanceLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform/headless/VirtualEventLoop.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

constexpr const char* kId = "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}";

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qlm-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    dir_ = root_ / "locks";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs `body` in a child process and returns its exit status; `whileWaiting` runs in this
  // process meanwhile (the first instance polling, say).
  static int InChild(
      const std::function<int()>& body, const std::function<void()>& whileWaiting = [] {}) {
    const pid_t pid = ::fork();
    if (pid == 0)
      ::_exit(body());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      whileWaiting();
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
      }
      ::usleep(2000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path root_;
  fs::path dir_;
};

TEST_F(InstanceLockTest, SecondStartHandsItsCommandLineToTheFirstProcess) {
  HostInstanceLock first(kId, dir_);
  ASSERT_EQ(first.GetState(), InstanceLock::State::kFirst) << first.Error();
  EXPECT_EQ(fs::status(dir_).permissions() & fs::perms::all, fs::perms::owner_all);

  VirtualEventLoop loop;
  struct Receiver : EventHandler {
    void OnTimer(uint32_t) override {}
    void OnMessage(const WindowMessage& m) override { messages.push_back(m); }
    std::vector<WindowMessage> messages;
  } receiver;
  loop.SetHandler(&receiver);
  WatchActivations(first, loop, 0xC0DE);

  const ActivationRequest request{"SHOW.EXE", "\"C:\\My Show\\a.qmd\" ECPA|SA:,Two \xE9"};
  const int status = InChild(
      [&] {
        HostInstanceLock second(kId, dir_);
        if (!second.AlreadyExisted())
          return 10;
        return second.HandOver(request) ? 0 : 11;
      },
      [&] { loop.Pump(); });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(receiver.messages.size(), 1u);
  EXPECT_EQ(receiver.messages[0].id, 0xC0DEu);
  EXPECT_EQ(receiver.messages[0].texts,
            (std::vector<std::string>{request.exeFileName, request.commandLine}));
}

TEST_F(InstanceLockTest, LockOfAProcessThatDiedDoesNotBlock) {
  // The child takes the lock and ends without cleaning up: its lock and socket files stay.
  EXPECT_EQ(InChild([&] {
              HostInstanceLock lock(kId, dir_);
              ::_exit(lock.GetState() == InstanceLock::State::kFirst ? 0 : 1);
              return 2;
            }),
            0);
  EXPECT_TRUE(fs::exists(dir_ / (HostInstanceLock::FileStem(kId) + ".lock")));
  EXPECT_TRUE(fs::is_socket(dir_ / (HostInstanceLock::FileStem(kId) + ".sock")));

  HostInstanceLock first(kId, dir_);
  ASSERT_EQ(first.GetState(), InstanceLock::State::kFirst) << first.Error();
  std::vector<ActivationRequest> got;
  EXPECT_EQ(InChild(
                [&] {
                  HostInstanceLock second(kId, dir_);
                  return second.HandOver({"a", ""}) ? 0 : 1;
                },
                [&] {
                  for (auto& r : first.Poll())
                    got.push_back(r);
                }),
            0);
  EXPECT_EQ(got, (std::vector<ActivationRequest>{{"a", ""}}));
}

TEST_F(InstanceLockTest, OtherIdentifiersAndEndedOwnersAreIndependent) {
  auto first = std::make_unique<HostInstanceLock>(kId, dir_);
  HostInstanceLock other("{00000000-0000-0000-0000-000000000000}", dir_);
  EXPECT_EQ(other.GetState(), InstanceLock::State::kFirst);
  // A second lock in this process conflicts too: each open of the file is its own lock.
  HostInstanceLock again(kId, dir_);
  EXPECT_TRUE(again.AlreadyExisted());
  first.reset();
  HostInstanceLock after(kId, dir_);
  EXPECT_EQ(after.GetState(), InstanceLock::State::kFirst);
  // No one listens for a first instance's own hand-over.
  EXPECT_FALSE(after.HandOver({"x", "y"}, 50));
}

TEST_F(InstanceLockTest, HandOverFailsClearlyWhenTheFirstNeverAnswers) {
  HostInstanceLock first(kId, dir_);
  HostInstanceLock second(kId, dir_);
  ASSERT_TRUE(second.AlreadyExisted());
  // The first never polls in this test: the hand-over times out.
  EXPECT_FALSE(second.HandOver({"a", "b"}, 100));
  EXPECT_EQ(second.Error(), "the running instance did not answer");
  // The complete request still waits in the socket for the first's next poll.
  EXPECT_EQ(first.Poll(), (std::vector<ActivationRequest>{{"a", "b"}}));
}

TEST_F(InstanceLockTest, MalformedAndOversizedHandOversAreDropped) {
  HostInstanceLock first(kId, dir_);
  const std::string sock = (dir_ / (HostInstanceLock::FileStem(kId) + ".sock")).string();
  auto sendRaw = [&](const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, sock.c_str());
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
  };
  sendRaw("HTTP/1.0 GET /");                              // wrong magic
  sendRaw(std::string("QLMA\xFF\xFF\xFF\x7F", 8));        // length beyond the limit
  sendRaw(std::string("QLMA\x01\x00\x00\x00x\x05", 10));  // ends early
  EXPECT_TRUE(first.Poll().empty());
  EXPECT_TRUE(first.Poll().empty());
}

TEST_F(InstanceLockTest, IdentifiersBecomeSafeFileNames) {
  EXPECT_EQ(HostInstanceLock::FileStem(kId), kId);
  EXPECT_EQ(HostInstanceLock::FileStem("../a b_"), "_2E_2E_2Fa_20b_5F");
  EXPECT_EQ(HostInstanceLock::FileStem(""), "_");
  EXPECT_NE(HostInstanceLock::FileStem("a/b"), HostInstanceLock::FileStem("a_b"));
  const std::string junk(38, '\xFE');
  const std::string stem = HostInstanceLock::FileStem(junk);
  EXPECT_EQ(stem.size(), 17u);
  EXPECT_EQ(stem[0], 'h');
  std::string other = junk;
  other.back() = '\xFD';
  EXPECT_NE(stem, HostInstanceLock::FileStem(other));
}

TEST_F(InstanceLockTest, WorksInAFolderWhosePathIsTooLongForASocketAddress) {
  fs::path deep = root_;
  for (int i = 0; i < 6; ++i)
    deep /= std::string(30, 'd');
  fs::create_directories(deep);
  HostInstanceLock first(kId, deep / "locks");
  ASSERT_EQ(first.GetState(), InstanceLock::State::kFirst) << first.Error();
  HostInstanceLock second(kId, deep / "locks");
  ASSERT_TRUE(second.AlreadyExisted());
  EXPECT_FALSE(second.HandOver({"n", "c"}, 100));  // nobody polls; the request waits
  EXPECT_EQ(first.Poll(), (std::vector<ActivationRequest>{{"n", "c"}}));
}

TEST_F(InstanceLockTest, RefusesAFolderOthersCanWrite) {
  fs::create_directories(dir_);
  fs::permissions(dir_, fs::perms::all);
  HostInstanceLock lock(kId, dir_);
  EXPECT_EQ(lock.GetState(), InstanceLock::State::kUnavailable);
  EXPECT_NE(lock.Error().find("is not a private folder"), std::string::npos) << lock.Error();
}

TEST(InstanceLockDirectory, FollowsXdgRuntimeDir) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(HostInstanceLock::DefaultDirectory(), fs::path("/run/user/4242/qlmplayer"));
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(HostInstanceLock::DefaultDirectory(),
            fs::path("/tmp/qlmplayer-" + std::to_string(::getuid())));
  if (saved)
    ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace qlm
