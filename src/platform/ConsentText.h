#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// What the consent box shows of a presentation's text: one line of data in double quotes, the
// quote and backslash escaped with a backslash, line breaks, tabs and other control characters
// written as escapes ("\n", "\x1b"), and more than `limit` characters cut with "..." after the
// closing quote (before the opening one with `keepEnd`, which keeps the end of a path, its file
// name). So the presentation's text can never start a line of its own in the box.
std::string QuotedData(std::string_view text, size_t limit = 72, bool keepEnd = false);

// The consent box's question for a launch: `program` the resolved host path (in the
// presentation's code page), `arguments` what it would receive, `runner` what starts it when it
// is not started itself ("Wine", "the desktop"; empty for none). A fixed head line, then one line
// per item, the count of arguments before them, at most a handful shown.
std::string LaunchQuestion(std::string_view program, const std::vector<std::string>& arguments,
                           std::string_view runner);

}  // namespace qlm
