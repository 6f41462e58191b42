#include "player/CommandLine.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qlm {
namespace {

using Params = std::vector<std::string>;

TEST(CommandLineParams, SplitsQuotesAndBlanks) {
  struct Case {
    std::string text;
    Params expected;
  } cases[] = {
      {"", {}},
      {" \t  ", {}},
      {"show.qmd", {"show.qmd"}},
      {"  a\t\tb  ", {"a", "b"}},
      {"\"C:\\My Show\\show.qmd\" x", {"C:\\My Show\\show.qmd", "x"}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"a\"\"b", {"a\"b"}},
      {"\"\"", {"\""}},
      {"\"\"\"", {"\""}},
      {"a\"b c\"d e", {"ab cd", "e"}},
      {"\"\t\" x", {"\t", "x"}},
      {"\"open to the end  ", {"open to the end  "}},
      {"a\nb", {"a\nb"}},  // only blanks and tabs separate
  };
  for (const auto& c : cases) {
    CommandLineParams p;
    p.Set(c.text);
    EXPECT_EQ(p.All(), c.expected) << c.text;
    EXPECT_EQ(p.Count(), static_cast<int>(c.expected.size()));
    EXPECT_EQ(p.Dropped(), 0);
  }
}

TEST(CommandLineParams, LongParameterEndsTheScan) {
  const std::string x1023(1023, 'x');
  const std::string x1024(1024, 'x');
  struct Case {
    std::string text;
    Params expected;
  } cases[] = {
      {x1023 + " b", {x1023, "b"}},
      {x1024, {x1024}},
      {x1024 + " b c", {x1024}},
      {"a " + x1024 + "yyy b", {"a", x1024}},
      {"\"" + x1023 + "\"\"" + "z", {x1023 + "\""}},
  };
  for (const auto& c : cases) {
    CommandLineParams p;
    p.Set(c.text);
    EXPECT_EQ(p.All(), c.expected) << c.text.size();
  }
}

TEST(CommandLineParams, KeepsSixteenAndCountsTheRest) {
  std::string text;
  for (int i = 1; i <= 18; ++i)
    text += "p" + std::to_string(i) + " ";
  CommandLineParams p;
  p.Set(text);
  ASSERT_EQ(p.Count(), 16);
  EXPECT_EQ(*p.Get(15), "p16");
  EXPECT_EQ(p.Get(16), nullptr);
  EXPECT_EQ(p.Get(-1), nullptr);
  EXPECT_EQ(p.Dropped(), 2);
  p.Set("one");
  EXPECT_EQ(p.All(), Params{"one"});
  EXPECT_EQ(p.Dropped(), 0);
  p.Clear();
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.Get(0), nullptr);
}

