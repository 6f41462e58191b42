#pragma once

#include <string>
#include <vector>

namespace qlm {

// DOS 8.3 names ("PROGRA~1", "LONGFI~1.TXT") for the entries of one folder, derived from their
// long names the way Windows derives them: spaces and extra dots dropped, upper case, six
// characters and a "~N" tail, three characters of extension. Names that already fit 8.3 are
// their own short name (upper-cased). N counts up in the byte order of the long names, which
// stands in for the creation order Windows uses. The result is parallel to the input.
std::vector<std::string> MakeShortNames(const std::vector<std::string>& longNames);

// True when the name is a valid 8.3 name on its own and so gets no "~N" form.
bool IsShortName(const std::string& name);

}  // namespace qlm
