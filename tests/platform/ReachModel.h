#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/TempFolder.h"
#include "platform/TrustPolicy.h"
#include "platform/host/HostFileSystem.h"

namespace qlm::test {

// A presentation's folder on a real disk, full of links that stay inside, lead out, come back,
// loop or dangle, and the door over it with the default policy. The reference of what a path may
// reach is the kernel's own resolution of the host path (realpath): the file at the end must
// lie in the folder, and then it is exactly what the door must read, list or describe.
//
// The tree below drive D:, whose folder "show" is the presentation's:
//   show/f.txt  show/Sub/g.txt  show/Sub/Deeper/h.txt  show/a/a/a/i.txt
//   show/deep -> a/a/a        show/in -> Sub/Deeper     show/abs -> <root>/show/Sub
//   show/up -> ..             show/Sub/upup -> ../..    show/out -> ../outside
//   show/outf -> ../outside/s.txt                      show/absout -> <root>/outside
//   show/loop -> loop         show/dangling -> nothere
//   outside/s.txt  outside/f.txt  outside/back -> ../show  s.txt
// Every file holds its own path, after "in:" inside the folder and "out:" outside.
class ReachModel {
 public:
  ReachModel() : env_(temp_.Environment()), files_(env_), root_(temp_.Path() / "d") {
    namespace fs = std::filesystem;
    for (const char* file : {"show/f.txt", "show/Sub/g.txt", "show/Sub/Deeper/h.txt",
                             "show/a/a/a/i.txt", "outside/s.txt", "outside/f.txt", "s.txt"}) {
      const std::string name = file;
      temp_.Touch("d/" + name, (name.rfind("show/", 0) == 0 ? "in:" : "out:") + name);
    }
    const struct {
      const char* link;
      fs::path target;
    } kLinks[] = {
        {"show/deep", "a/a/a"},
        {"show/in", "Sub/Deeper"},
        {"show/abs", root_ / "show/Sub"},
        {"show/up", ".."},
        {"show/Sub/upup", "../.."},
        {"show/out", "../outside"},
        {"show/outf", "../outside/s.txt"},
        {"show/absout", root_ / "outside"},
        {"show/loop", "loop"},
        {"show/dangling", "nothere"},
        {"outside/back", "../show"},
    };
    for (const auto& l : kLinks)
      fs::create_symlink(l.target, root_ / l.link);
    files_.AddMount('D', root_);
    files_.SetCurrentFolder(root_ / "show");
    folder_ = fs::canonical(root_ / "show");
    policy_.SetPresentationFolder(root_ / "show", folder_);
    policy_.SetOverlay(temp_.Path() / "overlay");
    files_.SetTrustPolicy(&policy_, nullptr);
  }

  const HostFileSystem& Files() const { return files_; }
  const std::filesystem::path& Root() const { return root_; }

  // What the door did with `path` against what the model expects; empty when they agree.
  std::string Check(const std::string& path) const {
    namespace fs = std::filesystem;
    const std::optional<fs::path> real = Reference(files_.ToHost(path));
    std::error_code ec;
    const fs::file_status status =
        real ? fs::status(*real, ec) : fs::file_status(fs::file_type::not_found);

    std::optional<std::string> expected;
    if (fs::is_regular_file(status))
      expected = ReadAll(*real);
    if (files_.ReadFile(path) != expected)
      return "read of \"" + path + "\" differs from " + (expected ? *expected : "nothing");

    const std::optional<FileInfo> info = files_.Stat(path);
    const bool kindAgrees = fs::is_regular_file(status)  ? info && info->kind == FileKind::kFile
                            : fs::is_directory(status)   ? info && info->kind == FileKind::kFolder
                            : real && fs::exists(status) ? info && info->kind == FileKind::kOther
                                                         : !info;
    if (!kindAgrees)
      return "stat of \"" + path + "\" differs";

    std::optional<std::vector<std::string>> names;
    if (fs::is_directory(status)) {
      names.emplace();
      for (const auto& entry : fs::directory_iterator(*real))
        names->push_back(entry.path().filename().string());
      std::sort(names->begin(), names->end());
    }
    std::optional<std::vector<std::string>> listed;
    if (const auto entries = files_.ListFolder(path)) {
      listed.emplace();
      for (const FolderEntry& entry : *entries)
        listed->push_back(entry.name);
    }
    if (listed != names)
      return "listing of \"" + path + "\" differs";
    return {};
  }

 private:
  // The file the kernel finds at `host`, when it lies in the presentation's folder. A trailing
  // separator is read as none, as the door reads it.
  std::optional<std::filesystem::path> Reference(const std::filesystem::path& host) const {
    std::string text = host.string();
    while (text.size() > 1 && text.back() == '/')
      text.pop_back();
    if (text.empty())
      return std::nullopt;
    char* resolved = ::realpath(text.c_str(), nullptr);
    if (resolved == nullptr)
      return std::nullopt;
    const std::filesystem::path real(resolved);
    ::free(resolved);
    if (!TrustPolicy::Within(real, folder_))
      return std::nullopt;
    return real;
  }

  static std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder temp_;
  HostEnvironment env_;
  HostFileSystem files_;
  std::filesystem::path root_;
  std::filesystem::path folder_;
  TrustPolicy policy_;
};

}  // namespace qlm::test