TEST(StartPageArgument, NewWindowKeywordAndTenthCharacterRule) {
  struct Case {
    const char* param;
    std::optional<StartPageArgument> expected;
  } cases[] = {
      {"ECPA|SA:NEW_WINDOW", StartPageArgument{true, ""}},
      {"ECPA|SA:NEW_WINDOW,Intro", StartPageArgument{true, "Intro"}},
      {"ECPA|SA:new_Window, \t Intro ", StartPageArgument{true, "Intro "}},
      {"ECPA|SA:NEW_WINDOW,", StartPageArgument{true, ""}},
      {"ECPA|SA:NEW_WINDOWX", StartPageArgument{false, "EW_WINDOWX"}},
      {"ECPA|SA:NEW_WINDOW Intro", StartPageArgument{false, "EW_WINDOW Intro"}},
      {"ECPA|SA: Intro", StartPageArgument{false, "Intro"}},
      {"ECPA|SA:,Page 2", StartPageArgument{false, "Page 2"}},
      {"ECPA|SA:Intro", StartPageArgument{false, "ntro"}},
      {"ECPA|SA:", StartPageArgument{false, ""}},
      {"ECPA|SA:x", StartPageArgument{false, ""}},
      {"ecpa|sa:NEW_WINDOW", std::nullopt},
      {"ECPA|SA", std::nullopt},
      {"xECPA|SA:NEW_WINDOW", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseStartPageArgument(c.param), c.expected) << c.param;
}

TEST(StartupCommand, StartPageLeavesOnlyTheDocumentAsParameter) {
  struct Case {
    const char* raw;
    const char* document;
    std::optional<StartPageArgument> startPage;
    Params params;
  } cases[] = {
      {"", "", std::nullopt, {}},
      {"show.qmd a b", "show.qmd", std::nullopt, {"show.qmd", "a", "b"}},
      {"\"my show.qmd\" \"ECPA|SA:NEW_WINDOW,Intro\" extra",
       "my show.qmd",
       StartPageArgument{true, "Intro"},
       {"my show.qmd"}},
      {"show.qmd ECPA|SA:,Two", "show.qmd", StartPageArgument{false, "Two"}, {"show.qmd"}},
      // A quote inside the document name survives the second parse.
      {"\"a\"\"b.qmd\" ECPA|SA:NEW_WINDOW", "a\"b.qmd", StartPageArgument{true, ""}, {"a\"b.qmd"}},
      {"ECPA|SA:NEW_WINDOW show.qmd",
       "ECPA|SA:NEW_WINDOW",
       std::nullopt,
       {"ECPA|SA:NEW_WINDOW", "show.qmd"}},
  };
  for (const auto& c : cases) {
    const StartupCommand cmd = ParseStartupCommand(c.raw);
    EXPECT_EQ(cmd.documentPath, c.document) << c.raw;
    EXPECT_EQ(cmd.startPage, c.startPage) << c.raw;
    EXPECT_EQ(cmd.params.All(), c.params) << c.raw;
  }
}

TEST(JoinCommandLine, SplitsBackIntoTheSameArguments) {
  const Params args = {"plain", "two words", "say \"hi\"", "", "\"\"", "tab\there", "ECPA|SA:,P"};
  for (const char* one : {"\"", "\" \"", "\"x y\"", "a\"\" \"b"}) {
    CommandLineParams p;
    p.Set(QuoteParameter(one));
    EXPECT_EQ(p.All(), Params{one}) << one;
  }
  const std::string line = JoinCommandLine(args);
  EXPECT_EQ(line, "plain \"two words\" \"say \"\"hi\"\"\" \"\"\"\" \"tab\there\" ECPA|SA:,P");
  CommandLineParams p;
  p.Set(line);
  EXPECT_EQ(p.All(),
            (Params{"plain", "two words", "say \"hi\"", "\"\"", "tab\there", "ECPA|SA:,P"}));
}

PlayerOptions Parse(const Params& args) {
  return ParsePlayerOptions(args);
}

TEST(PlayerOptions, OptionsComeBeforeThePresentationsCommandLine) {
  const PlayerOptions o = Parse({"--headless",
                                 "--events",
                                 "-",
                                 "--screenshot=out.png",
                                 "--mount",
                                 "d=/media/cd:cdrom",
                                 "--mount=E=/srv/e",
                                 "--codepage",
                                 "1250",
                                 "--scale",
                                 "fit",
                                 "--seed",
                                 "42",
                                 "--start-time",
                                 "2024-02-29T12:00:00",
                                 "--profile-dir",
                                 "/tmp/p",
                                 "--trace-files",
                                 "--trust",
                                 "--allow-launch",
                                 "--allow-plugins",
                                 "--ask",
                                 "--mount=F=/srv/save:rw",
                                 "--timeout",
                                 "30",
                                 "--max-memory=512",
                                 "--speech-wav",
                                 "/tmp/said",
                                 "show.qmd",
                                 "--headless",
                                 "ECPA|SA:NEW_WINDOW,Intro"});
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.eventsPath, "-");
  EXPECT_EQ(o.screenshotPath, "out.png");
  EXPECT_EQ(o.mounts, (std::vector<DriveMount>{{'D', "/media/cd", true},
                                               {'E', "/srv/e", false},
                                               {'F', "/srv/save", false, true}}));
  EXPECT_TRUE(o.trust && o.allowLaunch && o.allowPlugins && o.ask);
  EXPECT_FALSE(o.forgetTrust);
  EXPECT_TRUE(Parse({"--forget-trust"}).forgetTrust);
  EXPECT_EQ(o.codePage, "CP1250");
  EXPECT_TRUE(o.scaleFit);
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.startTime->ToString(), "2024-02-29T12:00:00");
  EXPECT_EQ(o.profileDir, "/tmp/p");
  EXPECT_TRUE(o.traceFiles);
  EXPECT_EQ(o.timeoutSeconds, 30u);
  EXPECT_EQ(o.maxMemoryMb, 512u);
  EXPECT_EQ(o.speechWavDir, "/tmp/said");
  EXPECT_FALSE(o.blank);
  // Everything from the document on belongs to the presentation, options included.
  EXPECT_EQ(o.arguments, (Params{"show.qmd", "--headless", "ECPA|SA:NEW_WINDOW,Intro"}));
  EXPECT_EQ(o.commandLine, "show.qmd --headless ECPA|SA:NEW_WINDOW,Intro");

  const PlayerOptions d = Parse({"--", "--odd name.qmd"});
  EXPECT_FALSE(d.headless);
  EXPECT_EQ(d.commandLine, "\"--odd name.qmd\"");
  EXPECT_EQ(Parse({}).commandLine, "");
  EXPECT_EQ(Parse({"--scale", "3"}).scale, 3);
  EXPECT_TRUE(Parse({"--help", "--events", "x"}).help);
}

