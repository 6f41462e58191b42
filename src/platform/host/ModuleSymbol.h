#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qlm {

// Loads the player's module `name` from the first of `folders` that holds one which loads and
// exports `symbol`, and returns that symbol; null when none does, with the reason in `error`.
// Modules are never unloaded: their libraries register types that outlive an unload.
void* LoadModuleSymbol(const std::vector<std::filesystem::path>& folders, const char* name,
                       const char* symbol, std::string& error);

}  // namespace qlm
