#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qlm {

// The player's own module libraries (media, speech, metafiles, web pages): built with the
// player, loaded on first use and never unloaded (RTLD_NODELETE), because the libraries they
// pull in keep threads, handlers and registered types that do not expect to be unmapped.

// The folders where this executable's modules may lie, in the order they are tried: beside the
// executable (a build), the module folder of the installation it belongs to, then the module
// folders of an installation under the install prefix and of the Debian package, which serve a
// stand-alone presentation copied away from the player.
std::vector<std::filesystem::path> ModuleFolders(const std::filesystem::path& executable);

// The module `fileName` in each of ModuleFolders(executable).
std::vector<std::filesystem::path> ModuleCandidates(const std::filesystem::path& executable,
                                                    const std::string& fileName);

// Loads the first candidate that exists and exports `entryName`, and hands the export to
// `adopt`, which returns false when the module is not one of this player (the next candidate is
// tried then). False, with the reason in `error`, when no candidate was adopted.
bool LoadModule(const std::vector<std::filesystem::path>& candidates, const char* entryName,
                const std::function<bool(void* entry)>& adopt, std::string& error);

// The export `symbol` of the module `name` from the first of `folders` that holds one which
// loads and exports it; null, with the reason in `error`, when none does.
void* LoadModuleSymbol(const std::vector<std::filesystem::path>& folders, const char* name,
                       const char* symbol, std::string& error);

}  // namespace qlm
