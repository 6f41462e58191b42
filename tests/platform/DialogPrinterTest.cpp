// Printing through the print dialog's path against a real print scheduler: a cupsd of its own
// (its configuration, spool and socket in a temporary folder) with a queue that describes US
// Letter paper and a plain one, both delivering their jobs as files through a small backend.

#include "platform/host/DialogPrinter.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <cups/cups.h>

#include "TempFolder.h"
#include "platform/host/CupsPrinters.h"
#include "platform/host/HostFileSystem.h"
#include "support/RecordingDialogs.h"
#include "support/ShellCommand.h"

extern char** environ;

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCupsd = "/usr/sbin/cupsd";

// A printer description with US Letter as its default paper that takes PDF as it is.
constexpr const char* kLetterPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "LETTER.PPD"
*Manufacturer: "Test"
*Product: "(Test)"
*ModelName: "Test Letter"
*ShortNickName: "Test Letter"
*NickName: "Test Letter"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
)ppd";

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The scheduler, started once for the suite and stopped after it.
class Scheduler {
 public:
  Scheduler() {
    const fs::path d = folder_.Path();
    for (const char* sub : {"spool", "cache", "state", "tmp", "out", "bin/backend"})
      fs::create_directories(d / sub);
    socket_ = d / "cups.sock";
    out_ = d / "out";
    // The server programs are the installed ones but for the backend, which copies each job to
    // out/job-ID-copies-N.pdf.
    for (const char* sub : {"daemon", "filter", "cgi-bin", "monitor", "notifier", "driver"}) {
      if (fs::exists(fs::path("/usr/lib/cups") / sub))
        fs::create_directory_symlink(fs::path("/usr/lib/cups") / sub, d / "bin" / sub);
    }
    const fs::path backend = d / "bin/backend/tofile";
    WriteFile(backend,
              "#!/bin/sh\n"
              "if [ $# -eq 0 ]; then echo 'direct tofile \"Unknown\" \"Copy\"'; exit 0; fi\n"
              "cat \"${6:--}\" > \"" +
                  out_.string() +
                  "/job-$1-copies-$4.tmp\" && "
                  "mv \"" +
                  out_.string() + "/job-$1-copies-$4.tmp\" \"" + out_.string() +
                  "/job-$1-copies-$4.pdf\"\n");
    // Owner-only: the scheduler runs it as its own user rather than as an unprivileged one.
    fs::permissions(backend, fs::perms::owner_all);
    fs::permissions(d, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(out_, fs::perms::all);
    WriteFile(d / "cupsd.conf", "Listen " + socket_.string() +
                                    "\nLogLevel warn\nDefaultAuthType None\nWebInterface No\n"
                                    "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                    "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                    "  </Limit>\n</Policy>\n");
    WriteFile(d / "cups-files.conf",
              "ServerRoot " + d.string() + "\nStateDir " + (d / "state").string() + "\nCacheDir " +
                  (d / "cache").string() + "\nRequestRoot " + (d / "spool").string() +
                  "\nTempDir " + (d / "tmp").string() + "\nServerBin " + (d / "bin").string() +
                  "\nDataDir /usr/share/cups\nAccessLog " + (d / "access_log").string() +
                  "\nErrorLog " + (d / "error_log").string() + "\nPageLog " +
                  (d / "page_log").string() + "\nPrintcap " + (d / "printcap").string() +
                  "\nFileDevice Yes\nSandboxing Relaxed\n");
    WriteFile(d / "letter.ppd", kLetterPpd);

    const std::string conf = (d / "cupsd.conf").string();
    const std::string files = (d / "cups-files.conf").string();
    const char* argv[] = {kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
    if (posix_spawn(&pid_, kCupsd, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = 0;
      return;
    }
    for (int i = 0; i < 100 && !Ready(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string host = " -h " + socket_.string();
    ok_ = Ready() &&
          RunShellCommand("lpadmin" + host + " -p letter -v tofile:/ -E -P " +
                          (d / "letter.ppd").string() + " 2>&1")
                  .status == 0 &&
          RunShellCommand("lpadmin" + host + " -p plain -v tofile:/ -E 2>&1").status == 0 &&
          RunShellCommand("lpadmin" + host + " -d letter 2>&1").status == 0;
  }
  ~Scheduler() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  bool Ok() const { return ok_; }
  const fs::path& Socket() const { return socket_; }
  std::string Log() const { return ReadFile(folder_.Path() / "error_log"); }

  // The file the backend wrote for a job of `copies` copies, waiting up to ten seconds.
  std::optional<fs::path> Delivered(int copies) const {
    const std::string suffix = "-copies-" + std::to_string(copies) + ".pdf";
    for (int i = 0; i < 100; ++i) {
      for (const auto& entry : fs::directory_iterator(out_)) {
        if (entry.path().string().ends_with(suffix))
          return entry.path();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::nullopt;
  }

 private:
  bool Ready() const {
    return fs::exists(socket_) &&
           RunShellCommand("lpstat -h " + socket_.string() + " -r 2>&1").text.find("is running") !=
               std::string::npos;
  }

  TempFolder folder_;
  fs::path socket_;
  fs::path out_;
  pid_t pid_ = 0;
  bool ok_ = false;
};

// The print dialog answered as a user would: the destination named, the copies given.
class PrintingDialogs : public RecordingDialogs {
 public:
  std::optional<PrintChoice> ChoosePrint(const PrintDialogRequest& request) override {
    asked = request;
    pagesShown = request.pagesOf ? request.pagesOf(request.selected) : -1;
    for (size_t i = 0; i < request.destinations.size(); ++i) {
      if (request.destinations[i].starts_with(destination))
        return PrintChoice{static_cast<int>(i), copies};
    }
    return std::nullopt;
  }

  std::string destination;  // empty: the first; a name that is not listed cancels
  int copies = 1;
  PrintDialogRequest asked;
  int pagesShown = 0;
};

class DialogPrinterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(fs::exists(kCupsd)) << "the print scheduler (cups-daemon) is not installed";
    scheduler_ = new Scheduler();
    cupsSetServer(scheduler_->Socket().c_str());
  }
  static void TearDownTestSuite() {
    cupsSetServer(nullptr);
    delete scheduler_;
    scheduler_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(scheduler_ && scheduler_->Ok()) << scheduler_->Log(); }

  // A job of one sheet of text, laid out on whatever paper the printer says.
  PrintOutcome Print(int proposedCopies = 1) {
    return printer_.Print({.what = "text",
                           .title = "Quiz results",
                           .copies = proposedCopies,
                           .layout = [this](const PaperSize& paper) {
                             papers_.push_back(paper);
                             return LayOutText(fonts_.Get(FontSpec{}), "Passed", paper, "Quiz");
                           }});
  }

  static Scheduler* scheduler_;
  TempFolder temp_;
  HostEnvironment env_ = temp_.Environment();
  HostFileSystem files_{env_};
  CupsPrinters cups_;
  PrintingDialogs dialogs_;
  DialogPrinter printer_{dialogs_, files_, cups_};
  FontCache fonts_;
  std::vector<PaperSize> papers_;
};

Scheduler* DialogPrinterTest::scheduler_ = nullptr;

TEST_F(DialogPrinterTest, TheDialogListsTheQueuesDefaultFirstThenSaveAsPdf) {
  dialogs_.destination = "no such queue";
  const PrintOutcome outcome = Print(2);
  // Cancelled: nothing printed and nothing to complain about.
  EXPECT_FALSE(outcome.printed);
  EXPECT_EQ(outcome.error, "");
  const std::vector<std::string>& listed = dialogs_.asked.destinations;
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_TRUE(listed[0].starts_with("letter")) << listed[0];
  EXPECT_TRUE(listed[1].starts_with("plain")) << listed[1];
  EXPECT_EQ(listed[2], DialogPrinter::kSaveAsPdf);
  EXPECT_EQ(dialogs_.asked.copies, 2);
  EXPECT_EQ(dialogs_.pagesShown, 1);
}

TEST_F(DialogPrinterTest, AJobReachesTheChosenQueueLaidOutOnItsPaperWithItsCopies) {
  struct Case {
    const char* queue;
    int copies;
    const char* pageSize;
  };
  const Case cases[] = {
      {"letter", 3, "612 x 792 pts (letter)"},
      {"plain", 2, "595.28 x 841.89 pts (A4)"},  // a queue that names no paper gets A4
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queue);
    dialogs_.destination = c.queue;
    dialogs_.copies = c.copies;
    const PrintOutcome outcome = Print();
    ASSERT_TRUE(outcome.printed) << outcome.error;
    EXPECT_EQ(outcome.pages, 1);
    const std::optional<fs::path> job = scheduler_->Delivered(c.copies);
    ASSERT_TRUE(job) << scheduler_->Log();
    const ShellOutput info = RunShellCommand("pdfinfo " + job->string());
    EXPECT_NE(info.text.find(c.pageSize), std::string::npos) << info.text;
    EXPECT_NE(RunShellCommand("pdftotext " + job->string() + " -").text.find("Passed"),
              std::string::npos);
  }
}

TEST_F(DialogPrinterTest, SaveAsPdfWritesWhereTheSavePickerSaysOnA4) {
  dialogs_.destination = DialogPrinter::kSaveAsPdf;
  dialogs_.choices.push_back("C:\\results.pdf");
  const PrintOutcome outcome = Print();
  ASSERT_TRUE(outcome.printed) << outcome.error;
  ASSERT_EQ(dialogs_.pickers.size(), 1u);
  EXPECT_EQ(dialogs_.pickers[0].kind, "save");
  EXPECT_EQ(dialogs_.pickers[0].initial, "Quiz results.pdf");
  EXPECT_EQ(fs::path(outcome.file), files_.ToHost("C:\\results.pdf"));
  EXPECT_TRUE(ReadFile(outcome.file).starts_with("%PDF-"));
  ASSERT_FALSE(papers_.empty());
  EXPECT_EQ(papers_.back(), PaperSize{});
}

}  // namespace
}  // namespace qlm::test
