#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qlm {

class FileSystem;
class Libraries;
class LoadedLibrary;

// The Windows paths a plug-in library is looked for at, in order: the name as written when it
// holds a backslash (else `folder` + "\" + name), then `folder` + "\" + its last component, then
// `folder` + "\Plugins\" + that component. `folder` has no trailing backslash.
std::vector<std::string> PluginPathCandidates(const std::string& fileName,
                                              const std::string& folder);

// The files one Windows library path may stand for on this system: "X.dll" is looked for as
// "X.so", "libX.so" and "X.dll"; "X.so" as written and as "libX.so"; any other name as written,
// then with ".so" appended and as "lib" + name + ".so".
std::vector<std::string> PluginFileNames(const std::string& windowsPath);

// Tries the places of PluginPathCandidates for each folder in turn (a name with a backslash is
// tried as written once) and the file names of each, found through `files`, and returns the
// first library that loads, or null with the reason for the last failure in `error`.
// `loadedPath` receives the host file that loaded.
std::unique_ptr<LoadedLibrary> LoadPluginLibrary(Libraries& libraries, const FileSystem& files,
                                                 const std::string& fileName,
                                                 const std::vector<std::string>& folders,
                                                 std::string& error,
                                                 std::filesystem::path* loadedPath = nullptr);

}  // namespace qlm
