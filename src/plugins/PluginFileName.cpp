#include "plugins/PluginFileName.h"

#include <algorithm>
#include <optional>

#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"

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

std::vector<std::string> PluginFileNames(const std::string& windowsPath) {
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
  std::vector<std::string> out;
  for (const std::string& n : names) {
    if (!n.empty() && n != "lib")
      out.push_back(dir + n);
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
  std::vector<std::filesystem::path> triedFiles;
  for (const std::string& folder : folders) {
    for (const std::string& windowsPath : PluginPathCandidates(fileName, folder)) {
      if (std::find(tried.begin(), tried.end(), windowsPath) != tried.end())
        continue;
      tried.push_back(windowsPath);
      for (const std::string& candidate : PluginFileNames(windowsPath)) {
        const std::optional<std::filesystem::path> host = files.HostFileToRead(candidate);
        if (!host) {
          error = "not found: " + candidate;
          continue;
        }
        if (std::find(triedFiles.begin(), triedFiles.end(), *host) != triedFiles.end())
          continue;
        triedFiles.push_back(*host);
        if (std::unique_ptr<LoadedLibrary> library = libraries.Load(*host, error)) {
          error.clear();
          if (loadedPath)
            *loadedPath = *host;
          return library;
        }
      }
    }
  }
  return nullptr;
}

}  // namespace qlm
