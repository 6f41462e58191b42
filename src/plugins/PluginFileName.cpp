#include "plugins/PluginFileName.h"

#include <algorithm>

#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "plugins/Libraries.h"

namespace qlm {

namespace {

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoreAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::vector<std::string> PluginPathCandidates(const std::string& fileName,
                                              const std::string& folder) {
  const size_t slash = fileName.rfind('\\');
  const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  return {
      slash != std::string::npos ? fileName : folder + "\\" + fileName,
      folder + "\\" + base,
      folder + "\\Plugins\\" + base,
  };
}

std::vector<std::filesystem::path> PluginHostFiles(const FileSystem& files,
                                                   const std::string& windowsPath) {
  const size_t slash = windowsPath.rfind('\\');
  const std::string dir =
      slash == std::string::npos ? std::string() : windowsPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? windowsPath : windowsPath.substr(slash + 1);
  std::vector<std::string> names;
  if (EndsWithIgnoreCase(name, ".dll")) {
    const std::string stem = name.substr(0, name.size() - 4);
    names = {stem + ".so", "lib" + stem + ".so", name};
  } else if (EndsWithIgnoreCase(name, ".so")) {
    names = {name, "lib" + name};
  } else {
    names = {name, name + ".so", "lib" + name + ".so"};
  }
  std::vector<std::filesystem::path> out;
  for (const std::string& n : names) {
    if (n.empty() || n == "lib")
      continue;
    std::filesystem::path host = files.ToHost(dir + n);
    if (std::find(out.begin(), out.end(), host) == out.end())
      out.push_back(std::move(host));
  }
  return out;
}

std::unique_ptr<LoadedLibrary> LoadPluginLibrary(Libraries& libraries, const FileSystem& files,
                                                 const std::string& fileName,
                                                 const std::vector<std::string>& folders,
                                                 std::string& error,
                                                 std::filesystem::path* loadedPath) {
  error = fileName.empty() ? "no library named" : "no folder to look in";
  if (fileName.empty())
    return nullptr;
  std::vector<std::string> tried;
  for (const std::string& folder : folders) {
    for (const std::string& windowsPath : PluginPathCandidates(fileName, folder)) {
      if (std::find(tried.begin(), tried.end(), windowsPath) != tried.end())
        continue;
      tried.push_back(windowsPath);
      for (const std::filesystem::path& host : PluginHostFiles(files, windowsPath)) {
        std::error_code code;
        if (!std::filesystem::is_regular_file(host, code)) {
          error = "not found: " + host.string();
          continue;
        }
        if (std::unique_ptr<LoadedLibrary> library = libraries.Load(host, error)) {
          error.clear();
          if (loadedPath)
            *loadedPath = host;
          return library;
        }
      }
    }
  }
  return nullptr;
}

}  // namespace qlm
