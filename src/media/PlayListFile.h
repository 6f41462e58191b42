#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// The play-list files of the song list: M3L (a path a line), M3U (the path after each
// "#EXTINF:" line; a file without one reads as M3L), PLS (the text after "=" on the lines that
// hold "File") and plain text (every line).
class PlayListFile {
 public:
  enum class Type { kM3l, kM3u, kPls, kText };

  // Files of this size or more are refused.
  static constexpr size_t kMaxBytes = 1048576;
  static constexpr std::string_view kTooBig = "The list file is too big";

  // The type SongListLoad reads: `requested` when it is "M3L", "M3U", "PLS" or "TXT" (any
  // case), else the three characters after the path's last ".", compared the same way; other
  // types read every line.
  static Type TypeFor(std::string_view path, std::string_view requested);

  // The folder relative entries are read against: the path up to and including its last
  // backslash (or slash); empty when it has none.
  static std::string FolderOf(std::string_view path);

  // The entries of a file's bytes. For M3L, M3U and PLS an entry without ":" is taken against
  // `folder`; such an entry whose "." and ".." steps would leave the folder is dropped, and so
  // is any entry holding a NUL byte. Lines end with CR LF, a lone LF or the end of the bytes.
  static std::vector<std::string> Parse(std::string_view bytes, Type type,
                                        const std::string& folder);

  // Entries separated by CR LF, no line break after the last one.
  static std::string Join(const std::vector<std::string>& entries);
};

}  // namespace qlm
