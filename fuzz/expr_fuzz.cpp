// Feeds arbitrary text to the evaluator in both modes, with a window, path macros and file
// functions confined to a scratch folder. The first byte picks the mode.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "expr/ExprFakes.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/PathMacros.h"
#include "expr/ProfileVariables.h"
#include "platform/host/DiskFileSystem.h"

namespace {

// Every path lands as one flat, short name in a scratch folder.
class SandboxFileSystem : public qlm::DiskFileSystem {
 public:
  SandboxFileSystem() {
    root_ = std::filesystem::temp_directory_path() / "qlm_expr_fuzz";
    std::filesystem::create_directories(root_);
  }
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    std::string name;
    for (char c : windowsPath.substr(0, 40)) {
      unsigned char u = static_cast<unsigned char>(c);
      name += (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' ? c : '_';
    }
    return root_ / ("f" + name);
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    return hostPath.filename().string();
  }

 private:
  std::filesystem::path root_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  static SandboxFileSystem files;
  static qlm::SystemFolders folders{"C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\", "C:\\TEMP\\",
                                    "C:\\TEMP\\QLMPlayer\\", "D:\\"};
  qlm::PathMacros macros(folders, "C:\\Show\\run.exe");
  qlm::test::FakeOwner owner;
  owner.playList = {"a.mp3", "b.mp3"};
  owner.objects["Pic"] = qlm::ObjectInfo{};
  qlm::ExpressionEvaluator ev;
  ev.SetOwner(&owner);
  ev.SetPathMacros(&macros);
  ev.SetFileSystem(&files);
  ev.SetNumber("i", 2);
  ev.SetText("a$", "a,b,c,");
  ev.SetText("CBK_PageName", "Intro");

  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    ev.EvaluateCondition(text);
  } else {
    ev.ExecuteStatement(text);
  }
  ev.NormalizeName(text);
  qlm::test::MemoryProfileStore profile;
  qlm::SaveVariable(ev, profile, "QLM", "k", text);
  return 0;
}