TEST(PlayerOptions, BadOptionsGiveAClearMessage) {
  struct Case {
    Params args;
    const char* message;
  } cases[] = {
      {{"--fast"}, "unknown option --fast (see --help)"},
      {{"--events"}, "option --events needs a value"},
      {{"--headless=yes"}, "option --headless takes no value"},
      {{"--events", "e.txt", "show.qmd"}, "--events works only with --headless"},
      {{"--screenshot", "a.png"}, "--screenshot works only with --headless"},
      {{"--start-time", "2024-01-01"}, "--start-time works only with --headless"},
      {{"--ask", "show.qmd"}, "--ask works only with --headless"},
      {{"--trust=yes"}, "option --trust takes no value"},
      {{"--timeout", "5"}, "--timeout works only with --headless"},
      {{"--max-memory", "512"}, "--max-memory works only with --headless"},
      {{"--speech-wav", "said"}, "--speech-wav works only with --headless"},
      {{"--headless", "--speech-wav="}, "--speech-wav needs a folder"},
      {{"--headless", "--timeout", "0"}, "--timeout expects a number of seconds from 1: 0"},
      {{"--headless", "--timeout", "1.5"}, "--timeout expects a number of seconds from 1: 1.5"},
      {{"--headless", "--max-memory", "63"},
       "--max-memory expects megabytes from 64 to 1048576: 63"},
      {{"--headless", "--blank", "show.qmd"},
       "--blank starts an empty project and takes no document"},
      {{"--scale", "0"}, "--scale expects a whole number from 1 to 8 or \"fit\": 0"},
      {{"--scale", "2x"}, "--scale expects a whole number from 1 to 8 or \"fit\": 2x"},
      {{"--seed", "-1"}, "--seed expects a number from 0 to 4294967295: -1"},
      {{"--seed", "4294967296"}, "--seed expects a number from 0 to 4294967295: 4294967296"},
      {{"--headless", "--start-time", "2023-02-29"},
       "--start-time expects YYYY-MM-DDTHH:MM:SS: 2023-02-29"},
      {{"--mount", "DD=/x"},
       "--mount expects D=PATH[:cdrom][:rw] (a drive letter, '=' and a folder): DD=/x"},
      {{"--mount", "1=/x"},
       "--mount expects D=PATH[:cdrom][:rw] (a drive letter, '=' and a folder): 1=/x"},
      {{"--mount", "D=:cdrom"},
       "--mount expects D=PATH[:cdrom][:rw] (a drive letter, '=' and a folder): D=:cdrom"},
      {{"--mount", "d=/a", "--mount", "D=/b"}, "--mount: drive D: is mounted twice"},
      {{"--codepage", "NO-SUCH-CHARSET"}, "--codepage: unknown code page \"NO-SUCH-CHARSET\""},
      {{"--start-page", " ", "show.qmd"}, "--start-page needs a page name"},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.args);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const CommandLineError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(PlayerOptions, UsageNamesEveryOption) {
  const std::string usage = PlayerUsage("qlmplayer");
  for (const char* opt :
       {"--headless",     "--events",      "--screenshot",   "--blank",         "--codepage",
        "--mount",        "--profile-dir", "--scale",        "--trace-files",   "--seed",
        "--start-time",   "--timeout",     "--max-memory",   "--speech-wav",    "--help",
        "--version",      "--trust",       "--allow-launch", "--allow-plugins", "--ask",
        "--forget-trust", ":rw",           "--start-page"}) {
    EXPECT_NE(usage.find(opt), std::string::npos) << opt;
  }
}

TEST(PlayerOptions, FullScreenOrWindowedOverrideTheProjectAndTheLastWins) {
  EXPECT_FALSE(Parse({"show.qmd"}).fullScreen);
  EXPECT_EQ(Parse({"-f", "show.qmd"}).fullScreen, true);
  EXPECT_EQ(Parse({"--fullscreen", "--windowed", "show.qmd"}).fullScreen, false);
  EXPECT_EQ(Parse({"--windowed", "-f"}).fullScreen, true);
  // After the document, -f is the presentation's.
  const PlayerOptions o = Parse({"show.qmd", "-f"});
  EXPECT_FALSE(o.fullScreen);
  EXPECT_EQ(o.commandLine, "show.qmd -f");
  EXPECT_THROW(Parse({"--fullscreen=yes"}), CommandLineError);

  const std::string usage = PlayerUsage("qlmplayer");
  for (const char* text : {"--fullscreen", "--windowed", "Alt+Enter", "F11", "F12"})
    EXPECT_NE(usage.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace qlm
