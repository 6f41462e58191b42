// Generated paths against the reach model: mixes of "..", ".", doubled and mixed separators,
// links inward and outward, names in any case and the forms the path macros expand to
// ("<SrcDir>" is D:\show, "<SrcDrive>" D:), each read, described and listed by the door exactly
// as the kernel resolves it, and nothing outside the presentation's folder ever.

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "ReachModel.h"

namespace qlm::test {
namespace {

std::string RandomCase(std::string name, std::mt19937& random) {
  for (char& c : name) {
    if (random() % 3 == 0)
      c = static_cast<char>(std::isupper(static_cast<unsigned char>(c))
                                ? std::tolower(static_cast<unsigned char>(c))
                                : std::toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

std::string GeneratedPath(const ReachModel& model, std::mt19937& random) {
  static const char* const kNames[] = {
      "..",    ".",        "",        "f.txt", "Sub",   "Deeper", "h.txt",  "g.txt", "a",
      "i.txt", "deep",     "in",      "abs",   "up",    "upup",   "out",    "outf",  "absout",
      "loop",  "dangling", "outside", "show",  "s.txt", "back",   "nothere"};
  const std::string host = (model.Root() / "show").string();
  const std::string prefixes[] = {"",       "D:\\show",        "D:", "D:\\",
                                  "\\show", "\\\\?\\D:\\show", host, model.Root().string()};
  const std::string& prefix = prefixes[random() % std::size(prefixes)];
  const bool hostStyle = !prefix.empty() && prefix[0] == '/';
  std::string path = prefix;
  const int parts = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < parts; ++i) {
    if (!path.empty() || random() % 4 == 0)
      path += hostStyle || random() % 2 ? "/" : "\\";
    path += RandomCase(kNames[random() % std::size(kNames)], random);
  }
  return path;
}

TEST(ResolverProperty, EveryPathReachesWhatTheKernelResolvesInsideTheFolderAndNothingElse) {
  ReachModel model;
  // A few paths the generator may not hit, then many it makes.
  for (const char* path : {"deep\\..\\..\\..\\outside\\s.txt", "out\\s.txt", "outf", "up\\s.txt",
                           "Sub\\upup\\s.txt", "absout\\f.txt", "deep/../../../s.txt",
                           "out\\back\\f.txt", "loop", "in\\..\\g.txt", "abs\\..\\f.txt"}) {
    const std::string failure = model.Check(path);
    EXPECT_TRUE(failure.empty()) << failure;
  }
  // Climbs after inward links, which read as text would end on files outside.
  for (const char* climb : {"show/deep/../../outside/s.txt", "show/in/../../s.txt"}) {
    const std::string failure = model.Check((model.Root() / climb).string());
    EXPECT_TRUE(failure.empty()) << failure;
  }

  std::mt19937 random(20261211);
  int failures = 0;
  for (int i = 0; i < 4000 && failures < 10; ++i) {
    const std::string path = GeneratedPath(model, random);
    const std::string failure = model.Check(path);
    EXPECT_TRUE(failure.empty()) << failure;
    failures += !failure.empty();
  }
}

}  // namespace
}  // namespace qlm::test
