// A real single-node Slurm cluster on this machine (munge, slurmctld and slurmd from the
// distribution, configured in the test's own folder) runs an archive of a generated collection
// as an array job; the merged inventory must list every presentation of the collection once,
// with its name byte for byte.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "support/ShellCommand.h"

extern char** environ;

namespace qlm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A port nobody listens on now.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

std::string FindProgram(const std::string& name) {
  for (const char* folder : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
    const fs::path path = fs::path(folder) / name;
    if (::access(path.c_str(), X_OK) == 0)
      return path.string();
  }
  return "";
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

bool WaitFor(std::chrono::seconds limit, const std::function<bool()>& ready) {
  for (const auto end = Clock::now() + limit; Clock::now() < end;) {
    if (ready())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return ready();
}

class SlurmClusterTest : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "the cluster's daemons run as root: run this test as root (CI does)";
    for (const char* program :
         {"munged", "slurmctld", "slurmd", "sbatch", "squeue", "sinfo", "scontrol"}) {
      ASSERT_FALSE(FindProgram(program).empty())
          << program << " is missing: scripts/install-deps.sh installs it";
    }
    // A short name: slurmd's sockets live in its spool folder, and a socket's path is limited
    // to 108 bytes.
    std::string folder = (fs::temp_directory_path() / "qlmslurm-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    root_ = folder;
    // The players run by the tasks keep their files here, not in root's home.
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
      ::setenv(name, (root_ / "home").c_str(), 1);
    StartCluster();
  }

  void TearDown() override {
    // Every daemon by its own process id, the last started first.
    for (auto it = daemons_.rbegin(); it != daemons_.rend(); ++it) {
      ::kill(*it, SIGTERM);
      int status = 0;
      const auto end = Clock::now() + std::chrono::seconds(15);
      while (::waitpid(*it, &status, WNOHANG) == 0) {
        if (Clock::now() > end) {
          ::kill(*it, SIGKILL);
          ::waitpid(*it, &status, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    ::unsetenv("SLURM_CONF");
    if (!root_.empty())
      fs::remove_all(root_);
  }

  void Start(const std::vector<std::string>& command, const fs::path& log) {
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(failed, 0) << "cannot start " << command[0];
    daemons_.push_back(pid);
  }

  std::string Log(const char* name) {
    std::ifstream in(root_ / "cluster" / name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  void StartCluster() {
    const fs::path dir = root_ / "cluster";
    fs::create_directories(dir / "munge");
    fs::create_directories(dir / "state");
    fs::create_directories(dir / "spool");
    fs::permissions(dir / "munge", fs::perms::owner_all);
    {
      std::random_device random;
      std::string key(1024, '\0');
      for (char& c : key)
        c = static_cast<char>(random());
      WriteText(dir / "munge" / "munge.key", key);
      fs::permissions(dir / "munge" / "munge.key", fs::perms::owner_read);
    }
    const fs::path socket = dir / "munge" / "socket";
    Start({FindProgram("munged"), "--foreground", "--force", "--socket=" + socket.string(),
           "--key-file=" + (dir / "munge" / "munge.key").string(),
           "--pid-file=" + (dir / "munge" / "munged.pid").string(),
           "--seed-file=" + (dir / "munge" / "seed").string(),
           "--log-file=" + (dir / "munged.log").string()},
          dir / "munged.out");
    ASSERT_TRUE(WaitFor(std::chrono::seconds(10), [&] { return fs::exists(socket); }))
        << Log("munged.out");

    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    cpus_ = static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN));
    const long memoryMb = ::sysconf(_SC_PHYS_PAGES) / 1024 * ::sysconf(_SC_PAGE_SIZE) / 1024;
    std::ostringstream conf;
    conf << "ClusterName=qlmtest\n"
         << "SlurmctldHost=" << host << "(127.0.0.1)\n"
         << "SlurmctldPort=" << FreePort() << "\nSlurmdPort=" << FreePort() << "\n"
         << "SlurmUser=root\nSlurmdUser=root\n"
         << "AuthType=auth/munge\nCredType=cred/munge\nAuthInfo=socket=" << socket.string() << "\n"
         << "StateSaveLocation=" << (dir / "state").string() << "\n"
         << "SlurmdSpoolDir=" << (dir / "spool").string() << "\n"
         << "SlurmctldPidFile=" << (dir / "slurmctld.pid").string() << "\n"
         << "SlurmdPidFile=" << (dir / "slurmd.pid").string() << "\n"
         << "SlurmctldLogFile=" << (dir / "slurmctld.log").string() << "\n"
         << "SlurmdLogFile=" << (dir / "slurmd.log").string() << "\n"
         << "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\n"
         << "SelectType=select/cons_tres\nSelectTypeParameters=CR_CPU\n"
         << "SchedulerType=sched/builtin\nMpiDefault=none\nReturnToService=2\n"
         << "JobAcctGatherType=jobacct_gather/none\n"
         << "AccountingStorageType=accounting_storage/none\n"
         << "NodeName=" << host << " NodeAddr=127.0.0.1 CPUs=" << cpus_
         << " RealMemory=" << memoryMb << " State=UNKNOWN\n"
         << "PartitionName=archive Nodes=ALL Default=YES MaxTime=INFINITE State=UP\n";
    WriteText(dir / "slurm.conf", conf.str());
    ::setenv("SLURM_CONF", (dir / "slurm.conf").c_str(), 1);
    Start({FindProgram("slurmctld"), "-D", "-i"}, dir / "slurmctld.out");
    Start({FindProgram("slurmd"), "-D"}, dir / "slurmd.out");
    ASSERT_TRUE(WaitFor(
        std::chrono::seconds(30),
        [] { return test::RunShellCommand("sinfo -h -o %t 2>/dev/null").text == "idle\n"; }))
        << Log("slurmctld.out") << Log("slurmctld.log") << Log("slurmd.out") << Log("slurmd.log");
  }

  // Builds a one-page document from a project folder, with `enter` as its page's enter script.
  void Build(const fs::path& out, int colour, const std::string& enter = "") {
    const fs::path folder = root_ / "projects" / std::to_string(projects_++);
    nlohmann::json page = {{"name", "A"},
                           {"backgroundColour", colour},
                           {"objects",
                            {{{"name", "T"},
                              {"typeCode", 1},
                              {"rect", {10, 10, 300, 60}},
                              {"text", "Disc " + std::to_string(colour)}}}}};
    if (!enter.empty()) {
      page["enterScript"] = "enter.txt";
      WriteText(folder / "enter.txt", enter);
    }
    const nlohmann::json project = {{"settings", {{"clientWidth", 320}, {"clientHeight", 200}}},
                                    {"pages", {page}}};
    WriteText(folder / "project.json", project.dump());
    fs::create_directories(out.parent_path());
    const test::ShellOutput built =
        test::RunShellCommand(std::string(QMDTOOL_PATH) + " build " + Quote(folder.string()) +
                              " -o " + Quote(out.string()) + " 2>&1");
    ASSERT_EQ(built.status, 0) << built.text;
  }

  fs::path root_;
  std::vector<pid_t> daemons_;
  int cpus_ = 1;
  int projects_ = 0;
};

struct Expected {
  bool ok = true;
  std::string error;                  // the error code when not ok
  std::optional<bool> blank = false;  // not known for a page that never finishes
  bool timedOut = false;
};

TEST_F(SlurmClusterTest, AnArrayJobOverChunksGivesTheInventoryOfTheWholeCollection) {
  const fs::path pile = root_ / "pile";
  std::map<std::string, Expected> expected;  // the path's bytes to what its record must say
  auto add = [&](const fs::path& path, Expected e = {}) { expected[path.native()] = e; };
  for (int i = 0; i < 46; ++i) {
    const fs::path path =
        pile / ("disc" + std::to_string(i / 8)) / ("show" + std::to_string(i) + ".qmd");
    Build(path, 0x102030 * (i + 1) & 0xFFFFFF);
    add(path);
  }
  for (const char* disc : {"a", "b", "c"}) {
    Build(pile / disc / "show.qmd", disc[0] * 1000);
    add(pile / disc / "show.qmd");
  }
  Build(pile / "odd" / "new\nline.qmd", 0xFF);
  add(pile / "odd" / "new\nline.qmd");
  Build(pile / "odd" / "caf\xE9.qmd", 0xFF00);
  add(pile / "odd" / "caf\xE9.qmd");
  Build(pile / "odd" / "exit.qmd", 0xFF0000, "Exit()\n");
  add(pile / "odd" / "exit.qmd", {.ok = true, .error = "", .blank = true, .timedOut = false});
  Build(pile / "odd" / "endless.qmd", 0xFF00FF, "For i=1 To infinity\nn=n+1\nNext i\n");
  add(pile / "odd" / "endless.qmd",
      {.ok = true, .error = "", .blank = std::nullopt, .timedOut = true});
  // Damaged: cut short, nothing at all, noise under a document's name.
  {
    std::ifstream in(pile / "disc0" / "show0.qmd", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteText(pile / "damaged" / "cut.qmd", bytes.substr(0, bytes.size() / 3));
    WriteText(pile / "damaged" / "empty.qmd", "");
    WriteText(pile / "damaged" / "noise.qmd", std::string(700, '\x5A'));
  }
  for (const char* name : {"cut.qmd", "empty.qmd", "noise.qmd"})
    add(pile / "damaged" / name,
        {.ok = false, .error = "damaged", .blank = false, .timedOut = false});
  // Not presentations: not in the inventory.
  WriteText(pile / "disc0" / "readme.txt", "Insert disc 2\n");
  WriteText(pile / "disc1" / "logo.bmp", "BM not a presentation");
  ASSERT_EQ(expected.size(), 56u);

  const std::string tool = QMDTOOL_PATH;
  const fs::path run = root_ / "run";
  const test::ShellOutput plan =
      test::RunShellCommand(tool + " archive plan " + Quote(pile.string()) + " -o " +
                            Quote(run.string()) + " --chunk 14 2>&1");
  ASSERT_EQ(plan.status, 0) << plan.text;
  const test::ShellOutput slurm = test::RunShellCommand(
      tool + " archive slurm " + Quote(run.string()) + " --player " + Quote(QLMPLAYER_PATH) +
      " --timeout 3 --parallel " + std::to_string(cpus_) + " 2>/dev/null");
  ASSERT_EQ(slurm.status, 0);
  ASSERT_EQ(slurm.text.rfind("sbatch --array=0-3%", 0), 0u) << slurm.text;

  const auto start = Clock::now();
  const test::ShellOutput submitted = test::RunShellCommand(slurm.text + " 2>&1");
  ASSERT_EQ(submitted.status, 0) << submitted.text;
  // Done when the queue is empty; a task the node could not start is held for ever.
  std::string queue;
  ASSERT_TRUE(WaitFor(std::chrono::seconds(90), [&] {
    queue = test::RunShellCommand("squeue -h -o '%i %T %r' 2>&1").text;
    return queue.empty() || queue.find("held") != std::string::npos;
  }));
  ASSERT_EQ(queue, "") << Log("slurmd.log") << Log("slurmctld.log");
  const double clusterSeconds = std::chrono::duration<double>(Clock::now() - start).count();

  const test::ShellOutput merged =
      test::RunShellCommand(tool + " archive merge " + Quote(run.string()) + " 2>&1");
  EXPECT_EQ(merged.status, 0) << merged.text;
  EXPECT_EQ(std::distance(fs::directory_iterator(run / "logs"), fs::directory_iterator()), 4);

  std::ifstream inventory(run / "inventory.jsonl");
  std::set<std::string> seen;
  std::set<std::string> pictures;
  for (std::string line; std::getline(inventory, line);) {
    const nlohmann::json record = nlohmann::json::parse(line);
    std::string path;
    for (size_t i = 0; i < record["pathHex"].get<std::string>().size(); i += 2)
      path += static_cast<char>(
          std::stoi(record["pathHex"].get<std::string>().substr(i, 2), nullptr, 16));
    ASSERT_TRUE(seen.insert(path).second) << "listed twice: " << record["path"];
    const auto found = expected.find(path);
    ASSERT_NE(found, expected.end()) << "not in the collection: " << record["path"];
    const Expected& e = found->second;
    EXPECT_EQ(record["ok"], e.ok) << line;
    if (!e.ok) {
      EXPECT_EQ(record["error"]["code"], e.error) << line;
      continue;
    }
    if (e.blank) {
      EXPECT_EQ(record["blank"], *e.blank) << line;
    }
    EXPECT_EQ(record["timedOut"], e.timedOut) << line;
    EXPECT_TRUE(fs::is_regular_file(run / record["picture"].get<std::string>())) << line;
    EXPECT_TRUE(pictures.insert(record["picture"]).second) << line;
  }
  EXPECT_EQ(seen.size(), expected.size());

  // The same plan on this machine alone, for the record: the cluster's overhead.
  const fs::path local = root_ / "local";
  ASSERT_EQ(test::RunShellCommand(tool + " archive plan " + Quote(pile.string()) + " -o " +
                                  Quote(local.string()) + " --chunk 14 >/dev/null 2>&1")
                .status,
            0);
  const auto localStart = Clock::now();
  const test::ShellOutput localRun = test::RunShellCommand(
      tool + " archive run " + Quote(local.string()) + " --player " + Quote(QLMPLAYER_PATH) +
      " --timeout 3 --jobs " + std::to_string(cpus_) + " 2>&1");
  EXPECT_EQ(localRun.status, 0) << localRun.text;
  const double localSeconds = std::chrono::duration<double>(Clock::now() - localStart).count();
  RecordProperty("cluster_seconds", std::to_string(clusterSeconds));
  RecordProperty("local_seconds", std::to_string(localSeconds));
  std::cout << "archive of " << expected.size() << " files: " << clusterSeconds
            << " s as a Slurm array job, " << localSeconds << " s on this machine ("
            << clusterSeconds / localSeconds << "x)\n";
}

}  // namespace
}  // namespace qlm
