#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Libraries.h"
#include "platform/TrustGate.h"

namespace qlm {

// Plug-in loading under the trust policy: a library in the player's own plug-in folder (which
// the user installed) loads; any other library, such as one shipped in the presentation's folder
// or saved by it on drive C, loads only with consent, asked with its name and SHA-256.
class GatedLibraries : public Libraries {
 public:
  // `trustedFolder`: the player's own folder, symbolic links resolved.
  GatedLibraries(Libraries& inner, TrustGate& gate, std::filesystem::path trustedFolder,
                 std::filesystem::path presentationFolder)
      : inner_(inner),
        gate_(gate),
        trusted_(std::move(trustedFolder)),
        presentation_(std::move(presentationFolder)) {}

  std::unique_ptr<LoadedLibrary> Load(const std::filesystem::path& path,
                                      std::string& error) override;

 private:
  Libraries& inner_;
  TrustGate& gate_;
  std::filesystem::path trusted_;
  std::filesystem::path presentation_;
};

}  // namespace qlm
