#pragma once

// Traps for what a media file names: a folder that tells when a file in it is opened, and a
// listening loopback socket that tells when anything connects. Each list of a test names a file
// of the folder and the socket's address.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdio.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/TrustPolicy.h"
#include "platform/host/DiskFileSystem.h"

namespace qlm::test {

class OpenWatch {
 public:
  explicit OpenWatch(const std::filesystem::path& folder)
      : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0)
      watch_ = ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN);
  }
  ~OpenWatch() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  bool Ready() const { return fd_ >= 0 && watch_ >= 0; }
  // True when a file of the folder was opened since the last call.
  bool Opened() {
    alignas(inotify_event) char buffer[4096];
    bool any = false;
    while (::read(fd_, buffer, sizeof buffer) > 0)
      any = true;
    return any;
  }

 private:
  int fd_;
  int watch_ = -1;
};

class LoopbackTrap {
 public:
  LoopbackTrap() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(fd_, 16) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackTrap() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  LoopbackTrap(const LoopbackTrap&) = delete;
  LoopbackTrap& operator=(const LoopbackTrap&) = delete;

  bool Ready() const { return port_ != 0; }
  std::string Url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }
  // True when something connected since the last call.
  bool Connected() {
    bool any = false;
    for (int client; (client = ::accept(fd_, nullptr, nullptr)) >= 0;) {
      ::close(client);
      any = true;
    }
    return any;
  }

 private:
  int fd_;
  int port_ = 0;
};

// The door of a presentation in the folder `show`, which is all it may read: a relative
// Windows path names a file there, a host path passes as it is. Refusals are recorded as
// "read PATH".
class ShowFileSystem : public DiskFileSystem {
 public:
  explicit ShowFileSystem(const std::filesystem::path& show) : show_(show) {
    policy_.SetPresentationFolder(show, std::filesystem::canonical(show));
    SetTrustPolicy(&policy_, [this](std::string_view what, const std::string& path) {
      blocked.push_back(std::string(what) + " " + path);
    });
  }
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    if (!windowsPath.empty() && windowsPath[0] == '/')
      return windowsPath;
    std::string path = windowsPath;
    for (char& c : path) {
      if (c == '\\')
        c = '/';
    }
    return show_ / path;
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    return hostPath.string();
  }

  std::vector<std::string> blocked;

 private:
  std::filesystem::path show_;
  TrustPolicy policy_;
};

// Below `root` (emptied): the presentation's folder "show" with its door, and a folder
// "outside" beside it, watched, with a loopback trap.
struct ReferenceScene {
  explicit ReferenceScene(const std::filesystem::path& folder)
      : root((std::filesystem::remove_all(folder), folder)),
        show((std::filesystem::create_directories(root / "show"), root / "show")),
        outside((std::filesystem::create_directories(root / "outside"), root / "outside")),
        watch(outside),
        files(show) {}

  // Puts `text` into the presentation's folder as `name`; its path.
  std::filesystem::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(show / name, std::ios::binary) << text;
    return show / name;
  }

  std::filesystem::path root, show, outside;
  OpenWatch watch;
  LoopbackTrap trap;
  ShowFileSystem files;
};

// A folder of its own for the running test, below the build folder.
inline std::filesystem::path FolderForCurrentTest(const std::filesystem::path& base) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return base / info->test_suite_name() / info->name();
}

// Swaps the files `a` and `b` (a plain file and a link, say) over and over on a thread of its
// own until it is destroyed.
class Swapper {
 public:
  Swapper(const std::filesystem::path& a, const std::filesystem::path& b)
      : thread_([this, a, b] {
          while (!stop_) {
            if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0)
              ++swaps_;
          }
        }) {}
  ~Swapper() {
    stop_ = true;
    thread_.join();
  }
  Swapper(const Swapper&) = delete;
  Swapper& operator=(const Swapper&) = delete;

  long Swaps() const { return swaps_; }

 private:
  std::atomic<bool> stop_ = false;
  std::atomic<long> swaps_ = 0;
  std::thread thread_;
};

// The lists that name `outside` and an address of `trap`, by file name: a playlist (M3U, PLS),
// an edit list, a stream list (HLS) and a concat list.
inline std::vector<std::pair<std::string, std::string>> ListsNaming(
    const std::filesystem::path& outside, const LoopbackTrap& trap) {
  const std::string file = outside.string();
  return {
      {"list.m3u", file + "\n" + trap.Url("a.wav") + "\n"},
      {"list.pls", "[playlist]\nFile1=" + file + "\nFile2=" + trap.Url("b.wav") +
                       "\nNumberOfEntries=2\nVersion=2\n"},
      {"cut.edl", "# mpv EDL v0\n" + file + ",0,1\n" + trap.Url("c.wav") + ",0,1\n"},
      {"stream.m3u8", "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\n" +
                          trap.Url("d.ts") + "\n#EXTINF:1.0,\n" + file + "\n#EXT-X-ENDLIST\n"},
      {"list.ffconcat",
       "ffconcat version 1.0\nfile '" + trap.Url("e.wav") + "'\nfile '" + file + "'\n"},
  };
}

// Whether `refused` holds the outside file and exactly one address of the trap, as what a list
// of ListsNaming names.
inline ::testing::AssertionResult RefusesWhatAListNames(const std::vector<std::string>& refused,
                                                        const std::filesystem::path& outside,
                                                        const LoopbackTrap& trap) {
  const auto addresses = std::count_if(refused.begin(), refused.end(), [&](const std::string& r) {
    return r.starts_with(trap.Url(""));
  });
  if (std::find(refused.begin(), refused.end(), outside.string()) != refused.end() &&
      addresses == 1)
    return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "refused:";
  for (const std::string& r : refused)
    failure << " " << r;
  return failure;
}

// Lists of ListsNaming that a back end refuses as a whole, each with the address of the trap
// it names besides the outside file.
struct ReportedList {
  const char* list;
  const char* address;
};
inline constexpr ReportedList kReportedLists[] = {
    {"list.m3u", "a.wav"}, {"stream.m3u8", "d.ts"}, {"list.ffconcat", "e.wav"}};

// Writes `list` naming `outside` into the scene's folder and forgets the refusals so far.
inline void WriteReportedList(ReferenceScene& scene, const ReportedList& list,
                              const std::filesystem::path& outside) {
  for (const auto& [name, text] : ListsNaming(outside, scene.trap)) {
    if (name == list.list)
      scene.Write(name, text);
  }
  scene.files.blocked.clear();
}

// What the scene's door reported since, and what a refused `list` naming `outside` should
// have reported: each name once, in order.
inline std::vector<std::string> SortedReports(const ReferenceScene& scene) {
  std::vector<std::string> reports = scene.files.blocked;
  std::sort(reports.begin(), reports.end());
  return reports;
}
inline std::vector<std::string> ReportsOf(const ReferenceScene& scene, const ReportedList& list,
                                          const std::filesystem::path& outside) {
  std::vector<std::string> reports = {"read " + outside.string(),
                                      "read " + scene.trap.Url(list.address)};
  std::sort(reports.begin(), reports.end());
  return reports;
}

}  // namespace qlm::test
