#pragma once

#include "platform/SystemFolders.h"

namespace qlm {

class HostFileSystem;
struct HostEnvironment;

// Fills the folders from the drive mapping: "<Windows>" and "<System>" in drive C:, "<Temp>" a
// per-user folder under $TMPDIR (or /tmp) that only this user can write, "<Embedded>" its
// "QLMPlayer" subfolder, "<CD>" the root of the first drive mounted as a CD. The host folders
// are created when missing.
SystemFolders MakeSystemFolders(const HostFileSystem& fileSystem, const HostEnvironment& env);

}  // namespace qlm
